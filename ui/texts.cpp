#include "ui/texts.h"

int sprache = 0;

const char *text(const TextPair &pair) { return sprache == 0 ? pair.de : pair.en; }

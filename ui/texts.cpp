#include "ui/texts.h"

#include "app/globals.h"

const char *text(const TextPair &pair) { return sprache == 0 ? pair.de : pair.en; }

#include "ui/texts.h"

int sprache = 0;

const char *text(const TextPair &pair) { return sprache == 0 ? pair.de : pair.en; }

std::string item_words(const TextPair &item)
{
    std::string out;
    for (const char *c = text(item); *c; c++)
        if (*c != ' ' || (!out.empty() && out.back() != ' ')) out += *c;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

namespace {

// "1-5", "3", or the word for none.
std::string channel_span(int first, int last)
{
    if (first > last) return text(txt::none_word);
    if (first == last) return std::to_string(first);
    return std::to_string(first) + "-" + std::to_string(last);
}

}  // namespace

std::string cancelled_text(int written, int total)
{
    return format_text(txt::cancelled_written, channel_span(1, written).c_str()) + "\n" +
           format_text(txt::cancelled_not_written, channel_span(written + 1, total).c_str());
}

// Hex text of single bytes.
#include "channels/hex.h"

void hex_pair(int value, char out[3], HexCase letters)
{
    const char *digits = letters == HEX_UPPER ? "0123456789ABCDEF" : "0123456789abcdef";
    out[0] = digits[(value >> 4) & 0xF];
    out[1] = digits[value & 0xF];
    out[2] = '\0';
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int hex_pair_value(const char *in)
{
    int high = hex_digit(in[0]);
    int low = hex_digit(in[1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

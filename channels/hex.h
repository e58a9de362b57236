// Hex text: a byte as two hexadecimal digits. The wire carries upper-case digits, files
// lower-case ones; both are read in either case.
#pragma once

enum HexCase { HEX_UPPER, HEX_LOWER };

// The two digits of value's low 8 bits, NUL-ended.
void hex_pair(int value, char out[3], HexCase letters = HEX_UPPER);
// Value of one hex digit of either case, -1 for any other character.
int hex_digit(char c);
// Value of the two hex digits at in, -1 if either is not a hex digit.
int hex_pair_value(const char *in);

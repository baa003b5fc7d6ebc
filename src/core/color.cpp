#include "quaven/types.h"

#include "core/cstring_utils.h"

namespace {

// Exactly the float nearest to 1/255, so 0xFF maps to 1.0f.
const float kByteToUnit = 1.0f / 255.0f;

// Anything that is not a hexadecimal digit reads as 0, so malformed colours
// degrade to darker channels instead of being rejected.
int HexDigitValue(char digit)
{
    const int value = QVI_HexDigitValue(digit);
    return value < 0 ? 0 : value;
}

float HexPairToUnit(const char* pair)
{
    int byte = HexDigitValue(pair[0]) * 16 + HexDigitValue(pair[1]);
    return static_cast<float>(byte) * kByteToUnit;
}

// Length of text, but counting no further than limit (colour texts can be long
// strings from data files; only the first eight digits matter).
int LengthUpTo(const char* text, int limit)
{
    int length = 0;
    while (length < limit && text[length] != '\0')
        ++length;
    return length;
}

} // namespace

void Color::SetFromHex(const char* text)
{
    if (!text || text[0] == '\0')
        return;
    if (text[0] == '#')
        ++text;

    int digits = LengthUpTo(text, 8);
    if (digits < 6)
        return;

    r = HexPairToUnit(text + 0);
    g = HexPairToUnit(text + 2);
    b = HexPairToUnit(text + 4);
    a = digits >= 8 ? HexPairToUnit(text + 6) : 1.0f;
}

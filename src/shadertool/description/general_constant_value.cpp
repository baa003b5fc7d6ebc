#include "shadertool/description/general_constant_value.h"

#include "core/cstring_utils.h"

#include "shadertool/preprocess/source_input.h"
#include "shadertool/preprocess/token.h"
#include "shadertool/preprocess/tokenizer.h"

#include <cstdint>
#include <cstring>

namespace ShaderTool {

namespace {

// The blanks the tokenizer skips before a token.
const char* SkipBlanks(const char* text)
{
    while (*text == ' ' || *text == '\t' || *text == '\n')
        ++text;
    return text;
}

int DigitValue(char c)
{
    const int value = QVI_HexDigitValue(c);
    return value < 0 ? 99 : value;
}

// Hexadecimal after "0x", otherwise decimal, clamped to the int32 range.
int32_t ReadClampedInteger(const char* text)
{
    int base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    int64_t number = 0;
    for (; DigitValue(*text) < base; ++text) {
        number = number * base + DigitValue(*text);
        if (number > INT32_MAX)
            return INT32_MAX;
    }
    return static_cast<int32_t>(number);
}

} // namespace

uint32_t ClassifyGeneralConstantValue(const char* value)
{
    SourceInput input;
    input.text.Assign(value ? value : "");
    // Messages of this private scan are not wanted: a lexical error makes the value
    // invalid, which the reader reports in its own words.
    Tokenizer tokenizer(nullptr);
    tokenizer.Begin(input, false);
    Token token;
    token.Clear();
    tokenizer.NextToken(token);
    if (tokenizer.errorCount > 0)
        return kBaseNone;
    switch (token.kind) {
    case kTokenBoolConstant:
        return kBaseBool;
    case kTokenFloatConstant:
        return kBaseFloat;
    case kTokenIntConstant:
        return kBaseInt;
    default:
        return kBaseNone;
    }
}

bool GetGeneralConstantInteger(const GeneralConstant& constant, int32_t* value)
{
    *value = 0;
    const char* text = constant.value.text ? SkipBlanks(constant.value.text) : "";
    switch (constant.type.baseKind) {
    case kBaseBool:
        // The literal is "true" or "false"; the classification has checked which word
        // stands first.
        *value = strncmp(text, "true", 4) == 0 ? 1 : 0;
        return true;
    case kBaseInt:
        *value = ReadClampedInteger(text);
        return true;
    default:
        return false;
    }
}

} // namespace ShaderTool

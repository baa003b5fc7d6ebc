#include "shadertool/description/shader_description.h"

#include "core/cstring_utils.h"
#include "shadertool/preprocess/tokenizer.h"

#include <cstdint>
#include <cstring>

namespace ShaderTool {

namespace {

struct NamedType {
    const char* name;
    uint32_t baseKind;
    int32_t vectorSize;
    int32_t matrixSize;
};

const NamedType kDescriptionTypes[] = {
    {"BOOL", kBaseBool, 1, 0},      {"FLOAT", kBaseFloat, 1, 0},    {"FLOAT2", kBaseFloat, 2, 0},
    {"FLOAT3", kBaseFloat, 3, 0},   {"FLOAT4", kBaseFloat, 4, 0},   {"FLOAT2X2", kBaseFloat, 0, 2},
    {"FLOAT3X3", kBaseFloat, 0, 3}, {"FLOAT4X4", kBaseFloat, 0, 4}, {"INT", kBaseInt, 1, 0},
    {"INT2", kBaseInt, 2, 0},       {"INT3", kBaseInt, 3, 0},       {"INT4", kBaseInt, 4, 0},
};

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
    return ReadClampedDigits(text, base);
}

} // namespace

void ShaderDescription::Reset()
{
    vertex_output.Release();
    vertex_input.Release();
    vertex_constants.Release();
    sources.Release();
    pixel_textures.Release();
    pixel_output.Release();
    pixel_constants.Release();
    constants.Release();
    timeStamp = 0;
}

DescriptionLookup FindDescriptionEntry(const ShaderDescription* description, const char* arrayName,
                                       const char* entryName)
{
    static const char* const kArrayNames[] = {"constants",        "pixel_constants", "pixel_output",
                                              "pixel_textures",   "vertex_constants", "vertex_input",
                                              "vertex_output"};
    int which = -1;
    for (int i = 0; i < 7; ++i) {
        if (arrayName && strcmp(arrayName, kArrayNames[i]) == 0)
            which = i;
    }
    if (which < 0)
        return DescriptionLookup::kInvalidArray;
    if (!description)
        return DescriptionLookup::kNotFound;

    bool found = false;
    switch (which) {
    case 0: found = HasEntryNamed(description->constants, entryName); break;
    case 1: found = HasEntryNamed(description->pixel_constants, entryName); break;
    case 2: found = HasEntryNamed(description->pixel_output, entryName); break;
    case 3: found = HasEntryNamed(description->pixel_textures, entryName); break;
    case 4: found = HasEntryNamed(description->vertex_constants, entryName); break;
    case 5: found = HasEntryNamed(description->vertex_input, entryName); break;
    default: found = HasEntryNamed(description->vertex_output, entryName); break;
    }
    return found ? DescriptionLookup::kFound : DescriptionLookup::kNotFound;
}

Type TypeFromDescriptionName(const char* name, uint32_t qualifiers, int32_t arraySize)
{
    if (!name)
        return Type();
    for (const NamedType& entry : kDescriptionTypes) {
        if (strcmp(entry.name, name) != 0)
            continue;
        if (entry.matrixSize > 0)
            return Type::MakeMatrix(entry.matrixSize, qualifiers, arraySize);
        return Type(entry.baseKind, entry.vectorSize, qualifiers, arraySize);
    }
    return Type();
}

int32_t GetConstantElementBytes(const Type& type)
{
    if (type.baseKind != kBaseFloat && type.baseKind != kBaseInt)
        return 0;
    if (type.matrixSize >= 2 && type.matrixSize <= 4 && type.baseKind == kBaseFloat)
        return kConstantRegisterBytes * type.matrixSize;
    if (type.matrixSize == 0 && type.vectorSize == 4)
        return kConstantRegisterBytes;
    return 0;
}

int32_t ReadClampedDigits(const char* text, int base)
{
    int64_t number = 0;
    for (; DigitValue(*text) < base; ++text) {
        number = number * base + DigitValue(*text);
        if (number > INT32_MAX)
            return INT32_MAX;
    }
    return static_cast<int32_t>(number);
}

uint32_t ClassifyGeneralConstantValue(const char* value, Log* log, const char* fileName)
{
    SourceInput input;
    input.fileName.Assign(fileName);
    input.text.Assign(value ? value : "");
    Tokenizer tokenizer(log);
    tokenizer.Begin(input, false);
    Token token;
    token.Clear();
    tokenizer.NextToken(token);
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

const char* GetGeneralConstantLiteral(const GeneralConstant& constant)
{
    const char* text = constant.value.text ? constant.value.text : "";
    while (*text == ' ' || *text == '\t' || *text == '\n')
        ++text;
    return text;
}

bool GetGeneralConstantInteger(const GeneralConstant& constant, int32_t* value)
{
    *value = 0;
    const char* text = GetGeneralConstantLiteral(constant);
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

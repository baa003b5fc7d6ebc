#include "shadertool/preprocess/keyword_filling.h"

#include "shadertool/core/keyword_tables.h"
#include "shadertool/preprocess/token.h"

namespace ShaderTool {

namespace {

struct KeywordEntry {
    const char* word;
    int32_t kind;
};

// In the order the table is built; "true" and "false" are one kind.
const KeywordEntry kLanguageKeywords[] = {
    {"bool", kTokenBool},         {"float", kTokenFloat},       {"float2", kTokenFloat2},
    {"float2x2", kTokenFloat2x2}, {"float3", kTokenFloat3},     {"float3x3", kTokenFloat3x3},
    {"float4", kTokenFloat4},     {"float4x4", kTokenFloat4x4}, {"int", kTokenInt},
    {"int2", kTokenInt2},         {"int3", kTokenInt3},         {"int4", kTokenInt4},
    {"void", kTokenVoid},         {"break", kTokenBreak},       {"const", kTokenConst},
    {"continue", kTokenContinue}, {"discard", kTokenDiscard},   {"do", kTokenDo},
    {"else", kTokenElse},         {"false", kTokenBoolConstant}, {"for", kTokenFor},
    {"if", kTokenIf},             {"return", kTokenReturn},     {"true", kTokenBoolConstant},
    {"while", kTokenWhile},
};

// Words kept back for later versions of the language: using one is an error.
const char* const kReservedWords[] = {
    "bool2", "bool3", "bool4", "case", "default", "in", "inout", "out", "sample", "struct", "switch",
    "Texture2D", "Texture3D", "TextureCube", "uint", "uint2", "uint3", "uint4",
};

const KeywordEntry kPreprocessorKeywords[] = {
    {"define", kTokenPPDefine}, {"elif", kTokenPPElif},       {"else", kTokenPPElse},
    {"endif", kTokenPPEndif},   {"if", kTokenPPIf},           {"include", kTokenPPInclude},
    {"defined", kTokenPPDefined},
};

} // namespace

void FillLanguageKeywords()
{
    if (g_shaderKeywords.entries.count > 0)
        return;
    for (const KeywordEntry& entry : kLanguageKeywords)
        g_shaderKeywords[entry.word] = entry.kind;
    for (const char* word : kReservedWords)
        g_shaderKeywords[word] = kTokenReserved;
}

void FillPreprocessorKeywords()
{
    if (g_shaderPreprocessorKeywords.entries.count > 0)
        return;
    for (const KeywordEntry& entry : kPreprocessorKeywords)
        g_shaderPreprocessorKeywords[entry.word] = entry.kind;
}

} // namespace ShaderTool

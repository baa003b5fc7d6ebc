#include "shadertool/core/context.h"

#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/hlsl_compiler/hlsl_compiler.h"
#include "shadertool/preprocess/preprocessor.h"
#include "shadertool/preprocess/tokenizer.h"
#include "shadertool/translator/translator.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace ShaderTool {

const char* const kInputStructureName = "_Input";
const char* const kOutputStructureName = "_Output";
const char* const kTextureStructureName = "_Texture";

namespace {

const char* const kInterfaceStructures[] = {kInputStructureName, kOutputStructureName, kTextureStructureName};

} // namespace

ParseContext::~ParseContext()
{
    DestroyNodes();
}

void ParseContext::BuildEnvironment(Log* log)
{
    errorLog = log;
    builtInFunctions.RegisterBuiltInFunctions();
    operators.RegisterBuiltInOperators();
    for (const char* name : kInterfaceStructures)
        structMembers[name];
    scopeMarks.Add(0);
}

void ParseContext::ReportError(const SourcePosition& position, const char* format, ...)
{
    success = 0;
    if (!errorLog)
        return;

    char message[1024];
    va_list args;
    va_start(args, format);
    int length = format ? vsnprintf(message, sizeof(message), format, args) : -1;
    va_end(args);
    if (length < 0)
        message[0] = '\0';
    // While a parse runs, the tokenizer knows which file the text comes from: line markers
    // rename it inside included text, whose lines are numbered as that file's.
    const char* name = sourceName.text;
    if (tokenSource && tokenSource->cursor.text && tokenSource->fileName.text)
        name = tokenSource->fileName.text;
    errorLog->AppendSourceError(name, position.line, position.column, message);
}

void ParseContext::DestroyNodes()
{
    for (int32_t i = 0; i < nodes.count; ++i)
        DestroyNode(nodes.data[i]);
    nodes.count = 0;
    memberSymbols.count = 0;
    nodeStore.Reset();
}

void ParseContext::ClearInterfaceStructures()
{
    for (const char* name : kInterfaceStructures) {
        StringMap<Type>* members = FindStructure(name);
        // A StringMap cannot drop single entries; emptying means deleting them all.
        if (members)
            members->entries.DeleteAll();
    }
}

StringMap<Type>* ParseContext::FindStructure(const char* name)
{
    StringMapEntry<StringMap<Type>>* entry = structMembers.FindEntry(name);
    return entry ? &entry->value : nullptr;
}

namespace {

// Per target index: multiple pixel outputs, 3D textures.
const TargetCapabilities kTargetCapabilities[kTargetCount] = {
    {0, 0},   // ESSL20
    {1, 1},   // ESSL30
    {0, 1},   // GLSL21
    {1, 1},   // GLSL31
    {1, 1},   // HLSL9
    {1, 1},   // HLSL11
    {1, 1},   // PSSL
};

} // namespace

Context::Context()
    : compilers{}, tokenizer(nullptr), preprocessor(nullptr), reader(nullptr), translators{}, ownTargetMasks{},
      newestStamp(0), skipUpToDate(0)
{
    parse.BuildEnvironment(&errorLog);
    tokenizer = new Tokenizer(&errorLog);
    parse.tokenSource = tokenizer;
    preprocessor = new Preprocessor(&errorLog);
    reader = new ShaderXMLReader(&errorLog);
    for (int index = 0; index < kTargetCount; ++index)
        capabilities[index] = kTargetCapabilities[index];
}

Context::~Context()
{
    delete reader;
    reader = nullptr;
    delete preprocessor;
    preprocessor = nullptr;
    parse.tokenSource = nullptr;
    delete tokenizer;
    tokenizer = nullptr;
    for (Compiler*& compiler : compilers) {
        delete compiler;
        compiler = nullptr;
    }
    for (Translator*& translator : translators) {
        delete translator;
        translator = nullptr;
    }
}

const TargetCapabilities* Context::GetCapabilities(uint32_t target) const
{
    int index = GetTargetIndex(target);
    return index < 0 ? nullptr : &capabilities[index];
}

} // namespace ShaderTool

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
    for (auto& stage : parkedMembers) {
        for (Array<StringMapEntry<Type>*>& members : stage)
            members.DeleteAll();
    }
}

namespace {

// Exchanges two arrays' storage, element pointers and all.
void SwapEntries(Array<StringMapEntry<Type>*>& a, Array<StringMapEntry<Type>*>& b)
{
    StringMapEntry<Type>** data = a.data;
    const int32_t count = a.count;
    const int32_t capacity = a.capacity;
    const bool autoShrink = a.autoShrink;
    a.data = b.data, a.count = b.count, a.capacity = b.capacity, a.autoShrink = b.autoShrink;
    b.data = data, b.count = count, b.capacity = capacity, b.autoShrink = autoShrink;
}

} // namespace

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
    for (auto& stage : parkedMembers) {
        for (Array<StringMapEntry<Type>*>& members : stage)
            members.DeleteAll();
    }
    membersStage = -1;
}

void ParseContext::BringInterfaceMembers(uint32_t stage)
{
    if (stage >= static_cast<uint32_t>(kShaderStageCount) || membersStage == static_cast<int32_t>(stage))
        return;
    int32_t index = 0;
    for (const char* name : kInterfaceStructures) {
        StringMap<Type>* members = FindStructure(name);
        if (members) {
            if (membersStage >= 0)
                SwapEntries(members->entries, parkedMembers[membersStage][index]);
            SwapEntries(members->entries, parkedMembers[stage][index]);
        }
        ++index;
    }
    membersStage = static_cast<int32_t>(stage);
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

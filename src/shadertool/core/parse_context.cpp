#include "shadertool/core/parse_context.h"

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
    errorLog->AppendSourceError(sourceName.text, position.line, position.column, message);
}

void ParseContext::DestroyNodes()
{
    for (int32_t i = 0; i < nodes.count; ++i)
        DestroyNode(nodes.data[i]);
    nodes.count = 0;
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

} // namespace ShaderTool

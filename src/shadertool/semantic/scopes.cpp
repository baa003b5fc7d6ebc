#include "shadertool/semantic/semantic_internal.h"

#include "shadertool/core/text_hash.h"

#include <cstring>

namespace ShaderTool {

namespace {

bool SameName(const SymbolNode* symbol, const char* name)
{
    return symbol && symbol->name.text && symbol->name.text[0] == name[0] && SameText(symbol->name.text, name);
}

bool HasName(const char* name)
{
    return name && name[0] != '\0';
}

} // namespace

SymbolNode* FindSymbol(const ParseContext& context, const char* name)
{
    if (!HasName(name))
        return nullptr;
    // Names cannot be hidden by inner scopes, so the first match is the only one.
    for (int32_t i = 0; i < context.symbols.count; ++i) {
        if (SameName(context.symbols.data[i], name))
            return context.symbols.data[i];
    }
    return nullptr;
}

bool DeclareSymbol(ParseContext& context, SymbolNode* symbol)
{
    if (!symbol || !HasName(symbol->name.text))
        return false;
    if (FindSymbol(context, symbol->name.text)) {
        context.ReportError(symbol->Position(), "symbol '%s' already has a declaration.", symbol->name.text);
        return false;
    }
    if (context.scopeMarks.count == 0)
        context.scopeMarks.Add(0);
    context.symbols.Add(symbol);
    ++context.scopeMarks.data[context.scopeMarks.count - 1];
    return true;
}

void PushScope(ParseContext& context)
{
    context.scopeMarks.Add(0);
}

void PopScope(ParseContext& context)
{
    // The global scope lives until the unit is reset; an unbalanced pop must not take it.
    if (context.scopeMarks.count <= 1)
        return;
    int32_t declared = context.scopeMarks.data[context.scopeMarks.count - 1];
    for (int32_t i = 0; i < declared && context.symbols.count > 0; ++i)
        context.symbols.RemoveLast();
    context.scopeMarks.RemoveLast();
}

SymbolNode* ReferenceIdentifier(ParseContext& context, const SourceName& name, const SourcePosition& position)
{
    if (SymbolNode* declaration = FindSymbol(context, name.text))
        return declaration;
    context.ReportError(position, "undeclared identifier '%s'.", name.text);
    return CreateSymbolNode(context, Type(), "", position);
}

} // namespace ShaderTool

#pragma once

// What the semantic action files share among themselves; the parser and the driver use
// semantic_actions.h only.

#include "shadertool/semantic/semantic_actions.h"

namespace ShaderTool {

class ShaderDescription;

// Declares symbol in the innermost scope unless a symbol of its name is visible in any
// open scope ("symbol '%s' already has a declaration."). A symbol with an empty name is
// never declared. Answers whether it was declared.
bool DeclareSymbol(ParseContext& context, SymbolNode* symbol);

// The visible declaration of name, searched from the outermost scope; null when none.
SymbolNode* FindSymbol(const ParseContext& context, const char* name);

// The function table's entry of a signature key, or null: the first entry with the key, as
// the map's own search finds it, through the index of the built-in entries.
StringMapEntry<FunctionNode*>* FindFunctionEntry(ParseContext& context, const char* key);

// Indexes the first count entries of the function table, the built-in ones, by callee
// name. The function table changes in front of them only when the built-ins are entered
// again, which indexes them again; a count the index cannot hold leaves it empty, and the
// lookups search the table through.
void IndexBuiltInCallees(ParseContext& context, int32_t count);

// A Symbol of one of the interface structures ("input" of "_Input" ...), const.
SymbolNode* CreateStructureSymbol(ParseContext& context, const char* structureName, const char* symbolName);

// Fills "_Input", "_Output" and "_Texture" for the stage, declares "texture" (pixel stage)
// and the stage's constants, and lists the vertex outputs still to be set.
void SetUpInterface(ParseContext& context, const ShaderDescription& description, uint32_t stage);

// Steps of CheckTranslationUnit before the parse: the reset, the built-in functions in the
// function table, the stage, and the interface set up from description.
void BeginTranslationUnit(ParseContext& context, const ShaderDescription& description, uint32_t stage);

// Declares a variable of an already converted type (DeclareVariable and AddDeclarator).
Node* DeclareVariableOfType(ParseContext& context, const SourceName& name, Node* initializer,
                            const SourcePosition& assignPosition, Type type);

// The checks after a successful parse, in report order: no recursion, main defined,
// referenced prototypes defined, vertex outputs set.
void FinishTranslationUnit(ParseContext& context);

// "recursive call of function '%s' is not allowed." at the first call found that closes a
// cycle of the source's functions.
void CheckRecursion(ParseContext& context);

// IsSameType and also the array size, qualifiers and constness: what is kept or shared in
// place of a new member must be indistinguishable from it.
inline bool SameTypeExactly(const Type& a, const Type& b)
{
    return a.IsSameType(b) && a.arraySize == b.arraySize && a.qualifiers == b.qualifiers &&
           a.isConstant == b.isConstant;
}

inline SourcePosition PositionOf(const SourceName& token)
{
    return SourcePosition{token.column, token.line};
}

} // namespace ShaderTool

// Stand-ins for the semantic actions the grammar calls, until the semantic branch's bodies
// are merged. They build the bare tree without any check.
#include "shadertool/semantic/semantic_actions.h"

namespace ShaderTool {

Type TypeSpecifier::ToType() const { return matrixSize >= 1 ? Type::MakeMatrix(matrixSize, qualifiers, arraySize) : baseKind == kBaseTexture ? Type::MakeTexture(textureDimension) : Type(baseKind, vectorSize, qualifiers, arraySize); }
TypeSpecifier TypeSpecifierForKeyword(int32_t tokenKind) { TypeSpecifier type; type.baseKind = tokenKind == kTokenVoid ? kBaseVoid : tokenKind == kTokenBool ? kBaseBool : (tokenKind >= kTokenInt && tokenKind <= kTokenInt4) ? kBaseInt : kBaseFloat; type.vectorSize = 1; return type; }
void SetRoot(ParseContext& context, ListNode* list) { context.root = list; }
void PushScope(ParseContext&) {}
void PopScope(ParseContext&) {}
SymbolNode* ReferenceIdentifier(ParseContext& context, const Token& name, const SourcePosition& position) { return CreateSymbolNode(context, Type(), name.text, position); }
void CheckParameter(ParseContext&, Node*) {}
FunctionNode* DeclareFunction(ParseContext&, FunctionNode* function, bool isDefinition) { function->isDefined = isDefinition; return function; }
void BeginFunctionBody(ParseContext& context, FunctionNode* function) { context.currentFunction = function; }
void EndFunctionBody(ParseContext& context) { context.currentFunction = nullptr; }
void CheckReturn(ParseContext&, BranchNode*) {}
void CheckArrayDeclarator(ParseContext&, TypeSpecifier&, ListNode*, const SourcePosition&) {}
Node* DeclareVariable(ParseContext& context, const Token& name, Node* initializer, const SourcePosition& assignPosition, const TypeSpecifier& type) { SymbolNode* symbol = CreateSymbolNode(context, type.ToType(), name.text, SourcePosition{name.column, name.line}); if (!initializer) return symbol; OperatorNode* node = CreateOperatorNode(context, kOpAssign, assignPosition); node->left = symbol; node->right = initializer; return node; }
ListNode* AddDeclarator(ParseContext& context, Node* previous, const Token& name, Node* initializer, const SourcePosition& assignPosition) { ListNode* list = previous && previous->kind == kNodeList ? static_cast<ListNode*>(previous) : CreateListNode(context, kOpDeclarationList); if (list != previous) AppendToList(list, previous); AppendToList(list, DeclareVariable(context, name, initializer, assignPosition, TypeSpecifier())); return list; }
LiteralNode* MakeLiteral(ParseContext& context, uint32_t baseKind, const char* text, const SourcePosition& position) { return CreateLiteralNode(context, baseKind, text, position); }
FunctionNode* BeginCall(ParseContext& context, const Token& identifier, const SourcePosition& position) { return CreateFunctionNode(context, kNodeCall, kOpFunction, identifier.text, position); }
FunctionNode* BeginCall(ParseContext& context, const TypeSpecifier& type, const SourcePosition& position) { return CreateFunctionNode(context, kNodeCall, type.constructorId, "constructor", position); }
void ResolveCall(ParseContext&, FunctionNode*) {}
void CheckOperator(ParseContext&, OperatorNode* node, Node* left, Node* right) { node->left = left; node->right = right; }
void CheckIndex(ParseContext&, OperatorNode* node, Node* base, Node* index) { node->left = base; node->right = index; }
void SelectMember(ParseContext& context, OperatorNode* node, Node* base, const Token& member) { node->left = base; node->right = CreateSymbolNode(context, Type(), member.text, SourcePosition{member.column, member.line}); }
Node* CheckCondition(ParseContext&, Node* condition) { return condition; }
void CheckPixelOnly(ParseContext&, const SourcePosition&) {}

} // namespace ShaderTool

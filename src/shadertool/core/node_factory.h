#pragma once

#include "shadertool/core/node.h"
#include "shadertool/core/shader_type.h"
#include "shadertool/core/source_position.h"

#include <cstdint>

namespace ShaderTool {

struct ParseContext;

// Node makers: each allocates the node, fills it, copies the position and appends the
// node to the context's node list, which owns it from then on.

ListNode* CreateListNode(ParseContext& context, uint32_t op, const SourcePosition& position = SourcePosition());
// A null list or child is ignored.
void AppendToList(ListNode* list, Node* child);
void MarkAsBlock(ListNode* list);

// kind is kNodeFunction or kNodeCall; the empty parameter or argument list (op 48) is
// made as children[0].
FunctionNode* CreateFunctionNode(ParseContext& context, uint32_t kind, uint32_t op, const char* name,
                                 const SourcePosition& position);

// A null body becomes an empty block.
LoopNode* CreateLoopNode(ParseContext& context, uint32_t form, Node* init, Node* condition, Node* increment,
                         Node* body, const SourcePosition& position);

BranchNode* CreateBranchNode(ParseContext& context, uint32_t op, Node* value, const SourcePosition& position);

// A Float literal's text gets an "f" appended unless it already ends in 'f' or 'F'.
LiteralNode* CreateLiteralNode(ParseContext& context, uint32_t baseKind, const char* text,
                               const SourcePosition& position);

// Type None, no operands yet: operator resolution fills them.
OperatorNode* CreateOperatorNode(ParseContext& context, uint32_t op, const SourcePosition& position);

// A null then-branch becomes an empty block.
IfNode* CreateIfNode(ParseContext& context, Node* condition, Node* thenBranch, Node* elseBranch,
                     const SourcePosition& position);

SymbolNode* CreateSymbolNode(ParseContext& context, const Type& type, const char* name,
                             const SourcePosition& position);

} // namespace ShaderTool

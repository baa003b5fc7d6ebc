#include "shadertool/core/node.h"

namespace ShaderTool {

ListNode* FunctionNode::Parameters() const
{
    if (children.count < 1 || !children.data[0] || children.data[0]->kind != kNodeList)
        return nullptr;
    return static_cast<ListNode*>(children.data[0]);
}

void DestroyNode(Node* node)
{
    if (!node)
        return;
    switch (node->kind) {
    case kNodeList:
        delete static_cast<ListNode*>(node);
        return;
    case kNodeFunction:
    case kNodeCall:
        delete static_cast<FunctionNode*>(node);
        return;
    case kNodeLoop:
        delete static_cast<LoopNode*>(node);
        return;
    case kNodeBranch:
        delete static_cast<BranchNode*>(node);
        return;
    case kNodeLiteral:
        delete static_cast<LiteralNode*>(node);
        return;
    case kNodeOperator:
        delete static_cast<OperatorNode*>(node);
        return;
    case kNodeIf:
        delete static_cast<IfNode*>(node);
        return;
    case kNodeSymbol:
        delete static_cast<SymbolNode*>(node);
        return;
    default:
        // Every node is made as one of the kinds above; an unknown kind means the
        // record was overwritten, and deleting it as anything would corrupt the heap.
        return;
    }
}

Type* GetNodeType(Node* node)
{
    if (!node)
        return nullptr;
    switch (node->kind) {
    case kNodeList:
    case kNodeFunction:
    case kNodeCall:
        return &static_cast<ListNode*>(node)->type;
    case kNodeLiteral:
        return &static_cast<LiteralNode*>(node)->type;
    case kNodeOperator:
        return &static_cast<OperatorNode*>(node)->type;
    case kNodeSymbol:
        return &static_cast<SymbolNode*>(node)->type;
    default:
        return nullptr;
    }
}

const Type* GetNodeType(const Node* node)
{
    return GetNodeType(const_cast<Node*>(node));
}

} // namespace ShaderTool

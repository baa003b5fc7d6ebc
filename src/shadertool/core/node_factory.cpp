#include "shadertool/core/node_factory.h"

#include "shadertool/core/parse_context.h"

#include <cstring>

namespace ShaderTool {

namespace {

template <typename T>
T* Adopt(ParseContext& context, T* node, const SourcePosition& position)
{
    node->SetPosition(position);
    context.nodes.Add(node);
    return node;
}

ListNode* CreateEmptyBlock(ParseContext& context, const SourcePosition& position)
{
    ListNode* block = CreateListNode(context, kOpStatementList, position);
    MarkAsBlock(block);
    return block;
}

bool EndsInFloatSuffix(const char* text)
{
    size_t length = text ? strlen(text) : 0;
    return length > 0 && (text[length - 1] == 'f' || text[length - 1] == 'F');
}

} // namespace

ListNode* CreateListNode(ParseContext& context, uint32_t op, const SourcePosition& position)
{
    ListNode* list = new ListNode();
    list->op = op;
    return Adopt(context, list, position);
}

void AppendToList(ListNode* list, Node* child)
{
    if (!list || !child)
        return;
    list->children.Add(child);
}

void MarkAsBlock(ListNode* list)
{
    if (list)
        list->isBlock = 1;
}

FunctionNode* CreateFunctionNode(ParseContext& context, uint32_t kind, uint32_t op, const char* name,
                                 const SourcePosition& position)
{
    FunctionNode* function = new FunctionNode(kind == kNodeCall ? kNodeCall : kNodeFunction);
    function->op = op;
    function->name.Assign(name);
    Adopt(context, function, position);
    function->children.Add(CreateListNode(context, kOpStatementList, position));
    return function;
}

LoopNode* CreateLoopNode(ParseContext& context, uint32_t form, Node* init, Node* condition, Node* increment,
                         Node* body, const SourcePosition& position)
{
    LoopNode* loop = new LoopNode();
    loop->form = form;
    loop->init = init;
    loop->condition = condition;
    loop->increment = increment;
    Adopt(context, loop, position);
    loop->body = body ? body : CreateEmptyBlock(context, position);
    return loop;
}

BranchNode* CreateBranchNode(ParseContext& context, uint32_t op, Node* value, const SourcePosition& position)
{
    BranchNode* branch = new BranchNode();
    branch->op = op;
    branch->value = value;
    return Adopt(context, branch, position);
}

LiteralNode* CreateLiteralNode(ParseContext& context, uint32_t baseKind, const char* text,
                               const SourcePosition& position)
{
    LiteralNode* literal = new LiteralNode();
    literal->type = Type(baseKind, 1);
    literal->type.isConstant = 1;
    literal->text.Assign(text ? text : "");
    if (baseKind == kBaseFloat && !EndsInFloatSuffix(text))
        literal->text.Append("f");
    return Adopt(context, literal, position);
}

OperatorNode* CreateOperatorNode(ParseContext& context, uint32_t op, const SourcePosition& position)
{
    OperatorNode* node = new OperatorNode();
    node->op = op;
    return Adopt(context, node, position);
}

IfNode* CreateIfNode(ParseContext& context, Node* condition, Node* thenBranch, Node* elseBranch,
                     const SourcePosition& position)
{
    IfNode* node = new IfNode();
    node->condition = condition;
    node->elseBranch = elseBranch;
    Adopt(context, node, position);
    node->thenBranch = thenBranch ? thenBranch : CreateEmptyBlock(context, position);
    return node;
}

SymbolNode* CreateSymbolNode(ParseContext& context, const Type& type, const char* name,
                             const SourcePosition& position)
{
    SymbolNode* symbol = new SymbolNode();
    symbol->type = type;
    symbol->name.Assign(name);
    return Adopt(context, symbol, position);
}

} // namespace ShaderTool

#include "shadertool/core/node.h"

#include "shadertool/core/builtin_functions.h"
#include "shadertool/core/context.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>

namespace ShaderTool {

ListNode* FunctionNode::Parameters() const
{
    if (children.count < 1 || !children.data[0] || children.data[0]->kind != kNodeList)
        return nullptr;
    return static_cast<ListNode*>(children.data[0]);
}

namespace {

// The texts a node keeps in the store: they go with the store, not with the node.
void LeaveStoreTexts(Node* node)
{
    switch (node->kind) {
    case kNodeList:
    case kNodeFunction:
    case kNodeCall:
        static_cast<ListNode*>(node)->name.text = nullptr;
        return;
    case kNodeLiteral:
        static_cast<LiteralNode*>(node)->text.text = nullptr;
        return;
    case kNodeSymbol:
        static_cast<SymbolNode*>(node)->name.text = nullptr;
        return;
    default:
        return;
    }
}

// Whether a node made in the store holds anything of the heap: a structure type's name,
// a text or signature key of its own, children grown on the heap. Most hold nothing, and
// their destruction would only call the allocator with nothing to free.
bool HoldsHeapMemory(const Node* node)
{
    const Type* type = GetNodeType(node);
    if (type && type->name.text)
        return true;
    const bool textsInStore = (node->inStore & kNodeTextInStore) != 0;
    switch (node->kind) {
    case kNodeList:
    case kNodeFunction:
    case kNodeCall: {
        const ListNode* list = static_cast<const ListNode*>(node);
        if ((list->name.text && !textsInStore) || (list->children.data && !list->children.store))
            return true;
        return node->kind != kNodeList && static_cast<const FunctionNode*>(node)->signatureKey.text;
    }
    case kNodeLiteral:
        return static_cast<const LiteralNode*>(node)->text.text && !textsInStore;
    case kNodeSymbol:
        return static_cast<const SymbolNode*>(node)->name.text && !textsInStore;
    default:
        return false;
    }
}

template <typename T>
void DestroyAs(Node* node)
{
    T* typed = static_cast<T*>(node);
    if (!(node->inStore & kNodeInStore)) {
        delete typed;
        return;
    }
    if (!HoldsHeapMemory(node))
        return;
    if (node->inStore & kNodeTextInStore)
        LeaveStoreTexts(node);
    typed->~T();
}

// Pieces are rounded to this, and block data starts on it.
const size_t kNodeAlignment = 8;
// A block's header (next, capacity, used) rounded up.
const size_t kBlockHeaderBytes = (sizeof(void*) + 2 * sizeof(size_t) + kNodeAlignment - 1) & ~(kNodeAlignment - 1);
const size_t kNodeBlockBytes = 32 * 1024;

} // namespace

void DestroyNode(Node* node)
{
    if (!node)
        return;
    switch (node->kind) {
    case kNodeList:
        DestroyAs<ListNode>(node);
        return;
    case kNodeFunction:
    case kNodeCall:
        DestroyAs<FunctionNode>(node);
        return;
    case kNodeLoop:
        DestroyAs<LoopNode>(node);
        return;
    case kNodeBranch:
        DestroyAs<BranchNode>(node);
        return;
    case kNodeLiteral:
        DestroyAs<LiteralNode>(node);
        return;
    case kNodeOperator:
        DestroyAs<OperatorNode>(node);
        return;
    case kNodeIf:
        DestroyAs<IfNode>(node);
        return;
    case kNodeSymbol:
        DestroyAs<SymbolNode>(node);
        return;
    default:
        // Every node is made as one of the kinds above; an unknown kind means the
        // record was overwritten, and deleting it as anything would corrupt the heap.
        return;
    }
}

NodeChildren::NodeChildren(const NodeChildren& other)
{
    *this = other;
}

NodeChildren& NodeChildren::operator=(const NodeChildren& other)
{
    if (this == &other)
        return *this;
    count = 0;
    for (int32_t i = 0; i < other.count; ++i)
        Add(other.data[i]);
    return *this;
}

NodeChildren::~NodeChildren()
{
    if (!store)
        free(data);
}

bool NodeChildren::Add(Node* child)
{
    if (count == capacity) {
        const int64_t grown = capacity < 4 ? 4 : 2 * static_cast<int64_t>(capacity);
        if (grown > INT32_MAX / static_cast<int64_t>(sizeof(Node*)))
            return false;
        const size_t bytes = static_cast<size_t>(grown) * sizeof(Node*);
        Node** fresh = nullptr;
        if (store) {
            fresh = static_cast<Node**>(store->Allocate(bytes));
            if (fresh && count > 0)
                memcpy(fresh, data, static_cast<size_t>(count) * sizeof(Node*));
        } else {
            fresh = static_cast<Node**>(realloc(data, bytes));
        }
        if (!fresh)
            return false;
        data = fresh;
        capacity = static_cast<int32_t>(grown);
    }
    data[count++] = child;
    return true;
}

void NodeChildren::RemoveAt(int32_t index)
{
    if (index < 0 || index >= count)
        return;
    memmove(data + index, data + index + 1, static_cast<size_t>(count - index - 1) * sizeof(Node*));
    --count;
}

NodeStore::~NodeStore()
{
    for (Block* list : {blocks, spare}) {
        while (list) {
            Block* next = list->next;
            free(list);
            list = next;
        }
    }
}

void* NodeStore::Allocate(size_t size)
{
    size = (size + kNodeAlignment - 1) & ~(kNodeAlignment - 1);
    if (!blocks || blocks->capacity - blocks->used < size) {
        size_t capacity = size > kNodeBlockBytes ? size : kNodeBlockBytes;
        Block* block = nullptr;
        if (spare && capacity == kNodeBlockBytes) {
            block = spare;
            spare = spare->next;
            --spareCount;
        } else {
            block = static_cast<Block*>(malloc(kBlockHeaderBytes + capacity));
        }
        if (!block)
            return nullptr;
        block->next = blocks;
        block->capacity = capacity;
        block->used = 0;
        blocks = block;
    }
    void* piece = reinterpret_cast<char*>(blocks) + kBlockHeaderBytes + blocks->used;
    blocks->used += size;
    return piece;
}

char* NodeStore::CopyText(const char* text, size_t length, size_t extra)
{
    char* copy = static_cast<char*>(Allocate(length + extra + 1));
    if (!copy)
        return nullptr;
    memcpy(copy, text, length);
    copy[length + extra] = '\0';
    return copy;
}

void NodeStore::Reset()
{
    if (!blocks)
        return;
    // The blocks of ordinary size are kept for the next parse, up to a few; the rest go.
    Block* rest = blocks->next;
    while (rest) {
        Block* next = rest->next;
        if (rest->capacity == kNodeBlockBytes && spareCount < kSpareBlocks) {
            rest->next = spare;
            spare = rest;
            ++spareCount;
        } else {
            free(rest);
        }
        rest = next;
    }
    blocks->next = nullptr;
    blocks->used = 0;
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

void PushNode(Array<PendingNode>& pending, Node* node, int32_t depth)
{
    if (node)
        pending.Add(PendingNode{node, depth});
}

void PushChildren(Array<PendingNode>& pending, const Node* node, int32_t depth)
{
    switch (node->kind) {
    case kNodeList:
    case kNodeFunction:
    case kNodeCall: {
        const ListNode* list = static_cast<const ListNode*>(node);
        for (int32_t i = 0; i < list->children.count; ++i)
            PushNode(pending, list->children.data[i], depth);
        return;
    }
    case kNodeLoop: {
        const LoopNode* loop = static_cast<const LoopNode*>(node);
        PushNode(pending, loop->init, depth);
        PushNode(pending, loop->condition, depth);
        PushNode(pending, loop->increment, depth);
        PushNode(pending, loop->body, depth);
        return;
    }
    case kNodeBranch:
        PushNode(pending, static_cast<const BranchNode*>(node)->value, depth);
        return;
    case kNodeOperator:
        PushNode(pending, static_cast<const OperatorNode*>(node)->left, depth);
        PushNode(pending, static_cast<const OperatorNode*>(node)->right, depth);
        return;
    case kNodeIf:
        PushNode(pending, static_cast<const IfNode*>(node)->condition, depth);
        PushNode(pending, static_cast<const IfNode*>(node)->thenBranch, depth);
        PushNode(pending, static_cast<const IfNode*>(node)->elseBranch, depth);
        return;
    default:
        return;
    }
}

int32_t MeasureTreeDepth(const Node* root)
{
    Array<PendingNode> pending;
    PushNode(pending, const_cast<Node*>(root), 1);
    int32_t deepest = 0;
    while (pending.count > 0) {
        const PendingNode current = pending.data[--pending.count];
        if (current.depth > deepest)
            deepest = current.depth;
        PushChildren(pending, current.node, current.depth + 1);
    }
    return deepest;
}

namespace {

// A list made in the store keeps its children there too.
void AdoptChildren(ParseContext& context, ListNode* list)
{
    if (list->inStore & kNodeInStore)
        list->children.store = &context.nodeStore;
}
void AdoptChildren(ParseContext&, Node*) {}

// A node made in the context's store, or on the heap when the store has no memory left.
template <typename T, typename... Arguments>
T* MakeNode(ParseContext& context, Arguments... arguments)
{
    void* place = context.nodeStore.Allocate(sizeof(T));
    if (!place)
        return new T(arguments...);
    T* node = new (place) T(arguments...);
    node->inStore = kNodeInStore;
    return node;
}

// Gives node's String text a copy of source: in the store beside a node made there (most
// nodes carry a name or text, and a heap block for each cost a good part of a parse),
// else on the heap.
void AssignNodeText(ParseContext& context, Node* node, String& text, const char* source)
{
    if (!source) {
        text.Assign(nullptr);
        return;
    }
    if (node->inStore & kNodeInStore) {
        if (char* copy = context.nodeStore.CopyText(source, strlen(source))) {
            text.text = copy;
            node->inStore |= kNodeTextInStore;
            return;
        }
    }
    text.Assign(source);
}

template <typename T>
T* Adopt(ParseContext& context, T* node, const SourcePosition& position)
{
    AdoptChildren(context, node);
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
    ListNode* list = MakeNode<ListNode>(context);
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
    FunctionNode* function = MakeNode<FunctionNode>(context, kind == kNodeCall ? kNodeCall : kNodeFunction);
    function->op = op;
    AssignNodeText(context, function, function->name, name);
    Adopt(context, function, position);
    function->children.Add(CreateListNode(context, kOpStatementList, position));
    return function;
}

LoopNode* CreateLoopNode(ParseContext& context, uint32_t form, Node* init, Node* condition, Node* increment,
                         Node* body, const SourcePosition& position)
{
    LoopNode* loop = MakeNode<LoopNode>(context);
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
    BranchNode* branch = MakeNode<BranchNode>(context);
    branch->op = op;
    branch->value = value;
    return Adopt(context, branch, position);
}

LiteralNode* CreateLiteralNode(ParseContext& context, uint32_t baseKind, const char* text,
                               const SourcePosition& position)
{
    LiteralNode* literal = MakeNode<LiteralNode>(context);
    literal->type = Type(baseKind, 1);
    literal->type.isConstant = 1;
    // One piece for the text and the suffix it may need.
    const size_t length = text ? strlen(text) : 0;
    const bool suffixed = baseKind == kBaseFloat && !EndsInFloatSuffix(text);
    char* copy = (literal->inStore & kNodeInStore) ? context.nodeStore.CopyText(text ? text : "", length, suffixed)
                                                   : nullptr;
    if (copy) {
        literal->inStore |= kNodeTextInStore;
    } else {
        copy = static_cast<char*>(malloc(length + (suffixed ? 2 : 1)));
        if (copy) {
            memcpy(copy, text ? text : "", length);
            copy[length + (suffixed ? 1 : 0)] = '\0';
        }
    }
    if (copy && suffixed)
        copy[length] = 'f';
    literal->text.text = copy;
    return Adopt(context, literal, position);
}

OperatorNode* CreateOperatorNode(ParseContext& context, uint32_t op, const SourcePosition& position)
{
    OperatorNode* node = MakeNode<OperatorNode>(context);
    node->op = op;
    return Adopt(context, node, position);
}

IfNode* CreateIfNode(ParseContext& context, Node* condition, Node* thenBranch, Node* elseBranch,
                     const SourcePosition& position)
{
    IfNode* node = MakeNode<IfNode>(context);
    node->condition = condition;
    node->elseBranch = elseBranch;
    Adopt(context, node, position);
    node->thenBranch = thenBranch ? thenBranch : CreateEmptyBlock(context, position);
    return node;
}

SymbolNode* CreateSymbolNode(ParseContext& context, const Type& type, const char* name,
                             const SourcePosition& position)
{
    SymbolNode* symbol = MakeNode<SymbolNode>(context);
    symbol->type = type;
    AssignNodeText(context, symbol, symbol->name, name);
    return Adopt(context, symbol, position);
}

namespace {

uint32_t FloatConstructorFor(int32_t vectorSize)
{
    switch (vectorSize) {
    case 0:
    case 1:
        return kConstructorFloat;
    case 2:
        return kConstructorFloat2;
    case 3:
        return kConstructorFloat3;
    case 4:
        return kConstructorFloat4;
    default:
        return kNoConstructor;
    }
}

void ConvertLiteral(ParseContext& context, LiteralNode* literal, const Type& target)
{
    // Decimal, or octal and hexadecimal by their C prefixes; an out-of-range value
    // saturates instead of wrapping.
    long long value = literal->text.text ? strtoll(literal->text.text, nullptr, 0) : 0;
    String converted = String::FromFormat("%ff", static_cast<double>(static_cast<float>(value)));
    if (literal->inStore & kNodeTextInStore) {
        // The old text stays in the store; the new one joins it.
        literal->text.text = nullptr;
        literal->inStore &= static_cast<uint8_t>(~kNodeTextInStore);
    }
    AssignNodeText(context, literal, literal->text, converted.text);
    literal->type = target;
    literal->type.isConstant = 1;
}

} // namespace

Node* ConvertToFloat(ParseContext& context, Node* expression, const Type& target)
{
    if (!expression)
        return nullptr;
    if (expression->kind == kNodeLiteral) {
        ConvertLiteral(context, static_cast<LiteralNode*>(expression), target);
        return expression;
    }

    const char* constantName = target.GetConstantName();
    String typeName = constantName ? String() : target.GetName(false);
    FunctionNode* call = CreateFunctionNode(context, kNodeCall, FloatConstructorFor(target.vectorSize),
                                            constantName ? constantName : typeName.text, expression->Position());
    call->isBuiltIn = 1;
    AppendToList(call->Parameters(), expression);
    return call;
}

} // namespace ShaderTool

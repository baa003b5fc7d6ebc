#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "shadertool/core/operator_table.h"
#include "shadertool/core/shader_type.h"

#include <cstddef>
#include <cstdint>

namespace ShaderTool {

struct ParseContext;

// Where a token or node starts: the column (from 1, a tab counting as 4) and the line,
// as the tokenizer counts them. Line 0, column 0 stands for "no position".
struct SourcePosition {
    int32_t column = 0;
    int32_t line = 0;
};

enum NodeKind : uint32_t {
    kNodeList = 0,
    kNodeFunction = 1,
    kNodeCall = 2,
    kNodeLoop = 3,
    kNodeBranch = 4,
    kNodeLiteral = 5,
    kNodeOperator = 6,
    kNodeIf = 7,
    kNodeSymbol = 8,
};

// Node::inStore bits.
const uint8_t kNodeInStore = 1;       // the node was made in its context's NodeStore, destroyed in place
const uint8_t kNodeTextInStore = 2;   // its name (a Literal's text) lies in the store too, never freed alone

// Node flag bits.
const uint32_t kNodeFlagRepeatedSwizzle = 1;        // base of a swizzle that repeats a component
const uint32_t kNodeFlagDeclarationInitializer = 2; // "=" made by a declaration with initializer
const uint32_t kNodeFlagWritesInputs = 4;           // a main whose body changes a member of "input"

enum LoopForm : uint32_t {
    kLoopDoWhile = 0,
    kLoopFor = 1,
    kLoopWhile = 2,
};

// A syntax-tree node. Nodes never own the nodes they point to: every node belongs to
// the parse context's node list (or, for the built-in functions, to their table), and
// destroying one releases only its own strings and arrays. Destroy through DestroyNode,
// which deletes the node as its kind.
struct Node {
    uint32_t flags = 0;
    int32_t column = 0;
    int32_t line = 0;
    uint32_t kind;
    uint8_t inStore = 0; // kInStore bits: where the node and its texts were made

    explicit Node(uint32_t nodeKind) : kind(nodeKind) {}
    SourcePosition Position() const { return SourcePosition{column, line}; }
    void SetPosition(const SourcePosition& position)
    {
        column = position.column;
        line = position.line;
    }
};

class NodeStore;

// The children of a List, Function or Call node, in order: data and count as an Array's.
// A node made in its context's NodeStore keeps them there too (most lists hold one to a
// few nodes, and a heap block for each cost a good part of a parse); a piece outgrown
// there stays until the store's next Reset. Any other node keeps them on the heap. A copy
// is always on the heap.
struct NodeChildren {
    Node** data = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
    NodeStore* store = nullptr;   // where data grows; null for the heap

    NodeChildren() = default;
    NodeChildren(const NodeChildren& other);
    NodeChildren& operator=(const NodeChildren& other);
    ~NodeChildren();

    // False when the memory was not there (the child is then not added).
    bool Add(Node* child);
    void RemoveAt(int32_t index);
};

// Kind 0: statement list (op 48) or declaration list (op 49). A declaration list's type
// is the declared type.
struct ListNode : Node {
    Type type;
    uint32_t op = kOpStatementList;
    NodeChildren children;
    String name;
    uint8_t isBlock = 0;   // a compound statement in braces

    ListNode() : Node(kNodeList) {}

protected:
    explicit ListNode(uint32_t nodeKind) : Node(nodeKind) {}
};

// Kinds 1 (Function) and 2 (Call). children[0] is the parameter or argument list (a
// List of op 48); a defined function's body follows it. op is 47, or a call's built-in
// function id once it resolves to a built-in.
struct FunctionNode : ListNode {
    String signatureKey;
    int32_t referenceCount = 0;
    uint8_t isBuiltIn = 0;
    uint8_t isDefined = 0;

    FunctionNode() : ListNode(kNodeFunction) {}
    explicit FunctionNode(uint32_t nodeKind) : ListNode(nodeKind) {}

    // The parameter or argument list, or null when there is none.
    ListNode* Parameters() const;
};

struct LoopNode : Node {
    Node* body = nullptr;       // a single statement, or a List of op 48 or 49
    Node* init = nullptr;
    Node* increment = nullptr;
    Node* condition = nullptr;
    uint32_t form = kLoopFor;

    LoopNode() : Node(kNodeLoop) {}
};

// break (43), continue (44), discard (45), return (46).
struct BranchNode : Node {
    Node* value = nullptr;
    uint32_t op = kOpReturn;

    BranchNode() : Node(kNodeBranch) {}
};

struct LiteralNode : Node {
    Type type;     // the literal's base kind, vectorSize 1, constant
    String text;   // as written; a float literal always ends in 'f' or 'F'

    LiteralNode() : Node(kNodeLiteral) {}
};

struct OperatorNode : Node {
    Type type;     // the result type, set by operator resolution
    Node* left = nullptr;
    Node* right = nullptr;
    uint32_t op = 0;   // OperatorId

    OperatorNode() : Node(kNodeOperator) {}
};

struct IfNode : Node {
    Node* condition = nullptr;
    Node* elseBranch = nullptr;
    Node* thenBranch = nullptr;

    IfNode() : Node(kNodeIf) {}
};

struct SymbolNode : Node {
    Type type;
    String name;
    uint8_t isDescriptionConstant = 0;   // declared from the Shader XML description

    SymbolNode() : Node(kNodeSymbol) {}
};

// Deletes the node as its kind (a null node is ignored). Only the node's own strings and
// arrays go; the nodes it points to stay. A node of a NodeStore is destroyed in place and
// its memory goes with the store's next Reset.
void DestroyNode(Node* node);

// The memory the nodes of one parse are made in. A source makes hundreds of nodes, and a
// heap block for each cost a good part of the parse; the store hands out pieces of large
// blocks instead and keeps one block for the next parse.
class NodeStore {
public:
    NodeStore() = default;
    ~NodeStore();
    NodeStore(const NodeStore&) = delete;
    NodeStore& operator=(const NodeStore&) = delete;

    // Room for size bytes, aligned for any node; null when the memory is not there.
    void* Allocate(size_t size);
    // A copy of the first length characters of text with extra bytes of room after them
    // and a terminator after those; null when the memory is not there.
    char* CopyText(const char* text, size_t length, size_t extra = 0);
    // Takes back every piece; the nodes in them must be destroyed already.
    void Reset();

private:
    struct Block {
        Block* next;
        size_t capacity;
        size_t used;
    };
    Block* blocks = nullptr; // the newest first
    Block* spare = nullptr;  // emptied blocks kept for the next parse
    int32_t spareCount = 0;
    static const int32_t kSpareBlocks = 8;
};

// The node's type for the kinds that carry one (List, Function, Call, Literal, Operator,
// Symbol); null for the others and for a null node.
Type* GetNodeType(Node* node);
const Type* GetNodeType(const Node* node);

// A node met by a walk that keeps its own stack, with its depth (the root's given).
struct PendingNode {
    Node* node;
    int32_t depth;
};

// Pushes node (unless null) at depth.
void PushNode(Array<PendingNode>& pending, Node* node, int32_t depth);
// Pushes the nodes node points to (a list's children, operands, the parts of a loop or an
// if), each at depth.
void PushChildren(Array<PendingNode>& pending, const Node* node, int32_t depth);
// Levels of nodes from root (1) down to its deepest leaf; 0 for a null root. Walked with an
// explicit stack, so any depth is measured.
int32_t MeasureTreeDepth(const Node* root);

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

// Converts an Int expression to the Float type target and answers the node to use in
// its place. A Literal is converted in place (3 becomes 3.000000f, typed as target and
// still constant); any other expression is wrapped in a built-in call of the float
// constructor of target's vector size, which keeps the type None because the enclosing
// expression's type is already settled.
Node* ConvertToFloat(ParseContext& context, Node* expression, const Type& target);

} // namespace ShaderTool

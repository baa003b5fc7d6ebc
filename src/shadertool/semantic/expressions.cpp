#include "shadertool/semantic/semantic_internal.h"

#include "shadertool/core/text_hash.h"

#include <cstdlib>
#include <cstring>

namespace ShaderTool {

namespace {

// The operators that write their left operand.
bool IsAssignment(uint32_t op)
{
    return op == kOpAssign || op == kOpAddAssign || op == kOpSubtractAssign || op == kOpMultiplyAssign ||
           op == kOpDivideAssign || op == kOpModuloAssign;
}

// The bit-wise compound assignments and the increments write their operand as well,
// though the operator table resolves them as ordinary operators.
bool WritesOperand(uint32_t op)
{
    return IsAssignment(op) || (op >= kOpAndAssign && op <= kOpXorAssign) ||
           (op >= kOpPostDecrement && op <= kOpPreIncrement);
}

const char* Text(const String& text)
{
    return text.text ? text.text : "";
}

bool IsScalar(const Type& type)
{
    return type.vectorSize <= 1 && type.matrixSize == 0 && type.arraySize == 0;
}

// Index of a swizzle letter in its set (x y z w or r g b a), the set in *set; -1 when the
// letter is in neither.
int SwizzleComponent(char letter, int* set)
{
    static const char* const kSets[2] = {"xyzw", "rgba"};
    for (int s = 0; s < 2; ++s) {
        const char* found = letter ? strchr(kSets[s], letter) : nullptr;
        if (found) {
            *set = s;
            return static_cast<int>(found - kSets[s]);
        }
    }
    return -1;
}

// Components of a valid swizzle of a vector of vectorSize, with *repeats set when a
// letter comes twice; 0 for anything else.
int ParseSwizzle(const char* text, int32_t vectorSize, bool* repeats)
{
    size_t length = text ? strlen(text) : 0;
    if (length < 1 || length > 4)
        return 0;
    int firstSet = -1;
    bool seen[4] = {false, false, false, false};
    *repeats = false;
    for (size_t i = 0; i < length; ++i) {
        int set = -1;
        int component = SwizzleComponent(text[i], &set);
        if (component < 0 || component >= vectorSize || (firstSet >= 0 && set != firstSet))
            return 0;
        firstSet = set;
        if (seen[component])
            *repeats = true;
        seen[component] = true;
    }
    return static_cast<int>(length);
}

bool IsSwizzleSelection(const OperatorNode* node)
{
    const Type* base = GetNodeType(node->left);
    return base && base->baseKind != kBaseStruct;
}

// A target no compiler refuses: a variable, a member of a writable structure, an element
// or a swizzle without repeated components of one, through any parentheses.
bool IsModifiableLValue(Node* target)
{
    const Type* type = GetNodeType(target);
    if (!type || !type->IsValid() || type->IsConst())
        return false;
    Node* node = target;
    while (node && node->kind == kNodeOperator) {
        OperatorNode* op = static_cast<OperatorNode*>(node);
        if (op->op != kOpParentheses && op->op != kOpMemberSelect && op->op != kOpIndex)
            return false;
        if (op->op == kOpMemberSelect && IsSwizzleSelection(op)) {
            // The repeat is read from the selection itself: the base's mark is shared by
            // every use of a variable.
            const Type* base = GetNodeType(op->left);
            bool repeats = false;
            const char* letters = op->right && op->right->kind == kNodeSymbol
                                      ? static_cast<SymbolNode*>(op->right)->name.text
                                      : nullptr;
            if (!base || ParseSwizzle(letters, base->vectorSize, &repeats) == 0 || repeats)
                return false;
        }
        node = op->left;
    }
    return node && node->kind == kNodeSymbol;
}

// The Symbol an assignment's target selects from, through members, elements and parentheses.
const SymbolNode* TargetSymbol(const Node* target)
{
    while (target && target->kind == kNodeOperator)
        target = static_cast<const OperatorNode*>(target)->left;
    return target && target->kind == kNodeSymbol ? static_cast<const SymbolNode*>(target) : nullptr;
}

// An assignment to a member of "output" sets that vertex output.
void MarkOutputSet(ParseContext& context, Node* target)
{
    Node* last = nullptr;
    Node* node = target;
    while (node && node->kind == kNodeOperator) {
        last = node;
        node = static_cast<OperatorNode*>(node)->left;
    }
    if (!node || node->kind != kNodeSymbol || !last)
        return;
    const SymbolNode* symbol = static_cast<SymbolNode*>(node);
    Node* member = static_cast<OperatorNode*>(last)->right;
    if (!symbol->name.text || strcmp(symbol->name.text, "output") != 0 || !member || member->kind != kNodeSymbol)
        return;
    const char* name = static_cast<SymbolNode*>(member)->name.text;
    for (int32_t i = 0; name && i < context.unsetOutputs.count; ++i) {
        const char* unset = context.unsetOutputs.data[i].text;
        if (unset && strcmp(unset, name) == 0) {
            context.unsetOutputs.RemoveAt(i);
            return;
        }
    }
}

bool StartsWithCallee(const char* key, const char* name, size_t nameLength)
{
    // The first character settles most entries without a library call.
    return key && key[0] == name[0] && strncmp(key, name, nameLength) == 0 && key[nameLength] == ',';
}

bool ArgumentsMatch(const FunctionNode& candidate, const NodeChildren& arguments)
{
    const ListNode* parameters = candidate.Parameters();
    if (!parameters || parameters->children.count != arguments.count)
        return false;
    for (int32_t i = 0; i < arguments.count; ++i) {
        const Type* parameter = GetNodeType(parameters->children.data[i]);
        const Type* argument = GetNodeType(arguments.data[i]);
        if (!parameter || !argument || !OperandMatches(*parameter, *argument, true, false))
            return false;
    }
    return true;
}

// The Symbol naming a selected member: one per name and type in a unit, made at its first
// selection. Nothing changes a member's Symbol once it is made.
SymbolNode* MemberSymbol(ParseContext& context, const Type& type, const SourceName& member)
{
    for (int32_t i = 0; i < context.memberSymbols.count; ++i) {
        SymbolNode* known = context.memberSymbols.data[i];
        if (known->name.text[0] == member.text[0] && SameText(known->name.text, member.text) &&
            SameTypeExactly(known->type, type))
            return known;
    }
    SymbolNode* symbol = CreateSymbolNode(context, type, member.text, PositionOf(member));
    if (symbol->name.text)
        context.memberSymbols.Add(symbol);
    return symbol;
}

// A written constant past either end is refused by every target's compiler.
void CheckWrittenIndex(ParseContext& context, Node* index, int32_t elements)
{
    if (!index || index->kind != kNodeLiteral)
        return;
    long long element = strtoll(Text(static_cast<LiteralNode*>(index)->text), nullptr, 0);
    if (element < 0 || element >= elements)
        context.ReportError(index->Position(), "index is out of range.");
}

} // namespace

LiteralNode* MakeLiteral(ParseContext& context, uint32_t baseKind, const char* text, const SourcePosition& position)
{
    return CreateLiteralNode(context, baseKind, text, position);
}

FunctionNode* BeginCall(ParseContext& context, const SourceName& identifier, const SourcePosition& position)
{
    return CreateFunctionNode(context, kNodeCall, kOpFunction, identifier.text, position);
}

FunctionNode* BeginCall(ParseContext& context, const TypeSpecifier& type, const SourcePosition& position)
{
    const Type made = type.ToType();
    const char* constantName = made.GetConstantName();
    String name = constantName ? String() : made.GetName(false);
    FunctionNode* call =
        CreateFunctionNode(context, kNodeCall, type.constructorId, constantName ? constantName : Text(name), position);
    call->isBuiltIn = 1;
    return call;
}

namespace {

size_t CalleeLength(const char* key)
{
    const char* comma = key ? strchr(key, ',') : nullptr;
    return comma ? static_cast<size_t>(comma - key) : 0;
}

// The first built-in entry named like key's callee, or -1.
int32_t FirstBuiltInNamed(const CalleeIndex& index, const Array<StringMapEntry<FunctionNode*>*>& entries,
                          const char* name, size_t nameLength)
{
    const uint32_t mask = CalleeIndex::kSlots - 1;
    for (uint32_t slot = HashText(name, nameLength) & mask; index.entryCount > 0; slot = (slot + 1) & mask) {
        const int32_t head = index.slots[slot];
        if (head < 0)
            return -1;
        if (StartsWithCallee(entries.data[head]->key.text, name, nameLength))
            return head;
    }
    return -1;
}

} // namespace

void IndexBuiltInCallees(ParseContext& context, int32_t count)
{
    CalleeIndex& index = context.builtInCallees;
    const Array<StringMapEntry<FunctionNode*>*>& entries = context.functions.entries;
    index.entryCount = 0;
    index.next.count = 0;
    // Too many to index leaves the table to be searched through.
    if (count <= 0 || count > entries.count || count > CalleeIndex::kSlots / 2)
        return;
    for (int32_t& slot : index.slots)
        slot = -1;
    for (int32_t i = 0; i < count; ++i)
        index.next.Add(-1);
    const uint32_t mask = CalleeIndex::kSlots - 1;
    // From the last entry down, so that each name's chain runs in table order.
    for (int32_t i = count - 1; i >= 0; --i) {
        const char* key = entries.data[i]->key.text;
        const size_t length = CalleeLength(key);
        for (uint32_t slot = HashText(key, length) & mask;; slot = (slot + 1) & mask) {
            const int32_t head = index.slots[slot];
            if (head < 0) {
                index.slots[slot] = i;
                break;
            }
            const char* headKey = entries.data[head]->key.text;
            if (CalleeLength(headKey) == length && strncmp(headKey, key, length) == 0) {
                index.next.data[i] = head;
                index.slots[slot] = i;
                break;
            }
        }
    }
    index.entryCount = count;
}

StringMapEntry<FunctionNode*>* FindFunctionEntry(ParseContext& context, const char* key)
{
    if (!key)
        return nullptr;
    const CalleeIndex& index = context.builtInCallees;
    const Array<StringMapEntry<FunctionNode*>*>& entries = context.functions.entries;
    const size_t nameLength = CalleeLength(key);
    if (nameLength > 0 || key[0] == ',') {
        for (int32_t i = FirstBuiltInNamed(index, entries, key, nameLength); i >= 0; i = index.next.data[i]) {
            if (strcmp(entries.data[i]->key.text, key) == 0)
                return entries.data[i];
        }
    } else {
        // A key without a comma is no built-in's.
        for (int32_t i = 0; i < index.entryCount; ++i) {
            if (strcmp(entries.data[i]->key.text, key) == 0)
                return entries.data[i];
        }
    }
    for (int32_t i = index.entryCount; i < entries.count; ++i) {
        StringMapEntry<FunctionNode*>* entry = entries.data[i];
        if (entry && entry->key.text && entry->key.text[0] == key[0] && strcmp(entry->key.text, key) == 0)
            return entry;
    }
    return nullptr;
}

void ResolveCall(ParseContext& context, FunctionNode* call)
{
    if (!call)
        return;
    ListNode* argumentList = call->Parameters();
    NodeChildren none;
    NodeChildren& arguments = argumentList ? argumentList->children : none;
    const char* name = Text(call->name);
    size_t nameLength = strlen(name);

    // The candidates in table order: the built-in overloads of the name, then the source's.
    FunctionNode* winner = nullptr;
    int candidates = 0;
    const CalleeIndex& index = context.builtInCallees;
    const Array<StringMapEntry<FunctionNode*>*>& entries = context.functions.entries;
    for (int32_t i = FirstBuiltInNamed(index, entries, name, nameLength); i >= 0 && !winner; i = index.next.data[i]) {
        ++candidates;
        if (ArgumentsMatch(*entries.data[i]->value, arguments))
            winner = entries.data[i]->value;
    }
    for (int32_t i = index.entryCount; i < entries.count && !winner; ++i) {
        StringMapEntry<FunctionNode*>* entry = entries.data[i];
        if (!entry || !entry->value || !StartsWithCallee(entry->key.text, name, nameLength))
            continue;
        ++candidates;
        if (ArgumentsMatch(*entry->value, arguments))
            winner = entry->value;
    }
    if (!winner) {
        if (candidates > 0)
            context.ReportError(call->Position(), "no instance of function '%s' matches the argument list.", name);
        else
            context.ReportError(call->Position(), "undeclared function '%s'.", name);
        return;
    }

    if (winner->isBuiltIn) {
        call->op = winner->op;
        call->isBuiltIn = 1;
    } else {
        ++winner->referenceCount;
    }
    // Only a call of the source's own functions is followed by its key (the recursion check).
    if (!winner->isBuiltIn)
        call->signatureKey = winner->signatureKey;
    call->type = winner->type;
    call->type.isConstant = 0;

    bool allConstant = true;
    const ListNode* parameters = winner->Parameters();
    for (int32_t i = 0; i < arguments.count; ++i) {
        const Type& parameter = *GetNodeType(parameters->children.data[i]);
        const Type* argument = GetNodeType(arguments.data[i]);
        if (!argument->isConstant)
            allConstant = false;
        if (parameter.baseKind == kBaseFloat && argument->baseKind == kBaseInt)
            arguments.data[i] = ConvertToFloat(context, arguments.data[i], parameter);
    }
    if (call->isBuiltIn && call->op >= kConstructorBool && call->op <= kConstructorInt4 && allConstant)
        call->type.isConstant = 1;
}

void CheckOperator(ParseContext& context, OperatorNode* node, Node* left, Node* right)
{
    if (!node || !left)
        return;
    // The operands are in place even when the check fails, so the tree stays whole.
    node->left = left;
    node->right = right;
    if (node->op == kOpParentheses) {
        const Type* inner = GetNodeType(left);
        node->type = inner ? *inner : Type();
        return;
    }

    bool isDeclaration = (node->flags & kNodeFlagDeclarationInitializer) != 0;
    if (IsAssignment(node->op) && context.unsetOutputs.count > 0)
        MarkOutputSet(context, left);
    if (WritesOperand(node->op) && !isDeclaration) {
        if (!IsModifiableLValue(left)) {
            context.ReportError(node->Position(), "expression must be a modifiable l-value.");
            return;
        }
        // Only main sees "input"; the targets that cannot write their inputs copy them first.
        const SymbolNode* written = TargetSymbol(left);
        if (written && written->type.baseKind == kBaseStruct && written->name.text &&
            strcmp(written->name.text, "input") == 0 && context.currentFunction)
            context.currentFunction->flags |= kNodeFlagWritesInputs;
    }
    ResolveOperator(context, node, left, right, IsAssignment(node->op), node->op == kOpAssign && isDeclaration);
}

void CheckIndex(ParseContext& context, OperatorNode* node, Node* base, Node* index)
{
    if (!node)
        return;
    node->left = base;
    node->right = index;
    const Type* baseType = GetNodeType(base);
    if (!baseType || baseType->arraySize == 0) {
        if (ResolveOperator(context, node, base, index, false, false))
            CheckWrittenIndex(context, index, baseType->matrixSize > 0 ? baseType->matrixSize : baseType->vectorSize);
        return;
    }

    // An array takes an index of any type: the targets that need an integer convert it.
    node->type = *baseType;
    node->type.arraySize = 0;
    node->type.isConstant = baseType->isConstant;
    CheckWrittenIndex(context, index, baseType->arraySize);
}

void SelectMember(ParseContext& context, OperatorNode* node, Node* base, const SourceName& member)
{
    if (!node)
        return;
    node->left = base;
    const Type* baseType = GetNodeType(base);
    bool isStructure = base && base->kind == kNodeSymbol && baseType && baseType->baseKind == kBaseStruct;

    Type memberType;
    bool found = false;
    if (isStructure) {
        StringMap<Type>* members = context.FindStructure(baseType->name.text);
        StringMapEntry<Type>* entry = members ? members->FindEntry(member.text) : nullptr;
        if (entry) {
            memberType = entry->value;
            memberType.isConstant = baseType->isConstant;
            found = true;
        }
    } else if (baseType && baseType->vectorSize >= 2 && baseType->matrixSize == 0 && baseType->arraySize == 0) {
        bool repeats = false;
        int components = ParseSwizzle(member.text, baseType->vectorSize, &repeats);
        if (components > 0) {
            memberType = Type(baseType->baseKind, components, baseType->qualifiers);
            memberType.isConstant = baseType->isConstant;
            if (repeats)
                base->flags |= kNodeFlagRepeatedSwizzle;
            found = true;
        }
    }

    if (!found) {
        node->type = Type();
        if (isStructure) {
            context.ReportError(node->Position(), "'%s' has no member '%s'.",
                                Text(static_cast<SymbolNode*>(base)->name), member.text);
        } else {
            String typeName = baseType ? baseType->GetName(false) : String();
            context.ReportError(node->Position(), "'%s' has no member '%s'.", Text(typeName), member.text);
        }
        return;
    }
    node->type = memberType;
    node->right = MemberSymbol(context, memberType, member);
}

Node* CheckCondition(ParseContext& context, Node* condition)
{
    if (!condition)
        return nullptr;
    // Bool and Int conditions, vectors and declarations too, stay as written: each writer
    // turns an Int into the truth value its language wants (GLSL, lacking the implicit
    // conversion, through bool()). An array is refused all the same, since no target can
    // test one.
    const Type* type = GetNodeType(condition);
    if (type && type->arraySize == 0 && (type->baseKind == kBaseBool || type->baseKind == kBaseInt))
        return condition;
    context.ReportError(condition->Position(), "expression must be a boolean expression.");
    return condition;
}

void CheckPixelOnly(ParseContext& context, const SourcePosition& position)
{
    if (context.stage != kStagePixel)
        context.ReportError(position, "expression is only allowed in %s shader.", "pixel");
}

} // namespace ShaderTool

#include "shadertool/semantic/semantic_internal.h"

#include "shadertool/description/shader_description.h"
#include "shadertool/parser/parser.h"

namespace ShaderTool {

namespace {

struct PendingNode {
    Node* node;
    int32_t depth;
};

void Push(Array<PendingNode>& pending, Node* node, int32_t depth)
{
    if (node)
        pending.Add(PendingNode{node, depth});
}

void PushChildren(Array<PendingNode>& pending, Node* node, int32_t depth)
{
    switch (node->kind) {
    case kNodeList:
    case kNodeFunction:
    case kNodeCall: {
        const ListNode* list = static_cast<ListNode*>(node);
        for (int32_t i = 0; i < list->children.count; ++i)
            Push(pending, list->children.data[i], depth);
        return;
    }
    case kNodeLoop: {
        const LoopNode* loop = static_cast<LoopNode*>(node);
        Push(pending, loop->init, depth);
        Push(pending, loop->condition, depth);
        Push(pending, loop->increment, depth);
        Push(pending, loop->body, depth);
        return;
    }
    case kNodeBranch:
        Push(pending, static_cast<BranchNode*>(node)->value, depth);
        return;
    case kNodeOperator:
        Push(pending, static_cast<OperatorNode*>(node)->left, depth);
        Push(pending, static_cast<OperatorNode*>(node)->right, depth);
        return;
    case kNodeIf:
        Push(pending, static_cast<IfNode*>(node)->condition, depth);
        Push(pending, static_cast<IfNode*>(node)->thenBranch, depth);
        Push(pending, static_cast<IfNode*>(node)->elseBranch, depth);
        return;
    default:
        return;
    }
}

// The built-in entries lead the function table and never change, so they are made once
// and kept across units: making 223 keyed entries for every unit and target would cost
// more than checking a typical shader.
int32_t KeptBuiltInEntries(const ParseContext& context)
{
    const Array<StringMapEntry<FunctionNode*>*>& entries = context.functions.entries;
    const Array<FunctionNode>& overloads = context.builtInFunctions.overloads;
    if (entries.count < overloads.count || overloads.count == 0)
        return 0;
    for (int32_t i = 0; i < overloads.count; ++i) {
        if (!entries.data[i] || entries.data[i]->value != &overloads.data[i])
            return 0;
    }
    return overloads.count;
}

void EnterBuiltInFunctions(ParseContext& context)
{
    if (KeptBuiltInEntries(context) > 0)
        return;
    context.functions.entries.DeleteAll();
    Array<FunctionNode>& overloads = context.builtInFunctions.overloads;
    for (int32_t i = 0; i < overloads.count; ++i) {
        const char* key = overloads.data[i].signatureKey.text;
        if (key && !context.functions.Contains(key))
            context.functions[key] = &overloads.data[i];
    }
}

} // namespace

int32_t MeasureNesting(Node* root, int32_t limit, Node** tooDeep)
{
    // An explicit stack: this walk exists because recursion over a hostile tree could
    // overflow a game thread's stack.
    if (tooDeep)
        *tooDeep = nullptr;
    Array<PendingNode> pending;
    Push(pending, root, 1);
    int32_t deepest = 0;
    while (pending.count > 0) {
        PendingNode current = pending.data[pending.count - 1];
        --pending.count;
        if (current.depth > deepest)
            deepest = current.depth;
        if (current.depth > limit) {
            if (tooDeep)
                *tooDeep = current.node;
            return current.depth;
        }
        PushChildren(pending, current.node, current.depth + 1);
    }
    return deepest;
}

void ResetTranslationUnit(ParseContext& context)
{
    context.currentFunction = nullptr;
    // The source's functions go; the built-in entries in front of them are kept.
    Array<StringMapEntry<FunctionNode*>*>& entries = context.functions.entries;
    int32_t kept = KeptBuiltInEntries(context);
    for (int32_t i = kept; i < entries.count; ++i)
        delete entries.data[i];
    entries.count = kept;
    context.root = nullptr;
    context.symbols.count = 0;
    context.scopeMarks.count = 0;
    context.scopeMarks.Add(0);
    context.DestroyNodes();
    context.ClearInterfaceStructures();
    if (context.tokenSource)
        context.tokenSource->Reset();
    context.unsetOutputs.Release();
    context.returnCount = 0;
    context.success = 1;
}

void SetRoot(ParseContext& context, ListNode* list)
{
    context.root = list;
}

void FinishTranslationUnit(ParseContext& context)
{
    Node* tooDeep = nullptr;
    if (MeasureNesting(context.root, kMaxNestingDepth, &tooDeep) > kMaxNestingDepth && tooDeep)
        context.ReportError(tooDeep->Position(), "nesting is deeper than %i levels.", kMaxNestingDepth);

    if (!context.functions.Contains("main,"))
        context.ReportError(SourcePosition(), "main() has no definition.");
    for (int32_t i = 0; i < context.functions.entries.count; ++i) {
        const FunctionNode* function = context.functions.entries.data[i]->value;
        if (function && !function->isBuiltIn && !function->isDefined && function->referenceCount >= 1)
            context.ReportError(function->Position(), "function '%s' is referenced but has no definition.",
                                function->name.text);
    }
    for (int32_t i = 0; i < context.unsetOutputs.count; ++i)
        context.ReportError(SourcePosition(), "vertex shader output '%s' is not set.",
                            context.unsetOutputs.data[i].text);
}

void BeginTranslationUnit(ParseContext& context, const ShaderDescription& description, uint32_t stage)
{
    ResetTranslationUnit(context);
    EnterBuiltInFunctions(context);
    context.stage = stage;
    SetUpInterface(context, description, stage);
}

bool CheckTranslationUnit(ParseContext& context, const ShaderDescription& description, const ShaderSource& source)
{
    BeginTranslationUnit(context, description, source.stage);
    context.sourceName = source.path;
    if (!context.tokenSource) {
        context.ReportError(SourcePosition(), "no tokenizer to read the source.");
        return false;
    }

    SourceInput input;
    input.fileName = source.path;
    input.text = source.text;
    input.firstLine = source.firstLine;
    context.tokenSource->Begin(input, false);

    int parsed = Parse(&context);
    bool lexicalErrors = context.tokenSource->errorCount > 0;
    // The tokenizer reads input's text, which ends with this call.
    context.tokenSource->Reset();
    if (parsed != kParseAccepted || lexicalErrors) {
        context.success = 0;
        return false;
    }
    FinishTranslationUnit(context);
    return context.success != 0;
}

} // namespace ShaderTool

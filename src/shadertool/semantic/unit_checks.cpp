#include "shadertool/semantic/semantic_internal.h"

#include <cstring>

namespace ShaderTool {

namespace {

// The walks below keep their own stacks: recursion over a tree nesting thousands of
// levels deep would overflow a game thread's stack.

// The source's defined functions, each with the calls its body makes of the others: the
// calls of all of them stand in one list, each function's in a run of its own.
struct CallerRecord {
    FunctionNode* function;
    int32_t firstCall;        // its first entry in the call list
    int32_t callCount;
    int32_t state;            // 0 not visited, 1 on the path, 2 done
    int32_t next;             // the call to follow next
};

struct CallEdge {
    int32_t callee;           // index into the records
    Node* call;               // for the report
};

int32_t RecordIndex(const Array<CallerRecord>& records, const FunctionNode* function)
{
    for (int32_t i = 0; i < records.count; ++i) {
        if (records.data[i].function == function)
            return i;
    }
    return -1;
}

void CollectCalls(ParseContext& context, Array<CallerRecord>& records, int32_t caller, Array<CallEdge>& calls,
                  Array<PendingNode>& pending)
{
    CallerRecord& record = records.data[caller];
    record.firstCall = calls.count;
    pending.count = 0;
    for (int32_t i = 1; i < record.function->children.count; ++i)
        PushNode(pending, record.function->children.data[i], 0);
    while (pending.count > 0) {
        Node* node = pending.data[--pending.count].node;
        if (node->kind == kNodeCall) {
            const FunctionNode* call = static_cast<FunctionNode*>(node);
            StringMapEntry<FunctionNode*>* target =
                call->isBuiltIn ? nullptr : FindFunctionEntry(context, call->signatureKey.text);
            int32_t index = target ? RecordIndex(records, target->value) : -1;
            if (index >= 0)
                calls.Add(CallEdge{index, node});
        }
        PushChildren(pending, node, 0);
    }
    records.data[caller].callCount = calls.count - records.data[caller].firstCall;
}

} // namespace

void CheckRecursion(ParseContext& context)
{
    // No target language allows a function to reach itself again, directly or through
    // others: such a shader would be written only for every compiler to refuse it.
    Array<CallerRecord> records;
    bool called = false;
    for (int32_t i = 0; i < context.functions.entries.count; ++i) {
        FunctionNode* function = context.functions.entries.data[i]->value;
        if (!function || function->isBuiltIn || !function->isDefined)
            continue;
        records.Add(CallerRecord{function, 0, 0, 0, 0});
        called = called || function->referenceCount > 0;
    }
    // Without a call of one of them, none can reach itself.
    if (!called)
        return;
    Array<CallEdge> calls;
    Array<PendingNode> pending;
    for (int32_t i = 0; i < records.count; ++i)
        CollectCalls(context, records, i, calls, pending);

    bool reported = false;
    Array<int32_t> path;
    for (int32_t start = 0; start < records.count && !reported; ++start) {
        if (records.data[start].state != 0)
            continue;
        records.data[start].state = 1;
        path.Add(start);
        while (path.count > 0 && !reported) {
            CallerRecord& top = records.data[path.data[path.count - 1]];
            if (top.next >= top.callCount) {
                top.state = 2;
                path.RemoveLast();
                continue;
            }
            const CallEdge& edge = calls.data[top.firstCall + top.next++];
            CallerRecord& callee = records.data[edge.callee];
            if (callee.state == 1) {
                context.ReportError(edge.call->Position(), "recursive call of function '%s' is not allowed.",
                                    callee.function->name.text);
                reported = true;
            } else if (callee.state == 0) {
                callee.state = 1;
                path.Add(edge.callee);
            }
        }
    }
}

void FinishTranslationUnit(ParseContext& context)
{
    CheckRecursion(context);

    if (!FindFunctionEntry(context, "main,"))
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

} // namespace ShaderTool

#include "shadertool/semantic/semantic_internal.h"

#include <cstring>

namespace ShaderTool {

namespace {

// The walks below keep their own stacks: recursion over a tree nesting thousands of
// levels deep would overflow a game thread's stack.

// The source's defined functions, each with the source functions its body calls.
struct CallerRecord {
    FunctionNode* function;
    Array<int32_t> callees;   // indexes into the records
    Array<Node*> calls;       // the call of each callee, for the report
    int32_t state;            // 0 not visited, 1 on the path, 2 done
    int32_t next;             // the callee to visit next
};

int32_t RecordIndex(const Array<CallerRecord*>& records, const FunctionNode* function)
{
    for (int32_t i = 0; i < records.count; ++i) {
        if (records.data[i]->function == function)
            return i;
    }
    return -1;
}

void CollectCallees(ParseContext& context, Array<CallerRecord*>& records, CallerRecord* record)
{
    Array<PendingNode> pending;
    for (int32_t i = 1; i < record->function->children.count; ++i)
        PushNode(pending, record->function->children.data[i], 0);
    while (pending.count > 0) {
        Node* node = pending.data[--pending.count].node;
        if (node->kind == kNodeCall) {
            const FunctionNode* call = static_cast<FunctionNode*>(node);
            StringMapEntry<FunctionNode*>* target =
                call->isBuiltIn ? nullptr : context.functions.FindEntry(call->signatureKey.text);
            int32_t index = target ? RecordIndex(records, target->value) : -1;
            if (index >= 0) {
                record->callees.Add(index);
                record->calls.Add(node);
            }
        }
        PushChildren(pending, node, 0);
    }
}

} // namespace

void CheckRecursion(ParseContext& context)
{
    // No target language allows a function to reach itself again, directly or through
    // others: such a shader would be written only for every compiler to refuse it.
    Array<CallerRecord*> records;
    for (int32_t i = 0; i < context.functions.entries.count; ++i) {
        FunctionNode* function = context.functions.entries.data[i]->value;
        if (!function || function->isBuiltIn || !function->isDefined)
            continue;
        CallerRecord* record = new CallerRecord();
        record->function = function;
        record->state = 0;
        record->next = 0;
        records.Add(record);
    }
    for (int32_t i = 0; i < records.count; ++i)
        CollectCallees(context, records, records.data[i]);

    bool reported = false;
    Array<int32_t> path;
    for (int32_t start = 0; start < records.count && !reported; ++start) {
        if (records.data[start]->state != 0)
            continue;
        records.data[start]->state = 1;
        path.Add(start);
        while (path.count > 0 && !reported) {
            CallerRecord* top = records.data[path.data[path.count - 1]];
            if (top->next >= top->callees.count) {
                top->state = 2;
                path.RemoveLast();
                continue;
            }
            int32_t slot = top->next++;
            CallerRecord* callee = records.data[top->callees.data[slot]];
            if (callee->state == 1) {
                context.ReportError(top->calls.data[slot]->Position(), "recursive call of function '%s' is not allowed.",
                                    callee->function->name.text);
                reported = true;
            } else if (callee->state == 0) {
                callee->state = 1;
                path.Add(top->callees.data[slot]);
            }
        }
    }
    records.DeleteAll();
}

void FinishTranslationUnit(ParseContext& context)
{
    CheckRecursion(context);

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

} // namespace ShaderTool

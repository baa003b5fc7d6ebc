#include "shadertool/semantic/semantic_internal.h"

#include "shadertool/core/lent_text.h"
#include "shadertool/description/shader_description.h"
#include "shadertool/parser/parser.h"

namespace ShaderTool {

namespace {

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
    // The table holds only built-in entries now; a key two overloads share is entered once.
    IndexBuiltInCallees(context, context.functions.entries.count);
}

} // namespace

void ResetTranslationUnit(ParseContext& context)
{
    context.currentFunction = nullptr;
    // The source's functions go; the built-in entries in front of them are kept.
    Array<StringMapEntry<FunctionNode*>*>& entries = context.functions.entries;
    int32_t kept = KeptBuiltInEntries(context);
    for (int32_t i = kept; i < entries.count; ++i)
        delete entries.data[i];
    entries.count = kept;
    // The index points into the entries just deleted; the next unit enters and indexes them anew.
    if (kept == 0)
        IndexBuiltInCallees(context, 0);
    context.root = nullptr;
    context.symbols.count = 0;
    context.scopeMarks.count = 0;
    context.scopeMarks.Add(0);
    context.DestroyNodes();
    // The interface structures are set up again when the next unit begins; what matches
    // stays (SetUpInterface).
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
    LentText fileName(input.fileName, source.path);
    LentText text(input.text, source.text);
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

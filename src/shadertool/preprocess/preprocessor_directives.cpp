// The preprocessor's directive actions: what each directive and each expression term
// does once the directive grammar has recognised it.
#include "shadertool/preprocess/preprocessor.h"

#include "shadertool/description/shader_description.h"

#include <cstring>

namespace ShaderTool {

namespace {

// Text macros may name other text macros; a longer chain than this is treated as
// naming nothing.
const int kMaxResolveSteps = 64;

} // namespace

void Preprocessor::BeginDirective(int32_t keywordKind)
{
    // Whether this directive's expression can decide anything. Only then is a division
    // by zero in it an error: a guard like "#if defined(N)" around "#if 8 / N" must work.
    if (keywordKind == kTokenPPElif)
        directiveActs_ = depth > 0 && conditionStack[depth - 1] == 1 && conditionStack[depth] == 0;
    else
        directiveActs_ = IsActive();
}

void Preprocessor::OnOrdinaryLine()
{
    int32_t length = 0;
    const char* line = tokenizer.OrdinaryLineText(&length);
    // Line markers always pass: they keep the parser's file names and line numbers
    // right even when an included file leaves a branch open.
    if (IsActive() || tokenizer.OrdinaryLineIsMarker())
        text_.Append(line, length);
    else
        text_.AppendChar('\n');
}

void Preprocessor::OnDefine(const Token& name, const PreprocessorValue* value)
{
    if (IsActive()) {
        if (name.text[0] == '_')
            Report(name.line, name.column, "identifiers must not start with an underscore.");
        else if (FindMacro(name.text))
            Report(name.line, name.column, "redefinition of '%s'.", name.text);
        else
            AddMacro(name.text, value ? *value : PreprocessorValue());
    }
    text_.AppendChar('\n');
}

void Preprocessor::OnIf(const Token& keyword, const PreprocessorValue& value)
{
    if (depth >= kMaxIfDepth) {
        Report(keyword.line, keyword.column, "too many nested if directives.");
    } else {
        if (value.type == PreprocessorValue::kText)
            Report(keyword.line, keyword.column, "expression must be of numeric type.");
        bool enclosingActive = IsActive();
        ++depth;
        conditionStack[depth] = enclosingActive && value.IsTrue() ? 1 : 0;
    }
    text_.AppendChar('\n');
}

void Preprocessor::OnElif(const Token& keyword, const PreprocessorValue& value)
{
    if (depth == 0) {
        Report(keyword.line, keyword.column, "unexpected elif directive.");
    } else if (conditionStack[depth - 1] == 1) {
        if (value.type == PreprocessorValue::kText)
            Report(keyword.line, keyword.column, "expression must be of numeric type.");
        int32_t& state = conditionStack[depth];
        if (state == 0)
            state = value.IsTrue() ? 1 : 0;
        else if (state == 1)
            state = 2;
    }
    text_.AppendChar('\n');
}

void Preprocessor::OnElse(const Token& keyword)
{
    if (depth == 0) {
        Report(keyword.line, keyword.column, "unexpected else directive.");
    } else if (conditionStack[depth - 1] == 1) {
        int32_t& state = conditionStack[depth];
        state = state == 0 ? 1 : 2;
    }
    text_.AppendChar('\n');
}

void Preprocessor::OnEndif(const Token& keyword)
{
    if (depth == 0) {
        Report(keyword.line, keyword.column, "unexpected endif directive.");
    } else {
        conditionStack[depth] = 0;
        --depth;
    }
    text_.AppendChar('\n');
}

PreprocessorValue Preprocessor::ResolveName(const Token& name)
{
    const Macro* macro = FindMacro(name.text);
    if (!macro)
        return PreprocessorValue();
    PreprocessorValue value = macro->value;
    for (int step = 0; value.type == PreprocessorValue::kText; ++step) {
        macro = step < kMaxResolveSteps ? FindMacro(value.text) : nullptr;
        if (!macro)
            return PreprocessorValue();
        value = macro->value;
    }
    return value;
}

PreprocessorValue Preprocessor::IsDefined(const Token& name)
{
    return PreprocessorValue::Integer(FindMacro(name.text) ? 1 : 0);
}

PreprocessorValue Preprocessor::CallFunction(const FunctionCall& call)
{
    if (strcmp(call.name, "_IS_ARRAY_NODE_DEFINED") != 0) {
        Report(call.line, call.column, "undeclared function-like macro '%s'.", call.name);
        return PreprocessorValue();
    }
    if (call.argumentCount != 2 || call.arguments[0].type != PreprocessorValue::kText ||
        call.arguments[1].type != PreprocessorValue::kText) {
        Report(call.line, call.column, "invalid arguments.");
        return PreprocessorValue();
    }
    DescriptionLookup lookup = FindDescriptionEntry(description, call.arguments[0].text, call.arguments[1].text);
    if (lookup == DescriptionLookup::kInvalidArray) {
        Report(call.line, call.column, "invalid array name.");
        return PreprocessorValue();
    }
    return PreprocessorValue::Integer(lookup == DescriptionLookup::kFound ? 1 : 0);
}

void Preprocessor::OnValueError(ValueError error, int32_t line, int32_t column)
{
    if (error == ValueError::kNotNumeric)
        Report(line, column, "operands must be of numeric type.");
    else if (error == ValueError::kDivisionByZero && directiveActs_)
        Report(line, column, "division by zero.");
}

} // namespace ShaderTool

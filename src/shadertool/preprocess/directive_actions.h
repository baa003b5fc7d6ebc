#pragma once

#include "shadertool/preprocess/preprocessor_value.h"
#include "shadertool/preprocess/token.h"

#include <cstdint>

namespace ShaderTool {

// A call in a directive expression: how many arguments it had, the first two of them
// (later ones are only counted), and the callee's name and position.
struct FunctionCall {
    int32_t argumentCount = 0;
    PreprocessorValue arguments[2];
    int32_t column = 0;
    int32_t line = 0;
    char name[128] = {};
};

// What the directive parser does at each reduction of the directive grammar. The
// preprocessor implements it; messages go to the error log at the given positions.
class DirectiveActions {
public:
    virtual ~DirectiveActions() = default;

    // A directive whose keyword is keywordKind starts; its expression follows.
    virtual void BeginDirective(int32_t keywordKind) = 0;
    // The ordinary line last handed out by the tokenizer.
    virtual void OnOrdinaryLine() = 0;
    // value is null for a define without an expression.
    virtual void OnDefine(const Token& name, const PreprocessorValue* value) = 0;
    virtual void OnIf(const Token& keyword, const PreprocessorValue& value) = 0;
    virtual void OnElif(const Token& keyword, const PreprocessorValue& value) = 0;
    virtual void OnElse(const Token& keyword) = 0;
    virtual void OnEndif(const Token& keyword) = 0;
    // Runs as soon as the file name is read, before anything after it is scanned, so
    // that the included text is read next.
    virtual void OnInclude(const Token& keyword, const Token& path) = 0;

    // The value of a name in an expression: the macro's value, followed through text
    // values; integer 0 for an unknown name.
    virtual PreprocessorValue ResolveName(const Token& name) = 0;
    // defined(name)
    virtual PreprocessorValue IsDefined(const Token& name) = 0;
    virtual PreprocessorValue CallFunction(const FunctionCall& call) = 0;
    // An operator could not be applied (operands not numeric, division by zero).
    virtual void OnValueError(ValueError error, int32_t line, int32_t column) = 0;
    // The grammar's own failures ("syntax error", "memory exhausted").
    virtual void OnParseError(int32_t line, int32_t column, const char* message) = 0;
};

} // namespace ShaderTool

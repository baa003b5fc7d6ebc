#pragma once

#include "core/array.h"
#include "shadertool/preprocess/preprocessor_value.h"
#include "shadertool/preprocess/tokenizer.h"

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

// Parser of the directive grammar:
//
//   translation_unit := { directive | ordinary line }
//   directive := '#' ( define IDENTIFIER [expression] | if expression | elif expression
//                    | else | endif | include STRING )
//   expression := the C operators || && == != < > <= >= + - * / and prefix - !, with
//                 their usual precedence, over integer and float literals, names,
//                 defined(NAME), parentheses, and calls NAME(argument, ...) whose
//                 arguments are expressions or string literals.
//
// A directive has no end token: it ends where a token that cannot continue it begins
// (the next line is always a '#', an ordinary line or the end). The first syntax error
// ends the parse. Expressions are reduced on explicit stacks, never by recursion, so
// hostile nesting ends in "memory exhausted" once the stacks exceed kMaxStackDepth.
class DirectiveParser {
public:
    static const int32_t kMaxStackDepth = 10000;

    DirectiveParser(PreprocessorTokenizer& tokenizer, DirectiveActions& actions);

    // Parses to the end of the text. False after a syntax error or "memory exhausted".
    // The token in hand when the parse ended is left in *lastToken.
    bool Parse(Token* lastToken);

private:
    enum EntryKind : int32_t { kBinaryEntry, kUnaryEntry, kParenthesisEntry, kCallEntry };

    // One pending operator or bracket of an expression.
    struct StackEntry {
        int32_t kind = kBinaryEntry;
        int32_t op = 0;          // BinaryOperator or UnaryOperator
        int32_t precedence = 0;  // binary operators only
        int32_t column = 0;
        int32_t line = 0;
    };

    void Next();
    void SyntaxError();
    bool ParseDirective();
    bool ParseExpression(PreprocessorValue* result);
    bool ExpectAndNext(int32_t kind);

    void ReduceTop();
    void ReduceWhileBinding(int32_t precedence);
    void ReduceOperators();
    void AddArgument(const PreprocessorValue& value);
    void FinishCall();

    PreprocessorTokenizer& tokenizer_;
    DirectiveActions& actions_;
    Token lookahead_;
    Array<PreprocessorValue> operands_;
    Array<StackEntry> operators_;
    Array<FunctionCall> calls_;
};

} // namespace ShaderTool

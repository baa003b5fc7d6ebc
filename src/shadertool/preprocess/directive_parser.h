#pragma once

#include "core/array.h"
#include "shadertool/preprocess/directive_actions.h"
#include "shadertool/preprocess/preprocessor_tokenizer.h"
#include "shadertool/preprocess/token.h"

#include <cstdint>

namespace ShaderTool {

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

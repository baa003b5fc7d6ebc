#include "shadertool/preprocess/directive_parser.h"

#include <cstring>

namespace ShaderTool {

namespace {

struct BinaryInfo {
    int32_t tokenKind;
    BinaryOperator op;
    int32_t precedence;
};

const BinaryInfo kBinaryOperators[] = {
    {kTokenLogicalOr, BinaryOperator::kLogicalOr, 1},
    {kTokenLogicalAnd, BinaryOperator::kLogicalAnd, 2},
    {kTokenEqual, BinaryOperator::kEqual, 3},
    {kTokenNotEqual, BinaryOperator::kNotEqual, 3},
    {kTokenLeftChevron, BinaryOperator::kLess, 4},
    {kTokenRightChevron, BinaryOperator::kGreater, 4},
    {kTokenLessEqual, BinaryOperator::kLessEqual, 4},
    {kTokenGreaterEqual, BinaryOperator::kGreaterEqual, 4},
    {kTokenPlus, BinaryOperator::kAdd, 5},
    {kTokenDash, BinaryOperator::kSubtract, 5},
    {kTokenAsterisk, BinaryOperator::kMultiply, 6},
    {kTokenSlash, BinaryOperator::kDivide, 6},
};

const BinaryInfo* FindBinary(int32_t tokenKind)
{
    for (const BinaryInfo& info : kBinaryOperators) {
        if (info.tokenKind == tokenKind)
            return &info;
    }
    return nullptr;
}

// Tokens that can begin an expression; after "#define NAME" they decide whether a
// value follows.
bool StartsExpression(int32_t kind)
{
    return kind == kTokenIntConstant || kind == kTokenFloatConstant || kind == kTokenIdentifier ||
           kind == kTokenLeftParenthesis || kind == kTokenPPDefined || kind == kTokenDash ||
           kind == kTokenExclamation;
}

PreprocessorValue LiteralValue(const Token& token)
{
    PreprocessorValue value = token.kind == kTokenFloatConstant
                                  ? PreprocessorValue::Float(ReadFloatLiteral(token.text))
                                  : PreprocessorValue::Integer(ReadIntegerLiteral(token.text));
    value.SetPosition(token.column, token.line);
    return value;
}

template <typename T>
T PopLast(Array<T>& stack)
{
    T last = stack.data[stack.count - 1];
    --stack.count;
    return last;
}

} // namespace

DirectiveParser::DirectiveParser(PreprocessorTokenizer& tokenizer, DirectiveActions& actions)
    : tokenizer_(tokenizer), actions_(actions)
{
    lookahead_.Clear();
    // The stacks are emptied by lowering count: they should keep their storage.
    operands_.autoShrink = false;
    operators_.autoShrink = false;
    calls_.autoShrink = false;
}

void DirectiveParser::Next()
{
    tokenizer_.NextToken(lookahead_);
}

void DirectiveParser::SyntaxError()
{
    actions_.OnParseError(lookahead_.line, lookahead_.column, "syntax error");
}

bool DirectiveParser::ExpectAndNext(int32_t kind)
{
    if (lookahead_.kind != kind) {
        SyntaxError();
        return false;
    }
    Next();
    return true;
}

bool DirectiveParser::Parse(Token* lastToken)
{
    bool parsed = true;
    Next();
    for (;;) {
        if (lookahead_.kind == kTokenEnd)
            break;
        if (lookahead_.kind == kTokenOrdinaryLine) {
            actions_.OnOrdinaryLine();
            Next();
            continue;
        }
        if (lookahead_.kind == kTokenHash) {
            if (!ParseDirective()) {
                parsed = false;
                break;
            }
            continue;
        }
        SyntaxError();
        parsed = false;
        break;
    }
    if (lastToken)
        *lastToken = lookahead_;
    return parsed;
}

bool DirectiveParser::ParseDirective()
{
    Next();
    Token keyword = lookahead_;
    switch (keyword.kind) {
    case kTokenPPDefine: {
        Next();
        if (lookahead_.kind != kTokenIdentifier) {
            SyntaxError();
            return false;
        }
        Token name = lookahead_;
        Next();
        actions_.BeginDirective(keyword.kind);
        if (!StartsExpression(lookahead_.kind)) {
            actions_.OnDefine(name, nullptr);
            return true;
        }
        PreprocessorValue value;
        if (!ParseExpression(&value))
            return false;
        actions_.OnDefine(name, &value);
        return true;
    }
    case kTokenPPIf:
    case kTokenPPElif: {
        actions_.BeginDirective(keyword.kind);
        Next();
        PreprocessorValue value;
        if (!ParseExpression(&value))
            return false;
        if (keyword.kind == kTokenPPIf)
            actions_.OnIf(keyword, value);
        else
            actions_.OnElif(keyword, value);
        return true;
    }
    case kTokenPPElse:
        actions_.BeginDirective(keyword.kind);
        actions_.OnElse(keyword);
        Next();
        return true;
    case kTokenPPEndif:
        actions_.BeginDirective(keyword.kind);
        actions_.OnEndif(keyword);
        Next();
        return true;
    case kTokenPPInclude: {
        Next();
        if (lookahead_.kind != kTokenStringLiteral) {
            SyntaxError();
            return false;
        }
        actions_.BeginDirective(keyword.kind);
        Token path = lookahead_;
        actions_.OnInclude(keyword, path);
        Next();
        return true;
    }
    default:
        SyntaxError();
        return false;
    }
}

void DirectiveParser::ReduceTop()
{
    StackEntry entry = PopLast(operators_);
    ValueError error = ValueError::kNone;
    PreprocessorValue result;
    if (entry.kind == kUnaryEntry) {
        PreprocessorValue operand = PopLast(operands_);
        result = ApplyUnary(static_cast<UnaryOperator>(entry.op), operand, &error);
    } else {
        PreprocessorValue right = PopLast(operands_);
        PreprocessorValue left = PopLast(operands_);
        result = ApplyBinary(static_cast<BinaryOperator>(entry.op), left, right, &error);
    }
    if (error != ValueError::kNone)
        actions_.OnValueError(error, entry.line, entry.column);
    result.SetPosition(entry.column, entry.line);
    operands_.Add(result);
}

// Prefix operators bind tighter than any binary one; binary operators of equal
// precedence group from the left.
void DirectiveParser::ReduceWhileBinding(int32_t precedence)
{
    while (operators_.count > 0) {
        const StackEntry& top = operators_.data[operators_.count - 1];
        bool binds = top.kind == kUnaryEntry || (top.kind == kBinaryEntry && top.precedence >= precedence);
        if (!binds)
            return;
        ReduceTop();
    }
}

void DirectiveParser::ReduceOperators()
{
    ReduceWhileBinding(0);
}

void DirectiveParser::AddArgument(const PreprocessorValue& value)
{
    FunctionCall& call = calls_.data[calls_.count - 1];
    if (call.argumentCount < 2)
        call.arguments[call.argumentCount] = value;
    if (call.argumentCount < INT32_MAX)
        ++call.argumentCount;
}

// The call on top of the stacks has all its arguments: its value replaces it.
void DirectiveParser::FinishCall()
{
    FunctionCall call = PopLast(calls_);
    --operators_.count;   // the call's bracket
    PreprocessorValue value = actions_.CallFunction(call);
    value.SetPosition(call.column, call.line);
    operands_.Add(value);
}

bool DirectiveParser::ParseExpression(PreprocessorValue* result)
{
    enum State { kExpectOperand, kExpectOperator, kCallStart, kAfterComma };
    operands_.count = 0;
    operators_.count = 0;
    calls_.count = 0;
    State state = kExpectOperand;

    for (;;) {
        if (operands_.count + operators_.count > kMaxStackDepth) {
            actions_.OnParseError(lookahead_.line, lookahead_.column, "memory exhausted");
            return false;
        }

        if (state == kCallStart || state == kAfterComma) {
            if (state == kCallStart && lookahead_.kind == kTokenRightParenthesis) {
                FinishCall();
                Next();
                state = kExpectOperator;
                continue;
            }
            if (lookahead_.kind == kTokenStringLiteral) {
                PreprocessorValue text = PreprocessorValue::Text(lookahead_.text);
                text.SetPosition(lookahead_.column, lookahead_.line);
                Next();
                if (lookahead_.kind == kTokenComma) {
                    AddArgument(text);
                    Next();
                    state = kAfterComma;
                    continue;
                }
                if (lookahead_.kind == kTokenRightParenthesis) {
                    AddArgument(text);
                    FinishCall();
                    Next();
                    state = kExpectOperator;
                    continue;
                }
                SyntaxError();
                return false;
            }
            state = kExpectOperand;   // an expression argument
            continue;
        }

        if (state == kExpectOperand) {
            StackEntry entry;
            entry.column = lookahead_.column;
            entry.line = lookahead_.line;
            switch (lookahead_.kind) {
            case kTokenDash:
            case kTokenExclamation:
                entry.kind = kUnaryEntry;
                entry.op = static_cast<int32_t>(lookahead_.kind == kTokenDash ? UnaryOperator::kNegate
                                                                              : UnaryOperator::kNot);
                operators_.Add(entry);
                Next();
                continue;
            case kTokenLeftParenthesis:
                entry.kind = kParenthesisEntry;
                operators_.Add(entry);
                Next();
                continue;
            case kTokenIntConstant:
            case kTokenFloatConstant:
                operands_.Add(LiteralValue(lookahead_));
                Next();
                state = kExpectOperator;
                continue;
            case kTokenPPDefined: {
                Next();
                if (!ExpectAndNext(kTokenLeftParenthesis))
                    return false;
                if (lookahead_.kind != kTokenIdentifier) {
                    SyntaxError();
                    return false;
                }
                Token name = lookahead_;
                Next();
                if (!ExpectAndNext(kTokenRightParenthesis))
                    return false;
                PreprocessorValue value = actions_.IsDefined(name);
                value.SetPosition(entry.column, entry.line);
                operands_.Add(value);
                state = kExpectOperator;
                continue;
            }
            case kTokenIdentifier: {
                Token name = lookahead_;
                Next();
                if (lookahead_.kind == kTokenLeftParenthesis) {
                    FunctionCall call;
                    call.column = name.column;
                    call.line = name.line;
                    // The name keeps at most 127 characters.
                    size_t nameLength = strnlen(name.text, sizeof(call.name) - 1);
                    memcpy(call.name, name.text, nameLength);
                    call.name[nameLength] = '\0';
                    calls_.Add(call);
                    entry.kind = kCallEntry;
                    operators_.Add(entry);
                    Next();
                    state = kCallStart;
                    continue;
                }
                PreprocessorValue value = actions_.ResolveName(name);
                value.SetPosition(name.column, name.line);
                operands_.Add(value);
                state = kExpectOperator;
                continue;
            }
            default:
                SyntaxError();
                return false;
            }
        }

        // An operand is complete: an operator, a closing bracket, a comma, or the end.
        if (const BinaryInfo* binary = FindBinary(lookahead_.kind)) {
            ReduceWhileBinding(binary->precedence);
            StackEntry entry;
            entry.kind = kBinaryEntry;
            entry.op = static_cast<int32_t>(binary->op);
            entry.precedence = binary->precedence;
            entry.column = lookahead_.column;
            entry.line = lookahead_.line;
            operators_.Add(entry);
            Next();
            state = kExpectOperand;
            continue;
        }
        if (lookahead_.kind == kTokenRightParenthesis || lookahead_.kind == kTokenComma) {
            ReduceOperators();
            int32_t bracket = operators_.count > 0 ? operators_.data[operators_.count - 1].kind : -1;
            if (bracket == kParenthesisEntry && lookahead_.kind == kTokenRightParenthesis) {
                --operators_.count;
                Next();
                continue;
            }
            if (bracket != kCallEntry) {
                SyntaxError();
                return false;
            }
            AddArgument(PopLast(operands_));
            if (lookahead_.kind == kTokenComma) {
                Next();
                state = kAfterComma;
                continue;
            }
            FinishCall();
            Next();
            continue;
        }
        ReduceOperators();
        if (operators_.count > 0) {
            SyntaxError();   // a bracket left open
            return false;
        }
        *result = operands_.data[0];
        return true;
    }
}

} // namespace ShaderTool

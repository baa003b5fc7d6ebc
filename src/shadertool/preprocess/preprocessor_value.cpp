#include "shadertool/preprocess/preprocessor_value.h"

#include "shadertool/preprocess/tokenizer.h"

#include <cstdlib>
#include <cstring>

namespace ShaderTool {

PreprocessorValue::PreprocessorValue()
{
    number.integer = 0;
    memset(text, 0, sizeof(text));
    column = 0;
    line = 0;
    type = kInteger;
}

PreprocessorValue PreprocessorValue::Integer(int32_t value)
{
    PreprocessorValue result;
    result.number.integer = value;
    return result;
}

PreprocessorValue PreprocessorValue::Float(float value)
{
    PreprocessorValue result;
    result.type = kFloat;
    result.number.real = value;
    return result;
}

PreprocessorValue PreprocessorValue::Text(const char* value)
{
    PreprocessorValue result;
    result.type = kText;
    result.number.textLength = 0;
    size_t length = value ? strlen(value) : 0;
    if (length <= static_cast<size_t>(kMaxTextLength)) {
        memcpy(result.text, value ? value : "", length);
        result.text[length] = '\0';
        result.number.textLength = static_cast<int32_t>(length);
    }
    return result;
}

bool PreprocessorValue::IsTrue() const
{
    if (type == kInteger)
        return number.integer != 0;
    if (type == kFloat)
        return number.real != 0.0f;
    return false;
}

void PreprocessorValue::AppendTextForm(TextBuilder& out) const
{
    if (type == kInteger)
        out.AppendFormat("%i", number.integer);
    else if (type == kFloat)
        out.AppendFormat("%f", static_cast<double>(number.real));
    else
        out.Append(text);
}

int32_t ReadIntegerLiteral(const char* text)
{
    if (!text)
        return 0;
    uint32_t value = 0;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        for (const char* p = text + 2; IsHexDigit(*p); ++p) {
            int digit = IsDecimalDigit(*p) ? *p - '0' : (*p | 0x20) - 'a' + 10;
            value = value * 16u + static_cast<uint32_t>(digit);
        }
        return static_cast<int32_t>(value);
    }
    for (const char* p = text; IsDecimalDigit(*p); ++p)
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    return static_cast<int32_t>(value);
}

float ReadFloatLiteral(const char* text)
{
    if (!text)
        return 0.0f;
    // Only the literal's own form: digits, '.', exponent. strtod would also take hex
    // floats, "inf" and "nan", which the language does not have.
    char buffer[160];
    size_t length = 0;
    const char* p = text;
    if (*p == '-' || *p == '+')
        buffer[length++] = *p++;
    while ((IsDecimalDigit(*p) || *p == '.') && length + 1 < sizeof(buffer))
        buffer[length++] = *p++;
    if ((*p == 'e' || *p == 'E') && length + 1 < sizeof(buffer)) {
        buffer[length++] = *p++;
        if ((*p == '+' || *p == '-') && length + 1 < sizeof(buffer))
            buffer[length++] = *p++;
        while (IsDecimalDigit(*p) && length + 1 < sizeof(buffer))
            buffer[length++] = *p++;
    }
    buffer[length] = '\0';
    return strtof(buffer, nullptr);
}

namespace {

PreprocessorValue Truth(bool value)
{
    return PreprocessorValue::Integer(value ? 1 : 0);
}

// Integer arithmetic in unsigned space, so overflow wraps instead of being undefined.
int32_t Wrap(uint32_t value)
{
    return static_cast<int32_t>(value);
}

// The comparisons, alike for integers and floats; the integer 0 for any other operator.
template <typename T>
PreprocessorValue Compare(BinaryOperator op, T a, T b)
{
    switch (op) {
    case BinaryOperator::kLess: return Truth(a < b);
    case BinaryOperator::kGreater: return Truth(a > b);
    case BinaryOperator::kLessEqual: return Truth(a <= b);
    case BinaryOperator::kGreaterEqual: return Truth(a >= b);
    case BinaryOperator::kEqual: return Truth(a == b);
    case BinaryOperator::kNotEqual: return Truth(a != b);
    default: return PreprocessorValue::Integer(0);
    }
}

PreprocessorValue ApplyIntegers(BinaryOperator op, int32_t a, int32_t b, ValueError* error)
{
    uint32_t ua = static_cast<uint32_t>(a);
    uint32_t ub = static_cast<uint32_t>(b);
    switch (op) {
    case BinaryOperator::kMultiply: return PreprocessorValue::Integer(Wrap(ua * ub));
    case BinaryOperator::kAdd: return PreprocessorValue::Integer(Wrap(ua + ub));
    case BinaryOperator::kSubtract: return PreprocessorValue::Integer(Wrap(ua - ub));
    case BinaryOperator::kDivide:
        if (b == 0) {
            *error = ValueError::kDivisionByZero;
            return PreprocessorValue::Integer(0);
        }
        if (a == INT32_MIN && b == -1)
            return PreprocessorValue::Integer(INT32_MIN);   // the one quotient that does not fit
        return PreprocessorValue::Integer(a / b);
    default: return Compare(op, a, b);
    }
}

// A float divisor of 0.0 is no error: the quotient is an infinity (or NaN for 0.0 / 0.0),
// as the shader's own arithmetic would give.
PreprocessorValue ApplyFloats(BinaryOperator op, float a, float b)
{
    switch (op) {
    case BinaryOperator::kMultiply: return PreprocessorValue::Float(a * b);
    case BinaryOperator::kAdd: return PreprocessorValue::Float(a + b);
    case BinaryOperator::kSubtract: return PreprocessorValue::Float(a - b);
    case BinaryOperator::kDivide: return PreprocessorValue::Float(a / b);
    default: return Compare(op, a, b);
    }
}

} // namespace

PreprocessorValue ApplyBinary(BinaryOperator op, const PreprocessorValue& left, const PreprocessorValue& right,
                              ValueError* error)
{
    *error = ValueError::kNone;
    if (!left.IsNumeric() || !right.IsNumeric()) {
        *error = ValueError::kNotNumeric;
        return PreprocessorValue::Integer(0);
    }
    if (op == BinaryOperator::kLogicalAnd)
        return Truth(left.IsTrue() && right.IsTrue());
    if (op == BinaryOperator::kLogicalOr)
        return Truth(left.IsTrue() || right.IsTrue());
    if (left.type == PreprocessorValue::kInteger && right.type == PreprocessorValue::kInteger)
        return ApplyIntegers(op, left.number.integer, right.number.integer, error);
    return ApplyFloats(op, left.AsFloat(), right.AsFloat());
}

PreprocessorValue ApplyUnary(UnaryOperator op, const PreprocessorValue& operand, ValueError* error)
{
    *error = ValueError::kNone;
    if (!operand.IsNumeric()) {
        *error = ValueError::kNotNumeric;
        return PreprocessorValue::Integer(0);
    }
    if (op == UnaryOperator::kNot)
        return Truth(!operand.IsTrue());
    if (operand.type == PreprocessorValue::kInteger)
        return PreprocessorValue::Integer(Wrap(0u - static_cast<uint32_t>(operand.number.integer)));
    return PreprocessorValue::Float(-operand.number.real);
}

bool ShortName::Assign(const char* source)
{
    if (!source) {
        length = 0;
        text[0] = '\0';
        return true;
    }
    size_t sourceLength = strnlen(source, kCapacity);
    if (sourceLength >= static_cast<size_t>(kCapacity))
        return false;
    memmove(text, source, sourceLength + 1);
    length = static_cast<int32_t>(sourceLength);
    return true;
}

} // namespace ShaderTool

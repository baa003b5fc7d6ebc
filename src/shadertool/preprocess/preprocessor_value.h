#pragma once

#include "shadertool/preprocess/text_builder.h"

#include <cstddef>
#include <cstdint>

namespace ShaderTool {

// One value of a directive expression, and the value of a macro. The default value,
// integer 0, stands for an undefined name and for a define without a value.
struct PreprocessorValue {
    enum Type : int32_t { kFloat = 0, kInteger = 1, kText = 2 };

    // Longest text kept; a longer one is not stored at all.
    static const int32_t kMaxTextLength = 127;

    union {
        int32_t integer;
        float real;
        int32_t textLength;
    } number;
    char text[129];
    int32_t column;
    int32_t line;
    int32_t type;

    // The integer 0 at no position.
    PreprocessorValue();

    static PreprocessorValue Integer(int32_t value);
    static PreprocessorValue Float(float value);
    // A text of more than 127 characters is not stored (the value's text stays empty).
    static PreprocessorValue Text(const char* value);

    bool IsNumeric() const { return type == kFloat || type == kInteger; }
    // Non-zero integer, or a float other than 0.0; a text is never true.
    bool IsTrue() const;
    float AsFloat() const { return type == kInteger ? static_cast<float>(number.integer) : number.real; }
    void SetPosition(int32_t atColumn, int32_t atLine)
    {
        column = atColumn;
        line = atLine;
    }

    // "%f" for a float, "%i" for an integer, the text itself.
    void AppendTextForm(TextBuilder& out) const;
};

static_assert(offsetof(PreprocessorValue, text) == 4, "PreprocessorValue layout");
static_assert(offsetof(PreprocessorValue, column) == 136, "PreprocessorValue layout");
static_assert(offsetof(PreprocessorValue, type) == 144, "PreprocessorValue layout");
static_assert(sizeof(PreprocessorValue) == 148, "PreprocessorValue layout");

// An integer literal of a directive or of a general constant: hexadecimal after "0x",
// otherwise decimal (a leading 0 is no octal mark), from its leading digits; the value
// wraps at 32 bits like the arithmetic does.
int32_t ReadIntegerLiteral(const char* text);
// A floating-point literal's value ("1.5f", "2e3"); 0 without digits.
float ReadFloatLiteral(const char* text);

// Outcome of an operation on two values.
enum class ValueError { kNone, kNotNumeric, kDivisionByZero };

// The directive operators. Integer with integer stays integer (32-bit wrap-around,
// division toward zero); any float makes both floats. A text operand gives kNotNumeric,
// an integer divided by the integer 0 kDivisionByZero; both give the integer 0.
enum class BinaryOperator { kMultiply, kDivide, kAdd, kSubtract, kLess, kGreater, kLessEqual, kGreaterEqual,
                            kEqual, kNotEqual, kLogicalAnd, kLogicalOr };
enum class UnaryOperator { kNegate, kNot };

PreprocessorValue ApplyBinary(BinaryOperator op, const PreprocessorValue& left, const PreprocessorValue& right,
                              ValueError* error);
PreprocessorValue ApplyUnary(UnaryOperator op, const PreprocessorValue& operand, ValueError* error);

// A fixed text record in which the preprocessor keeps names and text values.
struct ShortName {
    static constexpr int kCapacity = 128;

    int32_t length = 0;
    char text[kCapacity] = {};

    // A text of kCapacity characters or more is refused (false) and leaves the record
    // as it was; a null text makes it empty.
    bool Assign(const char* source);
};

static_assert(sizeof(ShortName) == 132, "ShortName layout");
static_assert(offsetof(ShortName, text) == 4, "ShortName layout");

} // namespace ShaderTool

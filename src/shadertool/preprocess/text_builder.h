#pragma once

#include "core/engine_string.h"

#include <cstdint>

namespace ShaderTool {

// A growable, always zero-terminated text for building large results piece by piece
// (String reallocates on every append, which turns line-by-line building quadratic).
// When memory runs out the builder stops growing and remembers it; the text then holds
// what fitted.
class TextBuilder {
public:
    TextBuilder() = default;
    ~TextBuilder();
    TextBuilder(const TextBuilder&) = delete;
    TextBuilder& operator=(const TextBuilder&) = delete;

    void Append(const char* text, int32_t length);
    void Append(const char* text);
    void AppendChar(char c) { Append(&c, 1); }
    void AppendFormat(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

    const char* Text() const { return data_ ? data_ : ""; }
    int32_t Length() const { return length_; }
    bool OutOfMemory() const { return outOfMemory_; }
    void Clear();
    // Room for that many characters at once: a builder that will hold about as much as a
    // known text grows in one step instead of many.
    void ReserveFor(int32_t characters) { Reserve(static_cast<int64_t>(characters) + 1); }

    // Hands the text over to target (which frees it); the builder is empty afterwards.
    void MoveInto(String& target);

private:
    bool Reserve(int64_t needed);

    char* data_ = nullptr;
    int32_t length_ = 0;
    int32_t capacity_ = 0;
    bool outOfMemory_ = false;
};

} // namespace ShaderTool

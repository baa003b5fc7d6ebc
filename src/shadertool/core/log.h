#pragma once

#include "core/engine_string.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace ShaderTool {

// One of the translator's two logs (the error log of the current step and the report
// log that the engine shows). The two status bytes stay adjacent: callers may read them
// as one 16-bit word, 257 meaning both set.
struct Log {
    String text;
    uint8_t hasText = 0;
    uint8_t hasError = 0;
    // The block text has grown into, its size and the text's length: a translation appends
    // a line at a time, and copying (and measuring) the whole log for each made that
    // quadratic. Trusted only while text still points at it (whoever replaces text leaves
    // the block behind); shorten the text through Truncate.
    char* grownBlock = nullptr;
    uint32_t grownCapacity = 0;
    uint32_t grownLength = 0;

    // Appends verbatim; sets hasText.
    void Append(const char* message);
    void AppendFormat(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
    // "Error: %s\n"; sets hasText and hasError.
    void AppendError(const char* message);
    void AppendErrorFormat(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
    // "%s(%i:%i) error: %s\n" with the source name, line and column (a report without a
    // position passes line 0 and column 0); sets hasText and hasError.
    void AppendSourceError(const char* sourceName, int line, int column, const char* message);

    // Text gone, both flags 0.
    void Clear();

    // Appends count characters of piece (no terminator needed) at the end of text.
    void AppendText(const char* piece, size_t count);
    // The text's length, and the text cut back to a length it had (0 leaves no text).
    size_t Length() const;
    void Truncate(size_t length);

    // Moves this log into target: "%s:" with the title first when the title is non-empty,
    // then the text; target's flags take on those set here; this log ends up empty.
    void MoveInto(Log& target, const char* title);
};

static_assert(offsetof(Log, hasError) == offsetof(Log, hasText) + 1, "the two status bytes form one word");

// Formats a variable argument list into a String of any length; the null String for a
// null format or one that cannot be formatted.
String FormatArguments(const char* format, va_list args);

} // namespace ShaderTool

#pragma once

#include <cstdarg>
#include <cstddef>

namespace ShaderTool {

// The translator's formats hold no conversion but %s, %i, %d, %c and %%, and it formats
// thousands of them a shader: writing those without the C library's formatter spares a
// good part of a translation. Any other format is the library's to write.

// Whether format holds only those conversions.
bool IsPlainFormat(const char* format);

// Writes a plain format with its arguments as pieces, through write(context, text, length);
// a null %s argument is written "(null)", as the library writes it.
void WritePlainFormat(const char* format, va_list args, void (*write)(void* context, const char* text, size_t length),
                      void* context);

} // namespace ShaderTool

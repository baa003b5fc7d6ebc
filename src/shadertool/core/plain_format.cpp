#include "shadertool/core/plain_format.h"

#include "shadertool/core/text_hash.h"

namespace ShaderTool {

namespace {

// The next '%' of text, or its terminator.
const char* NextConversion(const char* text)
{
    while (*text && *text != '%')
        ++text;
    return text;
}

} // namespace

bool IsPlainFormat(const char* format)
{
    if (!format)
        return false;
    for (const char* p = NextConversion(format); *p; p = NextConversion(p + 2)) {
        const char conversion = p[1];
        if (conversion != 's' && conversion != 'i' && conversion != 'd' && conversion != 'c' && conversion != '%')
            return false;
    }
    return true;
}

void WritePlainFormat(const char* format, va_list args, void (*write)(void* context, const char* text, size_t length),
                      void* context)
{
    const char* run = format;
    for (const char* p = NextConversion(format); *p; p = NextConversion(run)) {
        if (p > run)
            write(context, run, static_cast<size_t>(p - run));
        char number[12];
        switch (p[1]) {
        case 's': {
            const char* text = va_arg(args, const char*);
            if (!text)
                text = "(null)";
            write(context, text, TextLength(text));
            break;
        }
        case 'i':
        case 'd': {
            const int value = va_arg(args, int);
            // Digits from the right; the magnitude in unsigned arithmetic so INT_MIN stays whole.
            unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
            char* const end = number + sizeof(number);
            char* digits = end;
            do {
                *--digits = static_cast<char>('0' + magnitude % 10);
                magnitude /= 10;
            } while (magnitude);
            if (value < 0)
                *--digits = '-';
            write(context, digits, static_cast<size_t>(end - digits));
            break;
        }
        case 'c':
            number[0] = static_cast<char>(va_arg(args, int));
            write(context, number, 1);
            break;
        default:
            write(context, "%", 1);
            break;
        }
        run = p + 2;
    }
    const size_t rest = TextLength(run);
    if (rest > 0)
        write(context, run, rest);
}

} // namespace ShaderTool

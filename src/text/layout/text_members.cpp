// The text members of the API table: the calling thread's text settings, and drawing and
// measuring of printf-style text formatted into one 2048-byte buffer. Also the reader of
// a tag's attributes, which breaking, measuring and drawing share.
#include "text/text_api.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/threads.h"
#include "quaven/api.h"
#include "text/layout/text_layout.h"

namespace {

const float kSmallestTextScale = 1e-6f;
// An image's vertical offset beyond any screen is clamped rather than overflowed.
const long kLargestOffset = 1000000;

// Formats into buffer; false (the caller does nothing) when the text does not fit.
bool FormatText(char (&buffer)[kTextFormatBuffer], const char* member, const char* format, va_list arguments)
{
    // The commonest format, a text drawn as it is, is copied rather than formatted; a null or
    // too long text goes through the formatter for its usual answer.
    if (format[0] == '%' && format[1] == 's' && format[2] == 0) {
        va_list copy;
        va_copy(copy, arguments);
        const char* text = va_arg(copy, const char*);
        va_end(copy);
        const size_t length = text ? strlen(text) : sizeof buffer;
        if (length < sizeof buffer) {
            memcpy(buffer, text, length + 1);
            return true;
        }
    }
    const int count = vsnprintf(buffer, sizeof buffer, format, arguments);
    if (count < 0 || count >= kTextFormatBuffer) {
        QVI_Report(QV_LOG_WARNING, "%s: the text is %d characters long after formatting (at most %d); ignored.",
                   member, count, kTextFormatBuffer - 1);
        buffer[0] = 0;
        return false;
    }
    return true;
}

bool CanLayOut(const Font* font, const char* format)
{
    return font && font->height > 0 && format;
}

void Measure(Font* font, float* width, float* height, const char* member, const char* format, va_list arguments)
{
    *width = *height = 0.0f;
    if (!CanLayOut(font, format))
        return;
    char buffer[kTextFormatBuffer];
    if (FormatText(buffer, member, format, arguments))
        QVI_MeasureTextLines(font, buffer, width, height);
}

// Where an attribute's value starts within [tag, end), or null.
const char* FindAttribute(const char* tag, const char* end, const char* name)
{
    const size_t length = strlen(name);
    for (const char* p = tag; p + length <= end; ++p) {
        if (strncmp(p, name, length) == 0)
            return p + length;
    }
    return nullptr;
}

// Copies a value up to any of the stop characters or end; false when it has kMaxTagValue
// characters or more.
bool CopyValue(const char* value, const char* end, const char* stops, char (&out)[kMaxTagValue])
{
    int n = 0;
    for (const char* p = value; p < end && !strchr(stops, *p); ++p) {
        if (n + 1 >= kMaxTagValue)
            return false;
        out[n++] = *p;
    }
    out[n] = 0;
    return true;
}

bool ReadValue(const char* tag, const char* end, const char* name, const char* stops, char (&out)[kMaxTagValue])
{
    const char* value = FindAttribute(tag, end, name);
    return value && CopyValue(value, end, stops, out);
}

}  // namespace

Bitmap* QVI_ParseTextTag(const char* tag, int* offset, float* angle, float* scale, float color[4], Shader** shader)
{
    if (offset)
        *offset = 0;
    if (angle)
        *angle = 0.0f;
    if (scale)
        *scale = 1.0f;
    if (shader)
        *shader = nullptr;
    if (color && qv && qv->graphics) {
        const Color current = qv->graphics->GetColor();
        color[0] = current.r, color[1] = current.g, color[2] = current.b, color[3] = current.a;
    }
    if (!tag || !qv || !qv->graphics)
        return nullptr;
    const char* end = QVI_FindTagEnd(tag);
    if (!end)
        end = tag + strlen(tag);
    char value[kMaxTagValue];
    if (scale && ReadValue(tag, end, "scale=", " |", value)) {
        const float s = static_cast<float>(atof(value));
        *scale = std::isfinite(s) ? s : 1.0f;
    }
    if (angle && ReadValue(tag, end, "angle=", " |", value)) {
        const float a = static_cast<float>(atof(value)) * 0.0055555557f * 3.1415927f;
        *angle = std::isfinite(a) ? a : 0.0f;
    }
    if (offset && ReadValue(tag, end, "offset=", " |", value)) {
        const long pixels = strtol(value, nullptr, 10);
        *offset = static_cast<int>(pixels > kLargestOffset ? kLargestOffset : (pixels < -kLargestOffset ? -kLargestOffset : pixels));
    }
    if (color && ReadValue(tag, end, "color=", " |", value)) {
        const char* hex = value[0] == '#' ? value + 1 : value;
        const size_t digits = strlen(hex);
        if (digits >= 6) {
            for (int i = 0; i < 3; ++i)
                color[i] = QVI_ParseHexByte(hex[2 * i], hex[2 * i + 1]) / 255.0f;
            color[3] = digits >= 8 ? QVI_ParseHexByte(hex[6], hex[7]) / 255.0f : 1.0f;
        }
    }
    if (shader && ReadValue(tag, end, "shader='", "'|", value) && strcmp(value, "NULL") != 0)
        *shader = qv->graphics->GetShader(value);
    if (strncmp(tag, "img", 3) != 0 || !ReadValue(tag, end, "src='", "'|", value) || !value[0])
        return nullptr;
    return qv->graphics->GetBitmap(value);
}

void QV_SetTextAlignment(const uint32_t* alignment)
{
    if (!alignment) {
        QVI_Report(QV_LOG_WARNING, "SetTextAlignment: no alignment (null), alignment unchanged.");
        return;
    }
    QVI_GetThreadLocalState()->alignment = *alignment;
}

uint32_t QV_GetTextAlignment()
{
    return QVI_GetThreadLocalState()->alignment;
}

void QV_SetTextMaxWidth(const float* width)
{
    if (!width) {
        QVI_Report(QV_LOG_WARNING, "SetTextMaxWidth: no width (null), width unchanged.");
        return;
    }
    QVI_GetThreadLocalState()->maxWidth = (*width >= 0.1f && std::isfinite(*width)) ? *width : 64000.0f;
}

void QV_SetTextScale(const float* x, const float* y, const float* angle)
{
    if (!x || !y || !angle) {
        QVI_Report(QV_LOG_WARNING, "SetTextScale: a scale or the angle is missing (null), text scale unchanged.");
        return;
    }
    ThreadLocalState* state = QVI_GetThreadLocalState();
    state->scaleX = *x >= kSmallestTextScale ? *x : kSmallestTextScale;
    state->scaleY = *y >= kSmallestTextScale ? *y : kSmallestTextScale;
    state->angle = std::isfinite(*angle) ? *angle : 0.0f;
}

float QV_DrawText(Font* font, const float* x, const float* y, const char* format, ...)
{
    if (!CanLayOut(font, format))
        return 0.0f;
    if (!x || !y) {
        QVI_Report(QV_LOG_WARNING, "DrawText: no position (null), nothing drawn.");
        return 0.0f;
    }
    char buffer[kTextFormatBuffer];
    va_list arguments;
    va_start(arguments, format);
    const bool fits = FormatText(buffer, "DrawText", format, arguments);
    va_end(arguments);
    return fits && buffer[0] ? QVI_DrawText(font, buffer, *x, *y) : 0.0f;
}

void QV_MeasureText(Font* font, float* width, float* height, const char* format, ...)
{
    float w, h;
    va_list arguments;
    va_start(arguments, format);
    Measure(font, &w, &h, "MeasureText", format, arguments);
    va_end(arguments);
    if (width)
        *width = w;
    if (height)
        *height = h;
}

float QV_GetTextWidth(Font* font, const char* format, ...)
{
    float w, h;
    va_list arguments;
    va_start(arguments, format);
    Measure(font, &w, &h, "GetTextWidth", format, arguments);
    va_end(arguments);
    return w;
}

float QV_GetTextHeight(Font* font, const char* format, ...)
{
    float w, h;
    va_list arguments;
    va_start(arguments, format);
    Measure(font, &w, &h, "GetTextHeight", format, arguments);
    va_end(arguments);
    return h;
}

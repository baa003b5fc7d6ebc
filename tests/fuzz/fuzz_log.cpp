// What both builds of the targets give the API table: logging members that format every line
// (so that formats are exercised) and drop it, or show it with QUAVEN_FUZZ_LOG set; popups
// answered OK; a graphics table in which every bitmap a shader names exists.
#include "fuzz/fuzz_target.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "quaven/api.h"
#include "quaven/bitmap.h"

namespace {

const bool g_showLog = getenv("QUAVEN_FUZZ_LOG") != nullptr;

void Format(const char* format, va_list arguments)
{
    char text[1024];
    vsnprintf(text, sizeof text, format, arguments);
    if (g_showLog)
        fprintf(stderr, "log: %s\n", text);
}

int Drop(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    Format(format, arguments);
    va_end(arguments);
    return 0;
}

int DropLevel(int, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    Format(format, arguments);
    va_end(arguments);
    return QV_POPUP_OK;
}

Bitmap* KnownBitmap(const char*)
{
    static int bitmap;
    return reinterpret_cast<Bitmap*>(&bitmap);
}

} // namespace

void QVF_QuietTable(QuavenAPI* table)
{
    table->Log = Drop;
    table->LogEx = DropLevel;
    table->LogPopup = DropLevel;
    static QuavenGraphicsAPI graphics = {};
    graphics.GetBitmap = KnownBitmap;
    table->graphics = &graphics;
}

#include "engine/program/command_line.h"

#include <cstdlib>

#include "core/cstring_utils.h"

namespace {

// Written by the main thread at start-up and shutdown only.
char* g_commandLine = nullptr;

} // namespace

void QVI_KeepCommandLine(const char* text)
{
    char* copy = QVI_StrDup(text);
    free(g_commandLine);
    g_commandLine = copy;
}

char* QVI_GetCommandLineCopy()
{
    return g_commandLine;
}

void QVI_FreeCommandLine()
{
    free(g_commandLine);
    g_commandLine = nullptr;
}

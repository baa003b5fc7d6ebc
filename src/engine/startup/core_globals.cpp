#include "platform/windows/win32.h"

#include "engine/startup/core_globals.h"

#include <cstdlib>

#include "core/configuration.h"
#include "core/logging/logging.h"
#include "filesystem/file_system_globals.h"

namespace {

bool g_registered = false;

void FreeCoreGlobalsAtExit()
{
    QVI_FreeCoreGlobals();
}

}  // namespace

void QVI_FreeCoreGlobals()
{
    QVI_ResetProgramConfiguration();
    QVI_FreeLoggingGlobals();
    QVI_FreeFileSystemGlobals();
}

void QVI_RegisterCoreGlobalsRelease()
{
    if (g_registered)
        return;
    g_registered = true;
    atexit(FreeCoreGlobalsAtExit);
}

#include "platform/windows/win32.h"

#include "engine/platform_command_seams.h"

#include "core/missing_member.h"

const char* QV_PlatformCommand(const char* command, const char* argument)
{
    QVI_REPORT_MISSING_MEMBER("PlatformCommand");
    return nullptr;
}

#include <windows.h>

#include "core/api_seams/platform_command_seams.h"

#include "core/api_seams/missing_member.h"

const char* QV_PlatformCommand(const char* command, const char* argument)
{
    QVI_REPORT_MISSING_MEMBER("PlatformCommand");
    return nullptr;
}

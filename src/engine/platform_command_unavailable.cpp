// The string-command dispatcher until it arrives: the member reports once that it is not
// available and answers null, as for a command nobody handles.
#include "engine/platform_command.h"

#include "core/missing_member.h"

const char* QV_PlatformCommand(const char* command, const char* argument)
{
    QVI_REPORT_MISSING_MEMBER("PlatformCommand");
    return nullptr;
}

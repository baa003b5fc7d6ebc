#include "platform/windows/win32.h"

#include "console/console_seams.h"

#include "core/missing_member.h"

void QV_AddConsoleCommand(const char* name, const char* description)
{
    QVI_REPORT_MISSING_MEMBER("AddConsoleCommand");
}

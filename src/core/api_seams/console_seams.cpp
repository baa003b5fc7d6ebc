#include <windows.h>

#include "core/api_seams/console_seams.h"

#include "core/api_seams/missing_member.h"

void QV_AddConsoleCommand(const char* name, const char* description)
{
    QVI_REPORT_MISSING_MEMBER("AddConsoleCommand");
}

// The console's command registry until the console arrives: the member reports once that it
// is not available.
#include "console/console.h"

#include "core/missing_member.h"

void QV_AddConsoleCommand(const char* name, const char* description)
{
    QVI_REPORT_MISSING_MEMBER("AddConsoleCommand");
}

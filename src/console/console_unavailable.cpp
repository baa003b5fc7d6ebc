// The console's command registry until the console arrives: the member reports once that it
// is not available.
#include "console/console.h"

#include "core/missing_member.h"

void QV_AddConsoleCommand(const char* name, const char* description)
{
    QVI_REPORT_MISSING_MEMBER("AddConsoleCommand");
}

// Until the console arrives there is nothing to slide or draw.
void QVI_SlideConsole(float seconds)
{
}

void QVI_DrawConsole()
{
}

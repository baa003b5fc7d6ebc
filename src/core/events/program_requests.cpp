#include "core/events/program_requests.h"

#include "core/api_pointer.h"
#include "core/core_state.h"

void QV_RequestShutdown()
{
    if (!g_core.quit) {
        if (qv->GetDateTime && qv->LogEx) {
            const DateTime now = qv->GetDateTime();
            qv->LogEx(QV_LOG_SYSTEM, "Signalling shutdown at %d-%d-%d %.2d:%.2d.%2d", now.year, now.month,
                      now.day, now.hour, now.minute, now.second);
        }
        g_core.quit = 1;
    }
    if (g_core.settings)
        g_core.settings->video.quit = 1;
}

bool QV_IsShuttingDown()
{
    return g_core.quit != 0;
}

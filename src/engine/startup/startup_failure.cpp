#include "platform/windows/win32.h"

#include "engine/startup/startup_failure.h"

#include "core/engine_log.h"
#include "core/core_state.h"
#include "core/logging/console.h"
#include "platform/popups.h"
#include "quaven/types.h"

void QVI_ShowStartupFailure(const char* text)
{
    if (!text)
        return;
    const bool logPopupShows = QVI_IsLoggingStarted() && g_core.loggingVerboseLevel <= QV_LOG_ERROR &&
                               !g_core.programInitRan && qv->LogPopup;
    if (logPopupShows)
        qv->LogPopup(QV_LOG_ERROR, "%s", text);
    else
        QVI_ShowPopup(QV_LOG_ERROR, text);
}

#include "platform/windows/win32.h"

#include "core/engine_log.h"
#include "core/core_state.h"
#include "platform/windows/window/window_message_handlers.h"

bool QVI_IsCurrentModeWindowed()
{
    return g_core.settings && g_core.settings->video.windowed != 0;
}

void QVI_RequestWindowedMode(bool windowed)
{
    const ProgramInterface* program = g_core.settings;
    if (!program || !qv->ReinitializeWithParameters)
        return;
    VideoParameters parameters = program->video;
    parameters.windowed = windowed ? 1 : 0;
    qv->ReinitializeWithParameters(parameters);
}

void QVI_OnMaximize(HWND window, LPARAM lParam)
{
    // The engine has no maximised windows: the title bar's maximise button means "full
    // screen at the present size".
    ShowWindow(window, SW_RESTORE);
    if (qv->LogEx)
        qv->LogEx(QV_LOG_SYSTEM, "Window maximized: size %dx%d..", LOWORD(lParam), HIWORD(lParam));
    QVI_RequestWindowedMode(false);
}

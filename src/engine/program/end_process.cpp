#include "platform/windows/win32.h"

#include "engine/program/end_process.h"

#include "platform/popups.h"

void QVI_EndProcess(int exitCode)
{
    if (PopupLogFlushHook flush = QVI_GetPopupLogFlushHook())
        flush();
    ExitProcess(static_cast<UINT>(exitCode));
}

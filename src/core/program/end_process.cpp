#include <windows.h>

#include "core/program/end_process.h"

#include "platform/windows/popups/popup_seams.h"

void QVI_EndProcess(int exitCode)
{
    if (PopupLogFlushHook flush = QVI_GetPopupLogFlushHook())
        flush();
    ExitProcess(static_cast<UINT>(exitCode));
}

#include "platform/windows/win32.h"
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "core/engine_log.h"
#include "core/events/event_queue.h"
#include "platform/windows/window/window_message_handlers.h"

namespace {

const char kFileDraggedEventName[] = "FILE_DRAGGED";

// The event points into these while it is dispatched; the next drop overwrites them.
char g_droppedPath[512];
char g_dropPosition[32];

void ToForwardSlashes(char* path)
{
    for (char* c = path; *c; ++c) {
        if (*c == '\\')
            *c = '/';
    }
}

void DispatchFileDragged()
{
    EngineEvent event;
    QV_InitEvent(&event, EVENT_NAMED);
    EventNamedPayload named;
    memset(&named, 0, sizeof named);
    named.name = kFileDraggedEventName;
    named.value1 = g_droppedPath;
    named.value2 = g_dropPosition;
    memcpy(event.payload, &named, sizeof named);
    QVI_DispatchEvent(&event);
}

// The shell's calls trust the drop's header; a message carrying anything else (it can be
// posted by any code of the process) must not make them read outside the block.
bool IsReadableDrop(HDROP drop)
{
    if (!drop)
        return false;
    const SIZE_T size = GlobalSize(drop);
    if (size < sizeof(DROPFILES))
        return false;
    const DROPFILES* header = static_cast<const DROPFILES*>(GlobalLock(drop));
    if (!header)
        return false;
    const bool namesInside = header->pFiles >= sizeof(DROPFILES) && header->pFiles < size;
    GlobalUnlock(drop);
    return namesInside;
}

}  // namespace

LRESULT QVI_OnDropFiles(HDROP drop)
{
    if (!IsReadableDrop(drop))
        return 0;
    g_droppedPath[0] = '\0';
    g_dropPosition[0] = '\0';
    POINT point = {};
    if (DragQueryPoint(drop, &point))
        snprintf(g_dropPosition, sizeof g_dropPosition, "%d,%d", static_cast<int>(point.x), static_cast<int>(point.y));

    // Only the first of several dropped files is reported; a longer path is cut.
    const UINT length = DragQueryFileA(drop, 0, g_droppedPath, sizeof g_droppedPath);
    g_droppedPath[sizeof g_droppedPath - 1] = '\0';
    if (length != 0) {
        if (qv->Log)
            qv->Log("Dropped file '%s'", g_droppedPath);
        ToForwardSlashes(g_droppedPath);
        DispatchFileDragged();
    }
    // The drop's memory belongs to the receiver once the message arrived.
    DragFinish(drop);
    return 0;
}

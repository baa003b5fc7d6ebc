
#include "core/logging/popup_queue.h"

#include <cstdlib>
#include <utility>

#include "core/core_state.h"
#include "core/locks.h"
#include "platform/popups.h"

Array<PopupRequest> g_popupQueue;
Array<char*> g_shownPopups;

namespace {

// Moves the queue's storage into pending and leaves the queue empty without storage.
void TakeQueue(Array<PopupRequest>& pending)
{
    std::swap(pending.data, g_popupQueue.data);
    std::swap(pending.count, g_popupQueue.count);
    std::swap(pending.capacity, g_popupQueue.capacity);
}

} // namespace

void QVI_ShowQueuedPopups()
{
    // Popups queued before the window and devices exist wait for the first frame.
    if (!g_core.coreInitialized)
        return;

    Array<PopupRequest> pending;
    QVI_LockMutexById(MUTEX_PRINT);
    TakeQueue(pending);
    QVI_UnlockMutexById(MUTEX_PRINT);

    // PRINT is free again: a blocking popup never holds up another thread's logging.
    for (int32_t i = 0; i < pending.count; ++i)
        QVI_ShowPopup(pending.data[i].level, pending.data[i].text.text ? pending.data[i].text.text : "");
}

void QVI_FreePopupLists()
{
    Array<PopupRequest> pending;
    QVI_LockMutexById(MUTEX_PRINT);
    TakeQueue(pending);
    for (int32_t i = 0; i < g_shownPopups.count; ++i)
        free(g_shownPopups.data[i]);
    g_shownPopups.Release();
    QVI_UnlockMutexById(MUTEX_PRINT);
}

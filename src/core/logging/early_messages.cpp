#include "core/logging/early_messages.h"

#include <cstdlib>

#include "core/array.h"
#include "core/cstring_utils.h"
#include "core/locks.h"
#include "core/logging/console.h"
#include "core/logging/logging.h"

namespace {

struct EarlyMessage {
    bool popup;
    int level;
    char* text;  // owned
};

// Nothing before logging can hold more lines than the console keeps; a configuration that
// raises more (thousands of duplicate variants) must not exhaust memory on the way.
const int32_t kMostKept = kMaxConsoleLines;

bool g_keeping = false;
Array<EarlyMessage> g_kept;
int g_dropped = 0;

// Takes the kept messages out under PRINT and ends keeping.
Array<EarlyMessage> TakeKept()
{
    Array<EarlyMessage> taken;
    QVI_LockMutexById(MUTEX_PRINT);
    g_keeping = false;
    taken = g_kept;
    g_kept.Release();
    QVI_UnlockMutexById(MUTEX_PRINT);
    return taken;
}

void FreeTexts(Array<EarlyMessage>& messages)
{
    for (int32_t i = 0; i < messages.count; ++i)
        free(messages.data[i].text);
    messages.Release();
}

}  // namespace

void QVI_BeginKeepingEarlyMessages()
{
    QVI_DropEarlyMessages();
    g_keeping = true;
}

bool QVI_KeepEarlyMessage(bool popup, int level, const char* format, va_list args)
{
    if (!g_keeping || !format)
        return false;
    char message[kLogMessageBytes];
    QVI_LockMutexById(MUTEX_PRINT);
    const bool kept = g_keeping;
    if (kept) {
        QVI_FormatLogMessage(message, format, args);
        char* text = g_kept.count < kMostKept ? QVI_StrDup(message) : nullptr;
        if (text)
            g_kept.Add(EarlyMessage{popup, level, text});
        else
            ++g_dropped;
    }
    QVI_UnlockMutexById(MUTEX_PRINT);
    return kept;
}

void QVI_DeliverEarlyMessages()
{
    Array<EarlyMessage> kept = TakeKept();
    const int dropped = g_dropped;
    g_dropped = 0;
    for (int32_t i = 0; i < kept.count; ++i) {
        const EarlyMessage& message = kept.data[i];
        if (message.popup)
            QV_LogPopup(message.level, "%s", message.text);
        else
            QV_LogEx(message.level, "%s", message.text);
    }
    FreeTexts(kept);
    if (dropped > 0)
        QV_LogEx(QV_LOG_WARNING, "%d messages raised before logging started were dropped.", dropped);
}

void QVI_DropEarlyMessages()
{
    Array<EarlyMessage> kept = TakeKept();
    g_dropped = 0;
    FreeTexts(kept);
}

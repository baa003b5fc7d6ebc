#include "platform/windows/win32.h"

#include "platform/windows/cursors/clipboard.h"

#include <cstdlib>
#include <cstring>

#include "core/core_state.h"

namespace {

// Another program's data need not end within its block: never read past the block.
void CopyClipboardData(HANDLE data, String* text)
{
    const char* locked = static_cast<const char*>(GlobalLock(data));
    if (!locked)
        return;
    const size_t blockSize = GlobalSize(data);
    const size_t length = strnlen(locked, blockSize);
    if (char* copy = static_cast<char*>(malloc(length + 1))) {
        memcpy(copy, locked, length);
        copy[length] = '\0';
        free(text->text);
        text->text = copy;
    }
    GlobalUnlock(data);
}

}  // namespace

String QVI_GetClipboardText()
{
    String text("");
    if (!IsClipboardFormatAvailable(CF_TEXT))
        return text;
    if (!OpenClipboard(g_core.mainWindow))
        return text;
    if (HANDLE data = GetClipboardData(CF_TEXT))
        CopyClipboardData(data, &text);
    CloseClipboard();
    return text;
}

// What the desktop offers the engine beside its window: the mouse cursor chosen by name, the
// clipboard's text, and the accounts event of the system's user accounts.
#include "platform/windows/win32.h"

#include "platform/windows/desktop/desktop_services.h"

#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/events/event_queue.h"

namespace {

struct CursorEntry {
    char* name;      // heap copy; the first null name ends the used entries
    WORD id;         // the system cursor's resource id
    HCURSOR cursor;  // loaded on the entry's first use
};

const int kCursorTableSize = 32;
const char kArrowName[] = "ARROW";
const char kHiddenName[] = "NULL";

struct SystemCursor {
    const char* name;
    WORD id;
};

const SystemCursor kSystemCursors[] = {
    {"ARROW", 32512},              // IDC_ARROW
    {"FINGER_POINT", 32649},       // IDC_HAND
    {"IBEAM", 32513},              // IDC_IBEAM
    {"WAIT", 32514},               // IDC_WAIT
    {"CROSS", 32515},              // IDC_CROSS
    {"UPARROW", 32516},            // IDC_UPARROW
    {"SIZE_DIAGONAL_DOWN", 32642}, // IDC_SIZENWSE
    {"SIZE_DIAGONAL_UP", 32643},   // IDC_SIZENESW
    {"SIZE_HORIZONTAL", 32644},    // IDC_SIZEWE
    {"SIZE_VERTICAL", 32645},      // IDC_SIZENS
    {"SIZE_ALL", 32646},           // IDC_SIZEALL
    {"NO", 32648},                 // IDC_NO
    {"HELP", 32651},               // IDC_HELP
};

static_assert(sizeof kSystemCursors / sizeof kSystemCursors[0] <= kCursorTableSize, "the table holds every cursor");

// Main thread only.
CursorEntry g_cursors[kCursorTableSize];
bool g_hideCursor = false;

CursorEntry* FindCursor(const char* name)
{
    for (CursorEntry& entry : g_cursors) {
        if (!entry.name)
            return nullptr;
        if (strcmp(entry.name, name) == 0)
            return &entry;
    }
    return nullptr;
}

void ShowSystemArrow()
{
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
}

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

void QVI_InitCursors()
{
    for (CursorEntry& entry : g_cursors)
        free(entry.name);
    memset(g_cursors, 0, sizeof g_cursors);
    int used = 0;
    for (const SystemCursor& system : kSystemCursors) {
        char* name = QVI_StrDup(system.name);
        if (!name)
            continue;
        g_cursors[used].name = name;
        g_cursors[used].id = system.id;
        ++used;
    }
}

void QV_SetMouseCursor(const char* name)
{
    if (g_hideCursor || !name || strcmp(name, kHiddenName) == 0) {
        SetCursor(nullptr);
        return;
    }
    if (CursorEntry* entry = FindCursor(name)) {
        // Each system cursor costs a resource load, and start-up needs none of them: each
        // is loaded when first shown. System cursors are shared, so the handle is the
        // same whenever it is loaded.
        if (!entry->cursor)
            entry->cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(entry->id));
        SetCursor(entry->cursor);
        return;
    }
    // An unknown name shows the arrow, through the API member as any request does. The
    // arrow itself missing (the table is filled only after core initialisation) must not
    // ask again: the system arrow is set directly.
    if (strcmp(name, kArrowName) != 0 && qv->SetMouseCursor && FindCursor(kArrowName)) {
        qv->SetMouseCursor(kArrowName);
        return;
    }
    ShowSystemArrow();
}

void QVI_SetHideCursor(bool hide)
{
    g_hideCursor = hide;
}

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

void QVI_PostAccountsEvent(int value)
{
    EngineEvent event;
    QV_InitEvent(&event, EVENT_ACCOUNTS);
    EventAccountsPayload accounts;
    memset(&accounts, 0, sizeof accounts);
    accounts.value = value;
    memcpy(event.payload, &accounts, sizeof accounts);
    QVI_QueueEvent(&event);
}

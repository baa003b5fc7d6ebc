#include "platform/windows/win32.h"

#include "platform/windows/cursors/cursors.h"

#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/cstring_utils.h"

namespace {

struct CursorEntry {
    char* name;   // heap copy; the first null name ends the used entries
    HCURSOR cursor;
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

const CursorEntry* FindCursor(const char* name)
{
    for (const CursorEntry& entry : g_cursors) {
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
        g_cursors[used].cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(system.id));
        ++used;
    }
}

void QV_SetMouseCursor(const char* name)
{
    if (g_hideCursor || !name || strcmp(name, kHiddenName) == 0) {
        SetCursor(nullptr);
        return;
    }
    if (const CursorEntry* entry = FindCursor(name)) {
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

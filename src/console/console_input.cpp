// The console's input line: typing and editing, entering a line (handed to the program as
// EVENT_CONSOLE_LINE), the history, scrolling, and copy and paste through the clipboard's
// platform commands.
#include "console/console.h"

#include <cstdlib>
#include <cstring>

#include "console/console_internal.h"
#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/cstring_utils.h"
#include "core/engine_string.h"
#include "core/events/event_queue.h"
#include "core/logging/console.h"

namespace {

const int kMaxInputLength = kConsoleInputBytes - 1;
// Paste stops one short of a full line.
const int kPasteCursorLimit = kConsoleInputBytes - 2;
const int kWheelNotch = 120;
const int kPageLines = 10;

enum ConsoleKey : int32_t {
    KEY_TAB = 9,
    KEY_SHIFT = 16,
    KEY_CONTROL = 17,
    KEY_PAGE_UP = 33,
    KEY_PAGE_DOWN = 34,
    KEY_END = 35,
    KEY_HOME = 36,
    KEY_LEFT = 37,
    KEY_UP = 38,
    KEY_RIGHT = 39,
    KEY_DOWN = 40,
    KEY_DELETE = 46,
    KEY_C = 67,
    KEY_V = 86,
};

const uint8_t kBackspace = 8;
const uint8_t kEnter = 13;

int InputLength(const Console& console)
{
    return static_cast<int>(strlen(console.input));
}

void InsertAt(Console& console, char c)
{
    const int length = InputLength(console);
    if (length >= kMaxInputLength || console.cursor < 0 || console.cursor > length)
        return;
    memmove(console.input + console.cursor + 1, console.input + console.cursor, length - console.cursor + 1);
    console.input[console.cursor] = c;
    ++console.cursor;
}

void DeleteAt(Console& console, int position)
{
    const int length = InputLength(console);
    if (position < 0 || position >= length)
        return;
    memmove(console.input + position, console.input + position + 1, length - position);
}

// The line writer moves scroll under the console lock from any thread.
void AddToScroll(Console& console, int lines)
{
    QVI_LockConsole();
    console.scroll += lines;
    QVI_UnlockConsole();
}

void SetScroll(Console& console, int lines)
{
    QVI_LockConsole();
    console.scroll = lines;
    QVI_UnlockConsole();
}

int LineCount(Console& console)
{
    QVI_LockConsole();
    const int count = console.lines.count;
    QVI_UnlockConsole();
    return count;
}

const char* PlatformCommand(const char* command, const char* argument)
{
    return qv->PlatformCommand ? qv->PlatformCommand(command, argument) : nullptr;
}

void FreeLastHistoryEntry(Console& console)
{
    if (console.history.count <= 0)
        return;
    free(console.history.data[console.history.count - 1]);
    console.history.RemoveAt(console.history.count - 1);
}

void EnterLine(Console& console)
{
    // The log shows what was entered.
    String echoed = String(console.input) + "\n";
    console.Print(QV_LOG_INFO, echoed.text);

    if (console.browsingHistory && console.history.count > 0)
        FreeLastHistoryEntry(console);
    console.browsingHistory = 0;
    if (char* entry = QVI_StrDup(console.input))
        console.history.Add(entry);
    console.historyIndex = console.history.count;

    if (console.input[0] == '#') {
        // "#n" puts line position n (from 1) at the bottom of the view; drawing clamps it.
        // Read as atoi would, but kept within the list (as drawing would clamp it anyway), so
        // that a number past the integers overflows nothing here or in the line writer.
        const long long count = LineCount(console);
        const long long target = count - strtol(console.input + 1, nullptr, 10);
        SetScroll(console, static_cast<int>(target < 0 ? 0 : (target > count ? count : target)));
        FreeLastHistoryEntry(console);
        console.historyIndex = console.history.count;
    } else {
        EngineEvent line;
        QV_InitEvent(&line, EVENT_CONSOLE_LINE);
        const char* text = console.input;
        memcpy(line.payload, &text, sizeof text);
        QVI_DispatchEvent(&line);
    }

    console.input[0] = '\0';
    console.cursor = 0;
    console.Autocomplete(console.input);
}

void BrowseHistory(Console& console, bool up)
{
    Array<char*>& history = console.history;
    if (up) {
        if (!console.browsingHistory) {
            if (char* typing = QVI_StrDup(console.input))
                history.Add(typing);
            console.browsingHistory = 1;
            if (console.historyIndex > 0)
                --console.historyIndex;
        }
        if (console.historyIndex < 0 || console.historyIndex >= history.count)
            return;
        console.SetInputText(history.data[console.historyIndex]);
        if (console.historyIndex > 0)
            console.historyIndex = (console.historyIndex - 1) % history.count;
    } else if (console.historyIndex >= 0 && console.historyIndex < history.count) {
        console.SetInputText(history.data[console.historyIndex]);
        console.historyIndex = (console.historyIndex + 1) % history.count;
    }
}

void Paste(Console& console)
{
    const char* text = PlatformCommand("Clipboard_GetText", nullptr);
    // An empty clipboard answers "": nothing to paste.
    if (QVI_IsEmptyText(text))
        return;
    for (const char* c = text; *c && *c != '\n' && *c != '\r'; ++c) {
        if (console.cursor >= kPasteCursorLimit || InputLength(console) >= kMaxInputLength)
            break;
        InsertAt(console, *c);
    }
}

void Copy(Console& console)
{
    if (console.input[0]) {
        PlatformCommand("Clipboard_SetText", console.input);
        return;
    }
    String all("");
    QVI_LockConsole();
    for (int32_t i = 0; i < console.lines.count; ++i)
        all.Append(console.lines.data[i].text);
    QVI_UnlockConsole();
    PlatformCommand("Clipboard_SetText", all.text);
}

// The line under a click, walked as drawing walks the lines of a fully open console.
void CopyClickedLine(Console& console, int y)
{
    const int spacing = QVI_ConsoleLineSpacing(console);
    if (spacing <= 0)
        return;
    String clicked;
    QVI_LockConsole();
    int top = QVI_ConsoleHeight() - 2 * spacing - 2;
    const int scroll = console.scroll < 0 ? 0 : console.scroll;
    for (int32_t i = console.lines.count - scroll - 1; i >= 0 && top + spacing >= 0; --i) {
        const LogLine& line = console.lines.data[i];
        if (!QVI_ConsoleShowsLine(console, line))
            continue;
        if (top < y && y < top + spacing) {
            clicked.Assign(line.text);
            break;
        }
        top -= spacing;
    }
    QVI_UnlockConsole();
    if (clicked.text)
        PlatformCommand("Clipboard_SetText", clicked.text);
}

int HandleKeyDown(Console& console, int32_t code)
{
    const int length = InputLength(console);
    switch (code) {
    case KEY_CONTROL:
        console.ctrlDown = 1;
        break;
    case KEY_SHIFT:
        console.shiftDown = 1;
        break;
    case KEY_DELETE:
        if (console.cursor < length) {
            DeleteAt(console, console.cursor);
            console.Autocomplete(console.input);
        }
        break;
    case KEY_HOME:
        if (console.ctrlDown)
            SetScroll(console, LineCount(console));
        else
            console.cursor = 0;
        break;
    case KEY_END:
        if (console.ctrlDown)
            SetScroll(console, 0);
        else
            console.cursor = length;
        break;
    case KEY_LEFT:
        if (console.cursor > 0)
            --console.cursor;
        break;
    case KEY_RIGHT:
        if (console.cursor < length)
            ++console.cursor;
        break;
    case KEY_PAGE_UP:
        AddToScroll(console, kPageLines);
        break;
    case KEY_PAGE_DOWN:
        AddToScroll(console, -kPageLines);
        break;
    case KEY_TAB:
        // A console toggled with TAB cannot complete with it.
        if (console.toggleKey != KEY_TAB) {
            if (const char* name = console.FindCommand(console.input))
                console.SetInputText(name);
        }
        break;
    default:
        break;
    }

    if (code == KEY_UP || code == KEY_DOWN) {
        if (console.ctrlDown)
            AddToScroll(console, code == KEY_UP ? 1 : -1);
        else if (console.history.count > 0)
            BrowseHistory(console, code == KEY_UP);
    }

    if (console.ctrlDown && code == KEY_V) {
        Paste(console);
        console.Autocomplete(console.input);
        return 1;
    }
    if (console.ctrlDown && code == KEY_C) {
        Copy(console);
        return 1;
    }
    // Keys without CONTROL still reach the program.
    return console.ctrlDown ? 1 : 0;
}

int HandleCharacter(Console& console, uint8_t c)
{
    if (c == kBackspace) {
        if (console.cursor > 0) {
            DeleteAt(console, console.cursor - 1);
            --console.cursor;
            console.Autocomplete(console.input);
        }
    } else if (c == kEnter) {
        EnterLine(console);
    } else if (c >= 32 && c <= 127 && InputLength(console) < kMaxInputLength) {
        InsertAt(console, static_cast<char>(c));
        console.Autocomplete(console.input);
    }
    return 1;
}

}  // namespace

void Console::SetInputText(const char* text)
{
    if (!text) {
        input[0] = '\0';
        cursor = 0;
    } else {
        const size_t length = strlen(text);
        if (length >= static_cast<size_t>(kMaxInputLength))
            return;
        // The text may be an entry of the history or a command name, never the input itself.
        memmove(input, text, length + 1);
        cursor = static_cast<int32_t>(length);
    }
    Autocomplete(input);
}

int Console::HandleEvent(EngineEvent* event)
{
    if (!event || !QVI_IsLoggingStarted())
        return 0;
    switch (event->type) {
    case EVENT_CHARACTER:
        return HandleCharacter(*this, event->payload[0]);
    case EVENT_KEY_DOWN: {
        int32_t code;
        memcpy(&code, event->payload, sizeof code);
        return HandleKeyDown(*this, code);
    }
    case EVENT_KEY_UP: {
        int32_t code;
        memcpy(&code, event->payload, sizeof code);
        if (code == KEY_CONTROL)
            ctrlDown = 0;
        else if (code == KEY_SHIFT)
            shiftDown = 0;
        return 0;
    }
    case EVENT_MOUSE_WHEEL: {
        EventMousePayload mouse;
        memcpy(&mouse, event->payload, sizeof mouse);
        AddToScroll(*this, mouse.wheel / kWheelNotch);
        return 1;
    }
    case EVENT_MOUSE_DOWN: {
        if (openFraction >= 0.99f) {
            EventMousePayload mouse;
            memcpy(&mouse, event->payload, sizeof mouse);
            CopyClickedLine(*this, mouse.y);
        }
        return 1;
    }
    case EVENT_MOUSE_MOVE:
    case EVENT_MOUSE_UP:
        return 1;
    default:
        return 0;
    }
}

int QVI_ConsoleHandleEvent(EngineEvent* event)
{
    return g_console.HandleEvent(event);
}

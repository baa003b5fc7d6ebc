// The Windows layer's string commands. Each command is one small function; the table at
// the end maps the names to them in the order they are tested.
#include "platform/windows/win32.h"
#include <commdlg.h>
#include <shellapi.h>

#include "platform/windows/desktop/windows_platform_command.h"

#include <cstring>

#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/events/key_state.h"
#include "core/threads.h"
#include "platform/windows/desktop/desktop_services.h"
#include "platform/windows/popups/edit_value_dialog.h"
#include "platform/windows/window/main_window.h"

namespace {

const char kOk[] = "OK";
const char kDeprecated[] = "DEPRECATED";

const int kClipboardAnswerBytes = 1024;
const int kPathAnswerBytes = 512;
const int kRegionAnswerBytes = 64;
const int kUserNameAnswerBytes = 264;
const DWORD kUserNameRequestBytes = 257;
const int kRegionRequestBytes = 60;
const int kDialogFileBytes = 260;

const uint32_t kMouseDeltaX = 508;
const uint32_t kMouseDeltaY = 509;

// One thread's answers: a call on another thread never overwrites them.
struct AnswerBuffers {
    char clipboard[kClipboardAnswerBytes];
    char staticToNative[kPathAnswerBytes];
    char nativeToStatic[kPathAnswerBytes];
    char region[kRegionAnswerBytes];
    char userName[kUserNameAnswerBytes];
    char openDialog[kPathAnswerBytes];
    char saveDialog[kPathAnswerBytes];
};

thread_local AnswerBuffers t_answers;

// Written once by the engine at pre-initialisation, read afterwards.
WindowsPathServices g_pathServices = {};

// Copies text into an answer buffer; a text that does not fit leaves the empty text, never
// a cut path that would name another file.
const char* Answer(char* buffer, int size, const char* text)
{
    const size_t length = text ? strlen(text) : 0;
    if (length >= static_cast<size_t>(size))
        buffer[0] = '\0';
    else
        memcpy(buffer, text ? text : "", length + 1);
    return buffer;
}

String StaticToNative(const char* path)
{
    return g_pathServices.convertStaticToNative && path ? g_pathServices.convertStaticToNative(path) : String("");
}

String NativeToStatic(const char* path)
{
    return g_pathServices.convertNativeToStatic && path ? g_pathServices.convertNativeToStatic(path) : String("");
}

// Copies as much of text as fits, terminator included.
void CopyCapped(char* buffer, size_t size, const char* text)
{
    const size_t length = strnlen(text, size - 1);
    memcpy(buffer, text, length);
    buffer[length] = '\0';
}

void ToBackslashes(char* text)
{
    for (; *text; ++text) {
        if (*text == '/')
            *text = '\\';
    }
}

// ---- Mouse -----------------------------------------------------------------------------

const char* ReadWindowMouseMessages(const char*, const char*)
{
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE)) {
        if (GetMessageA(&message, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE) <= 0)
            break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return nullptr;
}

const char* ClipMouseCursor(const char*, const char* argument)
{
    ClipCursor(nullptr);
    const bool confine = argument && (strcmp(argument, "1") == 0 || _stricmp(argument, "true") == 0);
    RECT client;
    if (!confine || !g_core.mainWindow || !GetClientRect(g_core.mainWindow, &client))
        return nullptr;
    POINT topLeft = {client.left, client.top};
    POINT bottomRight = {client.right, client.bottom};
    ClientToScreen(g_core.mainWindow, &topLeft);
    ClientToScreen(g_core.mainWindow, &bottomRight);
    const RECT area = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    ClipCursor(&area);
    return nullptr;
}

const char* ReadMouseDelta(const char*, const char*)
{
    RECT window;
    POINT cursor;
    if (!g_core.mainWindow || !GetWindowRect(g_core.mainWindow, &window) || !GetCursorPos(&cursor))
        return nullptr;
    const int centreX = (window.left + window.right) / 2;
    const int centreY = (window.top + window.bottom) / 2;
    SetCursorPos(centreX, centreY);
    // The key state holds the signed delta as its 32-bit pattern.
    QV_SetKey(kMouseDeltaX, static_cast<uint32_t>(cursor.x - centreX));
    QV_SetKey(kMouseDeltaY, static_cast<uint32_t>(cursor.y - centreY));
    return nullptr;
}

// ---- Clipboard -------------------------------------------------------------------------

const char* SetClipboardText(const char*, const char* argument)
{
    if (!argument || !OpenClipboard(g_core.mainWindow))
        return nullptr;
    EmptyClipboard();
    const size_t bytes = strlen(argument) + 1;
    if (bytes > 1) {
        if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
            void* target = GlobalLock(block);
            if (target) {
                memcpy(target, argument, bytes);
                GlobalUnlock(block);
            }
            // The clipboard owns the block once it took it.
            if (!target || !SetClipboardData(CF_TEXT, block))
                GlobalFree(block);
        }
    }
    CloseClipboard();
    return nullptr;
}

const char* GetClipboardText(const char*, const char*)
{
    String text = QVI_GetClipboardText();
    char* buffer = t_answers.clipboard;
    const size_t length = text.text ? strlen(text.text) : 0;
    if (length < static_cast<size_t>(kClipboardAnswerBytes - 1))
        memcpy(buffer, text.text ? text.text : "", length + 1);
    else
        buffer[0] = '\0';
    return buffer;
}

// ---- URLs and mail ---------------------------------------------------------------------

// Without a target the shell is asked all the same: it opens nothing and answers an error
// value, which the log line shows.
void ShellOpen(const char* target)
{
    HINSTANCE result = ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
    QVI_Report(QV_LOG_INFO, "ShellExecute open '%s' returned %x", target ? target : "",
               static_cast<unsigned>(reinterpret_cast<uintptr_t>(result)));
}

const char* OpenUrl(const char*, const char* argument)
{
    ShellOpen(argument);
    return kOk;
}

const char* ComposeMail(const char*, const char* argument)
{
    ShellOpen(argument);
    return nullptr;
}

// ---- Paths -----------------------------------------------------------------------------

const char* ConvertStaticToNative(const char*, const char* argument)
{
    String native = StaticToNative(argument);
    return Answer(t_answers.staticToNative, kPathAnswerBytes, native.text);
}

const char* ConvertNativeToStatic(const char*, const char* argument)
{
    String path = NativeToStatic(argument);
    return Answer(t_answers.nativeToStatic, kPathAnswerBytes, path.text);
}

// The folder of user-generated content: a path the file system's IsPathValid accepts, kept
// as given (a relative folder lies below the working folder and need not exist yet). A path
// with a scheme is refused too: the root of ugc:// is a native folder, not another root.
const char* SetUgcBasePath(const char*, const char* argument)
{
    const QuavenFileSystemAPI* files = qv ? qv->fileSystem : nullptr;
    const bool valid = argument && files && files->IsPathValid && files->IsPathValid(argument) &&
                       !strstr(argument, "://");
    if (!valid || !g_pathServices.setUgcRoot) {
        QVI_Report(QV_LOG_WARNING, "SetUGCBasePath new path is invalid.");
        return nullptr;
    }
    g_pathServices.setUgcRoot(argument);
    return kOk;
}

// ---- Region and user -------------------------------------------------------------------

const char* GetRegion(const char*, const char*)
{
    char* buffer = t_answers.region;
    buffer[0] = '\0';
    if (GetGeoInfoA(GetUserGeoID(GEOCLASS_NATION), GEO_ISO2, buffer, kRegionRequestBytes, 0) <= 0)
        buffer[0] = '\0';
    buffer[kRegionAnswerBytes - 1] = '\0';
    return buffer;
}

const char* GetUserNameAnswer(const char*, const char*)
{
    char* buffer = t_answers.userName;
    DWORD size = kUserNameRequestBytes;
    if (!GetUserNameA(buffer, &size))
        buffer[0] = '\0';
    return buffer;
}

const char* Deprecated(const char*, const char*)
{
    return kDeprecated;
}

const char* Nothing(const char*, const char*)
{
    return nullptr;
}

// ---- File dialogs ----------------------------------------------------------------------

// "OpenFileDialog" and "SaveFileDialog": argument "[engine path;]filter list", the filter
// list in the system dialog's form (pairs of zero-terminated texts, ended by an empty one).
const char* FileDialog(const char* name, const char* argument)
{
    if (!argument)
        return nullptr;
    const char* separator = strchr(argument, ';');
    const char* filter = separator ? separator + 1 : argument;
    char file[kDialogFileBytes] = "";
    char folder[kDialogFileBytes] = "";
    bool haveFolder = false;
    if (separator) {
        String initial(argument);
        initial.text[separator - argument] = '\0';
        String native = StaticToNative(initial.text);
        const char* text = native.text ? native.text : "";
        const char* lastSlash = strrchr(text, '/');
        const size_t folderLength = lastSlash ? static_cast<size_t>(lastSlash - text) + 1 : 0;
        if (folderLength > 0 && folderLength < sizeof folder) {
            memcpy(folder, text, folderLength);
            folder[folderLength] = '\0';
            haveFolder = true;
            if (folderLength == strlen(text))
                folder[folderLength - 1] = '\0';  // the path named a folder: no file name
            else
                CopyCapped(file, sizeof file, text);
        }
        ToBackslashes(folder);
        ToBackslashes(file);
    }
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = g_core.mainWindow;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = kDialogFileBytes;
    dialog.lpstrInitialDir = haveFolder ? folder : nullptr;
    const bool open = strstr(name, "Open") != nullptr;
    dialog.Flags = OFN_PATHMUSTEXIST | (open ? OFN_FILEMUSTEXIST : 0);
    QVI_ReleaseAllKeys();
    const BOOL chosen = open ? GetOpenFileNameA(&dialog) : GetSaveFileNameA(&dialog);
    if (!chosen)
        return nullptr;
    String path = NativeToStatic(file);
    return Answer(open ? t_answers.openDialog : t_answers.saveDialog, kPathAnswerBytes, path.text);
}

// ---- The value dialog ------------------------------------------------------------------

// The edit buffer receives text with every line feed as carriage return plus line feed;
// false when that does not fit.
bool FillEditBuffer(const char* text)
{
    size_t out = 0;
    for (const char* c = text ? text : ""; *c; ++c) {
        const size_t need = *c == '\n' ? 2 : 1;
        if (out + need >= static_cast<size_t>(kEditValueBufferSize))
            return false;
        if (*c == '\n')
            g_editValueBuffer[out++] = '\r';
        g_editValueBuffer[out++] = *c;
    }
    g_editValueBuffer[out] = '\0';
    return true;
}

// In place: "\r\n" becomes "\n", then every remaining '\r' becomes '\n'.
void NormalizeLineBreaks(char* text)
{
    char* out = text;
    for (const char* in = text; *in; ++in) {
        if (in[0] == '\r' && in[1] == '\n')
            continue;
        *out++ = *in == '\r' ? '\n' : *in;
    }
    *out = '\0';
}

const char* EditValue(const char* name, const char* argument)
{
    // The edit buffer and the dialog belong to the main thread: a second thread would write
    // the buffer under the open dialog.
    if (!QV_IsMainThread()) {
        QVI_Report(QV_LOG_WARNING, "%.64s: the value dialog opens on the main thread only.", name);
        return nullptr;
    }
    if (!FillEditBuffer(argument)) {
        QVI_Report(QV_LOG_WARNING, "%.64s: the text is too long to edit (at most %d characters).", name,
                   kEditValueBufferSize - 2);
        return nullptr;
    }
    // A title too long for its buffer is cut: it is only shown.
    CopyCapped(g_editValueTitle, kEditValueTitleSize, name);
    QVI_ReleaseAllKeys();
    const bool multiline = (argument && strchr(argument, '\n')) || strncmp(name, "EditValueMultiline", 18) == 0;
    if (QVI_RunEditValueDialog(QVI_GetPlatformInstance(), multiline) != IDOK)
        return nullptr;
    NormalizeLineBreaks(g_editValueBuffer);
    return g_editValueBuffer;
}

// ---- Accounts --------------------------------------------------------------------------

const char* Accounts(const char*, const char* argument)
{
    if (!argument || !argument[0])
        return nullptr;
    const size_t wordLength = strcspn(argument, ",");
    if (wordLength == strlen("PairGamepad") && strncmp(argument, "PairGamepad", wordLength) == 0)
        QVI_PostAccountsEvent(1);
    else if (wordLength == strlen("Logout") && strncmp(argument, "Logout", wordLength) == 0)
        QVI_PostAccountsEvent(0);
    return nullptr;
}

using CommandFunction = const char* (*)(const char* name, const char* argument);

struct Command {
    const char* name;
    CommandFunction run;
};

const Command kCommands[] = {
    {"ReadWindowMouseMessages", ReadWindowMouseMessages},
    {"ClipCursor", ClipMouseCursor},
    {"ReadMouseDelta", ReadMouseDelta},
    {"Clipboard_SetText", SetClipboardText},
    {"Clipboard_GetText", GetClipboardText},
    {"OpenURL", OpenUrl},
    {"IPHONE_OpenURL", OpenUrl},
    {"GetNativeOSPath", ConvertStaticToNative},
    {"ConvertStaticPathToNativeOSPath", ConvertStaticToNative},
    {"ConvertNativeOSPathToStaticPath", ConvertNativeToStatic},
    {"SetUGCBasePath", SetUgcBasePath},
    {"ComposeMail", ComposeMail},
    {"GetRegion", GetRegion},
    {"GetUserName", GetUserNameAnswer},
    {"SystemInfo", Deprecated},
    {"RawInput", Nothing},
    {"OpenFileDialog", FileDialog},
    {"SaveFileDialog", FileDialog},
};

}  // namespace

const char* QVI_WindowsPlatformCommand(const char* name, const char* argument)
{
    if (!name)
        return nullptr;
    for (const Command& command : kCommands) {
        if (strcmp(name, command.name) == 0)
            return command.run(name, argument);
    }
    if (strncmp(name, "EditValue", 9) == 0)
        return EditValue(name, argument);
    if (strcmp(name, "Accounts") == 0)
        return Accounts(name, argument);
    return nullptr;
}

void QVI_SetWindowsPathServices(const WindowsPathServices& services)
{
    g_pathServices = services;
}

// The console's command registry and completion: names the program registers, the name TAB
// completes to, and the hint listing every name the typed text may mean.
#include "console/console.h"

#include <cstring>

#include "console/console_internal.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/logging/console.h"

namespace {

// The folded copies of the containment test; longer texts take part with their start only.
const int kFoldBytes = 4096;

char FoldLetter(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void CopyFolded(char* destination, const char* text)
{
    int i = 0;
    for (; i < kFoldBytes - 1 && text[i]; ++i)
        destination[i] = FoldLetter(text[i]);
    destination[i] = '\0';
}

const char* const kHintColour = "|#ffaa55|";
const char* const kPlainColour = "|#ffffff|";

// The hint's piece for a matching name: the typed text marked where the name holds it as
// typed, else the name's first characters (the same letters in other case) marked.
void AppendHintPiece(String& hint, const char* name, const char* typed)
{
    if (strstr(name, typed)) {
        String piece(name);
        String marked = String(kHintColour) + typed + kPlainColour;
        piece.Replace(typed, marked.text);
        hint.Append(piece.text);
    } else {
        const int length = static_cast<int>(strlen(typed));
        String start = String(name).Substring(0, length);
        hint.Append(kHintColour);
        hint.Append(start.text);
        hint.Append(kPlainColour);
        hint.Append(name + length);
    }
    hint.Append(" ");
}

}  // namespace

bool QVI_ConsoleStartsWithFolded(const char* text, const char* prefix)
{
    if (!text || !prefix)
        return false;
    for (; *prefix; ++text, ++prefix) {
        if (FoldLetter(*text) != FoldLetter(*prefix))
            return false;
    }
    return true;
}

bool QVI_ConsoleContainsFolded(const char* text, const char* part)
{
    if (!text || !part)
        return false;
    char foldedText[kFoldBytes];
    char foldedPart[kFoldBytes];
    CopyFolded(foldedText, text);
    CopyFolded(foldedPart, part);
    return strstr(foldedText, foldedPart) != nullptr;
}

void QVI_LockConsole()
{
    if (g_console.consoleLock && qv->LockMutex)
        qv->LockMutex(g_console.consoleLock);
}

void QVI_UnlockConsole()
{
    if (g_console.consoleLock && qv->UnlockMutex)
        qv->UnlockMutex(g_console.consoleLock);
}

const char* Console::FindCommand(const char* text)
{
    if (!text)
        return nullptr;
    const char* found = nullptr;
    QVI_LockConsole();
    if (!*text) {
        if (commands.count > 0)
            found = commands.data[0]->name.text;
    }
    for (int32_t i = 0; !found && i < commands.count; ++i) {
        if (QVI_ConsoleStartsWithFolded(commands.data[i]->name.text, text))
            found = commands.data[i]->name.text;
    }
    for (int32_t i = 0; !found && i < commands.count; ++i) {
        if (strstr(commands.data[i]->name.text, text))
            found = commands.data[i]->name.text;
    }
    QVI_UnlockConsole();
    return found;
}

void Console::Autocomplete(const char* text)
{
    hint.Assign("");
    if (QVI_IsEmptyText(text))
        return;
    const size_t typedLength = strlen(text);

    String pieces;
    int matches = 0;
    const ConsoleCommand* remembered = nullptr;
    bool exact = false;
    QVI_LockConsole();
    for (int32_t i = 0; i < commands.count; ++i) {
        const ConsoleCommand* command = commands.data[i];
        const char* name = command->name.text;
        if (strlen(name) < typedLength)
            continue;
        const bool matching = QVI_ConsoleStartsWithFolded(name, text) || (typedLength > 2 && strstr(name, text));
        if (!matching)
            continue;
        ++matches;
        if (!remembered)
            remembered = command;
        if (strcmp(name, text) == 0) {
            remembered = command;
            exact = true;
        }
        AppendHintPiece(pieces, name, text);
    }
    // Commands are never removed, so the remembered entry outlives the lock.
    QVI_UnlockConsole();

    if (QVI_IsEmptyText(pieces.text))
        return;
    hint.Assign("Autocomplete (tab): ");
    hint.Append(pieces.text);
    if ((matches == 1 || exact) && remembered && !QVI_IsEmptyText(remembered->description.text)) {
        hint.Append("\n\n");
        hint.Append(remembered->description.text);
    }
}

void Console::AddCommand(const char* name, const char* description)
{
    if (!name)
        return;
    if (!qv->fileSystem || !qv->fileSystem->IsPathValid || !qv->fileSystem->IsPathValid(name)) {
        QVI_ReportPopup(QV_LOG_WARNING, "Invalid autocompletion string registered: '%s' is not allowed.", name);
        return;
    }
    ConsoleCommand* command = new ConsoleCommand;
    command->name.Assign(name);
    command->description.Assign(description ? description : "");
    // The check and the append under one lock: two threads registering the same name add it once.
    QVI_LockConsole();
    const bool known = FindCommand(name) != nullptr;
    if (!known)
        commands.Add(command);
    QVI_UnlockConsole();
    if (known)
        delete command;
}

void QV_AddConsoleCommand(const char* name, const char* description)
{
    g_console.AddCommand(name, description);
}

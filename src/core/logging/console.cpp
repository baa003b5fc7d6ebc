#include "core/logging/console.h"

#include <cstdlib>
#include <cstring>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/engine_string.h"
#include "core/engine_time.h"
#include "core/logging/log_file.h"
#include "core/threads.h"

Console g_console;

namespace {

// A piece of a multi-line text is copied into a buffer of this size on the writing
// thread's own stack; longer pieces are dropped.
const int kPieceBytes = 512;

const char* const kUnnamedThread = "MAIN";

void LockConsole(Mutex* lock)
{
    if (lock && qv->LockMutex)
        qv->LockMutex(lock);
}

void UnlockConsole(Mutex* lock)
{
    if (lock && qv->UnlockMutex)
        qv->UnlockMutex(lock);
}

// True when a line feed is followed by more text: only then is the text several lines.
bool HoldsSeveralLines(const char* text)
{
    const char* feed = strchr(text, '\n');
    while (feed) {
        if (feed[1] != '\0')
            return true;
        feed = strchr(feed + 1, '\n');
    }
    return false;
}

// The console entry's text: levels 1 to 3 carry their name in front for the overlay.
char* EntryText(int level, const char* message)
{
    if (level < QV_LOG_WARNING || level > QV_LOG_SYSTEM)
        return QVI_StrDup(message);
    String tagged = String::FromFormat("[%s] %s", QVI_GetLogLevelName(level), message);
    char* text = tagged.text;
    tagged.text = nullptr;
    return text;
}

} // namespace

const char* QVI_GetLogLevelName(int level)
{
    switch (level) {
    case QV_LOG_INFO:
        return "INFO";
    case QV_LOG_WARNING:
        return "WARNING";
    case QV_LOG_ERROR:
        return "ERROR";
    case QV_LOG_SYSTEM:
        return "SYSTEM";
    default:
        return "UNKNOWN";
    }
}

int QVI_ClampLogLevel(int level)
{
    if (level < 0 || level >= kLogLevelSlots)
        return QV_LOG_ERROR;
    return level;
}

void QVI_FreeLogLineTexts(LogLine* line)
{
    if (!line)
        return;
    free(line->text);
    free(line->threadName);
    line->text = nullptr;
    line->threadName = nullptr;
}

bool QVI_IsLoggingStarted()
{
    return __atomic_load_n(&g_console.started, __ATOMIC_ACQUIRE) != 0;
}

void Console::Print(int level, const char* text)
{
    if (!QVI_IsLoggingStarted())
        return;
    if (text && HoldsSeveralLines(text)) {
        PrintEachLine(level, text);
        return;
    }

    // The thread record is fetched before the console lock: the thread list has a lock of
    // its own, under which the list of live threads is logged at shutdown.
    ThreadRecord* record = QVI_GetThreadRecord();
    const char* recordName = record ? record->name : nullptr;

    Mutex* lock = consoleLock;
    LockConsole(lock);
    // Shutdown may have stopped logging while this thread waited for the lock. While the
    // overlay draws, the lock keeps every other thread out, so this is the drawing thread
    // itself (a text member reporting on a line it is asked to draw): writing would change
    // the list under the walk, and a line that reports every time it is drawn would add a
    // line every frame.
    if (!QVI_IsLoggingStarted() || drawing) {
        UnlockConsole(lock);
        return;
    }

    level = QVI_ClampLogLevel(level);
    ++counters[level];
    if (minimumLevel > level || !text || !*text) {
        UnlockConsole(lock);
        return;
    }

    int number = ++lineNumber;
    DateTime time = {};
    QVI_GetCurrentDateTime(&time);
    StoreLine(level, text, recordName ? recordName : kUnnamedThread, time);
    if (lines.count > kMaxConsoleLines)
        DropOldestLines(time);
    // A view scrolled back stays on the lines it shows.
    if (scroll > 0)
        ++scroll;
    bool toFile = logToFile != 0;
    UnlockConsole(lock);

    // File output happens outside the console lock so slow disks never hold up the list.
    if (toFile)
        QVI_AppendLogFileLine(logPath, number, time, recordName, level, text);
}

void Console::PrintEachLine(int level, const char* text)
{
    // The piece buffer is on this thread's stack: pieces of lines written at the same time
    // by other threads can never overwrite it.
    char piece[kPieceBytes];
    int pieceCount = QVI_CountTokens(text, "\n");
    for (int index = 0; index < pieceCount; ++index) {
        if (!QVI_CopyToken(piece, kPieceBytes, text, "\n", index))
            continue;  // 512 characters or more
        if (piece[0] == '\0')
            continue;
        Print(level, piece);
    }
}

void Console::StoreLine(int level, const char* text, const char* threadName, const DateTime& time)
{
    LogLine line = {};
    line.level = static_cast<uint8_t>(level);
    line.number = lineNumber;
    line.time = time;
    line.text = EntryText(level, text);
    line.threadName = QVI_StrDup(threadName);
    if (!line.text || !line.threadName) {
        QVI_FreeLogLineTexts(&line);
        return;
    }
    lines.Add(line);
}

void Console::DropOldestLines(const DateTime& time)
{
    // The two oldest entries go (the first one is the marker after the first overflow) and
    // a fresh marker takes the front place, so the list stays at kMaxConsoleLines.
    LogLine marker = {};
    marker.level = QV_LOG_SYSTEM;
    marker.number = 0;
    marker.time = time;
    marker.text = QVI_StrDup("...");
    marker.threadName = nullptr;

    QVI_FreeLogLineTexts(&lines.data[0]);
    QVI_FreeLogLineTexts(&lines.data[1]);
    lines.data[1] = marker;
    lines.RemoveAt(0);
}

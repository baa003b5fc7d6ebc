#include "core/logging/log_file.h"

#include <cstring>
#include <mutex>

#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/engine_time.h"
#include "core/logging/console.h"

namespace {

const int kEngineCoreVersion = 2325;
const int kMaxLogFileSuffix = 99;
const int kProgramIdBytes = sizeof(ProgramInterface::id);

// Lines of different threads are appended between their own open and close; this lock
// keeps the writes of one line together. Only the writes are under it: opening and
// closing go through the file system's list of open files, which has a lock of its own
// that other code holds while it logs.
std::mutex g_fileAppendLock;

// Set while this thread appends a line. The file system may log while it opens or
// writes the log file; such lines stay in the console list instead of recursing.
thread_local bool t_appendingLine = false;

bool FileSystemCanAppend()
{
    const QuavenFileSystemAPI* files = qv ? qv->fileSystem : nullptr;
    return files && files->OpenFile && files->Write && files->CloseFile;
}

bool LogFileExists(const char* path)
{
    const QuavenFileSystemAPI* files = qv ? qv->fileSystem : nullptr;
    if (!files || !files->FileExists)
        return false;
    return files->FileExists(path);
}

void WriteText(FileHandle* file, const char* text, size_t length)
{
    if (length > 0)
        qv->fileSystem->Write(text, static_cast<int>(length), file);
}

} // namespace

String QVI_OpenLogFile()
{
    DateTime now = {};
    QVI_GetCurrentDateTime(&now);

    // The id field need not be terminated when all of its bytes are used.
    char id[kProgramIdBytes + 1] = {};
    if (g_core.settings)
        memcpy(id, g_core.settings->id, kProgramIdBytes);
    char fileId[kProgramIdBytes + 1];
    QVI_ReplaceAll(id, " ", "-", fileId, sizeof(fileId));

    String candidate = String::FromFormat("logs://%s-%.4d-%.2d-%.2d-%.2d-%.2d.log", fileId, now.year, now.month,
                                          now.day, now.hour, now.minute);
    if (!LogFileExists(candidate.text))
        return candidate;

    for (int suffix = 1; suffix <= kMaxLogFileSuffix; ++suffix) {
        candidate = String::FromFormat("logs://%s-%.4d-%.2d-%.2d-%.2d-%.2d-%d.log", fileId, now.year, now.month,
                                       now.day, now.hour, now.minute, suffix);
        if (!LogFileExists(candidate.text))
            return candidate;
    }
    // Every name is taken: the last one is opened for writing and so overwritten.
    return candidate;
}

bool QVI_WriteLogFileHeader(const char* path)
{
    if (!path || !FileSystemCanAppend())
        return false;
    FileHandle* file = qv->fileSystem->OpenFile(path, "w");
    if (!file)
        return false;
    QVI_FilePrintf(file, "Kelmark QV (API %.4d + core %.4d, built %s %s)\n", QUAVEN_INTERFACE_VERSION,
                   kEngineCoreVersion, __DATE__, __TIME__);
    QVI_FilePrintf(file, "%s\n", "------------------------------------------------------------");
    qv->fileSystem->CloseFile(file);
    return true;
}

void QVI_AppendLogFileLine(const char* path, int number, const DateTime& time, const char* threadName,
                           int level, const char* message)
{
    if (!path || !message || t_appendingLine || !FileSystemCanAppend())
        return;
    t_appendingLine = true;

    FileHandle* file = qv->fileSystem->OpenFile(path, "a");
    if (!file) {
        t_appendingLine = false;
        return;
    }

    g_fileAppendLock.lock();
    QVI_FilePrintf(file, "%.4d: [%.2d:%.2d.%.2d] ", number, time.hour, time.minute, time.second);
    if (threadName)
        QVI_FilePrintf(file, "[%s]> ", threadName);
    if (level != QV_LOG_INFO)
        QVI_FilePrintf(file, "[%s] ", QVI_GetLogLevelName(level));
    // The message goes out as it is, so a message of the full 4095 characters is not cut
    // by the prefix in front of it.
    size_t length = strlen(message);
    WriteText(file, message, length);
    if (length == 0 || message[length - 1] != '\n')
        WriteText(file, "\n", 1);
    if (qv->fileSystem->FlushFile)
        qv->fileSystem->FlushFile(file);
    g_fileAppendLock.unlock();

    qv->fileSystem->CloseFile(file);
    t_appendingLine = false;
}

void QVI_HoldLogFileForExit()
{
    // A line of this very thread cannot be half written here: the box that ends the
    // process is not shown from inside an append.
    if (t_appendingLine)
        return;
    g_fileAppendLock.lock();
}

#include "filesystem/mount_system.h"

#include <cstring>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "filesystem/file_replacement.h"
#include "filesystem/memory_file.h"
#include "platform/os.h"

namespace QVFileSystem {

namespace {

bool SamePath(const String& a, const char* b)
{
    return a.text && b && strcmp(a.text, b) == 0;
}

// The save path as the game names it, for messages; the native path when none fits.
String PathForMessages(const String& nativePath)
{
    String path = QVI_ConvertNativePathToPath(nativePath.text);
    return QVI_IsEmptyText(path.text) ? nativePath : path;
}

} // namespace

MountSystem::MountSystem(System* innerSystem) : inner(innerSystem), lock_(QVI_OsCreateLock())
{
    mountable = 1;
}

MountSystem::~MountSystem()
{
    for (int32_t i = 0; i < buffered.count; ++i) {
        BufferedSaveFile* record = buffered.data[i];
        if (!record->open)
            delete record->file;
        delete record;
    }
    buffered.count = 0;
    QVI_OsDeleteLock(lock_);
}

bool MountSystem::CloseFile(File* file)
{
    if (!file)
        return false;
    OsLockHold hold(lock_);
    for (int32_t i = 0; i < buffered.count; ++i) {
        BufferedSaveFile* record = buffered.data[i];
        if (record->file != file)
            continue;
        record->open = 0;
        if (!record->pending) {
            delete record->file;
            delete record;
            buffered.RemoveAt(i);
        }
        return true;
    }
    if (!file->writable && openCount > 0)
        --openCount;
    if (inner)
        return inner->CloseFile(file);
    delete file;
    return true;
}

bool MountSystem::CreateDirectory(Scheme scheme, const String& nativePath)
{
    return IsOpen() && inner->CreateDirectory(scheme, nativePath);
}

bool MountSystem::CreateRootDirectory(Scheme scheme)
{
    return IsOpen() && inner->CreateRootDirectory(scheme);
}

bool MountSystem::DeleteDirectory(Scheme scheme, const String& nativePath, bool recursive)
{
    return IsOpen() && inner->DeleteDirectory(scheme, nativePath, recursive);
}

bool MountSystem::DeleteFile(Scheme scheme, const String& nativePath)
{
    if (!IsOpen())
        return false;
    bool dropped = false;
    {
        OsLockHold hold(lock_);
        for (int32_t i = buffered.count - 1; i >= 0; --i) {
            BufferedSaveFile* record = buffered.data[i];
            if (record->open || !record->pending || !SamePath(record->nativePath, nativePath.text))
                continue;
            delete record->file;
            delete record;
            buffered.RemoveAt(i);
            dropped = true;
        }
    }
    const bool deleted = inner->DeleteFile(scheme, nativePath);
    // Dropping the buffers is success only when no file is left on the disk either.
    return deleted || (dropped && !inner->FileExists(scheme, nativePath));
}

bool MountSystem::FileExists(Scheme scheme, const String& nativePath)
{
    if (!IsOpen())
        return false;
    {
        OsLockHold hold(lock_);
        if (HasPendingBuffer(nativePath.text))
            return true;
    }
    return inner->FileExists(scheme, nativePath);
}

void MountSystem::FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                            const Array<String>& patterns, bool recursive, Array<String>& results)
{
    if (IsOpen())
        inner->FindFiles(scheme, relativePath, nativeRoot, patterns, recursive, results);
}

bool MountSystem::GetFileInfo(Scheme scheme, const String& nativePath, FileInfo* info)
{
    return IsOpen() && inner->GetFileInfo(scheme, nativePath, info);
}

bool MountSystem::Mount(int user)
{
    if (user != 0)
        return false;
    OsLockHold hold(lock_);
    mounted = 1;
    return true;
}

bool MountSystem::HasPendingBuffer(const char* nativePath) const
{
    return LatestPendingBuffer(nativePath) != nullptr;
}

MemoryFile* MountSystem::LatestPendingBuffer(const char* nativePath) const
{
    for (int32_t i = buffered.count - 1; i >= 0; --i) {
        if (buffered.data[i]->pending && SamePath(buffered.data[i]->nativePath, nativePath))
            return buffered.data[i]->file;
    }
    return nullptr;
}

// Opening for appending creates a missing file and leaves an existing one as it is: it
// proves the path writable without touching a save. A file created only for the proof
// is removed again.
bool MountSystem::CanWrite(Scheme scheme, const String& nativePath, bool* existed)
{
    *existed = inner->FileExists(scheme, nativePath);
    File* probe = inner->OpenFile(scheme, nativePath, FILE_MODE_APPEND);
    if (!probe)
        return false;
    inner->CloseFile(probe);
    if (!*existed)
        inner->DeleteFile(scheme, nativePath);
    return true;
}

File* MountSystem::OpenFile(Scheme scheme, const String& nativePath, FileMode mode)
{
    if (!IsOpen() || QVI_IsEmptyText(nativePath.text))
        return nullptr;
    if (mode == FILE_MODE_READ) {
        File* file = inner->OpenFile(scheme, nativePath, mode);
        if (file) {
            OsLockHold hold(lock_);
            ++openCount;
        }
        return file;
    }
    if (mode != FILE_MODE_APPEND && mode != FILE_MODE_WRITE)
        return nullptr;
    // The probe may create and delete the file: held under the lock, it cannot delete a save
    // that an Unmount on another thread has just written.
    OsLockHold hold(lock_);
    bool existed = false;
    if (!CanWrite(scheme, nativePath, &existed))
        return nullptr;

    MemoryFile* buffer = new MemoryFile();
    buffer->scheme = scheme;
    buffer->writable = 1;
    bool filled = true;
    if (mode == FILE_MODE_APPEND) {
        if (MemoryFile* latest = LatestPendingBuffer(nativePath.text)) {
            const uint32_t bytes = latest->GetSize();
            filled = bytes == 0 || buffer->Write(latest->GetData(), bytes) == bytes;
            buffer->size = bytes;
        } else if (existed) {
            File* current = inner->OpenFile(scheme, nativePath, FILE_MODE_READ);
            filled = current && buffer->LoadFromFile(current, false);
            if (current)
                inner->CloseFile(current);
        }
    }
    if (!filled) {
        delete buffer;
        return nullptr;
    }
    BufferedSaveFile* record = new BufferedSaveFile{buffer, nativePath, 1, 1, 0};
    buffered.Add(record);
    return buffer;
}

bool MountSystem::WriteOut(BufferedSaveFile* record)
{
    MemoryFile* buffer = record->file;
    const Scheme scheme = buffer->scheme;
    const uint32_t bytes = buffer->GetSize();
    TemporaryFile temporary(record->nativePath.text, TemporaryFor::kGameFolder);
    File* out = temporary.Path() ? inner->OpenFile(scheme, String(temporary.Path()), FILE_MODE_WRITE) : nullptr;
    if (!out)
        return false;
    const bool written = (bytes == 0 || out->Write(buffer->GetData(), bytes) == bytes) && out->Flush() == 0;
    inner->CloseFile(out);
    return temporary.Finish(written);
}

void MountSystem::WritePending(bool atShutdown)
{
    for (int32_t i = 0; i < buffered.count;) {
        BufferedSaveFile* record = buffered.data[i];
        if (!record->pending || (atShutdown && !record->committed)) {
            ++i;
            continue;
        }
        // Each line follows the write it tells of: a save is said to be written only once it is.
        const bool written = inner && WriteOut(record);
        if (atShutdown && written)
            QVI_Report(QV_LOG_WARNING,
                       "File System: save file '%s' could not be written at Unmount, written at shutdown.",
                       PathForMessages(record->nativePath).text);
        else if (atShutdown)
            QVI_Report(QV_LOG_ERROR, "File System: save file '%s' could not be written at Unmount nor at shutdown; it is lost.",
                       PathForMessages(record->nativePath).text);
        if (!written && !atShutdown) {
            QVI_Report(QV_LOG_WARNING, "File System Unmount: could not write save file '%s'; it stays buffered.",
                       PathForMessages(record->nativePath).text);
            record->committed = 1;
            ++i;
            continue;
        }
        // Written, or lost with the process: nothing tries it again.
        record->pending = 0;
        if (record->open) {
            ++i;
            continue;
        }
        delete record->file;
        delete record;
        buffered.RemoveAt(i);
    }
}

void MountSystem::Unmount()
{
    OsLockHold hold(lock_);
    WritePending(false);
    mounted = 0;
}

void MountSystem::WriteCommittedFiles()
{
    OsLockHold hold(lock_);
    WritePending(true);
}

} // namespace QVFileSystem

void QVI_WriteCommittedSaveFiles()
{
    QVFileSystem::System* backend = QVI_GetFileSystemBackend(SCHEME_SAVE);
    // Only the save mount is mountable.
    if (backend && backend->mountable)
        static_cast<QVFileSystem::MountSystem*>(backend)->WriteCommittedFiles();
}

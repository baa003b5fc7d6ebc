#include "filesystem/file_replacement.h"

#include <atomic>
#include <cstring>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "filesystem/backends.h"
#include "filesystem/filesystem_api.h"
#include "filesystem/open_files.h"
#include "filesystem/paths.h"
#include "platform/native_files.h"
#include "platform/os.h"

namespace {

// Held by the writes whose temporaries have shortened names, which two targets can share. One
// lock for all of them is enough: such names come only with targets at the path limit. A
// thread may hold it again (a write inside a write), so it counts its owner's entries.
OsReaderWriterLock g_sharedNames = {};
std::atomic<uint32_t> g_sharedNamesOwner{0};
int g_sharedNamesDepth = 0;

void EnterSharedNames()
{
    const uint32_t self = QVI_OsCurrentThreadId();
    if (g_sharedNamesOwner.load() != self) {
        QVI_OsEnterExclusive(&g_sharedNames);
        g_sharedNamesOwner.store(self);
    }
    ++g_sharedNamesDepth;
}

void LeaveSharedNames()
{
    if (--g_sharedNamesDepth > 0)
        return;
    g_sharedNamesOwner.store(0);
    QVI_OsLeaveExclusive(&g_sharedNames);
}

// Where the file's own name begins in a native path.
size_t NameStart(const char* nativePath)
{
    size_t start = 0;
    for (size_t i = 0; nativePath[i]; ++i) {
        if (nativePath[i] == '/' || nativePath[i] == '\\')
            start = i + 1;
    }
    return start;
}

} // namespace

String QVI_NameTemporaryFile(const char* nativeTarget, TemporaryFor kind, uint32_t threadId, bool* shared)
{
    *shared = false;
    if (QVI_IsEmptyText(nativeTarget))
        return String("");
    String suffixed = kind == TemporaryFor::kCache
                          ? String::FromFormat("%s~%lu.download", nativeTarget, static_cast<unsigned long>(threadId))
                          : String::FromFormat("%s..tmp", nativeTarget);
    if (suffixed.text && strlen(suffixed.text) <= static_cast<size_t>(kLongestNativePath))
        return suffixed;

    // No room for a suffix: the target's own length, its last character made '~'.
    const size_t length = strlen(nativeTarget);
    if (length <= NameStart(nativeTarget) || nativeTarget[length - 1] == '~')
        return String("");
    String shortened(nativeTarget);
    if (!shortened.text)
        return String("");
    shortened.text[length - 1] = '~';
    *shared = true;
    return shortened;
}

TemporaryFile::TemporaryFile(const char* nativeTarget, TemporaryFor kind) : target_(nativeTarget)
{
    path_ = QVI_NameTemporaryFile(nativeTarget, kind, QVI_OsCurrentThreadId(), &shared_);
    if (shared_)
        EnterSharedNames();
}

TemporaryFile::~TemporaryFile()
{
    if (shared_)
        LeaveSharedNames();
}

bool TemporaryFile::Finish(bool writtenWhole)
{
    if (writtenWhole && Path() && QVI_OsReplaceFile(path_.text, target_.text))
        return true;
    Discard();
    return false;
}

void TemporaryFile::Discard()
{
    if (Path())
        QVI_OsDeleteFile(path_.text);
}

ReplacingWrite::~ReplacingWrite()
{
    Close();
    if (temporary_)
        temporary_->Discard();
}

FileHandle* ReplacingWrite::Open(const char* path)
{
    const QuavenFileSystemAPI* files = qv ? qv->fileSystem : nullptr;
    if (!path || handle_ || !files)
        return nullptr;
    if (!QVI_IsWrittenToDiskFolder(path)) {
        handle_ = files->OpenFile(path, "w");
        return handle_;
    }
    // The temporary's name is no game path: the target itself is checked, as OpenFile would.
    if (!QVI_IsWritablePath("OpenFile", path))
        return nullptr;
    const Scheme scheme = QVI_GetPathScheme(path);
    QVFileSystem::System* folders = QVI_GetFileSystemBackend(scheme);
    const String target = ConvertPathToNativePath(scheme, path);
    // A read-only file cannot be opened to be written; a rename over it would get round that.
    if (!folders || QVI_IsEmptyText(target.text) || QVI_OsIsReadOnlyFile(target.text))
        return nullptr;
    temporary_.emplace(target.text, TemporaryFor::kGameFolder);
    QVFileSystem::File* file =
        temporary_->Path() ? folders->OpenFile(scheme, String(temporary_->Path()), FILE_MODE_WRITE) : nullptr;
    char* pathCopy = file ? QVI_StrDup(path) : nullptr;
    if (!pathCopy) {
        if (file)
            folders->CloseFile(file);
        temporary_.reset();
        return nullptr;
    }
    handle_ = new FileHandle{pathCopy, 0, file};
    return handle_;
}

void ReplacingWrite::Close()
{
    if (!handle_)
        return;
    // The temporary's handle was never listed among the game's open files; closing it is
    // OpenFile's counterpart all the same.
    if (temporary_)
        QV_FileSystem_CloseFile(handle_);
    else if (qv && qv->fileSystem)
        qv->fileSystem->CloseFile(handle_);
    handle_ = nullptr;
}

bool ReplacingWrite::Commit()
{
    if (!handle_)
        return false;
    Close();
    if (!temporary_)
        return true;
    const bool replaced = temporary_->Finish(true);
    temporary_.reset();
    return replaced;
}

WholeFileWrite QVI_WriteWholeFile(const char* path, const void* bytes, uint32_t size)
{
    if (size > 0 && !bytes)
        return WholeFileWrite::kNotWritten;
    ReplacingWrite write;
    FileHandle* file = write.Open(path);
    if (!file)
        return WholeFileWrite::kNotOpened;
    const QuavenFileSystemAPI* files = qv->fileSystem;
    bool complete = true;
    // The API's members move at most an int's worth at a time.
    const uint8_t* at = static_cast<const uint8_t*>(bytes);
    for (uint32_t left = size; complete && left > 0;) {
        const int part = left > 0x40000000u ? 0x40000000 : static_cast<int>(left);
        complete = files->Write(at, part, file) == part;
        at += part, left -= static_cast<uint32_t>(part);
    }
    complete = complete && (!files->FlushFile || files->FlushFile(file) == 0);
    if (!complete)
        return WholeFileWrite::kNotWritten;
    return write.Commit() ? WholeFileWrite::kWritten : WholeFileWrite::kNotReplaced;
}

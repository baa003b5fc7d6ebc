#include "filesystem/resolve_file_path.h"

#include <cstring>

#include "core/locks.h"
#include "filesystem/filesystem_members.h"
#include "filesystem/path_validity.h"
#include "filesystem/scheme.h"
#include "filesystem/search_paths.h"

namespace {

// Changed only under the engine lock GET_PATH.
char g_resolvedPaths[kResolvedPathBufferCount][kResolvedPathBytes];
int g_resolvedPathIndex = 0;

class GetPathHold {
public:
    GetPathHold() { QVI_LockMutexById(MUTEX_GET_PATH); }
    ~GetPathHold() { QVI_UnlockMutexById(MUTEX_GET_PATH); }
    GetPathHold(const GetPathHold&) = delete;
    GetPathHold& operator=(const GetPathHold&) = delete;
};

bool OpensFor(const char* path, const char* mode)
{
    FileHandle* file = QV_FileSystem_OpenFile(path, mode);
    if (!file)
        return false;
    QV_FileSystem_CloseFile(file);
    return true;
}

// Copies first + second into the buffer; false, with the buffer untouched, when they
// do not fit together.
bool ComposeInto(char* buffer, const char* first, const char* second)
{
    size_t firstLength = strlen(first);
    size_t secondLength = strlen(second);
    if (firstLength + secondLength >= static_cast<size_t>(kResolvedPathBytes))
        return false;
    memcpy(buffer, first, firstLength);
    memcpy(buffer + firstLength, second, secondLength + 1);
    return true;
}

} // namespace

bool QVI_IsPathCreatable(const char* path)
{
    // An invalid path has been reported by the open that came before the probe.
    if (!QVI_IsPathValid(path, false, false) || QV_FileSystem_FileExists(path))
        return false;
    FileHandle* file = QV_FileSystem_OpenFile(path, "wb");
    if (!file)
        return false;
    QV_FileSystem_CloseFile(file);
    QV_FileSystem_DeleteFile(path);
    return true;
}

const char* QVI_ResolveFilePath(const char* path, bool mustExist)
{
    GetPathHold hold;
    g_resolvedPathIndex = (g_resolvedPathIndex + 1) % kResolvedPathBufferCount;
    char* buffer = g_resolvedPaths[g_resolvedPathIndex];
    if (!path)
        return nullptr;

    if (QVI_IsServedScheme(QVI_GetPathScheme(path))) {
        if (!ComposeInto(buffer, path, ""))
            return nullptr;
        if (OpensFor(path, "r"))
            return buffer;
        if (!mustExist && QVI_IsPathCreatable(buffer))
            return buffer;
        return nullptr;
    }

    SearchPathSnapshot searchPaths = QVI_GetSearchPathSnapshot();
    for (int32_t i = 0; i < searchPaths.count; ++i) {
        if (!ComposeInto(buffer, searchPaths.data[i], path))
            continue;
        if (OpensFor(buffer, "rb"))
            return buffer;
        if (!mustExist && QVI_IsPathCreatable(buffer))
            return buffer;
    }
    return nullptr;
}

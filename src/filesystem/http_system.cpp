#include "filesystem/http_system.h"

#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "filesystem/file_replacement.h"
#include "platform/os.h"

namespace {

HTTPRequestFunction g_httpRequest = nullptr;

bool IsCacheNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_';
}

// Through the folder back end, so that the copy is an ordinary cache file.
bool WriteNativeCacheFile(QVFileSystem::System* folders, const String& nativePath, const void* bytes, int size)
{
    if (!folders || !nativePath.text || !nativePath.text[0] || size < 0 || (!bytes && size > 0))
        return false;
    TemporaryFile temporary(nativePath.text, TemporaryFor::kCache);
    QVFileSystem::File* file =
        temporary.Path() ? folders->OpenFile(SCHEME_CACHE, String(temporary.Path()), FILE_MODE_WRITE) : nullptr;
    if (!file)
        return false;
    const uint32_t written = size > 0 ? file->Write(bytes, static_cast<uint32_t>(size)) : 0;
    const bool flushed = file->Flush() == 0;
    folders->CloseFile(file);
    return temporary.Finish(written == static_cast<uint32_t>(size) && flushed);
}

} // namespace

int g_engineDownloadAbortFlag = 0;

void QVI_SetHTTPRequestFunction(HTTPRequestFunction request)
{
    g_httpRequest = request;
}

int QVI_FileSystemHTTPRequest(HTTPRequestType type, const char* url, const char* contentType, const void* body,
                              int bodyLength, Buffer* headersOut, Buffer* bodyOut, int* abortFlag)
{
    if (g_httpRequest)
        return g_httpRequest(type, url, contentType, body, bodyLength, headersOut, bodyOut, abortFlag);
    if (headersOut)
        memset(headersOut, 0, sizeof *headersOut);
    if (bodyOut)
        memset(bodyOut, 0, sizeof *bodyOut);
    return HTTP_ERROR_SOCKET;
}

String QVI_GetHTTPCachePath(const char* url, bool native)
{
    String name(url ? url : "");
    for (char* c = name.text; c && *c; ++c) {
        if (!IsCacheNameCharacter(*c))
            *c = '_';
    }
    if (!native)
        return String::FromFormat("cache://%s", name.text);
    const String& root = g_currentUrlRoots[SCHEME_CACHE];
    if (!root.text || !root.text[0])
        return String("");
    return String::FromFormat("%s/%s", root.text, name.text);
}

bool QVI_WriteHTTPCacheFile(const char* cachePath, const void* bytes, int size)
{
    if (!cachePath || QVI_GetPathScheme(cachePath) != SCHEME_CACHE)
        return false;
    return WriteNativeCacheFile(QVI_GetFileSystemBackend(SCHEME_CACHE), ConvertPathToNativePath(SCHEME_CACHE, cachePath),
                                bytes, size);
}

namespace QVFileSystem {

HTTPSystem::HTTPSystem(System* innerSystem) : inner(innerSystem), lock_(QVI_OsCreateLock()) {}

HTTPSystem::~HTTPSystem()
{
    QVI_OsDeleteLock(lock_);
}

File* HTTPSystem::OpenFile(Scheme scheme, const String& url, FileMode mode)
{
    if (mode != FILE_MODE_READ || !inner || !url.text)
        return nullptr;
    const String cachePath = QVI_GetHTTPCachePath(url.text, true);
    if (!cachePath.text[0])
        return nullptr;
    if (inner->FileExists(SCHEME_CACHE, cachePath))
        return inner->OpenFile(SCHEME_CACHE, cachePath, FILE_MODE_READ);

    QVI_Report(QV_LOG_INFO, "File System: downloading file '%s'...", url.text);
    Buffer response = {};
    const int status = QVI_FileSystemHTTPRequest(QV_HTTP_GET, url.text, "application/octet-stream", nullptr, 0,
                                                 nullptr, &response, &g_engineDownloadAbortFlag);
    File* file = nullptr;
    if (status != 200) {
        QVI_Report(QV_LOG_INFO, "File System: failed to download file '%s' (status %i).", url.text, status);
    } else {
        QVI_Report(QV_LOG_INFO, "File System: downloading file '%s' completed (%i bytes).", url.text, response.size);
        // Another thread fetching the same url may have put its copy in place meanwhile: that
        // copy is as good as this one, and replacing it could pull it from under its readers.
        OsLockHold hold(lock_);
        if (inner->FileExists(SCHEME_CACHE, cachePath) ||
            WriteNativeCacheFile(inner, cachePath, response.data, response.size))
            file = inner->OpenFile(SCHEME_CACHE, cachePath, FILE_MODE_READ);
        else
            QVI_Report(QV_LOG_WARNING, "File System: unable to write the download of '%s' to '%s'.", url.text,
                       cachePath.text);
    }
    free(response.data);
    return file;
}

} // namespace QVFileSystem

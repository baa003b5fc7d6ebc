// Bitmaps named by an http:// address: downloaded once into cache://, decoded from there.
#include "graphics/bitmaps/bitmap_pool.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "filesystem/filesystem_api.h"
#include "filesystem/http_system.h"
#include "filesystem/open_files.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "quaven/api.h"

namespace {

const char* const kImageExtensions[] = {"jpg", "png", "tga", "bms"};

bool HasImageExtension(const char* path)
{
    const char* extension = QVI_GetFileExtension(path);
    if (!extension)
        return false;
    for (const char* known : kImageExtensions) {
        if (strcasecmp(extension, known) == 0)
            return true;
    }
    return false;
}

// The cache file's size when it opens for reading, 0 otherwise.
uint32_t CachedSize(const char* cachePath)
{
    const QuavenFileSystemAPI* files = qv ? qv->fileSystem : nullptr;
    if (!files || !files->OpenFile || !files->CloseFile)
        return 0;
    FileHandle* file = files->OpenFile(cachePath, "r");
    if (!file)
        return 0;
    const uint32_t size = file->size;
    files->CloseFile(file);
    return size;
}

// The announced body length of a response header, -1 without one.
int64_t AnnouncedLength(const char* header)
{
    const char* value = header ? strstr(header, "Content-Length:") : nullptr;
    if (!value)
        return -1;
    return strtoll(value + strlen("Content-Length:"), nullptr, 10);
}

// Fetches the url; on success the body is in body and the header text in header.
bool Download(const char* url, Buffer* header, Buffer* body)
{
    const int status = QVI_FileSystemHTTPRequest(QV_HTTP_GET, url, "application/octet-stream", nullptr, 0, header,
                                                 body, &g_engineDownloadAbortFlag);
    const int64_t announced = AnnouncedLength(reinterpret_cast<const char*>(header->data));
    if (status == 200 && (announced < 0 || body->size >= announced))
        return true;
    const int percent = announced > 0 ? static_cast<int>(static_cast<int64_t>(body->size) * 100 / announced) : 0;
    QVI_Report(QV_LOG_WARNING, "Download not complete (%d%% of %.1fKB done, ret %d). Not saving.\n", percent,
               announced > 0 ? static_cast<double>(announced) / 1024.0 : 0.0, status);
    return false;
}

// A cache path without an image extension takes the one the response's Content-Type names.
void AddExtensionFromContentType(String& cachePath, const char* header)
{
    const char* contentType = strstr(header, "Content-Type");
    if (!contentType) {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_LoadBitmapHTTP: No Content-Type defined in header: '%s'", header);
    } else if (strstr(contentType, "image/jpeg")) {
        cachePath.Append(".jpg");
    } else if (strstr(contentType, "image/png")) {
        cachePath.Append(".png");
    } else {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_LoadBitmapHTTP: Unknown image type. Header: '%s'", header);
    }
}

// The url's cache file: its cache path when that names an image type, else the first of the
// cache path with each image extension that holds something. False when none is cached;
// *cachePath is then where a download of an url with a known extension goes.
bool FindCachedFile(const char* url, String* cachePath, bool* knownExtension)
{
    *cachePath = QVI_GetHTTPCachePath(url, false);
    *knownExtension = HasImageExtension(cachePath->text);
    if (*knownExtension)
        return CachedSize(cachePath->text) > 0;
    for (const char* extension : kImageExtensions) {
        const String candidate = String::FromFormat("%s.%s", cachePath->text, extension);
        if (CachedSize(candidate.text) > 0) {
            *cachePath = candidate;
            return true;
        }
    }
    return false;
}

}  // namespace

void QVI_DeleteBitmapHTTPCache(const char* url)
{
    String cachePath;
    bool knownExtension = false;
    if (url && FindCachedFile(url, &cachePath, &knownExtension))
        QV_FileSystem_DeleteFile(cachePath.text);
}

bool QVI_LoadBitmapHTTP(Bitmap* bitmap, const char* url)
{
    if (!bitmap || !url)
        return false;
    if (bitmap->header.name && strchr(bitmap->header.name, '*')) {
        QVI_ReportPopup(QV_LOG_WARNING, "Asterisk character ('*') isn't allowed in http:// url file names such as '%s'\n",
                        bitmap->header.name);
        bitmap->state = BITMAP_READY;
        return false;
    }

    String cachePath;
    bool knownExtension = false;
    const bool cached = FindCachedFile(url, &cachePath, &knownExtension);

    if (!cached) {
        Buffer header = {};
        Buffer body = {};
        const bool downloaded = Download(url, &header, &body);
        if (downloaded) {
            const char* headerText = header.data ? reinterpret_cast<const char*>(header.data) : "";
            if (!knownExtension)
                AddExtensionFromContentType(cachePath, headerText);
            QVI_Report(QV_LOG_INFO, "Done downloading %d bytes for '%s'\n", body.size, url);
            if (!QVI_WriteHTTPCacheFile(cachePath.text, body.data, body.size))
                QVI_Report(QV_LOG_INFO, "Unable to open '%s'\n", cachePath.text);
        }
        free(header.data);
        free(body.data);
        if (!downloaded) {
            bitmap->state = BITMAP_READY;
            return false;
        }
    }

    const bool loaded = QVI_GetImageLoader()->LoadImage(bitmap, cachePath.text);
    if (loaded) {
        free(bitmap->sourcePath);
        bitmap->sourcePath = QVI_StrDup(cachePath.text);
    }
    bitmap->state = BITMAP_READY;
    return loaded;
}

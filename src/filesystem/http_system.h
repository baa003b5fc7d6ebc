#pragma once

#include "filesystem/backends.h"
#include "platform/os.h"
#include "quaven/http.h"
#include "quaven/types.h"

namespace QVFileSystem {

// The back end of http:// paths, whose native path is the url itself. A url is downloaded
// once into cache://, under a name made from the url, and read from there afterwards. Files
// it hands out are copies in cache:// opened by the inner folder back end under the scheme
// cache, so they are closed through the cache back end.
class HTTPSystem : public System {
public:
    System* inner; // the folder back end, not owned

    explicit HTTPSystem(System* innerSystem);
    ~HTTPSystem() override;

    // Files of this back end belong to the inner system, which closes them.
    bool CloseFile(File* file) override { return inner && inner->CloseFile(file); }
    // READ only: the cache copy, downloaded first when there is none. Null when the download
    // fails, in which case the cache holds nothing for the url.
    File* OpenFile(Scheme scheme, const String& url, FileMode mode) override;

private:
    // Held while a finished download becomes the cache copy and is opened: a copy is only ever
    // put where there is none, so no thread opens a copy while another replaces it.
    OsLock* lock_;
};

} // namespace QVFileSystem

// The HTTP client lives above the file system: the engine hands it down as a function at
// start-up. Same contract as the client's QVI_HTTPRequest (GET, POST and so on with the
// engine's standard header block; headersOut and bodyOut receive the response).
typedef int (*HTTPRequestFunction)(HTTPRequestType type, const char* url, const char* contentType, const void* body,
                                   int bodyLength, Buffer* headersOut, Buffer* bodyOut, int* abortFlag);
void QVI_SetHTTPRequestFunction(HTTPRequestFunction request);
// A request through the installed client; HTTP_ERROR_SOCKET, with the outputs zeroed, when
// none is installed.
int QVI_FileSystemHTTPRequest(HTTPRequestType type, const char* url, const char* contentType, const void* body,
                              int bodyLength, Buffer* headersOut, Buffer* bodyOut, int* abortFlag);

// The abort flag of the engine's own downloads (http:// files and bitmaps).
extern int g_engineDownloadAbortFlag;

// The cache copy of a url: the url with every character but ASCII letters, digits, '-', '.'
// and '_' made '_', as "cache://<name>", or with native set as "<cache root>/<name>" ("" while
// the cache has no root).
String QVI_GetHTTPCachePath(const char* url, bool native);

// Writes a downloaded file into cache:// (path in cache:// form) through a temporary file that
// replaces the target only once it is complete: a failed write leaves no file behind and any
// earlier copy as it was.
bool QVI_WriteHTTPCacheFile(const char* cachePath, const void* bytes, int size);

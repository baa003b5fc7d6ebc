#pragma once

#include "filesystem/backends.h"

namespace QVFileSystem {

// The back end of http:// paths, whose native path is the url itself. Files it hands
// out are copies in cache:// opened by the inner folder back end under the scheme
// cache, so they are closed through the cache back end.
//
// Seam: until the HTTP client exists nothing is downloaded: OpenFile answers null,
// so FileExists is false. The download-into-cache OpenFile replaces it here.
class HTTPSystem : public System {
public:
    System* inner; // the folder back end, not owned

    explicit HTTPSystem(System* innerSystem) : inner(innerSystem) {}

    // Files of this back end belong to the inner system.
    bool CloseFile(File* file) override { return false; }
    File* OpenFile(Scheme scheme, const String& url, FileMode mode) override { return nullptr; }
};

} // namespace QVFileSystem

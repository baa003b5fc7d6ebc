#include "filesystem/http_system.h"

namespace QVFileSystem {

File* HTTPSystem::OpenFile(Scheme scheme, const String& url, FileMode mode)
{
    return nullptr;
}

} // namespace QVFileSystem

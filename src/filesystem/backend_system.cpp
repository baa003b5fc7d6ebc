#include "filesystem/backend_system.h"

namespace QVFileSystem {

bool System::FileExists(Scheme scheme, const String& nativePath)
{
    File* file = OpenFile(scheme, nativePath, FILE_MODE_READ);
    if (!file)
        return false;
    CloseFile(file);
    return true;
}

} // namespace QVFileSystem

#include "filesystem/pak_system.h"

namespace QVFileSystem {

bool PAKSystem::CloseFile(File* file)
{
    // No archive entries exist before archives are read.
    return false;
}

bool PAKSystem::FileExists(Scheme scheme, const String& nativePath)
{
    return false;
}

void PAKSystem::FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                          const Array<String>& patterns, bool recursive, Array<String>& results)
{
}

File* PAKSystem::OpenFile(Scheme scheme, const String& nativePath, FileMode mode)
{
    return nullptr;
}

String PAKSystem::GetPAKPath(Scheme scheme, const String& nativePath)
{
    return String("");
}

} // namespace QVFileSystem

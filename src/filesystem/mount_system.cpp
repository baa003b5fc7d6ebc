#include "filesystem/mount_system.h"

namespace QVFileSystem {

MountSystem::MountSystem(System* innerSystem) : inner(innerSystem)
{
    mountable = 1;
}

bool MountSystem::CloseFile(File* file)
{
    if (!file)
        return false;
    if (!inner) {
        delete file;
        return true;
    }
    return inner->CloseFile(file);
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
    return IsOpen() && inner->DeleteFile(scheme, nativePath);
}

bool MountSystem::FileExists(Scheme scheme, const String& nativePath)
{
    return IsOpen() && inner->FileExists(scheme, nativePath);
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
    mounted = 1;
    return true;
}

File* MountSystem::OpenFile(Scheme scheme, const String& nativePath, FileMode mode)
{
    if (!IsOpen())
        return nullptr;
    return inner->OpenFile(scheme, nativePath, mode);
}

void MountSystem::Unmount()
{
    mounted = 0;
}

} // namespace QVFileSystem

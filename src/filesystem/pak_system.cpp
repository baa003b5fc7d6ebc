#include "filesystem/pak_system.h"

#include <strings.h>

#include <cstring>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "filesystem/filesystem_api.h"
#include "platform/os.h"

namespace {

// The archive this thread last found missing within its look-up scopes; "" when none.
const size_t kMissingArchiveBytes = 1024;
thread_local int t_lookupScopes = 0;
thread_local char t_missingArchive[kMissingArchiveBytes];

bool KnownMissing(const char* archivePath)
{
    return t_lookupScopes > 0 && strcmp(t_missingArchive, archivePath) == 0;
}

void RememberMissing(const char* archivePath)
{
    if (t_lookupScopes == 0)
        return;
    const size_t length = strlen(archivePath);
    if (length < kMissingArchiveBytes)
        memcpy(t_missingArchive, archivePath, length + 1);
}

} // namespace

namespace QVFileSystem {

namespace {

bool IsArchiveFileName(const char* nativePath)
{
    return QVI_EndsWith(nativePath, ".obb") || QVI_EndsWith(nativePath, ".pak");
}

uint32_t BucketCountFor(int32_t entryCount)
{
    uint32_t buckets = 16;
    while (buckets < static_cast<uint32_t>(entryCount) && buckets < (1u << 24))
        buckets <<= 1;
    return buckets;
}

// Builds the lookup table; of several entries with one name the first in directory order
// is the one found, the others are dropped.
void IndexEntries(PAKArchive* archive, const Array<PAKEntry>& directoryEntries)
{
    const uint32_t bucketCount = BucketCountFor(directoryEntries.count);
    archive->buckets.SetCapacity(static_cast<int32_t>(bucketCount));
    for (uint32_t i = 0; i < bucketCount; ++i)
        archive->buckets.Add(-1);
    for (int32_t i = 0; i < directoryEntries.count; ++i) {
        const PAKEntry& entry = directoryEntries.data[i];
        if (archive->Find(entry.name.text))
            continue;
        const uint32_t bucket = QVI_HashString(entry.name.text) & (bucketCount - 1);
        archive->nextInBucket.Add(archive->buckets.data[bucket]);
        archive->buckets.data[bucket] = archive->entries.count;
        archive->entries.Add(entry);
    }
}

// The rest of an entry name after the listing's prefix and its '/', or null when the
// entry does not lie below the prefix folder ("subway.txt" is not inside "sub").
const char* RestBelowPrefix(const char* name, const char* prefix)
{
    if (prefix[0] == '\0')
        return name;
    const size_t length = strlen(prefix);
    if (strncmp(name, prefix, length) != 0 || name[length] != '/')
        return nullptr;
    return name + length + 1;
}

bool MatchesAnyPattern(const char* rest, const Array<String>& patterns)
{
    for (int32_t i = 0; i < patterns.count; ++i) {
        const char* pattern = patterns.data[i].text;
        if (!pattern)
            continue;
        if (strcmp(pattern, "*") == 0 || strcmp(pattern, "*.*") == 0)
            return true;
        if (pattern[0] == '*' && pattern[1] == '.' && pattern[2] != '\0' && !strchr(pattern + 2, '*') &&
            QVI_EndsWith(rest, pattern + 1))
            return true;
        if (QVI_MatchWildcard(rest, pattern))
            return true;
    }
    return false;
}

// The front of a listing's relative path that results are named under: for a path with
// a scheme, up to and including the first '/' after "://" ("res://data/levels/" gives
// "res://data/"); "" without a scheme.
String ResultPrefix(const char* relativePath)
{
    const char* schemeEnd = relativePath ? strstr(relativePath, "://") : nullptr;
    if (!schemeEnd)
        return String("");
    const char* slash = strchr(schemeEnd + 3, '/');
    if (!slash)
        return String(relativePath);
    return String::FromFormat("%.*s", static_cast<int>(slash - relativePath + 1), relativePath);
}

} // namespace

const PAKEntry* PAKArchive::Find(const char* name) const
{
    if (!name || buckets.count == 0)
        return nullptr;
    const uint32_t bucket = QVI_HashString(name) & static_cast<uint32_t>(buckets.count - 1);
    for (int32_t i = buckets.data[bucket]; i >= 0; i = nextInBucket.data[i]) {
        if (strcasecmp(entries.data[i].name.text, name) == 0)
            return &entries.data[i];
    }
    return nullptr;
}

PAKFile::PAKFile(File* archiveFile, uint32_t entryOffset, uint32_t entrySize) : archive(archiveFile), base(entryOffset)
{
    size = entrySize;
    flags = kArchiveEntryFlag;
    writable = 0;
}

int PAKFile::GetDescriptor(uint32_t* offset)
{
    if (offset)
        *offset += base;
    return archive->GetDescriptor(offset);
}

uint32_t PAKFile::Read(void* buffer, uint32_t bytes)
{
    if (!buffer || position >= size)
        return 0;
    const uint32_t left = size - position;
    const uint32_t got = archive->Read(buffer, bytes < left ? bytes : left);
    position += got;
    return got;
}

int PAKFile::Seek(int32_t offset, int32_t origin)
{
    int64_t target;
    if (origin == 0)
        target = offset;
    else if (origin == 1)
        target = static_cast<int64_t>(position) + offset;
    else if (origin == 2)
        target = static_cast<int64_t>(size) + offset;
    else
        return -1;
    // Before the entry lie other entries' bytes; beyond INT32_MAX GetFilePosition could not
    // tell the position.
    if (target < 0 || target > INT32_MAX)
        return -1;
    // Past the end, as a loose file allows: reads from there give nothing, so the archive
    // is not visited. Nor is the offset of an entry cut to nothing at the archive's end,
    // which may lie where no seek reaches.
    if (target >= size) {
        position = static_cast<uint32_t>(target);
        return 0;
    }
    const int64_t inArchive = static_cast<int64_t>(base) + target;
    if (inArchive > INT32_MAX)
        return -1;
    const int result = archive->Seek(static_cast<int32_t>(inArchive), 0);
    if (result == 0)
        position = static_cast<uint32_t>(target);
    return result;
}

PAKSystem::PAKSystem() : lock_(QVI_OsCreateLock()) {}

PAKSystem::~PAKSystem()
{
    // CloseFile is not virtual any more inside a base destructor: the archives' own files
    // are plain back-end files, deleted directly.
    for (int32_t i = 0; i < archives_.count; ++i)
        delete archives_.data[i]->file;
    archives_.DeleteAll();
    QVI_OsDeleteLock(lock_);
}

bool PAKSystem::CloseFile(File* file)
{
    if (!file || !(file->flags & File::kArchiveEntryFlag))
        return false;
    PAKFile* entry = static_cast<PAKFile*>(file);
    if (entry->archive)
        CloseFile(entry->archive);
    delete entry;
    return true;
}

String PAKSystem::GetPAKPath(Scheme scheme, const String& nativePath)
{
    if (!QVI_IsServedScheme(scheme) || QVI_IsEmptyText(nativePath.text))
        return String("");
    const char* root = g_currentUrlRoots[scheme].text;
    if (QVI_IsEmptyText(root))
        return String("");
    const size_t rootLength = strlen(root);
    if (strncmp(nativePath.text, root, rootLength) != 0)
        return String("");
    const char* below = nativePath.text + rootLength;
    if (root[rootLength - 1] != '/') {
        if (*below != '/')
            return String("");
        ++below;
    }
    const char* slash = strchr(below, '/');
    if (!slash || slash == below)
        return String("");
    return String::FromFormat("%.*s.pak", static_cast<int>(slash - nativePath.text), nativePath.text);
}

const PAKArchive* PAKSystem::FindOpenedArchive(const char* archivePath)
{
    OsLockHold hold(lock_);
    for (int32_t i = 0; i < archives_.count; ++i) {
        if (strcmp(archives_.data[i]->path.text, archivePath) == 0)
            return archives_.data[i];
    }
    return nullptr;
}

const PAKArchive* PAKSystem::GetArchive(Scheme scheme, const String& archivePath)
{
    if (QVI_IsEmptyText(archivePath.text))
        return nullptr;
    if (const PAKArchive* known = FindOpenedArchive(archivePath.text))
        return known;
    // Most folders come without an archive: the cheap folder test answers them, once per
    // look-up scope.
    if (KnownMissing(archivePath.text))
        return nullptr;
    if (!FileExists(scheme, archivePath)) {
        RememberMissing(archivePath.text);
        return nullptr;
    }
    // Held while a new archive is read, so two threads asking for it at once open it once.
    OsLockHold hold(lock_);
    if (const PAKArchive* known = FindOpenedArchive(archivePath.text))
        return known;
    File* file = OpenFile(scheme, archivePath, FILE_MODE_READ);
    if (!file)
        return nullptr;
    // A refused archive is not remembered: every lookup tries it again, so one repaired
    // or completed while the game runs is taken up.
    QVI_Report(QV_LOG_INFO, "Opening PAK '%s'...", archivePath.text);
    PAKDirectory directory;
    if (!QVI_ReadPAKDirectory(file, &directory)) {
        CloseFile(file);
        return nullptr;
    }
    PAKArchive* archive = new PAKArchive();
    archive->path = archivePath;
    archive->file = file;
    archive->directoryOffset = directory.directoryOffset;
    archive->archiveLength = directory.archiveLength;
    IndexEntries(archive, directory.entries);
    archives_.Add(archive);
    return archive;
}

const PAKEntry* PAKSystem::FindEntry(Scheme scheme, const String& nativePath, String* archivePath)
{
    if (QVI_IsEmptyText(nativePath.text) || IsArchiveFileName(nativePath.text))
        return nullptr;
    *archivePath = GetPAKPath(scheme, nativePath);
    const PAKArchive* archive = GetArchive(scheme, *archivePath);
    if (!archive)
        return nullptr;
    String name = QVI_GetPAKEntryName(archivePath->text, nativePath.text);
    return archive->Find(name.text);
}

bool PAKSystem::FileExists(Scheme scheme, const String& nativePath)
{
    String archivePath;
    return FindEntry(scheme, nativePath, &archivePath) != nullptr;
}

File* PAKSystem::OpenFile(Scheme scheme, const String& nativePath, FileMode mode)
{
    if (mode != FILE_MODE_READ)
        return nullptr;
    String archivePath;
    const PAKEntry* entry = FindEntry(scheme, nativePath, &archivePath);
    if (!entry)
        return nullptr;

    File* own = OpenFile(scheme, archivePath, FILE_MODE_READ);
    if (!own)
        return nullptr;
    if (entry->size > 0 && (entry->offset > INT32_MAX || own->Seek(static_cast<int32_t>(entry->offset), 0) != 0)) {
        CloseFile(own);
        return nullptr;
    }
    PAKFile* file = new PAKFile(own, entry->offset, entry->size);
    file->scheme = scheme;
    return file;
}

void PAKSystem::FindFiles(Scheme scheme, const String& relativePath, const String& nativeRoot,
                          const Array<String>& patterns, bool recursive, Array<String>& results)
{
    if (QVI_IsEmptyText(nativeRoot.text))
        return;
    // Asked as a folder, so that the archive's own folder maps to the archive too.
    String folder = nativeRoot + "/";
    String archivePath = GetPAKPath(scheme, folder);
    const PAKArchive* archive = GetArchive(scheme, archivePath);
    if (!archive)
        return;
    String prefix = QVI_GetPAKEntryName(archivePath.text, nativeRoot.text);
    if (!prefix.text)
        return;
    String resultPrefix = ResultPrefix(relativePath.text);
    for (int32_t i = 0; i < archive->entries.count; ++i) {
        const char* name = archive->entries.data[i].name.text;
        const char* rest = RestBelowPrefix(name, prefix.text);
        if (!rest || rest[0] == '\0' || (!recursive && strchr(rest, '/')))
            continue;
        if (MatchesAnyPattern(rest, patterns))
            QVI_AddUniqueFileName(results, resultPrefix.text, name);
    }
}

String QVI_GetPAKEntryName(const char* archivePath, const char* nativePath)
{
    if (!archivePath || !nativePath || !QVI_EndsWith(archivePath, ".pak"))
        return String();
    const size_t folderLength = strlen(archivePath) - 4;
    if (strncmp(nativePath, archivePath, folderLength) != 0)
        return String();
    const char* rest = nativePath + folderLength;
    if (rest[0] == '\0')
        return String("");
    if (rest[0] != '/')
        return String();
    return String(rest + 1);
}

bool QVI_MatchWildcard(const char* name, const char* pattern)
{
    if (!name || !pattern)
        return false;
    // Greedy matching with one back-track point: the last '*' seen.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == *name) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

void QVI_AddUniqueFileName(Array<String>& list, const char* directory, const char* name)
{
    if (!name)
        return;
    String entry = QVI_IsEmptyText(directory) ? String(name) : String(directory) + name;
    if (!entry.text)
        return;
    for (int32_t i = 0; i < list.count; ++i) {
        if (list.data[i].text && strcmp(list.data[i].text, entry.text) == 0)
            return;
    }
    list.Add(entry);
}

} // namespace QVFileSystem

ArchiveLookupScope::ArchiveLookupScope()
{
    ++t_lookupScopes;
}

ArchiveLookupScope::~ArchiveLookupScope()
{
    if (--t_lookupScopes == 0)
        t_missingArchive[0] = '\0';
}

// Package lists with their conditions, the graphics package choice, and the manifests that
// packages and prog.xml bring along.

#include "engine/config/packages.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "core/cstring_utils.h"
#include "data/datamanager/data_manager.h"
#include "quaven/types.h"

namespace {

const int kMaxPackageEntries = 32;
// An entry and its terminator.
const int kEntryBytes = 512;
// A manifest name and its terminator.
const int kManifestEntryBytes = 512;
// Conditions are read into a buffer of this size in the package lists' own format.
const size_t kMaxConditionLength = 63;

const QuavenFileSystemAPI* FileSystem()
{
    return qv ? qv->fileSystem : nullptr;
}

bool FileExists(const char* path)
{
    const QuavenFileSystemAPI* fileSystem = FileSystem();
    return fileSystem && fileSystem->FileExists && fileSystem->FileExists(path);
}

void AddSearchPath(const String& path, bool first)
{
    const QuavenFileSystemAPI* fileSystem = FileSystem();
    if (fileSystem && fileSystem->AddSearchPath && path.text)
        fileSystem->AddSearchPath(path.text, first);
}

void RemoveSearchPathIfPresent(const String& path)
{
    const QuavenFileSystemAPI* fileSystem = FileSystem();
    if (!fileSystem || !fileSystem->IsSearchPath || !fileSystem->RemoveSearchPath || !path.text)
        return;
    if (fileSystem->IsSearchPath(path.text))
        fileSystem->RemoveSearchPath(path.text);
}

String ResPath(const char* name)
{
    return String::FromFormat("res://%s", name);
}

// The number a graphics package is named after: the integer after its first '-' or '_',
// else the integer of the whole entry.
int32_t GfxPackageNumber(const char* entry)
{
    const char* separator = strpbrk(entry, "-_");
    return QVI_ParseClampedInt(separator ? separator + 1 : entry);
}

// ---- Conditions ------------------------------------------------------------------------

enum class Comparison { Equal, AtLeast, AtMost };

bool PartHolds(const char* part, int32_t actual, Comparison comparison)
{
    if (part[0] == '*')
        return true;
    int32_t wanted = QVI_ParseClampedInt(part);
    switch (comparison) {
    case Comparison::AtLeast: return actual >= wanted;
    case Comparison::AtMost: return actual <= wanted;
    default: return actual == wanted;
    }
}

// "res" followed by an operator and "W x H".
bool ResolutionComparisonHolds(const char* condition)
{
    const char* rest = condition + 3;
    Comparison comparison = Comparison::Equal;
    if (QVI_StartsWith(rest, "==")) {
        rest += 2;
    } else if (QVI_StartsWith(rest, ">=")) {
        comparison = Comparison::AtLeast;
        rest += 2;
    } else if (QVI_StartsWith(rest, "<=")) {
        comparison = Comparison::AtMost;
        rest += 2;
    } else if (rest[0] == '=') {
        rest += 1;
    } else if (rest[0] == '>' || rest[0] == '<') {
        QVI_ReportPopup(QV_LOG_WARNING, "prog.xml: res comparison needs to be ==, >=, or <=. '%s' is not supported.",
                        condition);
        comparison = rest[0] == '>' ? Comparison::AtLeast : Comparison::AtMost;
        rest += 1;
    }

    const ProgramInterface* record = QVI_GetRecordInForce();
    const char* separator = strchr(rest, 'x');
    const char* heightPart = separator ? separator + 1 : "";
    return PartHolds(rest, record->video.width, comparison) && PartHolds(heightPart, record->video.height, comparison);
}

// "resolution" followed by an optional '=' and "W x H": either orientation matches.
bool ResolutionMatchHolds(const char* condition)
{
    const char* rest = condition + strlen("resolution");
    if (rest[0] == '=')
        ++rest;
    int32_t width = 0;
    int32_t height = 0;
    QVI_ParseSize(rest, &width, &height);
    const ProgramInterface* record = QVI_GetRecordInForce();
    return (width == record->video.width && height == record->video.height) ||
           (width == record->video.height && height == record->video.width);
}

// ---- Manifests -------------------------------------------------------------------------

bool IsRegistered(const char* path)
{
    for (int i = 0; i < g_config.manifests.count; ++i) {
        const Database* manifest = g_config.manifests.data[i];
        if (manifest && manifest->fileName && strcmp(manifest->fileName, path) == 0)
            return true;
    }
    return false;
}

template <typename T>
void AddInFront(Array<T>& list, T element)
{
    list.Add(element);
    for (int i = list.count - 1; i > 0; --i)
        list.data[i] = list.data[i - 1];
    list.data[0] = element;
}

} // namespace

bool QVI_SplitPackageEntry(char* entry, PackageEntry* parts)
{
    if (entry[0] != '@') {
        *parts = {false, nullptr, entry};
        return true;
    }
    char* colon = strchr(entry, ':');
    if (!colon)
        return false;
    *colon = '\0';
    *parts = {true, entry + 1, colon + 1};
    return true;
}

bool QVI_IsPackageConditionTrue(const char* condition)
{
    if (!condition || strlen(condition) > kMaxConditionLength)
        return false;
    // "resolution" first: it begins with "res" too, and is no comparison.
    if (QVI_StartsWith(condition, "resolution"))
        return ResolutionMatchHolds(condition);
    if (QVI_StartsWith(condition, "res"))
        return ResolutionComparisonHolds(condition);
    if (QVI_StartsWith(condition, "feature="))
        return QVI_HasFeature(condition + strlen("feature="));
    return QVI_StartsWith(condition, "open");
}

void QVI_AddPackages(const char* list, bool first)
{
    char entry[kEntryBytes];
    for (int i = 0; i < kMaxPackageEntries; ++i) {
        if (!QVI_CopyToken(entry, sizeof entry, list, ",", i))
            return;
        PackageEntry parts;
        if (!QVI_SplitPackageEntry(entry, &parts))
            continue;
        // The condition is evaluated (and its misuse reported) even for a name too short to add.
        const bool wanted = !parts.conditional || QVI_IsPackageConditionTrue(parts.condition);
        if (!wanted || strlen(parts.name) < 2)
            continue;
        QVI_AddPackage(parts.name, first);
    }
}

void QVI_AddPackage(const char* name, bool first)
{
    if (!name)
        return;
    String path = ResPath(name);
    if (strstr(name, ".pak")) {
        QVI_ReportPopup(QV_LOG_WARNING, "Adding search path with .pak extension! Remove it from '%s'", name);
        path.Replace(".pak", "");
    }
    AddSearchPath(path, first);
}

void QVI_RemovePackages(const String& list)
{
    char entry[kEntryBytes];
    for (int i = 0; i < kMaxPackageEntries; ++i) {
        if (!QVI_CopyToken(entry, sizeof entry, list.text, ",", i) || entry[0] == '\0')
            return;
        PackageEntry parts;
        if (!QVI_SplitPackageEntry(entry, &parts))
            continue;
        RemoveSearchPathIfPresent(ResPath(parts.name));
    }
}

void QVI_SelectGfxPackage()
{
    const char* list = g_config.gfxPackages.text;
    char entry[kEntryBytes];
    for (int i = 0; i < kMaxPackageEntries; ++i) {
        if (!QVI_CopyToken(entry, sizeof entry, list, ",", i))
            break;
        RemoveSearchPathIfPresent(ResPath(entry));
    }

    const ProgramInterface* record = QVI_GetRecordInForce();
    const float target = static_cast<float>(record->video.height);
    float best = static_cast<float>(record->video.reference_height);
    String chosen;
    for (int i = 0; i < kMaxPackageEntries; ++i) {
        if (!QVI_CopyToken(entry, sizeof entry, list, ",", i))
            break;
        const int32_t number = GfxPackageNumber(entry);
        if (number > 0 && std::fabs(static_cast<float>(number) - target) < std::fabs(best - target)) {
            chosen.Assign(entry);
            best = static_cast<float>(number);
        }
    }
    if (!chosen.text)
        return;
    QVI_Report(QV_LOG_INFO, "Selecting most fitting gfx package '%s'", chosen.text);
    AddSearchPath(ResPath(chosen.text), true);
}

void QVI_AddManifest(const char* path)
{
    if (!path || IsRegistered(path) || !FileExists(path))
        return;
    Database* manifest = DataManager::GetDatabase(path);
    if (manifest && manifest->arrays.count > 0) {
        AddInFront(g_config.manifests, manifest);
        AddInFront(g_config.manifestArrays, manifest->arrays.data[0]);
    }
    QVI_Report(QV_LOG_INFO, "Added manifest '%s'.", path);
}

void QVI_AddManifestList(const char* list)
{
    char entry[kManifestEntryBytes];
    for (int i = 0; QVI_CopyToken(entry, sizeof entry, list, ",", i); ++i) {
        if (entry[0] == '\0')
            continue;
        String path = String::FromFormat("res://%s", entry);
        QVI_AddManifest(path.text);
    }
}

#include "platform/windows/win32.h"

#include "engine/config/packages.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "engine/config/package_condition.h"
#include "core/cstring_utils.h"

namespace {

const int kMaxPackageEntries = 32;
// An entry and its terminator.
const int kEntryBytes = 512;

const QuavenFileSystemAPI* FileSystem()
{
    return qv ? qv->fileSystem : nullptr;
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

} // namespace

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

#include "platform/windows/win32.h"

#include "engine/config/configuration_keys.h"

#include <cstdio>
#include <cstring>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "data/datamanager/data_node.h"
#include "platform/popups.h"
#include "quaven/types.h"

namespace {

// A data package name and its terminator.
const int kPackageNameBytes = 512;

// The wording that differs between the music and the sound-effect packages.
struct DataPackageKind {
    const char* key;             // "music_format"
    const char* prefix;          // "data-music-"
    const char* formatNoun;      // "music format"
    const char* (*standardFormat)(int platformId);
    String* package;
};

bool PackageFileExists(const char* name)
{
    if (!qv || !qv->fileSystem || !qv->fileSystem->FileExists)
        return false;
    String path = String::FromFormat("res://%s.pak", name);
    return path.text && qv->fileSystem->FileExists(path.text);
}

void ReportDeprecatedFormat(const DataPackageKind& kind, const char* variantId, const char* format,
                            const char* standard)
{
    String message;
    if (strcmp(format, standard) == 0) {
        message.Format("prog.xml:%s defines deprecated '%s' parameter '%s'. Just remove it.\n\n"
                       "This platform always uses %s '%s'.\n\n"
                       "See QUAVEN/docs/audio-formats-per-platform.txt for more info.",
                       variantId, kind.key, format, kind.formatNoun, standard);
    } else {
        message.Format("prog.xml:%s defines deprecated '%s' parameter '%s' but the value differs from platform standard "
                       "('%s'). To fix the issue:\n1) Remove '%s' from prog.xml for this variant, and\n"
                       "2) Add %s%s to addon_packages.\n\n"
                       "See QUAVEN/docs/audio-formats-per-platform.txt for more info.",
                       variantId, kind.key, format, standard, kind.key, kind.prefix, format);
    }
    QVI_ShowPopup(QV_LOG_WARNING, message.text);
}

void ChooseDataPackage(const DataPackageKind& kind, const DataNode* variant, const char* generalVariantId)
{
    const char* variantId = generalVariantId ? generalVariantId : "";
    const char* standard = kind.standardFormat(QVI_GetPlatformId(generalVariantId));
    char name[kPackageNameBytes];

    const char* format = variant->GetParameter(kind.key);
    if (!format) {
        snprintf(name, sizeof name, "%s%s", kind.prefix, standard);
        if (PackageFileExists(name))
            kind.package->Assign(name);
        else
            *kind.package = String();
        return;
    }

    ReportDeprecatedFormat(kind, variantId, format, standard);
    // "@open:FORMAT" names the format with the package list's always-true condition.
    if (strstr(format, "@open:"))
        format += strlen("@open:");
    snprintf(name, sizeof name, "%s%s", kind.prefix, format);
    kind.package->Assign(name);
}

} // namespace

void QVI_ChooseMusicPackage(const DataNode* variant, const char* generalVariantId)
{
    const DataPackageKind music = {"music_format", "data-music-", "music format", QVI_GetStandardMusicFormat,
                                   &g_config.musicPackage};
    ChooseDataPackage(music, variant, generalVariantId);
}

void QVI_ChooseSoundFxPackage(const DataNode* variant, const char* generalVariantId)
{
    const DataPackageKind soundFx = {"sound_fx_format", "data-sfx-", "sound effect format",
                                     QVI_GetStandardSoundFxFormat, &g_config.soundFxPackage};
    ChooseDataPackage(soundFx, variant, generalVariantId);
}

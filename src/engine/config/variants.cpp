// The platform variant of prog.xml: checking the VARIANTS array in developer mode, choosing
// the node for this device, and applying its keys in their fixed order (the renderer
// interface is attached in the middle of them, the sound data packages near the end).

#include "engine/config/variants.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "engine/config/packages.h"
#include "data/datamanager/database.h"
#include "platform/popups.h"
#include "quaven/types.h"

namespace {

// ---- Developer-mode checks -----------------------------------------------------------

struct DeprecatedParameter {
    const char* name;
    const char* message;
};

const DeprecatedParameter kDeprecatedVariantParameters[] = {
    {"program_library", "Deprecated parm 'program_library' in prog.xml. Remove it."},
    {"music_format", "Deprecated parm 'music_format' in prog.xml. Remove it."},
    {"sound_fx_format", "Deprecated parm 'sound_fx_format' in prog.xml. Remove it."},
};

void ReportDuplicatesOf(const DataArray* variants, int index)
{
    const DataNode* node = variants->nodes.data[index];
    for (int other = 0; other < variants->nodes.count; ++other) {
        const DataNode* candidate = variants->nodes.data[other];
        if (other == index || !candidate || !candidate->id)
            continue;
        if (strcmp(candidate->id, node->id) == 0)
            QVI_ReportPopup(QV_LOG_WARNING, "There are multiple VARIANTS with id '%s' in prog.xml. There can be only one.",
                            node->id);
    }
}

void ReportDeprecatedParameters(const DataNode* node)
{
    for (int i = 0; i < node->parameters.count; ++i) {
        const char* name = node->parameters.data[i].name;
        if (!name)
            continue;
        for (const DeprecatedParameter& deprecated : kDeprecatedVariantParameters) {
            if (strcmp(name, deprecated.name) == 0)
                QVI_ShowPopup(QV_LOG_WARNING, deprecated.message);
        }
    }
}

// ---- The renderer attached while the keys are read ------------------------------------

// Set at start-up before any other thread exists.
RendererAttachFunction g_attachRenderer = nullptr;

void AttachRendererForConfiguration()
{
    if (g_attachRenderer)
        g_attachRenderer();
}

// ---- Input implementations and locale ------------------------------------------------

// "input_implementations" names libraries; a name without ".dll" gets it.
void StoreInputImplementations(const char* value)
{
    if (strstr(value, ".dll")) {
        QVI_ReplaceText(&g_config.inputImplementations, value);
        return;
    }
    String withExtension = String::FromFormat("%s.dll", value);
    QVI_ReplaceText(&g_config.inputImplementations, withExtension.text);
}

void ApplyInputImplementations(const DataNode* variant, const DataNode* developer)
{
    if (const char* value = variant->GetParameter("input_implementations"))
        StoreInputImplementations(value);
    else if (variant->GetParameter("input_implementation"))
        QVI_ReportPopup(QV_LOG_WARNING,
                        "In prog.xml parameter input_implementation is not in use: use input_implementations instead (note the s).");

    if (!g_core.developerMode || !developer)
        return;
    if (const char* value = developer->GetParameter("input_implementations"))
        StoreInputImplementations(value);
    else if (developer->GetParameter("input_implementation"))
        QVI_ReportPopup(QV_LOG_WARNING,
                        "In developer.xml parameter input_implementation is not in use: use input_implementations instead (note the s).");
}

// The platform's language for "auto", in small letters; null when the platform cannot tell.
char* AskPlatformLanguage()
{
    if (!qv || !qv->PlatformCommand)
        return nullptr;
    const char* answer = qv->PlatformCommand("GetLanguage", nullptr);
    if (!answer)
        return nullptr;
    char* lowered = static_cast<char*>(malloc(strlen(answer) + 1));
    if (!lowered)
        return nullptr;
    size_t length = 0;
    for (const char* c = answer; *c; ++c) {
        char small = static_cast<char>(tolower(static_cast<unsigned char>(*c)));
        if (small != '\0')
            lowered[length++] = small;
    }
    lowered[length] = '\0';
    return lowered;
}

void ApplyLocale(const char* value)
{
    QVI_ReplaceText(&g_config.language, value);
    if (strcmp(value, "auto") == 0) {
        if (char* language = AskPlatformLanguage()) {
            free(g_config.language);
            g_config.language = language;
        }
    }
    g_config.defaultRecord.video.language = g_config.language;
}

// ---- Resolutions (read only without force_resolution) ---------------------------------

const int kIosPlatformId = 3;

const char kIosSmallLandscape[] = "2688x1242,2436x1125,2208x1242,2001x1125,1792x828,1334x750,1136x640,960x640,480x320";
const char kIosSmallPortrait[] = "1242x2688,1125x2436,1242x2208,1125x2001,828x1792,750x1334,640x1136,640x960,320x480";
const char kIosLargeLandscape[] = "2388x1668,2224x1668,2048x1536,1024x768";
const char kIosLargePortrait[] = "1668x2388,1668x2224,1536x2048,768x1024";

// On iOS "*" stands for the known screens of the device's class, in the program's
// orientation; anything else is used as written, with a warning.
const char* IosResolutions(const char* value)
{
    if (value[0] != '*') {
        QVI_ShowPopup(QV_LOG_WARNING, "Replace prog.xml VARIANT IOS/* resolutions parameter with \"*\" or remove completely.");
        return value;
    }
    const VideoParameters& video = g_config.defaultRecord.video;
    switch (g_config.deviceScreenSize) {
    case SCREEN_SIZE_SMALL:
        return video.reference_width < video.reference_height ? kIosSmallPortrait : kIosSmallLandscape;
    case SCREEN_SIZE_LARGE:
        return video.reference_width >= video.reference_height ? kIosLargeLandscape : kIosLargePortrait;
    default:
        return value;
    }
}

void ApplyVariantResolutions(const DataNode* variant)
{
    const char* value = variant->GetParameter("resolutions");
    if (!value)
        value = "*";
    if (g_config.devicePlatform == kIosPlatformId)
        value = IosResolutions(value);

    QVI_ReplaceText(&g_config.supportedResolutions, value);
    QVI_Report(QV_LOG_INFO, "Supported resolutions: '%s'.", value);
    if (g_config.forcedVariant)
        g_config.defaultRecord.video.windowed = 1;
}

// ---- The sound-effect and music data packages ----------------------------------------

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

// "sound_fx_format" or "music_format" when the variant still names one, else the platform's
// standard format when its package exists.
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

void ChooseMusicPackage(const DataNode* variant, const char* generalVariantId)
{
    const DataPackageKind music = {"music_format", "data-music-", "music format", QVI_GetStandardMusicFormat,
                                   &g_config.musicPackage};
    ChooseDataPackage(music, variant, generalVariantId);
}

void ChooseSoundFxPackage(const DataNode* variant, const char* generalVariantId)
{
    const DataPackageKind soundFx = {"sound_fx_format", "data-sfx-", "sound effect format",
                                     QVI_GetStandardSoundFxFormat, &g_config.soundFxPackage};
    ChooseDataPackage(soundFx, variant, generalVariantId);
}

} // namespace

void QVI_CheckVariants(const DataArray* variants)
{
    for (int i = 0; i < variants->nodes.count; ++i) {
        const DataNode* node = variants->nodes.data[i];
        if (!node)
            continue;
        if (node->id)
            ReportDuplicatesOf(variants, i);
        if (node->id && strcmp(node->id, "METRO") == 0)
            QVI_ShowPopup(QV_LOG_WARNING, "Deprecated variant id METRO found in prog.xml. Replace it with WINDOWS_RT.");
        ReportDeprecatedParameters(node);
    }
}

const DataNode* QVI_ChooseVariant(const DataArray* variants, const VariantIds& ids)
{
    // An emptied size-specific id (force_variant) must not find a node without an id.
    if (ids.sizeSpecific.text && ids.sizeSpecific.text[0] != '\0') {
        if (const DataNode* node = variants->FindNode(ids.sizeSpecific.text))
            return node;
    }
    return variants->FindNode(ids.general.text);
}

void QVI_ApplyVariantKeys(const DataNode* variant, const DataNode* developer, const char* generalVariantId)
{
    ProgramInterface& record = g_config.defaultRecord;
    const char* value;

    if ((value = variant->GetParameter("name")))
        QVI_CopyIntoField(record.title, sizeof record.title, value);
    if ((value = variant->GetParameter("developer")))
        QVI_CopyIntoField(record.developer_name, sizeof record.developer_name, value);
    if ((value = variant->GetParameter("version")))
        QVI_CopyIntoField(record.version, sizeof record.version, value);
    if (variant->GetParameter("renderer_implementation"))
        QVI_ReportPopup(QV_LOG_ERROR, "Deprecated 'renderer_implementation' definition in prog.xml. Remove it.");
    AttachRendererForConfiguration();

    ApplyInputImplementations(variant, developer);
    if ((value = variant->GetParameter("reference_resolution")))
        QVI_ParseSize(value, &record.video.reference_width, &record.video.reference_height);
    if ((value = variant->GetParameter("locale")))
        ApplyLocale(value);
    if (!g_config.forcedResolution)
        ApplyVariantResolutions(variant);
    if ((value = variant->GetParameter("features")))
        QVI_ReplaceText(&g_config.variantFeatures, value);
    if ((value = variant->GetParameter("control_interfaces")))
        g_config.controlInterfaces.Assign(value);
    ChooseMusicPackage(variant, generalVariantId);
    ChooseSoundFxPackage(variant, generalVariantId);
    if ((value = variant->GetParameter("packages")))
        g_config.packages.Assign(value);
    if ((value = variant->GetParameter("addon_packages")))
        g_config.addonPackages.Assign(value);
    if ((value = variant->GetParameter("gfx_packages")))
        g_config.gfxPackages.Assign(value);
    if (variant->GetParameter("sound_implementation"))
        QVI_ShowPopup(QV_LOG_WARNING, "Deprecated 'sound_implementation' definition in prog.xml. Remove it.");
    if ((value = variant->GetParameter("manifest")))
        QVI_AddManifestList(value);
}

void QVI_SetRendererAttachFunction(RendererAttachFunction attach)
{
    g_attachRenderer = attach;
}

#include "platform/windows/win32.h"

#include "engine/config/configuration_reader.h"

#include <cstdio>

#include "core/engine_log.h"
#include "engine/config/config_files.h"
#include "core/configuration.h"
#include "engine/config/configuration_keys.h"
#include "engine/config/manifests.h"
#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "engine/program/end_process.h"
#include "data/datamanager/data_array.h"
#include "data/datamanager/data_manager.h"
#include "filesystem/search_path_manifest.h"
#include "platform/popup_seams.h"
#include "platform/popups.h"

namespace {

// Size-specific variant ids are at most this long ("WINDOWS/MEDIUM").
const int kVariantIdBytes = 64;

bool FileExists(const char* path)
{
    return qv && qv->fileSystem && qv->fileSystem->FileExists && qv->fileSystem->FileExists(path);
}

// prog.xml through DataManager's cache. A file that does not load is not cached, so that
// the failure is seen here rather than later as an empty configuration.
Database* LoadProgramXml()
{
    if (Database* cached = DataManager::FindDatabase(kProgramXmlPath))
        return cached;
    Database* loaded = new Database();
    if (!loaded->Load(kProgramXmlPath)) {
        delete loaded;
        return nullptr;
    }
    if (DataManager::AddDatabase(loaded))
        return loaded;
    delete loaded;
    return DataManager::GetDatabase(kProgramXmlPath);
}

const DataNode* FindDeveloperXmlNode()
{
    if (!FileExists(kDeveloperXmlPath))
        return nullptr;
    const DataArray* parameters = DataManager::GetDatabase(kDeveloperXmlPath)->FindArray("PARAMETERS");
    return parameters ? parameters->FindNode("DEVELOPER") : nullptr;
}

VariantIds DeviceVariantIds()
{
    const char* platform = QVI_GetPlatformName(g_config.devicePlatform);
    char sizeSpecific[kVariantIdBytes];
    snprintf(sizeSpecific, sizeof sizeSpecific, "%s/%s", platform, QVI_GetScreenSizeName(g_config.deviceScreenSize));
    VariantIds ids;
    ids.sizeSpecific.Assign(sizeSpecific);
    ids.general.Assign(platform);
    return ids;
}

// Ends the run: without a variant the program has no platform settings at all. Logging
// has not started yet, so the popup is the only way the person learns why.
[[noreturn]] void EndWithoutVariant(const char* generalId)
{
    String message = String::FromFormat(
        "No build variant found for current platform id '%s'.\n\nUse force_variant to use another platform for "
        "development purposes.",
        generalId ? generalId : "");
    QVI_Report(QV_LOG_ERROR, "%s", message.text ? message.text : "");
    QVI_ShowPopup(QV_LOG_ERROR, message.text);
    QVI_EndProcess(-1);
}

} // namespace

bool QVI_ReadProgramConfiguration()
{
    g_config.byteOrder = 1234;
    // Every search path added from now on brings its manifest.
    QVI_SetSearchPathManifestRegistrar(QVI_AddManifest);

    if (!FileExists(kProgramXmlPath)) {
        QVI_ShowPopup(QV_LOG_ERROR, "Cannot find prog.xml. It should be located in res://.");
        return false;
    }
    Database* programXml = LoadProgramXml();
    if (!programXml)
        return false;

    VariantIds ids = DeviceVariantIds();
    const DataNode* developer = nullptr;
    if (const DataArray* parameters = programXml->FindArray("PARAMETERS")) {
        if (const DataNode* application = parameters->FindNode("APPLICATION"))
            QVI_ApplyApplicationKeys(application);
        developer = FindDeveloperXmlNode();
        if (!developer)
            developer = parameters->FindNode("DEVELOPER");
        if (developer)
            QVI_ApplyDeveloperKeys(developer, &ids);
    }

    if (const DataArray* variants = programXml->FindArray("VARIANTS")) {
        if (g_core.developerMode)
            QVI_CheckVariants(variants);
        const DataNode* variant = QVI_ChooseVariant(variants, ids);
        if (!variant)
            EndWithoutVariant(ids.general.text);
        QVI_ReplaceText(&g_config.variantId, variant->id);
        QVI_ApplyVariantKeys(variant, developer, ids.general.text);
    }

    if (g_core.developerMode && developer) {
        if (const char* value = developer->GetParameter("developer_packages"))
            g_config.developerPackages.Assign(value);
    }

    // Only developer.xml itself can ask for the translated shaders to be kept.
    g_config.debugShaders = QVI_IsSwitchOn(QVI_GetDeveloperXmlValue("debug_shaders")) ? 1 : 0;
    QVI_SetNonBlockingPopupsFeature(QVI_HasFeature("NON_BLOCKING_POPUPS"));
    return true;
}

const char* QVI_GetDeveloperXmlValue(const char* key)
{
    const DataNode* developer = FindDeveloperXmlNode();
    return developer ? developer->GetParameter(key) : nullptr;
}

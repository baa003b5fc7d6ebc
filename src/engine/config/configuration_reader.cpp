// Reading prog.xml and developer.xml: the keys of APPLICATION and DEVELOPER in their fixed
// order, the variant choice, the developer-mode check of the whole file, and the two API
// members answered from it afterwards.

#include "engine/config/configuration_reader.h"

#include <cstdio>
#include <cstring>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "engine/config/variants.h"
#include "engine/config/packages.h"
#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/events/key_state.h"
#include "engine/program/program_library.h"
#include "data/datamanager/database.h"
#include "data/datamanager/data_manager.h"
#include "filesystem/search_paths.h"
#include "platform/popups.h"
#include "quaven/types.h"

const char kProgramXmlPath[] = "res://prog.xml";
const char kDeveloperXmlPath[] = "res://developer.xml";

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

// ---- prog.xml PARAMETERS/APPLICATION --------------------------------------------------

void ApplyApplicationKeys(const DataNode* application)
{
    ProgramInterface& record = g_config.defaultRecord;
    const char* value;

    if ((value = application->GetParameter("program_id")))
        QVI_CopyIntoField(record.id, sizeof record.id, value);
    if ((value = application->GetParameter("name")))
        QVI_CopyIntoField(record.title, sizeof record.title, value);
    if ((value = application->GetParameter("developer")))
        QVI_CopyIntoField(record.developer_name, sizeof record.developer_name, value);
    if ((value = application->GetParameter("version")))
        QVI_CopyIntoField(record.version, sizeof record.version, value);
    if ((value = application->GetParameter("locale"))) {
        QVI_ReplaceText(&g_config.language, value);
        record.video.language = g_config.language;
    }
    if ((value = application->GetParameter("fps_limit")))
        record.video.frame_time_ms = QVI_FrameTimeFromFpsLimit(QVI_ParseFloat(value, 0.0f));
    if ((value = application->GetParameter("features")))
        QVI_ReplaceText(&g_config.applicationFeatures, value);
    if ((value = application->GetParameter("control_interfaces")))
        g_config.controlInterfaces.Assign(value);
    if ((value = application->GetParameter("reference_resolution")))
        QVI_ParseSize(value, &record.video.reference_width, &record.video.reference_height);
    if ((value = application->GetParameter("packages")))
        g_config.packages.Assign(value);
    if ((value = application->GetParameter("manifest")))
        QVI_AddManifestList(value);
}

// ---- The developer node (developer.xml's, else prog.xml's) ------------------------------

int32_t VerboseLevelOf(const char* value)
{
    if (strstr(value, "INFO"))
        return QV_LOG_INFO;
    if (strstr(value, "WARNING"))
        return QV_LOG_WARNING;
    if (strstr(value, "ERROR"))
        return QV_LOG_ERROR;
    if (strstr(value, "SYSTEM"))
        return QV_LOG_SYSTEM;
    return QV_LOG_INFO;
}

void StorePakFolder(const char* value)
{
    size_t length = strlen(value);
    if (length > 0 && value[length - 1] == '/') {
        QVI_ReplaceText(&g_config.pakFolder, value);
        return;
    }
    String withSlash = String::FromFormat("%s/", value);
    QVI_ReplaceText(&g_config.pakFolder, withSlash.text);
}

// Every key but "developer_packages", which counts only once developer mode is known for
// certain. force_variant empties the size-specific id and replaces the general one.
void ApplyDeveloperKeys(const DataNode* developer, VariantIds* ids)
{
    ProgramInterface& record = g_config.defaultRecord;
    const char* value;

    if ((value = developer->GetParameter("developer_mode")))
        g_core.developerMode = QVI_IsSwitchOn(value) ? 1 : 0;
    // Developer mode is a feature as well, so that the program can test it like any other.
    if (g_core.developerMode)
        QVI_AppendToList(&g_config.applicationFeatures, "DEVELOPER_MODE");

    if ((value = developer->GetParameter("logging")))
        g_core.logging = QVI_IsSwitchOn(value) ? 1 : 0;
    if ((value = developer->GetParameter("logging_verbose_level")))
        g_core.loggingVerboseLevel = VerboseLevelOf(value);
    if ((value = developer->GetParameter("console")))
        g_core.console = QVI_IsSwitchOn(value) ? 1 : 0;
    if ((value = developer->GetParameter("features")))
        QVI_AppendToList(&g_config.applicationFeatures, value);
    if ((value = developer->GetParameter("console_toggle_key")))
        g_config.consoleToggleKey = QVI_KeyCodeFromName(value);
    if ((value = developer->GetParameter("force_variant"))) {
        ids->general.Assign(value);
        ids->sizeSpecific.Assign("");
        QVI_ReplaceText(&g_config.forcedVariant, value);
        record.video.windowed = 1;
    }
    if ((value = developer->GetParameter("force_resolution"))) {
        int32_t width = 0;
        int32_t height = 0;
        QVI_ParseSize(value, &width, &height);
        // Forcing "-800x-600" or "1024" would make a sliver of a window; the key then
        // counts as absent, so that the variant's resolutions are read as usual.
        if (width > 0 && height > 0) {
            record.video.width = width;
            record.video.height = height;
            g_config.forcedResolution = 1;
            g_config.forcedWidth = width;
            g_config.forcedHeight = height;
            g_config.selectionForcedWidth = width;
            g_config.selectionForcedHeight = height;
            record.video.windowed = 1;
        } else {
            QVI_ReplaceText(&g_config.refusedForcedResolution, value);
        }
    }
    if ((value = developer->GetParameter("force_windowed")) && strcmp(value, "1") == 0)
        record.video.windowed = 1;
    if ((value = developer->GetParameter("pak_folder")))
        StorePakFolder(value);
}

// ---- The developer-mode check of ids used twice -----------------------------------------

bool SameText(const char* a, const char* b)
{
    return a && b && strcmp(a, b) == 0;
}

const char* OrNullWord(const char* text)
{
    return text ? text : "null";
}

void CheckNodeIds(const DataArray* array)
{
    for (int i = 0; i < array->nodes.count; ++i) {
        const DataNode* first = array->nodes.data[i];
        for (int j = i + 1; j < array->nodes.count; ++j) {
            const DataNode* second = array->nodes.data[j];
            if (first && second && SameText(first->id, second->id))
                QVI_ReportPopup(QV_LOG_WARNING, "Array '%s' contains two nodes with id '%s'.", OrNullWord(array->id),
                                first->id);
        }
    }
}

void CheckParameterNames(const DataNode* node)
{
    const Array<DataParameter>& parameters = node->parameters;
    for (int a = 0; a < parameters.count; ++a) {
        for (int b = a + 1; b < parameters.count; ++b) {
            if (SameText(parameters.data[a].name, parameters.data[b].name))
                QVI_ReportPopup(QV_LOG_WARNING, "Node '%s' contains duplicate parameters with id '%s'.",
                                OrNullWord(node->id), parameters.data[a].name);
        }
    }
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
            ApplyApplicationKeys(application);
        developer = FindDeveloperXmlNode();
        if (!developer)
            developer = parameters->FindNode("DEVELOPER");
        if (developer)
            ApplyDeveloperKeys(developer, &ids);
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

void QVI_CheckDuplicateIds(const DataArray* array)
{
    if (!array)
        return;
    CheckNodeIds(array);
    for (int i = 0; i < array->nodes.count; ++i) {
        if (const DataNode* node = array->nodes.data[i])
            CheckParameterNames(node);
    }
}

const char* QVI_GetProductValue(const char* name)
{
    if (!name)
        return nullptr;
    // Only the copy the configuration reader loaded: asking before it ran must not load
    // (and cache) prog.xml out of turn.
    Database* programXml = DataManager::FindDatabase(kProgramXmlPath);
    if (!programXml)
        return nullptr;

    // Product values are a variant's: without a VARIANTS array there are none, not even
    // APPLICATION's.
    DataArray* variants = programXml->FindArray("VARIANTS");
    if (!variants)
        return nullptr;
    DataNode* variant = variants->FindNode(g_config.variantId);
    if (variant) {
        if (const char* value = variant->GetParameter(name))
            return value;
    } else {
        QVI_ReportPopup(QV_LOG_ERROR, "Missing platform variant '%s' in '%s'.",
                        g_config.variantId ? g_config.variantId : "", kProgramXmlPath);
    }
    return programXml->GetParameter("PARAMETERS", "APPLICATION", name);
}

bool QV_HasFeature(const char* name)
{
    return QVI_HasFeature(name);
}

const char* QV_GetProductValue(const char* name)
{
    return QVI_GetProductValue(name);
}

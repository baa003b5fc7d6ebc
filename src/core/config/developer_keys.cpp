#include "core/config/configuration_keys.h"

#include <cstring>

#include "core/config/config_values.h"
#include "core/config/program_configuration.h"
#include "core/core_state.h"
#include "core/events/key_names.h"
#include "data/datamanager/data_node.h"
#include "quaven/types.h"

namespace {

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

} // namespace

void QVI_ApplyDeveloperKeys(const DataNode* developer, VariantIds* ids)
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

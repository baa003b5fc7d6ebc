#include "platform/windows/win32.h"

#include "engine/config/configuration_keys.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "engine/config/renderer_attach_hook.h"
#include "core/core_state.h"
#include "data/datamanager/data_node.h"
#include "platform/popups.h"
#include "quaven/types.h"

namespace {

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

} // namespace

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
    QVI_AttachRendererForConfiguration();

    ApplyInputImplementations(variant, developer);
    if ((value = variant->GetParameter("reference_resolution")))
        QVI_ParseSize(value, &record.video.reference_width, &record.video.reference_height);
    if ((value = variant->GetParameter("locale")))
        ApplyLocale(value);
    if (!g_config.forcedResolution)
        QVI_ApplyVariantResolutions(variant);
    if ((value = variant->GetParameter("features")))
        QVI_ReplaceText(&g_config.variantFeatures, value);
    if ((value = variant->GetParameter("control_interfaces")))
        g_config.controlInterfaces.Assign(value);
    QVI_ChooseMusicPackage(variant, generalVariantId);
    QVI_ChooseSoundFxPackage(variant, generalVariantId);
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

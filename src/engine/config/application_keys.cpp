#include "engine/config/configuration_keys.h"

#include "core/configuration.h"
#include "engine/config/manifests.h"
#include "core/cstring_utils.h"
#include "data/datamanager/data_node.h"

namespace {

// A manifest name and its terminator.
const int kManifestEntryBytes = 512;

} // namespace

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

void QVI_ApplyApplicationKeys(const DataNode* application)
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

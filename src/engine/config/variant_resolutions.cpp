#include "engine/config/configuration_keys.h"

#include "core/engine_log.h"
#include "core/configuration.h"
#include "data/datamanager/data_node.h"
#include "platform/popups.h"
#include "quaven/types.h"

namespace {

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

} // namespace

void QVI_ApplyVariantResolutions(const DataNode* variant)
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

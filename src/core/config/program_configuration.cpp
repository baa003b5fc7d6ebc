#include <windows.h>

#include "core/config/program_configuration.h"

#include <cstdlib>

#include "core/api_pointer.h"
#include "core/core_state.h"

ProgramConfiguration g_config;

namespace {

void FreeText(char*& text)
{
    free(text);
    text = nullptr;
}

void FreeString(String& text)
{
    free(text.text);
    text.text = nullptr;
}

template <typename T>
void FreeArrayStorage(Array<T>& list)
{
    delete[] list.data;
    list.data = nullptr;
    list.count = 0;
    list.capacity = 0;
}

} // namespace

void QVI_ResetProgramConfiguration()
{
    ProgramConfiguration& config = g_config;
    config.devicePlatform = 1;
    config.deviceScreenSize = 2;
    config.consoleToggleKey = 49831;

    FreeText(config.applicationFeatures);
    FreeText(config.variantFeatures);
    FreeText(config.variantId);
    FreeText(config.forcedVariant);
    FreeText(config.supportedResolutions);
    FreeText(config.inputImplementations);
    FreeText(config.language);
    FreeText(config.pakFolder);

    config.forcedResolution = 0;
    config.forcedWidth = 0;
    config.forcedHeight = 0;
    config.selectionForcedWidth = 0;
    config.selectionForcedHeight = 0;
    FreeText(config.refusedForcedResolution);

    FreeString(config.packages);
    FreeString(config.addonPackages);
    FreeString(config.gfxPackages);
    FreeString(config.developerPackages);
    FreeString(config.soundFxPackage);
    FreeString(config.musicPackage);
    FreeString(config.controlInterfaces);

    config.byteOrder = 1234;
    FreeArrayStorage(config.manifests);
    FreeArrayStorage(config.manifestArrays);

    config.defaultRecord = ProgramInterface{};
    config.defaultRecord.qv = qv;
}

ProgramInterface* QVI_GetRecordInForce()
{
    return g_core.settings ? g_core.settings : &g_config.defaultRecord;
}

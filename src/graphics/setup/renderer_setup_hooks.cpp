#include "graphics/setup/renderer_setup_hooks.h"

namespace {

TextDeviceSteps g_textSteps = {nullptr, nullptr, nullptr};

void Run(void (*step)())
{
    if (step)
        step();
}

}  // namespace

void QVI_SetTextDeviceSteps(const TextDeviceSteps& steps)
{
    g_textSteps = steps;
}

void QVI_RecreateTextFontAtlases()
{
    Run(g_textSteps.recreateFontAtlases);
}

void QVI_ReuploadTextGlyphCache()
{
    Run(g_textSteps.reuploadGlyphCache);
}

void QVI_ReleaseTextDeviceData()
{
    Run(g_textSteps.releaseFontShaderAndGlyphData);
}

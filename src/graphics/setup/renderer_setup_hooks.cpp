#include "graphics/setup/renderer_setup_hooks.h"

#include "core/missing_member.h"

namespace {

ShaderTranslatorStart g_shaderTranslatorStart = nullptr;
TextDeviceSteps g_textSteps = {nullptr, nullptr, nullptr};

void Run(void (*step)())
{
    if (step)
        step();
}

}  // namespace

void QVI_SetShaderTranslatorStart(ShaderTranslatorStart start)
{
    g_shaderTranslatorStart = start;
}

bool QVI_StartShaderTranslator(int shaderLanguage, const char* outputFolder, bool developerMode)
{
    if (g_shaderTranslatorStart)
        return g_shaderTranslatorStart(shaderLanguage, outputFolder, developerMode);
    QVI_REPORT_MISSING_RENDERER_STEP("the shader translator (ShaderTool::Initialize)");
    return true;
}

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

#include "platform/windows/win32.h"

#include "graphics/setup/renderer_pool_seams.h"

#include "core/engine_log.h"
#include "quaven/types.h"

namespace {

ShaderTranslatorStart g_shaderTranslatorStart = nullptr;

void ReportNotAvailable(bool& reported, const char* step)
{
    if (reported)
        return;
    reported = true;
    QVI_Report(QV_LOG_WARNING, "Renderer set-up: %s is not available yet.", step);
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
    static bool reported = false;
    ReportNotAvailable(reported, "the shader translator (ShaderTool::Initialize)");
    return true;
}

void QVI_ClearRenderStateSetFlags()
{
    static bool reported = false;
    ReportNotAvailable(reported, "the render-state cache");
}

void QVI_RestorePooledBitmaps()
{
    static bool reported = false;
    ReportNotAvailable(reported, "restoring the bitmap pool on the device");
}

void QVI_RecreateFontAtlases()
{
    static bool reported = false;
    ReportNotAvailable(reported, "re-creating font atlases (QVI_RecreateFontAtlas)");
}

void QVI_ReloadXmlShaders()
{
    static bool reported = false;
    ReportNotAvailable(reported, "reloading pooled shaders (QVI_LoadShader)");
}

void QVI_ReuploadGlyphCache()
{
    static bool reported = false;
    ReportNotAvailable(reported, "uploading the glyph cache (QVI_UploadBitmap)");
}

void QVI_PrepareBatchRenderer()
{
    static bool reported = false;
    ReportNotAvailable(reported, "the batch renderer's built-in shaders");
}

void QVI_CreateWhiteTexture()
{
    static bool reported = false;
    ReportNotAvailable(reported, "the default white texture");
}

void QVI_InitBatchBuffers()
{
    static bool reported = false;
    ReportNotAvailable(reported, "the batch renderer's buffers");
}

void QVI_ApplyDepthAndProjection()
{
    static bool reported = false;
    ReportNotAvailable(reported, "applying depth and projection (SetDepth, SetProjectionParameters)");
}

void QVI_ReleasePooledBitmapData()
{
    static bool reported = false;
    ReportNotAvailable(reported, "releasing the bitmap pool's GPU data");
}

void QVI_ReleaseFontShaderAndGlyphData()
{
    static bool reported = false;
    ReportNotAvailable(reported, "releasing the GPU data of fonts, shaders and glyphs");
}

void QVI_FreeBatchAssets()
{
    static bool reported = false;
    ReportNotAvailable(reported, "freeing the batch renderer's assets");
}

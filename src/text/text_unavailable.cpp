// Fonts and text until they arrive. The members report once that they are not available
// and answer null, false or 0 (measurements write 0 to the pointers given); the renderer
// steps report once as set-up steps. Without font generation the global font stays off,
// which start-up accepts.
#include "text/text_api.h"

#include "core/missing_member.h"

Font* QV_GetFont(const char* name)
{
    QVI_REPORT_MISSING_MEMBER("GetFont");
    return nullptr;
}

Font* QV_LoadFont(const char* name)
{
    QVI_REPORT_MISSING_MEMBER("LoadFont");
    return nullptr;
}

bool QV_ReloadFont(Font* font)
{
    QVI_REPORT_MISSING_MEMBER("ReloadFont");
    return false;
}

void QV_ReleaseFont(Font* font)
{
    QVI_REPORT_MISSING_MEMBER("ReleaseFont");
}

bool QV_SaveFont(Font* font, const char* path)
{
    QVI_REPORT_MISSING_MEMBER("SaveFont");
    return false;
}

void QV_SetTextAlignment(const uint32_t* alignment)
{
    QVI_REPORT_MISSING_MEMBER("SetTextAlignment");
}

uint32_t QV_GetTextAlignment()
{
    QVI_REPORT_MISSING_MEMBER("GetTextAlignment");
    return 0;
}

void QV_SetTextMaxWidth(const float* width)
{
    QVI_REPORT_MISSING_MEMBER("SetTextMaxWidth");
}

void QV_SetTextScale(const float* x, const float* y, const float* angle)
{
    QVI_REPORT_MISSING_MEMBER("SetTextScale");
}

float QV_DrawText(Font* font, const float* x, const float* y, const char* format, ...)
{
    QVI_REPORT_MISSING_MEMBER("DrawText");
    return 0.0f;
}

void QV_MeasureText(Font* font, float* width, float* height, const char* format, ...)
{
    QVI_REPORT_MISSING_MEMBER("MeasureText");
    // A game that measures before drawing reads these back: they must not stay undefined.
    if (width)
        *width = 0.0f;
    if (height)
        *height = 0.0f;
}

float QV_GetTextWidth(Font* font, const char* format, ...)
{
    QVI_REPORT_MISSING_MEMBER("GetTextWidth");
    return 0.0f;
}

float QV_GetTextHeight(Font* font, const char* format, ...)
{
    QVI_REPORT_MISSING_MEMBER("GetTextHeight");
    return 0.0f;
}

void QVI_InitializeGlobalFont()
{
}

void QVI_RecreateFontAtlases()
{
    QVI_REPORT_MISSING_RENDERER_STEP("re-creating font atlases (QVI_RecreateFontAtlas)");
}

void QVI_ReuploadGlyphCache()
{
    QVI_REPORT_MISSING_RENDERER_STEP("uploading the glyph cache (QVI_UploadBitmap)");
}

void QVI_ReleaseFontShaderAndGlyphData()
{
    QVI_REPORT_MISSING_RENDERER_STEP("releasing the GPU data of fonts, shaders and glyphs");
}

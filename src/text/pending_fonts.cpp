// Stand-ins of the font pool until it lands.
#include "text/text_api.h"
#include "text/fonts/font_pool.h"

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


// Until the font pool lands, for the other text work to link against.
Font* QVI_GetFont(const char*) { return nullptr; }
Font* QVI_LoadFont(const char*) { return nullptr; }
Font* QVI_AllocateFontRecord(const char*) { return nullptr; }
Font* QVI_GetPooledFont(int) { return nullptr; }
int QVI_GetPooledFontCount() { return 0; }
bool QVI_LoadFontFile(Font*, const char*) { return false; }
bool QVI_ReadFontFile(Font*) { return false; }
bool QVI_SaveFontFile(Font*, const char*) { return false; }
bool QVI_RecreateFontAtlas(Font*) { return false; }
void QVI_QueueFontUpload(Font*) {}
void QVI_ProcessFontUploadQueue() {}
FontGlyph* QVI_FindFontGlyph(Font*, uint32_t) { return nullptr; }
bool InitializeGlobalFont() { return false; }

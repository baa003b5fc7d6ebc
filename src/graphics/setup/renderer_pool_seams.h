#pragma once

// The steps of renderer set-up and shutdown that belong to subsystems still to come: the
// render-state cache, the shader translator, the bitmap, font and shader pools, the glyph
// cache and the batch renderer. Until each arrives its step reports once that it is not
// available yet and does nothing; the renderer comes up without it.

// Set-up, in the order QVI_InitRenderer runs them.
void QVI_ClearRenderStateSetFlags();     // the 32 render-state set-flags
bool QVI_StartShaderTranslator(int shaderLanguage, const char* outputFolder, bool developerMode);
void QVI_RestorePooledBitmaps();         // textures and render targets of the bitmap pool
void QVI_RecreateFontAtlases();          // the atlas of every named font
void QVI_ReloadXmlShaders();             // every named shader loaded from ".xml"
void QVI_ReuploadGlyphCache();           // glyph bitmaps of the global glyph cache
void QVI_PrepareBatchRenderer();         // batch state, frame state, built-in shaders
void QVI_CreateWhiteTexture();           // "WHITE_TEXTURE", when a default shader exists
void QVI_InitBatchBuffers();
void QVI_ApplyDepthAndProjection();      // current depth and projection parameters

// Shutdown, in the order QVI_ShutdownRenderer runs them.
void QVI_ReleasePooledBitmapData();
void QVI_ReleaseFontShaderAndGlyphData();
void QVI_FreeBatchAssets();              // white texture, built-in shaders, buffers

// ShaderTool::Initialize(shader language, output folder or "", developer mode). The
// shader translator installs it when it arrives; while none is installed the translator
// counts as started.
using ShaderTranslatorStart = bool (*)(int shaderLanguage, const char* outputFolder, bool developerMode);
void QVI_SetShaderTranslatorStart(ShaderTranslatorStart start);

#pragma once

#include <cstdint>

#include "quaven/types.h"

// Fonts and text drawing: the API members, the global font, and text's data on the device,
// which the engine hands renderer set-up (graphics/setup/renderer_setup_hooks.h).

// API members (slots 19 to 23): the font pool.
Font* QV_GetFont(const char* name);
Font* QV_LoadFont(const char* name);
bool QV_ReloadFont(Font* font);
void QV_ReleaseFont(Font* font);
bool QV_SaveFont(Font* font, const char* path);

// API members (slots 68 to 75): text drawing and measuring.
void QV_SetTextAlignment(const uint32_t* alignment);
uint32_t QV_GetTextAlignment();
void QV_SetTextMaxWidth(const float* width);
void QV_SetTextScale(const float* x, const float* y, const float* angle);
float QV_DrawText(Font* font, const float* x, const float* y, const char* format, ...);
void QV_MeasureText(Font* font, float* width, float* height, const char* format, ...);
float QV_GetTextWidth(Font* font, const char* format, ...);
float QV_GetTextHeight(Font* font, const char* format, ...);

// Core initialisation: the global font "global.ttf" for glyphs missing from bitmap fonts.
void QVI_InitializeGlobalFont();

// Renderer set-up, once a device runs: the atlas of every named font, then (after the
// pooled shaders) the glyph bitmaps of the global glyph cache.
void QVI_RecreateFontAtlases();
void QVI_ReuploadGlyphCache();
// Renderer shutdown: releases the GPU data of fonts, shaders and glyphs.
void QVI_ReleaseFontShaderAndGlyphData();

#pragma once

#include "quaven/types.h"

// Stand-ins for the font pool and the global TrueType font until fonts arrive: the members
// report once that they are not available and answer null or false.

// API members (slots 19 to 23).
Font* QV_GetFont(const char* name);
Font* QV_LoadFont(const char* name);
bool QV_ReloadFont(Font* font);
void QV_ReleaseFont(Font* font);
bool QV_SaveFont(Font* font, const char* path);

// Core initialisation: the global font "global.ttf" for glyphs missing from bitmap fonts.
// Without font generation the global font stays off, which start-up accepts.
void QVI_InitializeGlobalFont();

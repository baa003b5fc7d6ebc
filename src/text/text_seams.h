#pragma once

#include <cstdint>

#include "quaven/types.h"

// Stand-ins for the text members until text drawing arrives: each reports once that it is
// not available and answers 0 (measurements write 0 to the pointers given).

// API members (slots 68 to 75).
void QV_SetTextAlignment(const uint32_t* alignment);
uint32_t QV_GetTextAlignment();
void QV_SetTextMaxWidth(const float* width);
void QV_SetTextScale(const float* x, const float* y, const float* angle);
float QV_DrawText(Font* font, const float* x, const float* y, const char* format, ...);
void QV_MeasureText(Font* font, float* width, float* height, const char* format, ...);
float QV_GetTextWidth(Font* font, const char* format, ...);
float QV_GetTextHeight(Font* font, const char* format, ...);

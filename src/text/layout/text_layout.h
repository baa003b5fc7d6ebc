#pragma once

#include <cstdint>

#include "text/fonts/font_record.h"

struct Shader;

// Text laid out in lines within the calling thread's wrap width, aligned, scaled and
// rotated, and drawn glyph by glyph through the batch renderer with inline tags.

const int kTextFormatBuffer = 2048;
const int kMaxTextLines = 1024;

float QVI_DrawText(Font* font, const char* text, float x, float y);
float QVI_DrawTextLinesLatin1(Font* font, char* text, float x, float y);
float QVI_DrawTextLines(Font* font, const char* text, float x, float y);
// LATIN-1 text is broken in place in the caller's buffer.
void QVI_MeasureTextLines(Font* font, char* text, float* width, float* height);

int QVI_BreakTextLines(Font* font, int maxWidth, char* text, char** lineStarts, int32_t* lineWidths, int maxLines);
int QVI_BreakTextLinesUTF32(Font* font, int maxWidth, uint32_t* text, uint32_t** lineStarts, int32_t* lineWidths,
                            int maxLines);
int QVI_MeasureWord(Font* font, const char* text);
int QVI_MeasureWordUTF32(Font* font, const uint32_t* text);

// Reads a tag's attributes; every output may be null. Answers the bitmap an image tag names.
Bitmap* QVI_ParseTextTag(const char* tag, int* offset, float* angle, float* scale, float color[4], Shader** shader);
int QVI_ParseHexByte(char high, char low);
float QVI_GetTextCenterOffset(Font* font);

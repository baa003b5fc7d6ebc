#pragma once

#include <cstdint>

#include "text/fonts/font_record.h"

class DataArray;
class String;

// Builds a font from its source "<name>.xml": glyphs rendered from a TrueType file through
// FreeType, or cut out of an input bitmap, with spacing, automatic kerning, vertical metrics,
// an optional colour gradient and an optional distance field.
bool QVI_GenerateFontFromSource(Font* font);

// Turns an 8-bit coverage image into a white RGBA image with a transparent border; false for
// a missing or empty image. coverage is the block as FreeType hands it: rows are |pitch| bytes
// apart, top row first for a positive pitch, bottom row first for a negative one. Any pixels
// the image owned are freed first. The global glyph cache uses it too.
bool QVI_ConvertGlyphToBitmap(const uint8_t* coverage, int width, int rows, int pitch, Bitmap* out, int border);

// The steps, each usable alone.
void QVI_CreateFontGlyphsArrayFromStrings(Font* font, const char* stringsFile, DataArray* additionalCharacters,
                                          const char* characterSets);
bool QVI_CreateFontGlyphBitmapsFromTTF(Font* font, const char* nativeTtfPath, int sizePx, const char* style,
                                       int renderSizePx, int supersample, int spread);
bool QVI_ExtractGlyphsFromBitmap(Font* font, Bitmap* input, DataArray* glyphs, int spacing);
bool QVI_GetGlyphSpacing(Font* font, DataArray* glyphs, int spacing);
int QVI_DetermineKernPairs(Font* font, int left, int right, const int* safeZone, float threshold);
// Every ordered pair of glyphs that both have kerning rows gets its value (space, no-break
// space, '-' and '_' never kern), clamped to a signed byte; each glyph's ink profile is
// measured once, and a right glyph is compared with sixteen left glyphs per pass over its rows.
void QVI_ApplyAutomaticKerning(Font* font, int safeZone, float threshold);
double QVI_SelectFontInputBitmap(const char* nodeId);
void QVI_ApplyFontColorGradient(Font* font, DataArray* effects);
void QVI_FindFontSourceFile(String* out, const char* path, const char* baseFolder);
// The strings file a source names: "!..." as it is, "./..." beside the source as the search
// paths find it, else as given or beside the source's own name (reported when neither is).
String QVI_LocateFontStringsFile(const char* strings, const char* sourceName);
// The native path of a TrueType file a source names, found beside the source or on the
// search paths; empty when there is none a native library could open.
String QVI_FindFontTrueTypeFile(const char* ttf, const char* sourceFolder);

// A whole number from a font source's text, saturated to the int range (atoi's overflow is
// undefined); fallback for a null text.
int QVI_ParseFontSourceInt(const char* text, int fallback);

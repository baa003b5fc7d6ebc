// Stand-ins of font generation until it lands.
#include "text/generation/font_generation.h"

bool QVI_GenerateFontFromSource(Font*) { return false; }
bool QVI_ConvertGlyphToBitmap(const uint8_t*, int, int, int, Bitmap*, int) { return false; }

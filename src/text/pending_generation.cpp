// Stand-ins of font generation until it lands.
#include "text/generation/font_generation.h"

bool QVI_GenerateFontFromSource(Font*) { return false; }

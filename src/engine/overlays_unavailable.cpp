// The frame's base transform and the developer overlays until they arrive: each does
// nothing, but for the console's step that ends the developer overlays.
#include "engine/overlays.h"

#include "console/console.h"

void QVI_SetupFrameTransforms()
{
}

void QVI_DrawTimeDeltaTest(float* seconds)
{
}

void QVI_DrawDebugOverlays()
{
}

void QVI_DrawFrameBorders()
{
}

void QVI_DrawDeveloperInfo(float seconds)
{
    QVI_DrawConsole(seconds);
}

// The frame's base transform and the developer overlays until they arrive: each does
// nothing.
#include "engine/overlays.h"

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
}

#include "engine/overlay_seams.h"

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

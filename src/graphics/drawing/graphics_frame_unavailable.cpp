// The frame's drawing steps until drawing arrives: each does nothing, and the stacks always
// answer empty.
#include "graphics/graphics_frame.h"

void QVI_ResetGraphicsDefaults()
{
}

void QVI_ResetRenderTargetStack()
{
}

void QVI_ResetBatchForFrame(RendererImplementation* renderer)
{
}

DrawingStackDepths QVI_GetDrawingStackDepths()
{
    return DrawingStackDepths{-1, -1, -1, -1};
}

void QVI_BeginZoomedFrame()
{
}

void QVI_EndZoomedFrame()
{
}

void QVI_ResetFrameDrawingState()
{
}

void QVI_FinishFrameTransforms()
{
}

void QVI_ResetDrawingState()
{
}

void QVI_FlushBatchForPresent(RendererImplementation* renderer)
{
}

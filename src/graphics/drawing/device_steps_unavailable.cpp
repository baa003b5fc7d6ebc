// What drawing keeps on the device, until drawing arrives: each step reports once that it
// is not available yet and does nothing; the renderer comes up without it.
#include "graphics/device_resources.h"

#include "core/missing_member.h"

void QVI_ClearRenderStateSetFlags()
{
    QVI_REPORT_MISSING_RENDERER_STEP("the render-state cache");
}

void QVI_PrepareBatchRenderer()
{
    QVI_REPORT_MISSING_RENDERER_STEP("the batch renderer's built-in shaders");
}

void QVI_CreateWhiteTexture()
{
    QVI_REPORT_MISSING_RENDERER_STEP("the default white texture");
}

void QVI_InitBatchBuffers()
{
    QVI_REPORT_MISSING_RENDERER_STEP("the batch renderer's buffers");
}

void QVI_ApplyDepthAndProjection()
{
    QVI_REPORT_MISSING_RENDERER_STEP("applying depth and projection (SetDepth, SetProjectionParameters)");
}

void QVI_FreeBatchAssets()
{
    QVI_REPORT_MISSING_RENDERER_STEP("freeing the batch renderer's assets");
}

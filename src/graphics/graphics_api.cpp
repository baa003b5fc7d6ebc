#include "graphics/graphics_api.h"

#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"

namespace {

// Written only on the main thread during pre-initialisation; read-only afterwards.
QuavenGraphicsAPI g_graphicsTable = {
    QV_Graphics_ClearDepth,
    QV_Graphics_ClearColor,
    QV_Graphics_ClearColorAlpha,
    QV_Graphics_CreateBitmap,
    QV_Graphics_CopyBitmapRenderTargetDataToPixels,
    QV_Graphics_CreateIndexBuffer,
    QV_Graphics_CreateVertexBuffer,
    QV_Graphics_DisableScissorRectangle,
    QV_Graphics_DrawBitmap,
    QV_Graphics_DrawBitmapCustom,
    QV_Graphics_DrawBitmapLine,
    QV_Graphics_DrawBitmapRotated,
    QV_Graphics_DrawLine,
    QV_Graphics_DrawLineCustom,
    QV_Graphics_DrawRectangle,
    QV_Graphics_DrawSubBitmap,
    QV_Graphics_DrawTriangles,
    QV_Graphics_DrawVertexBuffer,
    QV_Graphics_DrawVertexBufferInstanced,
    QV_Graphics_DrawVertexBufferRange,
    QV_Graphics_FreeIndexBuffer,
    QV_Graphics_FreeVertexBuffer,
    QV_Graphics_GetAlpha,
    QV_Graphics_GetBitmap,
    QV_Graphics_GetBitmapByHandle,
    QV_Graphics_GetBitmapEx,
    QV_Graphics_GetBlendMode,
    QV_Graphics_GetColor,
    QV_Graphics_GetDepth,
    QV_Graphics_GetRendererType,
    QV_Graphics_GetMaximumTextureSize,
    QV_Graphics_GetBitmapCount,
    QV_Graphics_GetTextureFilter,
    QV_Graphics_GetRenderStateb,
    QV_Graphics_GetRenderStatef,
    QV_Graphics_GetRenderStatei,
    QV_Graphics_GetShader,
    QV_Graphics_GetShaderPixelConstant,
    QV_Graphics_GetShaderPixelConstantIndex,
    QV_Graphics_GetShaderUserValue,
    QV_Graphics_GetShaderVertexConstant,
    QV_Graphics_GetShaderVertexConstantIndex,
    QV_Graphics_GetShaderTextureIndex,
    QV_Graphics_GetViewportSize,
    QV_Graphics_GetViewPosition,
    QV_Graphics_IncreaseBitmapReferenceCount,
    QV_Graphics_IsShaderLoaded,
    QV_Graphics_IsTextureFormatSupported,
    QV_Graphics_LoadBitmap,
    QV_Graphics_LockIndexBuffer,
    QV_Graphics_LockVertexBuffer,
    QV_Graphics_PeekProjectionTransform,
    QV_Graphics_PeekRenderTarget,
    QV_Graphics_PeekViewTransform,
    QV_Graphics_PeekWorldTransform,
    QV_Graphics_PopProjectionTransform,
    QV_Graphics_PopRenderTarget,
    QV_Graphics_PopScissorRectangle,
    QV_Graphics_PopViewTransform,
    QV_Graphics_PopWorldTransform,
    QV_Graphics_PushProjectionTransform,
    QV_Graphics_PushRenderTarget,
    QV_Graphics_PushRenderTargets,
    QV_Graphics_PushRenderTargetWithDepth,
    QV_Graphics_PushScissorRectangle,
    QV_Graphics_PushViewTransform,
    QV_Graphics_PushWorldTransform,
    QV_Graphics_RefreshBitmap,
    QV_Graphics_ReleaseBitmap,
    QV_Graphics_ReloadShader,
    QV_Graphics_RemoveBitmapHandle,
    QV_Graphics_ResizeBitmap,
    QV_Graphics_SaveBitmap,
    QV_Graphics_SetAlpha,
    QV_Graphics_SetBitmapCacheMode,
    QV_Graphics_SetBitmapFrame,
    QV_Graphics_SetBlendMode,
    QV_Graphics_SetColorRedInByte2,
    QV_Graphics_SetDepth,
    QV_Graphics_SetProjectionParameters,
    QV_Graphics_SetTextShader,
    QV_Graphics_SetTextureFilter,
    QV_Graphics_SetRenderStateb,
    QV_Graphics_SetRenderStatef,
    QV_Graphics_SetRenderStatei,
    QV_Graphics_SetBitmapRegion,
    QV_Graphics_SetScissorRectangle,
    QV_Graphics_SetShader,
    QV_Graphics_SetShaderPixelConstant,
    QV_Graphics_SetShaderVertexConstant,
    QV_Graphics_SetTextureAddressMode,
    QV_Graphics_SetTextureStageFilter,
    QV_Graphics_SetTexture,
    QV_Graphics_UnlockIndexBuffer,
    QV_Graphics_UnlockVertexBuffer,
};

const QuavenDrawAPI kDrawTable = {QV_Draw_Quad};

}  // namespace

void QVI_FillGraphicsAPI(QuavenAPI* api)
{
    if (!api)
        return;
    RendererImplementation* renderer = QVI_GetRenderer();
    const bool redInByte2 = !renderer || renderer->UsesRGBAVertexColor();
    g_graphicsTable.SetColor = redInByte2 ? QV_Graphics_SetColorRedInByte2 : QV_Graphics_SetColorRedInByte0;
    api->graphics = &g_graphicsTable;
}

void QVI_FillDrawAPI(QuavenAPI* api)
{
    if (api)
        api->draw = &kDrawTable;
}

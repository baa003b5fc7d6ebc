// The drawing, state and buffer members until drawing arrives: each reports once that it
// is not available and answers 0, false or null (the Peek members the identity,
// GetViewPosition the origin, sizes 0).
#include "graphics/graphics_api.h"

#include "core/missing_member.h"

namespace {

Matrix4 Identity()
{
    Matrix4 matrix;
    matrix.SetIdentity();
    return matrix;
}

}  // namespace

void QV_Graphics_ClearDepth(float depth) { QVI_REPORT_MISSING_MEMBER("graphics->ClearDepth"); }

void QV_Graphics_ClearColor(float r, float g, float b) { QVI_REPORT_MISSING_MEMBER("graphics->ClearColor"); }

void QV_Graphics_ClearColorAlpha(float r, float g, float b, float a)
{
    QVI_REPORT_MISSING_MEMBER("graphics->ClearColorAlpha");
}

void QV_Graphics_DisableScissorRectangle() { QVI_REPORT_MISSING_MEMBER("graphics->DisableScissorRectangle"); }

float QV_Graphics_GetAlpha()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetAlpha");
    return 0.0f;
}

int QV_Graphics_GetBlendMode()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBlendMode");
    return 0;
}

Color QV_Graphics_GetColor()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetColor");
    return Color{0.0f, 0.0f, 0.0f, 0.0f};
}

float QV_Graphics_GetDepth()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetDepth");
    return 0.0f;
}

int QV_Graphics_GetRendererType()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetRendererType");
    return 0;
}

int QV_Graphics_GetMaximumTextureSize()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetMaximumTextureSize");
    return 0;
}

int QV_Graphics_GetTextureFilter()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetTextureFilter");
    return 0;
}

bool QV_Graphics_GetRenderStateb(int state)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetRenderStateb");
    return false;
}

float QV_Graphics_GetRenderStatef(int state)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetRenderStatef");
    return 0.0f;
}

int QV_Graphics_GetRenderStatei(int state)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetRenderStatei");
    return 0;
}

void QV_Graphics_GetViewportSize(int* width, int* height)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetViewportSize");
    if (width)
        *width = 0;
    if (height)
        *height = 0;
}

const float* QV_Graphics_GetViewPosition()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetViewPosition");
    // Three floats the caller may read.
    static const float origin[3] = {0.0f, 0.0f, 0.0f};
    return origin;
}

bool QV_Graphics_IsTextureFormatSupported(const BitmapDescription* description)
{
    QVI_REPORT_MISSING_MEMBER("graphics->IsTextureFormatSupported");
    return false;
}

Matrix4 QV_Graphics_PeekProjectionTransform()
{
    QVI_REPORT_MISSING_MEMBER("graphics->PeekProjectionTransform");
    return Identity();
}

Bitmap* QV_Graphics_PeekRenderTarget()
{
    QVI_REPORT_MISSING_MEMBER("graphics->PeekRenderTarget");
    return nullptr;
}

Matrix4 QV_Graphics_PeekViewTransform()
{
    QVI_REPORT_MISSING_MEMBER("graphics->PeekViewTransform");
    return Identity();
}

Matrix4 QV_Graphics_PeekWorldTransform()
{
    QVI_REPORT_MISSING_MEMBER("graphics->PeekWorldTransform");
    return Identity();
}

void QV_Graphics_PopProjectionTransform() { QVI_REPORT_MISSING_MEMBER("graphics->PopProjectionTransform"); }

void QV_Graphics_PopRenderTarget() { QVI_REPORT_MISSING_MEMBER("graphics->PopRenderTarget"); }

void QV_Graphics_PopScissorRectangle() { QVI_REPORT_MISSING_MEMBER("graphics->PopScissorRectangle"); }

void QV_Graphics_PopViewTransform() { QVI_REPORT_MISSING_MEMBER("graphics->PopViewTransform"); }

void QV_Graphics_PopWorldTransform() { QVI_REPORT_MISSING_MEMBER("graphics->PopWorldTransform"); }

void QV_Graphics_PushProjectionTransform(const Matrix4* transform)
{
    QVI_REPORT_MISSING_MEMBER("graphics->PushProjectionTransform");
}

void QV_Graphics_PushRenderTarget(Bitmap* colour) { QVI_REPORT_MISSING_MEMBER("graphics->PushRenderTarget"); }

void QV_Graphics_PushRenderTargets(const RenderTargetSet* targets)
{
    QVI_REPORT_MISSING_MEMBER("graphics->PushRenderTargets");
}

void QV_Graphics_PushRenderTargetWithDepth(Bitmap* colour, Bitmap* depth)
{
    QVI_REPORT_MISSING_MEMBER("graphics->PushRenderTargetWithDepth");
}

void QV_Graphics_PushScissorRectangle(int x, int y, int width, int height)
{
    QVI_REPORT_MISSING_MEMBER("graphics->PushScissorRectangle");
}

void QV_Graphics_PushViewTransform(const Matrix4* transform)
{
    QVI_REPORT_MISSING_MEMBER("graphics->PushViewTransform");
}

void QV_Graphics_PushWorldTransform(const Matrix4* transform)
{
    QVI_REPORT_MISSING_MEMBER("graphics->PushWorldTransform");
}

void QV_Graphics_SetAlpha(const float* alpha) { QVI_REPORT_MISSING_MEMBER("graphics->SetAlpha"); }

void QV_Graphics_SetBlendMode(int mode) { QVI_REPORT_MISSING_MEMBER("graphics->SetBlendMode"); }

void QV_Graphics_SetColorRedInByte2(const float* r, const float* g, const float* b)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetColor");
}

void QV_Graphics_SetColorRedInByte0(const float* r, const float* g, const float* b)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetColor");
}

void QV_Graphics_SetDepth(const float* z) { QVI_REPORT_MISSING_MEMBER("graphics->SetDepth"); }

void QV_Graphics_SetProjectionParameters(float nearDepth, float middleDepth, float farDepth)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetProjectionParameters");
}

void QV_Graphics_SetTextureFilter(int filter) { QVI_REPORT_MISSING_MEMBER("graphics->SetTextureFilter"); }

void QV_Graphics_SetRenderStateb(int state, bool value) { QVI_REPORT_MISSING_MEMBER("graphics->SetRenderStateb"); }

void QV_Graphics_SetRenderStatef(int state, float value) { QVI_REPORT_MISSING_MEMBER("graphics->SetRenderStatef"); }

void QV_Graphics_SetRenderStatei(int state, int value) { QVI_REPORT_MISSING_MEMBER("graphics->SetRenderStatei"); }

bool QV_Graphics_SetScissorRectangle(int x, int y, int width, int height)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetScissorRectangle");
    return false;
}

void QV_Graphics_SetTextureAddressMode(int stage, int u, int v, int w)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetTextureAddressMode");
}

void QV_Graphics_SetTextureStageFilter(int stage, int magFilter, int minFilter, int mipFilter)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetTextureStageFilter");
}

void QV_Graphics_SetTexture(int stage, Bitmap* bitmap) { QVI_REPORT_MISSING_MEMBER("graphics->SetTexture"); }

void QV_Draw_Quad(int vertexFormat, const void* vertices) { QVI_REPORT_MISSING_MEMBER("draw->Quad"); }

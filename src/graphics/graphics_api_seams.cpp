#include "platform/windows/win32.h"

#include "graphics/graphics_api_seams.h"

#include "core/missing_member.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"

namespace {

Matrix4 Identity()
{
    Matrix4 matrix;
    matrix.SetIdentity();
    return matrix;
}

void ClearDepth(float depth) { QVI_REPORT_MISSING_MEMBER("graphics->ClearDepth"); }
void ClearColor(float r, float g, float b) { QVI_REPORT_MISSING_MEMBER("graphics->ClearColor"); }
void ClearColorAlpha(float r, float g, float b, float a) { QVI_REPORT_MISSING_MEMBER("graphics->ClearColorAlpha"); }

Bitmap* CreateBitmap(const char* name, const BitmapDescription* description)
{
    QVI_REPORT_MISSING_MEMBER("graphics->CreateBitmap");
    return nullptr;
}

bool CopyBitmapRenderTargetDataToPixels(Bitmap* bitmap)
{
    QVI_REPORT_MISSING_MEMBER("graphics->CopyBitmapRenderTargetDataToPixels");
    return false;
}

IndexBuffer* CreateIndexBuffer(const uint16_t* indices, int count, int usage)
{
    QVI_REPORT_MISSING_MEMBER("graphics->CreateIndexBuffer");
    return nullptr;
}

VertexBuffer* CreateVertexBuffer(VertexFormat format, const void* vertices, int count, int usage)
{
    QVI_REPORT_MISSING_MEMBER("graphics->CreateVertexBuffer");
    return nullptr;
}

void DisableScissorRectangle() { QVI_REPORT_MISSING_MEMBER("graphics->DisableScissorRectangle"); }
void DrawBitmap(Bitmap* bitmap, const float* x, const float* y) { QVI_REPORT_MISSING_MEMBER("graphics->DrawBitmap"); }

void DrawBitmapCustom(Bitmap* bitmap, const BatchVertex vertices[4])
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawBitmapCustom");
}

void DrawBitmapLine(Bitmap* bitmap, const float p0[2], const float p1[2], float width0, float width1,
                    const float colour0[4], const float colour1[4])
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawBitmapLine");
}

void DrawBitmapRotated(Bitmap* bitmap, const float* x, const float* y, const float* angle, const float* scale)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawBitmapRotated");
}

void DrawLine(const float* x0, const float* y0, const float* x1, const float* y1)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawLine");
}

void DrawLineCustom(const BatchVertex vertices[2]) { QVI_REPORT_MISSING_MEMBER("graphics->DrawLineCustom"); }

void DrawRectangle(const float* x, const float* y, const float* width, const float* height)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawRectangle");
}

void DrawSubBitmap(Bitmap* bitmap, const float* x, const float* y, const float* left, const float* top,
                   const float* right, const float* bottom)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawSubBitmap");
}

void DrawTriangles(Bitmap* texture, const BatchVertex* vertices, int vertexCount, const uint16_t* indices,
                   int indexCount)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawTriangles");
}

void DrawVertexBuffer(VertexBuffer* vertices, IndexBuffer* indices)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawVertexBuffer");
}

void DrawVertexBufferInstanced(VertexBuffer* vertices, IndexBuffer* indices, int instanceCount)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawVertexBufferInstanced");
}

void DrawVertexBufferRange(VertexBuffer* vertices, IndexBuffer* indices, const int* firstIndex, const int* indexCount)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawVertexBufferRange");
}

void FreeIndexBuffer(IndexBuffer* buffer) { QVI_REPORT_MISSING_MEMBER("graphics->FreeIndexBuffer"); }
void FreeVertexBuffer(VertexBuffer* buffer) { QVI_REPORT_MISSING_MEMBER("graphics->FreeVertexBuffer"); }

float GetAlpha()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetAlpha");
    return 0.0f;
}

Bitmap* GetBitmap(const char* name)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmap");
    return nullptr;
}

Bitmap* GetBitmapByHandle(const int* slot)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmapByHandle");
    return nullptr;
}

Bitmap* GetBitmapEx(const char* name, BitmapCacheMode mode)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmapEx");
    return nullptr;
}

int GetBlendMode()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBlendMode");
    return 0;
}

Color GetColor()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetColor");
    return Color{0.0f, 0.0f, 0.0f, 0.0f};
}

float GetDepth()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetDepth");
    return 0.0f;
}

int GetRendererType()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetRendererType");
    return 0;
}

int GetMaximumTextureSize()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetMaximumTextureSize");
    return 0;
}

int GetBitmapCount()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmapCount");
    return 0;
}

int GetTextureFilter()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetTextureFilter");
    return 0;
}

bool GetRenderStateb(int state)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetRenderStateb");
    return false;
}

float GetRenderStatef(int state)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetRenderStatef");
    return 0.0f;
}

int GetRenderStatei(int state)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetRenderStatei");
    return 0;
}

Shader* GetShader(const char* name)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShader");
    return nullptr;
}

void* GetShaderPixelConstant(Shader* shader, int index)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShaderPixelConstant");
    return nullptr;
}

int GetShaderPixelConstantIndex(Shader* shader, const char* name)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShaderPixelConstantIndex");
    return -1;
}

const char* GetShaderUserValue(Shader* shader, const char* id)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShaderUserValue");
    return nullptr;
}

void* GetShaderVertexConstant(Shader* shader, int index)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShaderVertexConstant");
    return nullptr;
}

int GetShaderVertexConstantIndex(Shader* shader, const char* name)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShaderVertexConstantIndex");
    return -1;
}

int GetShaderTextureIndex(Shader* shader, const char* name)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetShaderTextureIndex");
    return -1;
}

void GetViewportSize(int* width, int* height)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetViewportSize");
    if (width)
        *width = 0;
    if (height)
        *height = 0;
}

const float* GetViewPosition()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetViewPosition");
    // Three floats the caller may read.
    static const float origin[3] = {0.0f, 0.0f, 0.0f};
    return origin;
}

void IncreaseBitmapReferenceCount(Bitmap* bitmap, const uint32_t* amount)
{
    QVI_REPORT_MISSING_MEMBER("graphics->IncreaseBitmapReferenceCount");
}

bool IsShaderLoaded(Shader* shader)
{
    QVI_REPORT_MISSING_MEMBER("graphics->IsShaderLoaded");
    return false;
}

bool IsTextureFormatSupported(const BitmapDescription* description)
{
    QVI_REPORT_MISSING_MEMBER("graphics->IsTextureFormatSupported");
    return false;
}

Bitmap* LoadBitmap(const char* name, BitmapCacheMode mode)
{
    QVI_REPORT_MISSING_MEMBER("graphics->LoadBitmap");
    return nullptr;
}

bool LockIndexBuffer(IndexBuffer* buffer)
{
    QVI_REPORT_MISSING_MEMBER("graphics->LockIndexBuffer");
    return false;
}

bool LockVertexBuffer(VertexBuffer* buffer)
{
    QVI_REPORT_MISSING_MEMBER("graphics->LockVertexBuffer");
    return false;
}

Matrix4 PeekProjectionTransform()
{
    QVI_REPORT_MISSING_MEMBER("graphics->PeekProjectionTransform");
    return Identity();
}

Bitmap* PeekRenderTarget()
{
    QVI_REPORT_MISSING_MEMBER("graphics->PeekRenderTarget");
    return nullptr;
}

Matrix4 PeekViewTransform()
{
    QVI_REPORT_MISSING_MEMBER("graphics->PeekViewTransform");
    return Identity();
}

Matrix4 PeekWorldTransform()
{
    QVI_REPORT_MISSING_MEMBER("graphics->PeekWorldTransform");
    return Identity();
}

void PopProjectionTransform() { QVI_REPORT_MISSING_MEMBER("graphics->PopProjectionTransform"); }
void PopRenderTarget() { QVI_REPORT_MISSING_MEMBER("graphics->PopRenderTarget"); }
void PopScissorRectangle() { QVI_REPORT_MISSING_MEMBER("graphics->PopScissorRectangle"); }
void PopViewTransform() { QVI_REPORT_MISSING_MEMBER("graphics->PopViewTransform"); }
void PopWorldTransform() { QVI_REPORT_MISSING_MEMBER("graphics->PopWorldTransform"); }

void PushProjectionTransform(const Matrix4* transform)
{
    QVI_REPORT_MISSING_MEMBER("graphics->PushProjectionTransform");
}

void PushRenderTarget(Bitmap* colour) { QVI_REPORT_MISSING_MEMBER("graphics->PushRenderTarget"); }

void PushRenderTargets(const RenderTargetSet* targets)
{
    QVI_REPORT_MISSING_MEMBER("graphics->PushRenderTargets");
}

void PushRenderTargetWithDepth(Bitmap* colour, Bitmap* depth)
{
    QVI_REPORT_MISSING_MEMBER("graphics->PushRenderTargetWithDepth");
}

void PushScissorRectangle(int x, int y, int width, int height)
{
    QVI_REPORT_MISSING_MEMBER("graphics->PushScissorRectangle");
}

void PushViewTransform(const Matrix4* transform) { QVI_REPORT_MISSING_MEMBER("graphics->PushViewTransform"); }
void PushWorldTransform(const Matrix4* transform) { QVI_REPORT_MISSING_MEMBER("graphics->PushWorldTransform"); }
void RefreshBitmap(Bitmap* bitmap) { QVI_REPORT_MISSING_MEMBER("graphics->RefreshBitmap"); }
void ReleaseBitmap(Bitmap* bitmap) { QVI_REPORT_MISSING_MEMBER("graphics->ReleaseBitmap"); }

bool ReloadShader(Shader* shader)
{
    QVI_REPORT_MISSING_MEMBER("graphics->ReloadShader");
    return false;
}

void RemoveBitmapHandle(Bitmap* bitmap) { QVI_REPORT_MISSING_MEMBER("graphics->RemoveBitmapHandle"); }

void ResizeBitmap(Bitmap* bitmap, int width, int height)
{
    QVI_REPORT_MISSING_MEMBER("graphics->ResizeBitmap");
}

bool SaveBitmap(Bitmap* bitmap, const char* path, int quality)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SaveBitmap");
    return false;
}

void SetAlpha(const float* alpha) { QVI_REPORT_MISSING_MEMBER("graphics->SetAlpha"); }

void SetBitmapCacheMode(Bitmap* bitmap, BitmapCacheMode mode)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetBitmapCacheMode");
}

void SetBitmapFrame(Bitmap* bitmap, int frame) { QVI_REPORT_MISSING_MEMBER("graphics->SetBitmapFrame"); }
void SetBlendMode(int mode) { QVI_REPORT_MISSING_MEMBER("graphics->SetBlendMode"); }

void SetColorRedInByte2(const float* r, const float* g, const float* b)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetColor");
}

void SetColorRedInByte0(const float* r, const float* g, const float* b)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetColor");
}

void SetDepth(const float* z) { QVI_REPORT_MISSING_MEMBER("graphics->SetDepth"); }

void SetProjectionParameters(float nearDepth, float middleDepth, float farDepth)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetProjectionParameters");
}

void SetTextShader(Shader* shader) { QVI_REPORT_MISSING_MEMBER("graphics->SetTextShader"); }
void SetTextureFilter(int filter) { QVI_REPORT_MISSING_MEMBER("graphics->SetTextureFilter"); }
void SetRenderStateb(int state, bool value) { QVI_REPORT_MISSING_MEMBER("graphics->SetRenderStateb"); }
void SetRenderStatef(int state, float value) { QVI_REPORT_MISSING_MEMBER("graphics->SetRenderStatef"); }
void SetRenderStatei(int state, int value) { QVI_REPORT_MISSING_MEMBER("graphics->SetRenderStatei"); }

void SetBitmapRegion(Bitmap* bitmap, int x, int y, int width, int height)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetBitmapRegion");
}

bool SetScissorRectangle(int x, int y, int width, int height)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetScissorRectangle");
    return false;
}

void SetShader(Shader* shader) { QVI_REPORT_MISSING_MEMBER("graphics->SetShader"); }

void SetShaderPixelConstant(Shader* shader, int index, int unused, const void* value)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetShaderPixelConstant");
}

void SetShaderVertexConstant(Shader* shader, int index, int unused, const void* value)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetShaderVertexConstant");
}

void SetTextureAddressMode(int stage, int u, int v, int w)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetTextureAddressMode");
}

void SetTextureStageFilter(int stage, int magFilter, int minFilter, int mipFilter)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetTextureStageFilter");
}

void SetTexture(int stage, Bitmap* bitmap) { QVI_REPORT_MISSING_MEMBER("graphics->SetTexture"); }
void UnlockIndexBuffer(IndexBuffer* buffer) { QVI_REPORT_MISSING_MEMBER("graphics->UnlockIndexBuffer"); }
void UnlockVertexBuffer(VertexBuffer* buffer) { QVI_REPORT_MISSING_MEMBER("graphics->UnlockVertexBuffer"); }

void Quad(int vertexFormat, const void* vertices) { QVI_REPORT_MISSING_MEMBER("draw->Quad"); }

// Written only on the main thread during pre-initialisation; read-only afterwards.
QuavenGraphicsAPI g_graphicsTable = {
    ClearDepth,
    ClearColor,
    ClearColorAlpha,
    CreateBitmap,
    CopyBitmapRenderTargetDataToPixels,
    CreateIndexBuffer,
    CreateVertexBuffer,
    DisableScissorRectangle,
    DrawBitmap,
    DrawBitmapCustom,
    DrawBitmapLine,
    DrawBitmapRotated,
    DrawLine,
    DrawLineCustom,
    DrawRectangle,
    DrawSubBitmap,
    DrawTriangles,
    DrawVertexBuffer,
    DrawVertexBufferInstanced,
    DrawVertexBufferRange,
    FreeIndexBuffer,
    FreeVertexBuffer,
    GetAlpha,
    GetBitmap,
    GetBitmapByHandle,
    GetBitmapEx,
    GetBlendMode,
    GetColor,
    GetDepth,
    GetRendererType,
    GetMaximumTextureSize,
    GetBitmapCount,
    GetTextureFilter,
    GetRenderStateb,
    GetRenderStatef,
    GetRenderStatei,
    GetShader,
    GetShaderPixelConstant,
    GetShaderPixelConstantIndex,
    GetShaderUserValue,
    GetShaderVertexConstant,
    GetShaderVertexConstantIndex,
    GetShaderTextureIndex,
    GetViewportSize,
    GetViewPosition,
    IncreaseBitmapReferenceCount,
    IsShaderLoaded,
    IsTextureFormatSupported,
    LoadBitmap,
    LockIndexBuffer,
    LockVertexBuffer,
    PeekProjectionTransform,
    PeekRenderTarget,
    PeekViewTransform,
    PeekWorldTransform,
    PopProjectionTransform,
    PopRenderTarget,
    PopScissorRectangle,
    PopViewTransform,
    PopWorldTransform,
    PushProjectionTransform,
    PushRenderTarget,
    PushRenderTargets,
    PushRenderTargetWithDepth,
    PushScissorRectangle,
    PushViewTransform,
    PushWorldTransform,
    RefreshBitmap,
    ReleaseBitmap,
    ReloadShader,
    RemoveBitmapHandle,
    ResizeBitmap,
    SaveBitmap,
    SetAlpha,
    SetBitmapCacheMode,
    SetBitmapFrame,
    SetBlendMode,
    SetColorRedInByte2,
    SetDepth,
    SetProjectionParameters,
    SetTextShader,
    SetTextureFilter,
    SetRenderStateb,
    SetRenderStatef,
    SetRenderStatei,
    SetBitmapRegion,
    SetScissorRectangle,
    SetShader,
    SetShaderPixelConstant,
    SetShaderVertexConstant,
    SetTextureAddressMode,
    SetTextureStageFilter,
    SetTexture,
    UnlockIndexBuffer,
    UnlockVertexBuffer,
};

const QuavenDrawAPI kDrawTable = {Quad};

}  // namespace

void (*const kSetColorRedInByte2)(const float*, const float*, const float*) = SetColorRedInByte2;
void (*const kSetColorRedInByte0)(const float*, const float*, const float*) = SetColorRedInByte0;

void QVI_FillGraphicsAPI(QuavenAPI* api)
{
    if (!api)
        return;
    RendererImplementation* renderer = QVI_GetRenderer();
    const bool redInByte2 = !renderer || renderer->UsesRGBAVertexColor();
    g_graphicsTable.SetColor = redInByte2 ? SetColorRedInByte2 : SetColorRedInByte0;
    api->graphics = &g_graphicsTable;
}

void QVI_FillDrawAPI(QuavenAPI* api)
{
    if (api)
        api->draw = &kDrawTable;
}

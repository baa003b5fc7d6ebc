#pragma once

#include "quaven/api.h"

// The graphics and draw sub-tables of the API table.

// Fills the 95 members of the graphics sub-table in their fixed order and stores its
// address in the API table's graphics member. SetColor is chosen for the attached
// renderer: the form that puts red in byte 2 without a renderer or when the renderer uses
// B,G,R,A vertex colours, the form that puts red in byte 0 when it answers false to
// UsesRGBAVertexColor.
void QVI_FillGraphicsAPI(QuavenAPI* api);

// Fills the draw sub-table (Quad) and stores its address in the API table's draw member.
void QVI_FillDrawAPI(QuavenAPI* api);

// The members of the graphics sub-table, in slot order, SetColor in its two forms.
void QV_Graphics_ClearDepth(float depth);
void QV_Graphics_ClearColor(float r, float g, float b);
void QV_Graphics_ClearColorAlpha(float r, float g, float b, float a);
Bitmap* QV_Graphics_CreateBitmap(const char* name, const BitmapDescription* description);
bool QV_Graphics_CopyBitmapRenderTargetDataToPixels(Bitmap* bitmap);
IndexBuffer* QV_Graphics_CreateIndexBuffer(const uint16_t* indices, int count, int usage);
VertexBuffer* QV_Graphics_CreateVertexBuffer(VertexFormat format, const void* vertices, int count, int usage);
void QV_Graphics_DisableScissorRectangle();
void QV_Graphics_DrawBitmap(Bitmap* bitmap, const float* x, const float* y);
void QV_Graphics_DrawBitmapCustom(Bitmap* bitmap, const BatchVertex vertices[4]);
void QV_Graphics_DrawBitmapLine(Bitmap* bitmap, const float p0[2], const float p1[2], float width0, float width1,
                                const float colour0[4], const float colour1[4]);
void QV_Graphics_DrawBitmapRotated(Bitmap* bitmap, const float* x, const float* y, const float* angle,
                                   const float* scale);
void QV_Graphics_DrawLine(const float* x0, const float* y0, const float* x1, const float* y1);
void QV_Graphics_DrawLineCustom(const BatchVertex vertices[2]);
void QV_Graphics_DrawRectangle(const float* x, const float* y, const float* width, const float* height);
void QV_Graphics_DrawSubBitmap(Bitmap* bitmap, const float* x, const float* y, const float* left, const float* top,
                               const float* right, const float* bottom);
void QV_Graphics_DrawTriangles(Bitmap* texture, const BatchVertex* vertices, int vertexCount, const uint16_t* indices,
                               int indexCount);
void QV_Graphics_DrawVertexBuffer(VertexBuffer* vertices, IndexBuffer* indices);
void QV_Graphics_DrawVertexBufferInstanced(VertexBuffer* vertices, IndexBuffer* indices, int instanceCount);
void QV_Graphics_DrawVertexBufferRange(VertexBuffer* vertices, IndexBuffer* indices, const int* firstIndex,
                                       const int* indexCount);
void QV_Graphics_FreeIndexBuffer(IndexBuffer* buffer);
void QV_Graphics_FreeVertexBuffer(VertexBuffer* buffer);
float QV_Graphics_GetAlpha();
Bitmap* QV_Graphics_GetBitmap(const char* name);
Bitmap* QV_Graphics_GetBitmapByHandle(const int* slot);
Bitmap* QV_Graphics_GetBitmapEx(const char* name, BitmapCacheMode mode);
int QV_Graphics_GetBlendMode();
Color QV_Graphics_GetColor();
float QV_Graphics_GetDepth();
int QV_Graphics_GetRendererType();
int QV_Graphics_GetMaximumTextureSize();
int QV_Graphics_GetBitmapCount();
int QV_Graphics_GetTextureFilter();
bool QV_Graphics_GetRenderStateb(int state);
float QV_Graphics_GetRenderStatef(int state);
int QV_Graphics_GetRenderStatei(int state);
Shader* QV_Graphics_GetShader(const char* name);
void* QV_Graphics_GetShaderPixelConstant(Shader* shader, int index);
int QV_Graphics_GetShaderPixelConstantIndex(Shader* shader, const char* name);
const char* QV_Graphics_GetShaderUserValue(Shader* shader, const char* id);
void* QV_Graphics_GetShaderVertexConstant(Shader* shader, int index);
int QV_Graphics_GetShaderVertexConstantIndex(Shader* shader, const char* name);
int QV_Graphics_GetShaderTextureIndex(Shader* shader, const char* name);
void QV_Graphics_GetViewportSize(int* width, int* height);
const float* QV_Graphics_GetViewPosition();
void QV_Graphics_IncreaseBitmapReferenceCount(Bitmap* bitmap, const uint32_t* amount);
bool QV_Graphics_IsShaderLoaded(Shader* shader);
bool QV_Graphics_IsTextureFormatSupported(const BitmapDescription* description);
Bitmap* QV_Graphics_LoadBitmap(const char* name, BitmapCacheMode mode);
bool QV_Graphics_LockIndexBuffer(IndexBuffer* buffer);
bool QV_Graphics_LockVertexBuffer(VertexBuffer* buffer);
Matrix4 QV_Graphics_PeekProjectionTransform();
Bitmap* QV_Graphics_PeekRenderTarget();
Matrix4 QV_Graphics_PeekViewTransform();
Matrix4 QV_Graphics_PeekWorldTransform();
void QV_Graphics_PopProjectionTransform();
void QV_Graphics_PopRenderTarget();
void QV_Graphics_PopScissorRectangle();
void QV_Graphics_PopViewTransform();
void QV_Graphics_PopWorldTransform();
void QV_Graphics_PushProjectionTransform(const Matrix4* transform);
void QV_Graphics_PushRenderTarget(Bitmap* colour);
void QV_Graphics_PushRenderTargets(const RenderTargetSet* targets);
void QV_Graphics_PushRenderTargetWithDepth(Bitmap* colour, Bitmap* depth);
void QV_Graphics_PushScissorRectangle(int x, int y, int width, int height);
void QV_Graphics_PushViewTransform(const Matrix4* transform);
void QV_Graphics_PushWorldTransform(const Matrix4* transform);
void QV_Graphics_RefreshBitmap(Bitmap* bitmap);
void QV_Graphics_ReleaseBitmap(Bitmap* bitmap);
bool QV_Graphics_ReloadShader(Shader* shader);
void QV_Graphics_RemoveBitmapHandle(Bitmap* bitmap);
void QV_Graphics_ResizeBitmap(Bitmap* bitmap, int width, int height);
bool QV_Graphics_SaveBitmap(Bitmap* bitmap, const char* path, int quality);
void QV_Graphics_SetAlpha(const float* alpha);
void QV_Graphics_SetBitmapCacheMode(Bitmap* bitmap, BitmapCacheMode mode);
void QV_Graphics_SetBitmapFrame(Bitmap* bitmap, int frame);
void QV_Graphics_SetBlendMode(int mode);
void QV_Graphics_SetColorRedInByte2(const float* r, const float* g, const float* b);
void QV_Graphics_SetColorRedInByte0(const float* r, const float* g, const float* b);
void QV_Graphics_SetDepth(const float* z);
void QV_Graphics_SetProjectionParameters(float nearDepth, float middleDepth, float farDepth);
void QV_Graphics_SetTextShader(Shader* shader);
void QV_Graphics_SetTextureFilter(int filter);
void QV_Graphics_SetRenderStateb(int state, bool value);
void QV_Graphics_SetRenderStatef(int state, float value);
void QV_Graphics_SetRenderStatei(int state, int value);
void QV_Graphics_SetBitmapRegion(Bitmap* bitmap, int x, int y, int width, int height);
bool QV_Graphics_SetScissorRectangle(int x, int y, int width, int height);
void QV_Graphics_SetShader(Shader* shader);
void QV_Graphics_SetShaderPixelConstant(Shader* shader, int index, int unused, const void* value);
void QV_Graphics_SetShaderVertexConstant(Shader* shader, int index, int unused, const void* value);
void QV_Graphics_SetTextureAddressMode(int stage, int u, int v, int w);
void QV_Graphics_SetTextureStageFilter(int stage, int magFilter, int minFilter, int mipFilter);
void QV_Graphics_SetTexture(int stage, Bitmap* bitmap);
void QV_Graphics_UnlockIndexBuffer(IndexBuffer* buffer);
void QV_Graphics_UnlockVertexBuffer(VertexBuffer* buffer);

// The member of the draw sub-table.
void QV_Draw_Quad(int vertexFormat, const void* vertices);

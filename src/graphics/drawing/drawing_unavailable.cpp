// The drawing, state and buffer members until drawing arrives: each reports once that it
// is not available and answers 0, false or null (the Peek members the identity,
// GetViewPosition the origin, sizes 0).
#include "graphics/graphics_api.h"

#include "core/missing_member.h"

IndexBuffer* QV_Graphics_CreateIndexBuffer(const uint16_t* indices, int count, int usage)
{
    QVI_REPORT_MISSING_MEMBER("graphics->CreateIndexBuffer");
    return nullptr;
}

VertexBuffer* QV_Graphics_CreateVertexBuffer(VertexFormat format, const void* vertices, int count, int usage)
{
    QVI_REPORT_MISSING_MEMBER("graphics->CreateVertexBuffer");
    return nullptr;
}

void QV_Graphics_DrawBitmap(Bitmap* bitmap, const float* x, const float* y)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawBitmap");
}

void QV_Graphics_DrawBitmapCustom(Bitmap* bitmap, const BatchVertex vertices[4])
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawBitmapCustom");
}

void QV_Graphics_DrawBitmapLine(Bitmap* bitmap, const float p0[2], const float p1[2], float width0, float width1,
                                const float colour0[4], const float colour1[4])
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawBitmapLine");
}

void QV_Graphics_DrawBitmapRotated(Bitmap* bitmap, const float* x, const float* y, const float* angle,
                                   const float* scale)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawBitmapRotated");
}

void QV_Graphics_DrawLine(const float* x0, const float* y0, const float* x1, const float* y1)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawLine");
}

void QV_Graphics_DrawLineCustom(const BatchVertex vertices[2])
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawLineCustom");
}

void QV_Graphics_DrawRectangle(const float* x, const float* y, const float* width, const float* height)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawRectangle");
}

void QV_Graphics_DrawSubBitmap(Bitmap* bitmap, const float* x, const float* y, const float* left, const float* top,
                               const float* right, const float* bottom)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawSubBitmap");
}

void QV_Graphics_DrawTriangles(Bitmap* texture, const BatchVertex* vertices, int vertexCount, const uint16_t* indices,
                               int indexCount)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawTriangles");
}

void QV_Graphics_DrawVertexBuffer(VertexBuffer* vertices, IndexBuffer* indices)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawVertexBuffer");
}

void QV_Graphics_DrawVertexBufferInstanced(VertexBuffer* vertices, IndexBuffer* indices, int instanceCount)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawVertexBufferInstanced");
}

void QV_Graphics_DrawVertexBufferRange(VertexBuffer* vertices, IndexBuffer* indices, const int* firstIndex,
                                       const int* indexCount)
{
    QVI_REPORT_MISSING_MEMBER("graphics->DrawVertexBufferRange");
}

void QV_Graphics_FreeIndexBuffer(IndexBuffer* buffer) { QVI_REPORT_MISSING_MEMBER("graphics->FreeIndexBuffer"); }

void QV_Graphics_FreeVertexBuffer(VertexBuffer* buffer) { QVI_REPORT_MISSING_MEMBER("graphics->FreeVertexBuffer"); }

bool QV_Graphics_LockIndexBuffer(IndexBuffer* buffer)
{
    QVI_REPORT_MISSING_MEMBER("graphics->LockIndexBuffer");
    return false;
}

bool QV_Graphics_LockVertexBuffer(VertexBuffer* buffer)
{
    QVI_REPORT_MISSING_MEMBER("graphics->LockVertexBuffer");
    return false;
}

void QV_Graphics_UnlockIndexBuffer(IndexBuffer* buffer) { QVI_REPORT_MISSING_MEMBER("graphics->UnlockIndexBuffer"); }

void QV_Graphics_UnlockVertexBuffer(VertexBuffer* buffer) { QVI_REPORT_MISSING_MEMBER("graphics->UnlockVertexBuffer"); }
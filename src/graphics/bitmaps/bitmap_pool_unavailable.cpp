// The bitmap members until the bitmap pool arrives: each reports once that it is not
// available and answers 0, false or null.
#include "graphics/graphics_api.h"

#include "core/missing_member.h"

Bitmap* QV_Graphics_CreateBitmap(const char* name, const BitmapDescription* description)
{
    QVI_REPORT_MISSING_MEMBER("graphics->CreateBitmap");
    return nullptr;
}

bool QV_Graphics_CopyBitmapRenderTargetDataToPixels(Bitmap* bitmap)
{
    QVI_REPORT_MISSING_MEMBER("graphics->CopyBitmapRenderTargetDataToPixels");
    return false;
}

Bitmap* QV_Graphics_GetBitmap(const char* name)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmap");
    return nullptr;
}

Bitmap* QV_Graphics_GetBitmapByHandle(const int* slot)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmapByHandle");
    return nullptr;
}

Bitmap* QV_Graphics_GetBitmapEx(const char* name, BitmapCacheMode mode)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmapEx");
    return nullptr;
}

int QV_Graphics_GetBitmapCount()
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmapCount");
    return 0;
}

void QV_Graphics_IncreaseBitmapReferenceCount(Bitmap* bitmap, const uint32_t* amount)
{
    QVI_REPORT_MISSING_MEMBER("graphics->IncreaseBitmapReferenceCount");
}

Bitmap* QV_Graphics_LoadBitmap(const char* name, BitmapCacheMode mode)
{
    QVI_REPORT_MISSING_MEMBER("graphics->LoadBitmap");
    return nullptr;
}

void QV_Graphics_RefreshBitmap(Bitmap* bitmap) { QVI_REPORT_MISSING_MEMBER("graphics->RefreshBitmap"); }

void QV_Graphics_ReleaseBitmap(Bitmap* bitmap) { QVI_REPORT_MISSING_MEMBER("graphics->ReleaseBitmap"); }

void QV_Graphics_RemoveBitmapHandle(Bitmap* bitmap) { QVI_REPORT_MISSING_MEMBER("graphics->RemoveBitmapHandle"); }

void QV_Graphics_ResizeBitmap(Bitmap* bitmap, int width, int height)
{
    QVI_REPORT_MISSING_MEMBER("graphics->ResizeBitmap");
}

bool QV_Graphics_SaveBitmap(Bitmap* bitmap, const char* path, int quality)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SaveBitmap");
    return false;
}

void QV_Graphics_SetBitmapCacheMode(Bitmap* bitmap, BitmapCacheMode mode)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetBitmapCacheMode");
}

void QV_Graphics_SetBitmapFrame(Bitmap* bitmap, int frame) { QVI_REPORT_MISSING_MEMBER("graphics->SetBitmapFrame"); }

void QV_Graphics_SetBitmapRegion(Bitmap* bitmap, int x, int y, int width, int height)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SetBitmapRegion");
}

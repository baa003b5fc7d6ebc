// Bitmap sources that arrive with the images and network work: each reports once that it
// is not available yet and fails, so the bitmap ends up loaded without pixels (drawing it
// draws nothing).
#include "graphics/bitmaps/bitmap_pool.h"

#include "core/missing_member.h"

bool QVI_LoadBitmapHTTP(Bitmap* bitmap, const char* url)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmap of an http:// address");
    return false;
}

bool QVI_LoadBitmapSequence(Bitmap* bitmap)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmap of a bitmap sequence (.bms)");
    return false;
}

bool QVI_LoadBitmapSequenceFrames(Bitmap* bitmap, const char* pattern)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmap of numbered frame files");
    return false;
}

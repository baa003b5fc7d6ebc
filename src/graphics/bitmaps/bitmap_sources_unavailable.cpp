// The bitmap source that arrives with the network work: it reports once that it is not
// available yet and fails, so the bitmap ends up loaded without pixels (drawing it draws
// nothing).
#include "graphics/bitmaps/bitmap_pool.h"

#include "core/missing_member.h"

bool QVI_LoadBitmapHTTP(Bitmap* bitmap, const char* url)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmap of an http:// address");
    return false;
}

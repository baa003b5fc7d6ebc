// Reading and writing image files, until the image codecs arrive: each operation reports
// once that it is not available yet and fails, so a bitmap asked for by file name ends up
// loaded without pixels (drawing it draws nothing) and SaveBitmap answers false.
#include "graphics/bitmaps/image_loader_portable.h"

#include "core/missing_member.h"

bool ImageLoaderImpPortable::GetImageDimensions(Bitmap* bitmap, const char* path)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmap of an image file (its dimensions)");
    return false;
}

bool ImageLoaderImpPortable::LoadImage(Bitmap* bitmap, const char* path)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmap of an image file");
    return false;
}

bool ImageLoaderImpPortable::SaveImage(Bitmap* bitmap, const char* path, int quality)
{
    QVI_REPORT_MISSING_MEMBER("graphics->SaveBitmap");
    return false;
}

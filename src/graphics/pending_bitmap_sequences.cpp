// What bitmap sequences need from the image codecs before those arrive: the PNG decoder
// for .bms atlases stored as PNG. Reports once and fails, so such a file is refused like
// any unreadable one (the writer stores run-length atlases, which need no codec).
#include "graphics/bitmaps/bitmap_sequences.h"

#include "core/missing_member.h"

bool QVI_DecodeSequenceAtlasPNG(Bitmap* atlas, const uint8_t* data, uint32_t size)
{
    QVI_REPORT_MISSING_MEMBER("graphics->GetBitmap of a .bms sequence with a PNG atlas");
    return false;
}

// What drawing keeps on the device, until drawing arrives: each step reports once that it
// is not available yet and does nothing; the renderer comes up without it.
#include "graphics/device_resources.h"

#include "core/missing_member.h"

void QVI_RestorePooledBitmaps()
{
    QVI_REPORT_MISSING_RENDERER_STEP("restoring the bitmap pool on the device");
}

void QVI_ReleasePooledBitmapData()
{
    QVI_REPORT_MISSING_RENDERER_STEP("releasing the bitmap pool's GPU data");
}

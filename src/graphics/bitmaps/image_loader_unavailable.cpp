// The image loader until images arrive: none, so the core state holds null.
#include "graphics/graphics_frame.h"

void* QVI_GetImageLoader()
{
    return nullptr;
}

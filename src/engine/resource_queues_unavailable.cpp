// Nothing is ever queued until the bitmap, buffer, font and shader pools arrive.
#include "engine/resource_queues.h"

void QVI_ProcessBitmapResourceQueues()
{
}

void QVI_ProcessBufferResourceQueues()
{
}

void QVI_ProcessShaderUploadQueue()
{
}

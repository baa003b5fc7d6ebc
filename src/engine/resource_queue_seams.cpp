#include "engine/resource_queue_seams.h"

void QVI_ProcessBitmapResourceQueues()
{
}

void QVI_ProcessBufferResourceQueues()
{
}

void QVI_ProcessShaderUploadQueue()
{
}

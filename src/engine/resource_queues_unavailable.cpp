// Nothing is queued for bitmaps, buffers and fonts until their queues arrive; shaders that
// game threads load are created here.
#include "engine/resource_queues.h"

#include "graphics/shaders/shader_pool.h"

void QVI_ProcessBitmapResourceQueues()
{
}

void QVI_ProcessBufferResourceQueues()
{
}

void QVI_ProcessShaderUploadQueue()
{
    // The shader pool keeps its own queue; the frame only gives it the main thread.
    QVI_ProcessShaderUploads();
}

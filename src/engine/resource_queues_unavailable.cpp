// Nothing is queued for vertex and index buffers until their queues arrive.
#include "engine/resource_queues.h"

void QVI_ProcessBufferResourceQueues()
{
}

#include "core/events/engine_heap.h"

#include <cstdlib>

void* QV_Malloc(uint32_t size)
{
    return malloc(size);
}

void QV_Free(void* block)
{
    free(block);
}

#pragma once

#include <cstdint>

// API members: the engine heap. Blocks the program puts into the payload of a service
// event, or otherwise hands to the engine to free, must come from QV_Malloc.
void* QV_Malloc(uint32_t size);
void QV_Free(void* block);   // null is ignored

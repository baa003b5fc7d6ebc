#pragma once

#include <cstdint>

#include "quaven/events.h"

// API members: the engine heap. Blocks the program puts into the payload of a service
// event, or otherwise hands to the engine to free, must come from QV_Malloc.
void* QV_Malloc(uint32_t size);
void QV_Free(void* block);   // null is ignored

// Frees the heap blocks that the payload of a service event (types 18-38) owns, once
// the event has been dispatched; other types are left alone. The blocks go back to
// the engine heap through the API table's Free, the member their poster allocated them
// with. The freed words are not cleared: the event must not be dispatched again.
void QVI_FreeEventPayload(EngineEvent* event);

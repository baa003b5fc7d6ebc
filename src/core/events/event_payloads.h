#pragma once

#include "quaven/events.h"

// Frees the heap blocks that the payload of a service event (types 18-38) owns, once
// the event has been dispatched; other types are left alone. The blocks go back to
// the engine heap through the API table's Free, the member their poster allocated them
// with. The freed words are not cleared: the event must not be dispatched again.
void QVI_FreeEventPayload(EngineEvent* event);

#pragma once

#include "core/api_pointer.h"

// Logs through the API table's LogEx when the table has it. Event code can run before
// pre-initialisation has filled the table (window input dispatched early, tests), and a
// missing logger must not turn a warning into a crash.
template <typename... Arguments>
void QVI_EventsLog(int level, const char* format, Arguments... arguments)
{
    if (qv && qv->LogEx)
        qv->LogEx(level, format, arguments...);
}

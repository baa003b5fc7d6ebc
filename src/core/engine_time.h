#pragma once

#include <cstdint>

#include "quaven/types.h"

// API members: clock and calendar.
void QV_Sleep(uint32_t milliseconds);
uint32_t QV_GetMilliseconds();              // since QVI_SetEngineStartTime; wraps after ~49.7 days
uint32_t QV_GetCalendarTime();              // seconds since 1970, low 32 bits
DateTime QV_TimeToDateTime(uint32_t seconds); // local time, year to second
DateTime QV_GetDateTime();                  // local time now, every field

// Fills every field of *out from the current local time; null is ignored.
void QVI_GetCurrentDateTime(DateTime* out);
// Pre-initialisation: the moment GetMilliseconds counts from.
void QVI_SetEngineStartTime();

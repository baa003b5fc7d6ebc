#pragma once

#include "quaven/program.h"

// Stand-ins for display re-initialisation until it arrives.

// API member (slot 29): reports once that it is not available and schedules nothing (false).
bool QV_ReinitializeWithParameters(VideoParameters parameters);

// The frame's first pass applies a scheduled re-initialisation; none is ever scheduled here.
bool QVI_IsReinitPending();
void QVI_ApplyPendingReinit();

#pragma once

#include "quaven/program.h"

// Display re-initialisation with new video parameters.

// API member (slot 29): schedules a re-initialisation; false when none was scheduled.
bool QV_ReinitializeWithParameters(VideoParameters parameters);

// The frame's first pass applies a scheduled re-initialisation.
bool QVI_IsReinitPending();
void QVI_ApplyPendingReinit();

#pragma once

#include <cstdint>

// The program's orientation. current and target start equal; the frame makes current
// follow target, so a change takes effect at the next frame. Main thread only.
struct OrientationState {
    int32_t allowed;  // 3: the portrait pair, 12: the landscape pair
    int32_t current;  // an OrientationCode
    int32_t target;
};

extern OrientationState g_orientation;

// The defaults before the configuration is known: landscape.
void QVI_ResetOrientationState();

// Start-up, before the window exists and after the resolution has been selected: fixes
// the program orientation from its reference resolution and the native screen-buffer
// orientation from the desktop, fills an unknown device screen size and a zero program
// size with the selected resolution, and (unless the developer forces a resolution)
// makes the program's size the device screen size and the selected resolution.
void QVI_ApplyOrientationAndOverride();

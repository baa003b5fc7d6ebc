#pragma once

#include <cstdint>

// The resolution chosen for the display, written by QVI_SelectOptimalResolution (and
// forced sizes) and read by QVI_InitRenderer. Main thread only.
struct SelectedResolution {
    int32_t width;
    int32_t height;
    uint8_t windowed;
};

extern SelectedResolution g_selectedResolution;

#pragma once

#include <cstdint>

#include "core/array.h"

struct Font;

// The developer's memory overlay: a short history of the engine's memory estimates (the
// string command "RefreshMemUsageEstimates" leaves them in the key-state words 2000 to
// 2005) drawn as stacked bars with a megabyte scale and a legend of current and peak
// values. Drawn through the API table like a program would. Main thread, developer mode.

// The key-state words of the estimates, in bytes.
enum MemoryEstimateCode : uint32_t {
    MEMORY_TOTAL = 2000,
    MEMORY_SYSTEM = 2001,
    MEMORY_GPU = 2002,
    MEMORY_IMAGES = 2003,
    MEMORY_SOUND = 2004,
    MEMORY_VERTEX_DATA = 2005,
};

struct MemoryOverlay {
    // Samples in the order taken, oldest first; all five always hold the same number.
    Array<int32_t> total, gpu, system, sound, vertexData;
    // One running sum per sample while the stacked layers are drawn.
    Array<int32_t> sums;
    int32_t peakTotal, peakGpu, peakSystem, peakSound, peakVertexData;
    Font* font;                // null until the first drawing
    uint32_t scaleMaximum;     // bytes at the top of the scale; raised by samples above it
    int32_t barWidth;          // pixels per sample
    int32_t pixelsPerStep;     // recomputed at each drawing
    int32_t originX, originY;  // the graph's top-left corner
    int32_t graphWidth, graphHeight;
    uint32_t scaleStep;        // bytes between scale lines
    // Sampling calls so far; only every 30th samples.
    uint32_t calls;
};

// Created on the first developer-mode frame and kept to the end of the run; null before.
MemoryOverlay* QVI_GetMemoryOverlay();
MemoryOverlay* QVI_CreateMemoryOverlay();

// One sampling step, every frame: every 30th call asks for fresh estimates and records
// them, unless the total has not moved for four samples.
void QVI_RefreshMemUsageEstimates();
// The graph over the program's canvas. Nothing without a program record or an overlay.
void QVI_DrawMemoryOverlay();

#pragma once

#include <cstdint>

// Choosing the display resolution before the window exists, from the configuration's
// "resolutions" setting (items "WxH" separated by ","; an item beginning with "*" stands
// for the device screen), the desktop size and what the device supports.

// The resolution chosen for the display, written by QVI_SelectOptimalResolution (and
// forced sizes) and read by QVI_InitRenderer. Main thread only.
struct SelectedResolution {
    int32_t width;
    int32_t height;
    uint8_t windowed;
};

extern SelectedResolution g_selectedResolution;

// Writes g_selectedResolution (its windowed flag is the argument). forcing (also implied
// by a forced variant) takes the first usable item without asking whether the device
// supports it; an item larger than the largest texture is never usable. False when
// nothing was selected: no setting, or no usable item (warned); the previous width and
// height then stay.
bool QVI_SelectOptimalResolution(bool windowed, bool forcing);

// Whether width x height can be shown, windowed or full screen: a forced variant or the
// developer's forced size always can; a window must leave a margin on the desktop (or, with
// FREE_RESOLUTION, may fill it exactly); full screen takes the desktop size or a display
// mode the renderer lists. A side of zero or less never can.
bool QVI_IsResolutionSupported(int width, int height, bool windowed);

// Replaces a "resolutions" setting that begins with "*" by the concrete list: the device's
// display modes together with the common modes the engine knows, widest first, as
// "WxH,WxH,...". Needs an attached renderer; without one nothing changes.
void QVI_BuildSupportedResolutions();
// Start-up, with the log open, the desktop size known and the renderer attached, before
// the resolution is chosen. Reports a force_resolution that was no size (and so not
// applied), and shrinks a forced size that exceeds the largest texture (the device's once it
// exists) to the largest size of the same shape that fits, with a warning. The desktop does
// not bound it.
void QVI_FitForcedResolution();

// qsort comparator over DisplayMode records: wider first, then taller first.
int QVI_CompareResolutionsDescending(const void* a, const void* b);

// The typical screen of a platform (ids of the configuration's platform table) and size
// class (0 SMALL, 1 MEDIUM, 2 LARGE, other 3), as "WxH": used when a "*" item meets a
// device screen of unknown size while a variant is forced.
const char* QVI_GetFallbackResolution(int platformId, int sizeClass);

#pragma once

// Choosing the display resolution before the window exists, from the configuration's
// "resolutions" setting (items "WxH" separated by ","; an item beginning with "*" stands
// for the device screen), the desktop size and what the device supports.

// Writes g_selectedResolution (its windowed flag is the argument). forcing (also implied
// by a forced variant) takes the first usable item without asking whether the device
// supports it; an item larger than the largest texture is never usable. False when
// nothing was selected: no setting, or no usable item (warned); the previous width and
// height then stay.
bool QVI_SelectOptimalResolution(bool windowed, bool forcing);

// Start-up, with the log open, the desktop size known and the renderer attached, before
// the resolution is chosen. Reports a force_resolution that was no size (and so not
// applied), and shrinks a forced size that exceeds the desktop or the largest texture (the
// device's once it exists) to the largest size of the same shape that fits, with a warning.
void QVI_FitForcedResolution();

// qsort comparator over DisplayMode records: wider first, then taller first.
int QVI_CompareResolutionsDescending(const void* a, const void* b);

// The typical screen of a platform (ids of the configuration's platform table) and size
// class (0 SMALL, 1 MEDIUM, 2 LARGE, other 3), as "WxH": used when a "*" item meets a
// device screen of unknown size while a variant is forced.
const char* QVI_GetFallbackResolution(int platformId, int sizeClass);

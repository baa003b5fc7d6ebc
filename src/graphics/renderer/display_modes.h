#pragma once

// qsort comparator over DisplayMode records: ascending by width, then by height.
int QVI_CompareResolutionsAscending(const void* a, const void* b);

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graphics/renderer/display_modes.h"
#include "graphics/renderer/renderer_implementation.h"

namespace {

// "%i" of a 32-bit int takes at most 11 characters; "x" and "," one each.
const int kMaxModeTextBytes = 11 + 1 + 11 + 1;

int Compare(int32_t a, int32_t b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

int QVI_CompareResolutionsAscending(const void* a, const void* b)
{
    const DisplayMode* first = static_cast<const DisplayMode*>(a);
    const DisplayMode* second = static_cast<const DisplayMode*>(b);
    int byWidth = Compare(first->width, second->width);
    return byWidth != 0 ? byWidth : Compare(first->height, second->height);
}

bool RendererImplementation::IsDisplayModeSupported(int width, int height)
{
    displayModes.count = 0;
    EnumerateDisplayModes();
    for (int32_t i = 0; i < displayModes.count; ++i) {
        if (displayModes.data[i].width == width && displayModes.data[i].height == height)
            return true;
    }
    return false;
}

const char* RendererImplementation::GetSupportedResolutions()
{
    displayModes.count = 0;
    EnumerateDisplayModes();
    if (displayModes.count > 0)
        qsort(displayModes.data, static_cast<size_t>(displayModes.count), sizeof(DisplayMode),
              QVI_CompareResolutionsAscending);

    free(supportedResolutions);
    supportedResolutions = nullptr;
    size_t count = displayModes.count > 0 ? static_cast<size_t>(displayModes.count) : 0;
    if (count > (SIZE_MAX - 1) / kMaxModeTextBytes)
        return nullptr;
    size_t capacity = count * kMaxModeTextBytes + 1;
    supportedResolutions = static_cast<char*>(malloc(capacity));
    if (!supportedResolutions)
        return nullptr;
    size_t length = 0;
    supportedResolutions[0] = '\0';
    for (int32_t i = 0; i < displayModes.count; ++i) {
        int written = snprintf(supportedResolutions + length, capacity - length, "%s%ix%i", i == 0 ? "" : ",",
                               displayModes.data[i].width, displayModes.data[i].height);
        if (written < 0)
            break;
        length += static_cast<size_t>(written);
    }
    return length > 0 ? supportedResolutions : nullptr;
}

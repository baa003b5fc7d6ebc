#include "platform/windows/win32.h"

#include "graphics/setup/supported_resolutions.h"

#include <cstdlib>

#include "core/configuration.h"
#include "core/engine_string.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/resolution_selection.h"

namespace {

// Common modes offered even when the device does not list them.
const DisplayMode kBuiltInModes[] = {
    {640, 480},   {800, 600},   {960, 600},   {1024, 576},  {1024, 600},  {1024, 768},  {1152, 864},
    {1280, 720},  {1280, 768},  {1280, 800},  {1280, 960},  {1280, 1024}, {1360, 768},  {1366, 768},
    {1400, 1050}, {1440, 900},  {1600, 900},  {1600, 1024}, {1600, 1200}, {1680, 1050}, {1768, 992},
    {1856, 1392}, {1920, 1080}, {1920, 1200}, {1920, 1440}, {2560, 1440},
};

bool Contains(const Array<DisplayMode>& modes, const DisplayMode& mode)
{
    for (int32_t i = 0; i < modes.count; ++i)
        if (modes.data[i] == mode)
            return true;
    return false;
}

}  // namespace

int QVI_CompareResolutionsDescending(const void* a, const void* b)
{
    const DisplayMode* left = static_cast<const DisplayMode*>(a);
    const DisplayMode* right = static_cast<const DisplayMode*>(b);
    if (left->width != right->width)
        return left->width > right->width ? -1 : 1;
    if (left->height != right->height)
        return left->height > right->height ? -1 : 1;
    return 0;
}

void QVI_BuildSupportedResolutions()
{
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer)
        return;

    renderer->displayModes.count = 0;
    renderer->EnumerateDisplayModes();
    Array<DisplayMode> modes = renderer->displayModes;
    for (const DisplayMode& mode : kBuiltInModes)
        if (!Contains(modes, mode))
            modes.Add(mode);
    if (modes.count > 1)
        qsort(modes.data, static_cast<size_t>(modes.count), sizeof(DisplayMode), QVI_CompareResolutionsDescending);

    String list;
    list.Assign("");
    for (int32_t i = 0; i < modes.count; ++i)
        list.AppendFormat("%s%ix%i", i == 0 ? "" : ",", modes.data[i].width, modes.data[i].height);
    QVI_ReplaceText(&g_config.supportedResolutions, list.text);
}

// Choosing the display resolution before the window exists: the selection from the
// "resolutions" setting, the desktop and the device; whether a size can be shown; the
// concrete list that "*" stands for; and the typical screens of the platforms.
#include "graphics/setup/resolution_selection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/configuration.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/engine_string.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"
#include "quaven/types.h"
#include "graphics/setup/screen_state.h"

SelectedResolution g_selectedResolution;

namespace {

// How many items of the setting each search looks at.
const int kAspectSearchItems = 64;
const int kAnySearchItems = 32;
// Aspects closer than this count as the same shape.
const float kAspectTolerance = 0.03f;

struct Size {
    int32_t width = 0;
    int32_t height = 0;
};

bool IsPositive(const Size& size)
{
    return QVI_IsPositiveSize(size.width, size.height);
}

float AspectOf(const Size& size)
{
    return static_cast<float>(size.width) / static_cast<float>(size.height);
}

void Select(const Size& size)
{
    g_selectedResolution.width = size.width;
    g_selectedResolution.height = size.height;
}

Size ParsedSize(const char* text)
{
    Size size;
    QVI_ParseSize(text, &size.width, &size.height);
    return size;
}

Size DeviceScreen()
{
    Size size;
    size.width = g_screenState.screenWidth;
    size.height = g_screenState.screenHeight;
    return size;
}

bool IsDesktopKnown()
{
    return QVI_IsPositiveSize(g_screenState.desktopWidth, g_screenState.desktopHeight);
}

// The largest texture a Direct3D 11 device makes at its highest feature levels.
const int32_t kLargestDeviceTexture = 16384;

// Before its device exists the renderer gives only its most cautious answer (2048), which
// would refuse sizes that the device made later can show.
int32_t LargestTexture()
{
    RendererImplementation* renderer = QVI_GetRenderer();
    const int32_t answer = renderer && QVI_IsRendererReady() ? renderer->GetMaximumTextureSize() : 0;
    return answer > 0 ? answer : kLargestDeviceTexture;
}

int ItemCount(const char* setting, int limit)
{
    int count = QVI_CountTokens(setting, ",");
    return count < limit ? count : limit;
}

// The size a "*" item stands for while any resolution is sought: the device screen, or,
// when its size is not known, the typical screen of the forced variant's platform, or
// the program's reference resolution.
Size StarItemSize()
{
    Size size = DeviceScreen();
    if (IsPositive(size))
        return size;
    if (g_config.forcedVariant) {
        const int platform = QVI_GetPlatformId(QVI_GetToken(g_config.forcedVariant, "/", 0));
        const int sizeClass = QVI_GetScreenSizeId(QVI_GetToken(g_config.forcedVariant, "/", 1));
        size = ParsedSize(QVI_GetFallbackResolution(platform, sizeClass));
    }
    if (!IsPositive(size)) {
        const VideoParameters& video = QVI_GetRecordInForce()->video;
        size.width = video.reference_width;
        size.height = video.reference_height;
    }
    QVI_Report(QV_LOG_INFO, "Device screen size not set. Using typical fallback resolution %dx%d.", size.width,
               size.height);
    return size;
}

// The closest aspect ratio to the desktop's among the items that fit on the desktop.
bool SelectClosestAspect(const char* setting, bool windowed)
{
    const Size desktop = {g_screenState.desktopWidth, g_screenState.desktopHeight};
    const float desktopAspect = AspectOf(desktop);
    bool found = false;
    Size best;
    const int count = ItemCount(setting, kAspectSearchItems);
    for (int i = 0; i < count; ++i) {
        const char* item = QVI_GetToken(setting, ",", i);
        if (!item)
            continue;  // too long to be a size
        const Size size = item[0] == '*' ? DeviceScreen() : ParsedSize(item);
        // Both sides must be positive: two negative sides also give a positive area.
        if (!IsPositive(size) || size.width > desktop.width || size.height > desktop.height)
            continue;
        if (found) {
            const float aspect = AspectOf(size);
            const float bestAspect = AspectOf(best);
            const bool closer = std::fabs(aspect - desktopAspect) < std::fabs(bestAspect - desktopAspect);
            const bool otherShape = std::fabs(aspect - bestAspect) > kAspectTolerance;
            if (!closer || !otherShape)
                continue;
        }
        if (!QVI_IsResolutionSupported(size.width, size.height, windowed))
            continue;
        best = size;
        found = true;
    }
    if (!found)
        return false;
    QVI_Report(QV_LOG_INFO, "Closest supported aspect ratio is %dx%d (aspect %.2f vs desktop %.2f)", best.width,
               best.height, AspectOf(best), desktopAspect);
    Select(best);
    return true;
}

// The first usable item; remembers the smallest one for the last resort.
bool SelectAnyItem(const char* setting, bool windowed, bool forcing, Size* smallest)
{
    QVI_Report(QV_LOG_INFO, "Trying to find any resolution.");
    int64_t smallestArea = 0;
    const int count = ItemCount(setting, kAnySearchItems);
    // No back buffer can be larger, and a window far larger takes the window system down:
    // such an item is of no use even when forcing.
    const int32_t largest = LargestTexture();
    for (int i = 0; i < count; ++i) {
        const char* item = QVI_GetToken(setting, ",", i);
        if (!item)
            continue;
        const Size size = item[0] == '*' ? StarItemSize() : ParsedSize(item);
        if (!IsPositive(size))
            continue;
        if (size.width > largest || size.height > largest) {
            QVI_Report(QV_LOG_WARNING, "Resolution %dx%d is larger than the largest texture (%d): skipped.",
                       size.width, size.height, largest);
            continue;
        }
        const int64_t area = static_cast<int64_t>(size.width) * size.height;
        if (smallestArea == 0 || area < smallestArea) {
            smallestArea = area;
            *smallest = size;
        }
        if (forcing || QVI_IsResolutionSupported(size.width, size.height, windowed)) {
            QVI_Report(QV_LOG_INFO, "Selected resolution %dx%d.", size.width, size.height);
            Select(size);
            return true;
        }
    }
    return false;
}

// Room a window leaves on the desktop for its frame and the task bar.
const int kWindowMarginWidth = 50;
const int kWindowMarginHeight = 70;

// Common modes offered even when the device does not list them.
const DisplayMode kBuiltInModes[] = {
    {640, 480},   {800, 600},   {960, 600},   {1024, 576},  {1024, 600},  {1024, 768},  {1152, 864},
    {1280, 720},  {1280, 768},  {1280, 800},  {1280, 960},  {1280, 1024}, {1360, 768},  {1366, 768},
    {1400, 1050}, {1440, 900},  {1600, 900},  {1600, 1024}, {1600, 1200}, {1680, 1050}, {1768, 992},
    {1856, 1392}, {1920, 1080}, {1920, 1200}, {1920, 1440}, {2560, 1440},
};

// Platform ids of the configuration's platform table.
enum FallbackPlatform {
    PLATFORM_WINDOWS = 1,
    PLATFORM_MAC = 2,
    PLATFORM_IOS = 3,
    PLATFORM_ANDROID = 5,
    PLATFORM_WEBOS = 7,
    PLATFORM_QNX = 8,
    PLATFORM_PS3 = 9,
    PLATFORM_PS_VITA = 10,
    PLATFORM_PS4 = 11,
    PLATFORM_LINUX = 12,
    PLATFORM_WINDOWS_RT = 13,
    PLATFORM_WINDOWS_PHONE = 14,
    PLATFORM_FLASH = 15,
    PLATFORM_TIZEN = 16,
    PLATFORM_XBOX_ONE = 17,
    PLATFORM_APPLE_TV = 18,
    PLATFORM_ANDROID_TV = 19,
    PLATFORM_SWITCH = 20
};
// The largest size of the same shape within the limits (each side at least 1).
Size ShrunkToFit(Size size, int32_t maxWidth, int32_t maxHeight)
{
    if (size.width <= maxWidth && size.height <= maxHeight)
        return size;
    const int64_t width = size.width;
    const int64_t height = size.height;
    if (width * maxHeight >= height * maxWidth) {
        size.width = maxWidth;
        size.height = static_cast<int32_t>(height * maxWidth / width);
    } else {
        size.width = static_cast<int32_t>(width * maxHeight / height);
        size.height = maxHeight;
    }
    if (size.width < 1)
        size.width = 1;
    if (size.height < 1)
        size.height = 1;
    return size;
}

}  // namespace

void QVI_FitForcedResolution()
{
    if (g_config.refusedForcedResolution)
        QVI_Report(QV_LOG_WARNING, "force_resolution \"%s\" is not a size of at least 1x1 and is ignored.",
                   g_config.refusedForcedResolution);
    if (!g_config.forcedResolution)
        return;

    // The forced size is the size, even above the desktop (the window is then borderless and
    // reaches past the screen): only a back buffer larger than the device's largest texture
    // cannot be made at all. That bound also keeps the window far inside the sizes at which
    // the window system itself fails (X11 cannot send the picture of a window of 99999).
    const int32_t largest = LargestTexture();
    const Size forced = {g_config.forcedWidth, g_config.forcedHeight};
    const Size fitted = ShrunkToFit(forced, largest, largest);
    if (fitted.width == forced.width && fitted.height == forced.height)
        return;

    QVI_Report(QV_LOG_WARNING, "force_resolution %dx%d is larger than the largest texture (%d): using %dx%d.",
               forced.width, forced.height, largest, fitted.width, fitted.height);
    g_config.forcedWidth = g_config.selectionForcedWidth = fitted.width;
    g_config.forcedHeight = g_config.selectionForcedHeight = fitted.height;
    VideoParameters& video = QVI_GetRecordInForce()->video;
    video.width = fitted.width;
    video.height = fitted.height;
}

bool QVI_SelectOptimalResolution(bool windowed, bool forcing)
{
    // A forced size needs no list to choose from: developer.xml's force_resolution leaves the
    // variant's list unread, and the forced size must still reach the display.
    const char* setting = g_config.supportedResolutions;
    if (!setting && !g_config.forcedResolution)
        return false;

    QVI_Report(QV_LOG_INFO, "Selecting optimal resolution for %s%s.", windowed ? "windowed" : "fullscreen",
               forcing ? " (forcing)" : "");
    QVI_Report(QV_LOG_INFO, "Desktop size %dx%d.", g_screenState.desktopWidth, g_screenState.desktopHeight);

    if (g_config.forcedVariant)
        forcing = true;
    g_selectedResolution.windowed = windowed ? 1 : 0;

    if (g_config.forcedResolution) {
        const Size forced = {g_config.selectionForcedWidth, g_config.selectionForcedHeight};
        QVI_Report(QV_LOG_INFO, "Selected %dx%d. (forced)", forced.width, forced.height);
        Select(forced);
        return true;
    }

    if (!forcing && IsDesktopKnown() && SelectClosestAspect(setting, windowed))
        return true;

    Size smallest;
    if (SelectAnyItem(setting, windowed, forcing, &smallest))
        return true;

    const Size desktop = {g_screenState.desktopWidth, g_screenState.desktopHeight};
    if (!windowed && IsDesktopKnown() && QVI_IsResolutionSupported(desktop.width, desktop.height, false)) {
        QVI_Report(QV_LOG_INFO, "Selecting desktop resolution for fullscreen.");
        Select(desktop);
        return true;
    }

    QVI_Report(QV_LOG_INFO, "Trying to select the smallest possible resolution.");
    if (windowed && IsDesktopKnown() && IsPositive(smallest)) {
        Select(smallest);
        return true;
    }

    QVI_Report(QV_LOG_WARNING, "No resolution found in QVI_SelectOptimalResolution!");
    return false;
}

bool QVI_IsResolutionSupported(int width, int height, bool windowed)
{
    // A negative side is no size either, though it would pass the margin test below.
    if (!QVI_IsPositiveSize(width, height))
        return false;
    if (g_config.forcedVariant)
        return true;
    if (g_config.forcedResolution && g_config.forcedWidth == width && g_config.forcedHeight == height)
        return true;

    const int desktopWidth = g_screenState.desktopWidth;
    const int desktopHeight = g_screenState.desktopHeight;
    const bool desktopKnown = QVI_IsPositiveSize(desktopWidth, desktopHeight);
    const bool isDesktop = width == desktopWidth && height == desktopHeight;
    if (windowed && desktopKnown) {
        if (isDesktop && QVI_HasFeature("FREE_RESOLUTION"))
            return true;
        return width <= desktopWidth - kWindowMarginWidth && height <= desktopHeight - kWindowMarginHeight;
    }

    if (!windowed && isDesktop)
        return true;
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer || !renderer->IsDisplayModeSupported(width, height))
        return false;
    QVI_Report(QV_LOG_SYSTEM, "Requested resolution %dx%d (windowed=%d) is supported.", width, height,
               windowed ? 1 : 0);
    return true;
}

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
        if (!QVI_ContainsDisplayMode(modes, mode))
            modes.Add(mode);
    if (modes.count > 1)
        qsort(modes.data, static_cast<size_t>(modes.count), sizeof(DisplayMode), QVI_CompareResolutionsDescending);

    String list;
    list.Assign("");
    for (int32_t i = 0; i < modes.count; ++i)
        list.AppendFormat("%s%ix%i", i == 0 ? "" : ",", modes.data[i].width, modes.data[i].height);
    QVI_ReplaceText(&g_config.supportedResolutions, list.text);
}

const char* QVI_GetFallbackResolution(int platformId, int sizeClass)
{
    const bool small = sizeClass == SCREEN_SIZE_SMALL;
    switch (platformId) {
    case PLATFORM_WINDOWS:
    case PLATFORM_MAC:
    case PLATFORM_LINUX:
    case PLATFORM_WINDOWS_RT:
    case PLATFORM_TIZEN:
    case PLATFORM_SWITCH:
        return "1280x720";
    case PLATFORM_IOS:
        return small ? "960x640" : "1024x768";
    case PLATFORM_ANDROID:
        return "854x480";
    case PLATFORM_WEBOS:
        return small ? "480x320" : "1024x768";
    case PLATFORM_QNX:
        return "1024x600";
    case PLATFORM_PS3:
    case PLATFORM_PS4:
    case PLATFORM_XBOX_ONE:
    case PLATFORM_APPLE_TV:
    case PLATFORM_ANDROID_TV:
        return "1920x1080";
    case PLATFORM_PS_VITA:
        return "960x544";
    case PLATFORM_WINDOWS_PHONE:
        return "800x480";
    case PLATFORM_FLASH:
        return "550x400";
    default:
        return "800x600";
    }
}

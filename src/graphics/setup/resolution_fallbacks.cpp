#include "graphics/setup/resolution_selection.h"

#include "core/configuration.h"

namespace {

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

}  // namespace

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

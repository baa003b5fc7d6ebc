#include "core/config/platform_table.h"

#include <cstring>

namespace {

struct PlatformEntry {
    int id;
    const char* name;
    const char* soundFxFormat;
    const char* musicFormat;
};

const PlatformEntry kPlatforms[] = {
    {1, "WINDOWS", "OGG_44100", "OGG_44100"},
    {2, "MAC", "OGG_44100", "OGG_44100"},
    {3, "IOS", "WAV_22050", "MP3_44100"},
    {5, "ANDROID", "WAV_22050_MONO", "MP3_44100"},
    {7, "WEBOS", "WAV_22050_MONO", "MP3_22050_STEREO"},
    {8, "QNX", "WAV_22050_MONO", "MP3_22050_STEREO"},
    {9, "PS3", "MP3_44100", "MP3_44100"},
    {10, "PS_VITA", "WAV_22050_MONO", "OGG_44100"},
    {11, "PS4", "MP3_44100", "MP3_44100"},
    {12, "LINUX", "OGG_44100", "OGG_44100"},
    {13, "WINDOWS_RT", "OGG_44100", "OGG_44100"},
    {14, "WINDOWS_PHONE", "WAV_22050_MONO", "MP3_22050_STEREO"},
    {15, "FLASH", "MP3_44100", "MP3_44100"},
    {16, "TIZEN", "WAV_22050_MONO", "MP3_22050_STEREO"},
    {17, "XBOX_ONE", "OGG_44100", "OGG_44100"},
    {18, "APPLE_TV", "WAV_22050", "MP3_44100"},
    {19, "ANDROID_TV", "WAV_22050_MONO", "MP3_44100"},
    {20, "SWITCH", "ADPCM", "ADPCM"},
};

const char kUnknown[] = "UNKNOWN";

const PlatformEntry* FindPlatform(int id)
{
    for (const PlatformEntry& entry : kPlatforms) {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}

} // namespace

const char* QVI_GetPlatformName(int platformId)
{
    const PlatformEntry* entry = FindPlatform(platformId);
    return entry ? entry->name : kUnknown;
}

int QVI_GetPlatformId(const char* name)
{
    if (!name)
        return 0;
    for (const PlatformEntry& entry : kPlatforms) {
        if (strcmp(entry.name, name) == 0)
            return entry.id;
    }
    return 0;
}

const char* QVI_GetStandardSoundFxFormat(int platformId)
{
    const PlatformEntry* entry = FindPlatform(platformId);
    return entry ? entry->soundFxFormat : kUnknown;
}

const char* QVI_GetStandardMusicFormat(int platformId)
{
    const PlatformEntry* entry = FindPlatform(platformId);
    return entry ? entry->musicFormat : kUnknown;
}

int QVI_GetScreenSizeId(const char* name)
{
    if (!name)
        return 3;
    if (strcmp(name, "SMALL") == 0)
        return SCREEN_SIZE_SMALL;
    if (strcmp(name, "MEDIUM") == 0)
        return SCREEN_SIZE_MEDIUM;
    if (strcmp(name, "LARGE") == 0)
        return SCREEN_SIZE_LARGE;
    return 3;
}

const char* QVI_GetScreenSizeName(int sizeClass)
{
    switch (sizeClass) {
    case SCREEN_SIZE_MEDIUM: return "MEDIUM";
    case SCREEN_SIZE_LARGE: return "LARGE";
    default: return "SMALL";
    }
}

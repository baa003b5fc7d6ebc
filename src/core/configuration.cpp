#include "core/configuration.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"

ProgramConfiguration g_config;

namespace {

void FreeText(char*& text)
{
    free(text);
    text = nullptr;
}

void FreeString(String& text)
{
    free(text.text);
    text.text = nullptr;
}

} // namespace

void QVI_ResetProgramConfiguration()
{
    ProgramConfiguration& config = g_config;
    config.devicePlatform = 1;
    config.deviceScreenSize = 2;
    config.consoleToggleKey = 49831;

    FreeText(config.applicationFeatures);
    FreeText(config.variantFeatures);
    FreeText(config.variantId);
    FreeText(config.forcedVariant);
    FreeText(config.supportedResolutions);
    FreeText(config.inputImplementations);
    FreeText(config.language);
    FreeText(config.pakFolder);

    config.debugShaders = 0;
    config.forcedResolution = 0;
    config.forcedWidth = 0;
    config.forcedHeight = 0;
    config.selectionForcedWidth = 0;
    config.selectionForcedHeight = 0;
    FreeText(config.refusedForcedResolution);

    FreeString(config.packages);
    FreeString(config.addonPackages);
    FreeString(config.gfxPackages);
    FreeString(config.developerPackages);
    FreeString(config.soundFxPackage);
    FreeString(config.musicPackage);
    FreeString(config.controlInterfaces);

    config.byteOrder = 1234;
    config.manifests.Release();
    config.manifestArrays.Release();

    config.defaultRecord = ProgramInterface{};
    config.defaultRecord.qv = qv;
}

ProgramInterface* QVI_GetRecordInForce()
{
    return g_core.settings ? g_core.settings : &g_config.defaultRecord;
}

bool QVI_HasFeature(const char* name)
{
    return QVI_HasToken(g_config.applicationFeatures, name) || QVI_HasToken(g_config.variantFeatures, name);
}

bool QVI_IsSwitchOn(const char* value)
{
    return value && (value[0] == '1' || value[0] == 't');
}

int32_t QVI_ParseClampedInt(const char* text)
{
    if (!text)
        return 0;
    long long number = strtoll(text, nullptr, 10);
    if (number > INT_MAX)
        return INT_MAX;
    if (number < INT_MIN)
        return INT_MIN;
    return static_cast<int32_t>(number);
}

void QVI_ParseSize(const char* text, int32_t* width, int32_t* height)
{
    *width = 0;
    *height = 0;
    if (!text)
        return;
    // strtoll stops at the 'x' by itself.
    *width = QVI_ParseClampedInt(text);
    const char* separator = strchr(text, 'x');
    if (separator)
        *height = QVI_ParseClampedInt(separator + 1);
}

void QVI_CopyIntoField(char* field, int capacity, const char* text)
{
    if (!field || capacity < 1)
        return;
    size_t length = text ? strlen(text) : 0;
    size_t room = static_cast<size_t>(capacity - 1);
    if (length > room) {
        length = room;
        // A cut before a continuation byte would leave half a character behind.
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    }
    if (length > 0)
        memcpy(field, text, length);
    field[length] = '\0';
}

void QVI_ReplaceText(char** slot, const char* value)
{
    char* copy = value ? QVI_StrDup(value) : nullptr;
    free(*slot);
    *slot = copy;
}

void QVI_AppendToList(char** list, const char* addition)
{
    if (!addition)
        return;
    if (!*list || !**list) {
        QVI_ReplaceText(list, addition);
        return;
    }
    size_t listLength = strlen(*list);
    size_t additionLength = strlen(addition);
    char* joined = static_cast<char*>(malloc(listLength + 1 + additionLength + 1));
    if (!joined)
        return;
    memcpy(joined, *list, listLength);
    joined[listLength] = ',';
    memcpy(joined + listLength + 1, addition, additionLength + 1);
    free(*list);
    *list = joined;
}

int32_t QVI_FrameTimeFromFpsLimit(float fpsLimit)
{
    // Also false for NaN: no divisor at or below zero, no division by zero.
    if (!(fpsLimit > -2.0f))
        return 0;
    float milliseconds = 1000.0f / (fpsLimit + 2.0f);
    if (!(milliseconds < 2147483520.0f))  // the largest float below 2^31
        return INT_MAX;
    return static_cast<int32_t>(milliseconds);
}

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

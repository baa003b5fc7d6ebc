#pragma once

#include <cstdint>

#include "core/array.h"
#include "core/engine_string.h"
#include "quaven/events.h"
#include "quaven/program.h"

class DataArray;
class Database;

// What prog.xml and developer.xml configure beyond the four switches the core services
// read from g_core (developerMode, logging, loggingVerboseLevel, console). Read once at
// pre-initialisation on the main thread; afterwards the values stay for the whole run and
// other threads only read them.
struct ProgramConfiguration {
    // The device the variant is chosen for (platform id and screen size class, as the
    // device information reports them). This host is a WINDOWS machine of class LARGE.
    int32_t devicePlatform = 1;
    int32_t deviceScreenSize = 2;

    // Code 0xC2A7: its low byte is the section sign of the Western code page.
    KeyCode consoleToggleKey = 49831;

    // Heap texts (malloc), null until configured.
    char* applicationFeatures = nullptr;
    char* variantFeatures = nullptr;
    char* variantId = nullptr;        // the id of the variant node in use
    char* forcedVariant = nullptr;    // developer.xml "force_variant"
    char* supportedResolutions = nullptr;
    char* inputImplementations = nullptr;
    char* language = nullptr;         // the record's `language` points here
    char* pakFolder = nullptr;        // ends in '/'

    // developer.xml "force_resolution": the flag and two copies of the forced size, one
    // kept as configured and one for the resolution selection.
    uint8_t debugShaders = 0;         // developer.xml "debug_shaders": keep translated shaders
    uint8_t forcedResolution = 0;
    int32_t forcedWidth = 0;
    int32_t forcedHeight = 0;
    int32_t selectionForcedWidth = 0;
    int32_t selectionForcedHeight = 0;
    // A force_resolution value that is no size (a side of 0 or less) is not applied; it
    // is kept here only so that it can be reported once the log is open.
    char* refusedForcedResolution = nullptr;

    // Package lists (comma-separated, entries may carry "@condition:" in front).
    String packages;
    String addonPackages;
    String gfxPackages;
    String developerPackages;
    String soundFxPackage;
    String musicPackage;
    String controlInterfaces;

    // 1234 little-endian; file readers swap bytes only when it holds 4321.
    int32_t byteOrder = 1234;

    // Registered manifests, newest first, and the first array of each in the same order.
    // The databases belong to DataManager's cache.
    Array<Database*> manifests;
    Array<DataArray*> manifestArrays;

    // The engine's own program record, filled from the configuration. It is the settings
    // in force until the program's record takes them over.
    ProgramInterface defaultRecord = {};
};

extern ProgramConfiguration g_config;

// Frees every heap value, empties the manifest lists and restores the defaults above;
// the default record is zeroed and its qv pointed at the API table. Pre-initialisation
// calls it with its other defaults, and process exit to release the storage.
void QVI_ResetProgramConfiguration();

// The record whose values are in force: the settings record of the core state, else the
// engine's default record.
ProgramInterface* QVI_GetRecordInForce();

// True when name is a whole token (between the list's ends and the separators ' ', ','
// and ';') of the APPLICATION feature list or of the chosen variant's feature list.
// Either list may be missing. Any thread, once the configuration has been read.
bool QVI_HasFeature(const char* name);

// Small readers and writers of configuration values.

// A switch is on when its value begins with '1' or 't'.
bool QVI_IsSwitchOn(const char* value);

// "W x H" written as "1024x768": the integer before the first 'x' and the one after it;
// a missing or unreadable part is 0, and numbers beyond the int range are clamped.
void QVI_ParseSize(const char* text, int32_t* width, int32_t* height);

// A decimal integer clamped to the int range; 0 for null or text without digits.
int32_t QVI_ParseClampedInt(const char* text);

// Copies text into a fixed text field of the program record: cut so that it fits with its
// terminator, and never in the middle of a UTF-8 character. Null empties the field.
void QVI_CopyIntoField(char* field, int capacity, const char* text);

// Replaces a heap text (malloc) by a copy of value; a null value leaves null.
void QVI_ReplaceText(char** slot, const char* value);

// Appends addition to a heap list after a comma, or makes it the list when the list is
// null or empty.
void QVI_AppendToList(char** list, const char* addition);

// The frame period of "fps_limit": the truncation of 1000 / (limit + 2). A limit of -2 or
// less (or one that is not a number) means no pacing, 0.
int32_t QVI_FrameTimeFromFpsLimit(float fpsLimit);

// The platforms prog.xml variants may name, their standard sound formats, and the screen
// size classes. Every name answered is static text.

// The platform's name ("WINDOWS" for 1), "UNKNOWN" for any id not in the table.
const char* QVI_GetPlatformName(int platformId);
// The id of an exact platform name; 0 for null or an unknown name.
int QVI_GetPlatformId(const char* name);

// The format names the platform's data packages use ("OGG_44100" on WINDOWS); "UNKNOWN"
// for an unknown platform.
const char* QVI_GetStandardSoundFxFormat(int platformId);
const char* QVI_GetStandardMusicFormat(int platformId);

// Screen size classes.
enum ScreenSizeClass { SCREEN_SIZE_SMALL = 0, SCREEN_SIZE_MEDIUM = 1, SCREEN_SIZE_LARGE = 2 };

// "SMALL", "MEDIUM", "LARGE" (exact) give 0, 1, 2; null or anything else 3.
int QVI_GetScreenSizeId(const char* name);
// The name of a device's class as variant ids write it: 1 "MEDIUM", 2 "LARGE", any
// other "SMALL".
const char* QVI_GetScreenSizeName(int sizeClass);

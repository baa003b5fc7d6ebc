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

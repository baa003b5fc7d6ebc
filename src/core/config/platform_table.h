#pragma once

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

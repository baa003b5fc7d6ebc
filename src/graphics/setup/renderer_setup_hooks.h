#pragma once

// What renderer set-up runs of text, which sits above graphics and which it cannot include:
// the engine installs each function here.

// Text's data on the device. A step not installed is skipped.
struct TextDeviceSteps {
    void (*recreateFontAtlases)();            // after Init: the atlas of every named font
    void (*reuploadGlyphCache)();             // after Init: glyph bitmaps of the global glyph cache
    void (*releaseFontShaderAndGlyphData)();  // before Shutdown
};
void QVI_SetTextDeviceSteps(const TextDeviceSteps& steps);

// Run the installed text steps, at the places QVI_InitRenderer and QVI_ShutdownRenderer
// give them among the pools' steps (graphics/device_resources.h).
void QVI_RecreateTextFontAtlases();
void QVI_ReuploadTextGlyphCache();
void QVI_ReleaseTextDeviceData();

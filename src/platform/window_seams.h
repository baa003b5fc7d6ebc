#pragma once

#include <cstdint>

// What the main window needs from the start-up's video choice, the renderer set-up and the
// input implementations. Start-up installs the sources; without them the window works from
// the core's video state, the attached renderer and no input implementations.

class RendererImplementation;

// The size the window is made for and the desktop it is placed on.
struct WindowVideoMode {
    int32_t clientWidth;
    int32_t clientHeight;
    bool windowed;
    int32_t desktopWidth;
    int32_t desktopHeight;
};

using WindowVideoModeSource = WindowVideoMode (*)();
void QVI_SetWindowVideoModeSource(WindowVideoModeSource source);
// From the installed source; without one: the client size and window mode of the core's
// video state once it has a size, else of the program record in force (640x480 windowed
// when there is none); the desktop size measured at start-up, else the primary screen's.
WindowVideoMode QVI_GetWindowVideoMode();

// The renderer told about every change of the window's activation.
using WindowRendererSource = RendererImplementation* (*)();
void QVI_SetWindowRendererSource(WindowRendererSource source);
// From the installed source; without one the attached renderer, or null.
RendererImplementation* QVI_GetWindowRenderer();

// Calls SetActive(active) of every registered input implementation.
using InputActivationFunction = void (*)(bool active);
void QVI_SetInputActivationFunction(InputActivationFunction function);
void QVI_SetInputImplementationsActive(bool active);

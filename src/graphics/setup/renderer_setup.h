#pragma once

#include <cstdint>

#include "core/locks.h"
#include "quaven/program.h"

class RendererImplementation;

// The renderer the engine draws through and the state of its device. Main thread only.
struct RendererSetupState {
    // Null until attached; attached once and kept until shutdown forgets it.
    RendererImplementation* renderer;
    // The device is initialised and frames may be drawn; while clear, the graphics members
    // that reach the device do nothing and the frame only services queues and popups.
    uint8_t ready;
    // The parameters handed to the renderer's Init: the size and window mode in use.
    VideoParameters video;
    // Failed Init calls since the last successful one.
    int32_t retryCounter;
    // Held while shaders are read or translated; exists while the device is initialised.
    Mutex* shaderTranslatorLock;
    // The renderer's answers that the image, font and colour code follow.
    int32_t pixelChannelOrder;  // a PixelChannelOrder
    uint8_t rgbaVertexColor;    // vertex colour bytes are B, G, R, A
};

extern RendererSetupState g_rendererSetup;

// Makes renderer the one the engine draws through (the static renderer, or a test's).
// A renderer already attached is replaced only after QVI_DetachRenderer.
void QVI_AttachRenderer(RendererImplementation* renderer);

// Shutdown, after QVI_ShutdownRenderer: forgets the renderer.
void QVI_DetachRenderer();

RendererImplementation* QVI_GetRenderer();
bool QVI_IsRendererReady();

// (Re)initialises the device at the selected resolution and everything that depends on
// it. A device that fails Init is shut down and tried again with the parameters that
// worked before (at most two retries since the last success); a set-up step that fails
// after Init shuts the device down too, so Init is never called on a live device. False
// leaves the renderer not ready; start-up then reports the failure in its own words.
bool QVI_InitRenderer();

// Releases the GPU data of the pools and shuts the device down. Safe without a renderer
// and on a device that is not ready.
void QVI_ShutdownRenderer();

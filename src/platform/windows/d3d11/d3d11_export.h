#pragma once

#include "graphics/renderer/renderer_implementation.h"

extern "C" {

// The renderer is the process's one RendImpDirect3D11, made on the first call; later calls
// answer the same object.
__declspec(dllexport) RendererImplementation* QUAVEN_RendImp_GetInterface();

// Read by hybrid-graphics drivers at process start: non-zero asks for the discrete GPU.
__declspec(dllexport) extern unsigned long NvOptimusEnablement;
__declspec(dllexport) extern int AmdPowerXpressRequestHighPerformance;
}

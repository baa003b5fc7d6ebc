#include "platform/windows/window/window_state.h"

namespace {

// Main thread only: WinMain and the window procedure.
bool g_windowActive = false;
HINSTANCE g_platformInstance = nullptr;

}  // namespace

bool QVI_IsMainWindowActive()
{
    return g_windowActive;
}

void QVI_SetMainWindowActive(bool active)
{
    g_windowActive = active;
}

void QVI_SetPlatformInstance(HINSTANCE instance)
{
    g_platformInstance = instance;
}

HINSTANCE QVI_GetPlatformInstance()
{
    return g_platformInstance;
}

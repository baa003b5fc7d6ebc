// The extension modules until they arrive: no module is ever loaded, so none pauses the game
// and there is nothing to update or to shut down.
#include "modules/extension_modules.h"

void QVI_InitExtensionModules()
{
}

bool QVI_DoExtensionModulesPauseGame()
{
    return false;
}

void QVI_UpdateExtensionModules(float seconds)
{
}

void QVI_UpdateServiceImplementations()
{
}

void QVI_ShutdownExtensionModules()
{
}

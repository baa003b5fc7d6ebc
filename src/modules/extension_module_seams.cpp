#include "modules/extension_module_seams.h"

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

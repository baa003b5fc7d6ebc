#pragma once

#include "core/array.h"

class ExtensionModule;

// The extension modules and the service implementations they provide. Everything here runs
// on the main thread: the list and the resolved implementations are written only at
// start-up.

// The registered modules, the last registered first. The list owns them.
extern Array<ExtensionModule*> g_extensionModules;

// Pre-initialisation, after the first package pass: registers the Local Fallbacks and the
// modules the features name, starts them and resolves and starts the service
// implementations.
void QVI_InitExtensionModules();
// Logs the module's name and puts it at the front of the list.
void QVI_RegisterExtensionModule(ExtensionModule* module);
// Loads "res://<fileName>" and registers the module its export answers; every failure is a
// warning and leaves the module out.
void QVI_LoadExtensionModule(const char* fileName);
// For each kind, the first module in list order that offers an implementation.
void QVI_ResolveImplementations();
// Once per drawn frame, in list order until one answers true.
bool QVI_DoExtensionModulesPauseGame();
// Once per drawn frame, every module with the frame's delta (0 while paused).
void QVI_UpdateExtensionModules(float seconds);
// Once per drawn frame, each service implementation in the order Cloud, Leaderboards,
// Achievements, Statistic, InAppPurchase, Social, UGC, Notification.
void QVI_UpdateServiceImplementations();
// Shutdown: shuts every module down in list order, deletes them and empties the list.
void QVI_ShutdownExtensionModules();
// The dispatcher's hook for the modules' commands: the local-notification commands, then the
// first module that answers. Null when none does.
const char* QVI_ExtensionPlatformCommand(const char* command, const char* argument);

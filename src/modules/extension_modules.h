#pragma once

// The extension modules and the service implementations they provide.

// Pre-initialisation, after the first package pass: loads the modules and resolves the
// service implementations.
void QVI_InitExtensionModules();
// Once per drawn frame, in registration order until one answers true.
bool QVI_DoExtensionModulesPauseGame();
// Once per drawn frame, every module with the frame's delta (0 while paused).
void QVI_UpdateExtensionModules(float seconds);
// Once per drawn frame, each service implementation in the order Cloud, Leaderboards,
// Achievements, Statistic, InAppPurchase, Social, UGC, Notification.
void QVI_UpdateServiceImplementations();
// Shutdown: shuts every module down in registration order, deletes them and empties the list.
void QVI_ShutdownExtensionModules();

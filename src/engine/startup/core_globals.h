#pragma once

// The release of the engine's global containers at process exit (registered once at
// pre-initialisation): the configuration's texts and lists, the logging state, the popup
// lists and the file system's search-path and open-file lists. Nothing else runs at exit;
// the orderly end of the run is QVI_Shutdown.
void QVI_FreeCoreGlobals();

// Registers QVI_FreeCoreGlobals to run at process exit; later calls do nothing.
void QVI_RegisterCoreGlobalsRelease();

#pragma once

// Reads "res://prog.xml" and the optional "res://developer.xml" into the configuration
// (g_config, the switches of g_core and the engine's default record), chooses the
// platform variant and registers the manifests. Runs once, on the main thread, before
// logging has started. False when prog.xml is missing (reported to the user) or cannot
// be loaded. When prog.xml has variants but none for this platform the user is told and
// the process ends with exit code -1.
bool QVI_ReadProgramConfiguration();

// The text of a key of developer.xml's PARAMETERS/DEVELOPER node ("debug_shaders"), or
// null when the file, the node or the key is missing.
const char* QVI_GetDeveloperXmlValue(const char* key);

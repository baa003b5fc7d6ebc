#pragma once

class DataArray;

// The two configuration databases.
extern const char kProgramXmlPath[];    // "res://prog.xml", required
extern const char kDeveloperXmlPath[];  // "res://developer.xml", optional

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

// Developer-mode check of a configuration array: every pair of nodes with the same id,
// and every pair of parameters of one node with the same name, is reported through
// LogPopup at WARNING level. Null does nothing.
void QVI_CheckDuplicateIds(const DataArray* array);

// The value of a product parameter: the chosen variant's node of prog.xml when it has
// the parameter, else prog.xml's PARAMETERS/APPLICATION node, else null. Null for a null
// name or before prog.xml has been read. The text belongs to the cached prog.xml.
const char* QVI_GetProductValue(const char* name);

// The API members answered from prog.xml (slots 27 and 28): HasFeature tests the
// APPLICATION and variant feature lists, GetProductValue is QVI_GetProductValue. Before the
// configuration has been read no feature is set and no product value is known.
bool QV_HasFeature(const char* name);
const char* QV_GetProductValue(const char* name);

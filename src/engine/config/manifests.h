#pragma once

// Manifests: databases that describe resources (drawing sizes, pack modes). The bitmap
// search consults the first array of each, newest manifest first.

// Registers the manifest file at path once: an existing file is loaded through DataManager
// and, when it has an array, put in front of the manifest lists; "Added manifest '%s'." is
// logged for every existing file. A missing file or one registered before does nothing.
// Also the file system's registrar for the manifest of every search path it adds.
void QVI_AddManifest(const char* path);

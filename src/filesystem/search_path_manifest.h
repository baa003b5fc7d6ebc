#pragma once

#include "core/engine_string.h"

// Every search path but a bare scheme root ("res://") brings its manifest, a database
// named after the path: the scheme prefix, "manifest-", the rest of the path without
// its trailing '/' and with every '/' made '-', and ".xml" (res://data/dlc1/ gives
// res://manifest-data-dlc1.xml). "" for a bare scheme root or a path without a scheme.
String QVI_GetSearchPathManifestName(const char* searchPath);

// Seam: the configuration reader registers manifests (it loads and keeps them). Until
// it installs its registrar here, manifests are named but not registered.
using SearchPathManifestRegistrar = void (*)(const char* manifestName);
void QVI_SetSearchPathManifestRegistrar(SearchPathManifestRegistrar registrar);

// Hands the search path's manifest name to the registrar, when there is one.
void QVI_RegisterSearchPathManifest(const char* searchPath);

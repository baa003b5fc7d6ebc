#pragma once

#include "quaven/api.h"

// Writes every member of the API table and of its sub-tables. Pre-initialisation fills it
// once before the program library is loaded and again once the renderer is attached, so
// that the graphics SetColor member matches the renderer's vertex-colour byte order; every
// other member comes out the same. Members whose subsystems have not arrived yet are
// stand-ins that report once that they are not available, so no slot is ever null.
// Renderer set-up is handed text's device steps here as well, before any device comes up.
void QVI_FillAPI(QuavenAPI* api);

#pragma once

#include "quaven/api.h"

// Stand-ins for the graphics sub-table and the draw sub-table until drawing arrives.

// Fills the 95 members of the graphics sub-table and stores its address in the API table's
// graphics member. Every member reports once that it is not available and answers 0, false
// or null (the Peek members the identity, GetViewPosition the origin, sizes 0). SetColor is
// chosen as it will be for drawing: the form that puts red in byte 2 without a renderer or
// when the attached renderer uses B,G,R,A vertex colours, the form that puts red in byte 0
// when it answers false to UsesRGBAVertexColor.
void QVI_FillGraphicsAPI(QuavenAPI* api);

// The SetColor member of each form, for checking the choice above.
extern void (*const kSetColorRedInByte2)(const float* r, const float* g, const float* b);
extern void (*const kSetColorRedInByte0)(const float* r, const float* g, const float* b);

// Fills the draw sub-table (Quad) and stores its address in the API table's draw member.
void QVI_FillDrawAPI(QuavenAPI* api);

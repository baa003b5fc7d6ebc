#pragma once

// Sizes of vertex elements and vertex layouts. A layout (VertexFormat) is an OR of
// element bits; its elements lie in bit order, lowest first, packed without padding.

// Bytes of one element bit (POSITION 12, COLOR 4, TEXTURE_COORDINATE_0 8, NORMAL 12,
// TEXTURE_COORDINATE_1 8, TANGENT 12, BITANGENT 12, 4_BONE_INDICES 4, 4_BONE_WEIGHTS 16);
// 0 for anything that is not exactly one of those bits.
int QVI_GetVertexElementSize(int element);

// Bytes of one vertex of a supported layout (7: 24, 15: 36, 47: 48, 111: 60, 399: 56,
// 495: 80). Every other mask counts as 24 bytes, the engine's own vertex: the size is
// never summed from the bits.
int QVI_GetVertexSize(int format);

// True for the six layouts above.
bool QVI_IsVertexFormatSupported(int format);

#pragma once

#include "quaven/bitmap.h"
#include "quaven/graphics.h"

// Codes that cross the renderer interface beyond the ones the game sees in
// include/quaven/ (TextureFormat, TextureType, BlendMode, RenderState, DepthCompare,
// CullMode, TextureFilter, TextureAddressMode, VertexElement, VertexFormat live there).

// GetThreadingCapabilities: which GPU work may happen off the renderer (main) thread.
enum ThreadingCapabilities {
    QV_THREADING_BITMAP_TEXTURES = 1,  // bitmap textures created, filled, released anywhere
    QV_THREADING_RELEASE_SHADERS_AND_BUFFERS = 2,
    QV_THREADING_CREATE_SHADERS = 4
};

// GetShaderLevel (meaningful for HLSL11).
enum ShaderLevel {
    QV_SHADER_LEVEL_NONE = 0,
    QV_SHADER_LEVEL_DEFAULT = 1,  // "HLSL11_DEFAULT"
    QV_SHADER_LEVEL_LOW = 2,      // "HLSL11_LOW": devices of a reduced feature level
    QV_SHADER_LEVEL_XBOX = 4      // "HLSL11_XBOX"
};

// GetPixelChannelOrder: byte order of bitmap pixels in memory.
enum PixelChannelOrder {
    QV_PIXEL_ORDER_RGBA = 0,
    QV_PIXEL_ORDER_BGRA = 1
};

// BeginFrame's argument.
enum EyeMode {
    QV_EYE_MONO = 0,
    QV_EYE_LEFT = 1,
    QV_EYE_RIGHT = 2
};

// GetRendererType of the implementations this engine knows.
enum RendererType {
    QV_RENDERER_TYPE_NONE = 0,
    QV_RENDERER_TYPE_DIRECT3D11 = 3
};

// Shader languages, one bit each; GetShaderLanguage answers one of them. These are the
// shader translator's target bits (ShaderTool::Target, shadertool/core/target.h), whose
// ShaderTool::GetTargetName gives the names used in shader paths and messages ("HLSL11").
enum ShaderLanguage {
    QV_SHADER_LANGUAGE_ESSL20 = 1,
    QV_SHADER_LANGUAGE_ESSL30 = 2,
    QV_SHADER_LANGUAGE_GLSL21 = 4,
    QV_SHADER_LANGUAGE_GLSL31 = 8,
    QV_SHADER_LANGUAGE_HLSL9 = 16,
    QV_SHADER_LANGUAGE_HLSL11 = 32,
    QV_SHADER_LANGUAGE_PSSL = 64,
    QV_SHADER_LANGUAGE_CG = 128
};

// Buffer usage of CreateVertexBuffer and CreateIndexBuffer: QV_BUFFER_STATIC (0) and
// QV_BUFFER_DYNAMIC (1) of include/quaven/graphics.h.

// Number of pixel-shader texture stages the engine binds (SetTexture, samplers).
const int kRendererTextureStages = 4;
// Number of colour targets in a RenderTargetSet.
const int kRendererColorTargets = 4;

// Table checks for the codes a renderer turns into table indexes. A value outside its
// table must be ignored by the caller, never used as an index.
bool QVI_IsBlendModeValid(int mode);            // 1 to 8
bool QVI_IsCullModeValid(int mode);             // 0 to 2
bool QVI_IsTextureFilterValid(int filter);      // 1 to 3
bool QVI_IsTextureAddressModeValid(int mode);   // 1 to 3
bool QVI_IsDepthCompareValid(int compare);      // 0 to 7
bool QVI_IsTextureFormatValid(int format);      // 1 to 8
bool QVI_IsDepthTextureFormat(int format);      // 1 to 3

// Which table an ignored value came from (QVI_ReportIgnoredRendererValue).
enum RendererValueKind {
    RENDERER_VALUE_BLEND_MODE = 0,
    RENDERER_VALUE_CULL_MODE = 1,
    RENDERER_VALUE_TEXTURE_FILTER = 2,
    RENDERER_VALUE_ADDRESS_MODE = 3,
    RENDERER_VALUE_KIND_COUNT = 4
};

// Logs (warning level) that a value outside its table was ignored: once per kind for the
// whole run, so a game that passes a bad value every frame does not flood the log.
// Answers true when this call wrote the line.
bool QVI_ReportIgnoredRendererValue(RendererValueKind kind, int value);
// Tests only: lets the next ignored value of every kind be logged again.
void QVI_ResetIgnoredRendererValueReports();

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

#pragma once

#include <cstdint>

#include "graphics/renderer/renderer_buffers.h"
#include "quaven/bitmap.h"
#include "quaven/graphics.h"

class ByteBuffer;
struct Shader;
struct ShaderConstantTable;

// Collects sprites, lines and glyphs into large vertex buffers and hands them to the
// renderer in few draw calls; owns the blend mode and sampler state of the texture stages
// and the two shaders built into the engine. Main thread only (game threads that draw hold
// the MAIN_LOOP lock).

const int kBatchTextureStages = 4;
const int kBatchBufferCount = 16;
const int kBatchBufferVertices = 384;
const int kUserBufferElements = 16384;

// The sampler state of the four stages and the blend mode, as asked for or as applied.
struct BatchSamplerBlock {
    int32_t blendMode;
    int32_t address[kBatchTextureStages][3];  // u, v, w
    int32_t filter[kBatchTextureStages][3];   // magnification, minification, mip
};

struct BatchState {
    int32_t primitiveMode;  // 0 lines, 1 triangles (quads)
    BatchSamplerBlock applied;
    BatchSamplerBlock requested;
    uint8_t statesValid;  // 0: requested may differ from applied
    Bitmap* stageBitmaps[kBatchTextureStages];
    TextureHardwareData* stageTextures[kBatchTextureStages];
    int32_t overrideAddress[kBatchTextureStages][3];  // the shader's own sampler values
    int32_t overrideFilter[kBatchTextureStages][3];
    RendererVertexBuffer* formatBuffers[3];  // vertex formats 15, 47 and 111, one quad at a time
    RendererVertexBuffer* batchBuffers[kBatchBufferCount];  // format 7, used round-robin
    RendererIndexBuffer* quadIndexBuffer;  // 96 quads: 4q, 4q+1, 4q+2, 4q+1, 4q+3, 4q+2
    RendererIndexBuffer* lineIndexBuffer;  // 0, 1, 2 ... 383
    // DrawTriangles' two pairs, alternated within a frame.
    RendererIndexBuffer* userIndexBuffers[2];
    RendererVertexBuffer* userVertexBuffers[2];
    int32_t userPair;  // the pair to use next; 0 at each frame start
    int32_t queued;    // vertices in the current batch buffer
    int32_t bufferIndex;
    BatchVertex* writePointer;  // the current batch buffer while locked, else null
    Shader* textShader;
    Shader* currentShader;   // what the next flush draws with
    Shader* boundShader;     // what the renderer last got
    Shader* defaultShader;   // "internal_default"
    Shader* distanceFieldShader;  // "internal_distance_field"
    Bitmap* whiteTexture;
};

extern BatchState g_batch;

// The quad the drawing members fill: colour and depth kept current by SetColor, SetAlpha
// and SetDepth; positions and texture coordinates written by each member.
extern BatchVertex g_batchQuad[4];

namespace BatchRenderer {
// With the device up: every buffer, the index patterns, and the first batch buffer locked.
void InitBuffers();
// Before the device goes down: every buffer unlocked and destroyed.
void FreeBuffers();
// "internal_default" (also the text shader and the current one) and
// "internal_distance_field"; each null where the engine carries no code for the
// renderer's language and level.
void CreateBuiltInShaders();
// The per-frame and per-initialisation reset: clamp and linear on every stage, alpha
// blending, the default shader, and every sampler state handed to the renderer again.
void ResetFrameState();
// Zeroes a block's blend mode and every address and filter triple.
void ClearTextureStages(BatchSamplerBlock* block);
// Hands what was asked for since the last call to the renderer (only what changed).
void ApplyStates();
// Draws what is queued; every member that changes device state calls it first.
void Flush();
// Queues one textured quad: top-left, top-right, bottom-left, bottom-right. A null bitmap
// draws with the white texture while the default shader is current.
void AddQuad(Bitmap* bitmap, const BatchVertex quad[4]);
// AddQuad in two halves, for callers that write many quads of one bitmap straight into the
// buffer: the state checks and the texture of the bitmap applied, then where the next quad
// goes and room for how many more fit (null, with no room, when nothing can be queued).
// Write at most that many and hand their count to CommitQuads before anything else touches
// the batch.
BatchVertex* ReserveQuads(Bitmap* bitmap, int* room);
void CommitQuads(int quads);
void AddLine(const BatchVertex* a, const BatchVertex* b);
// Binds the bitmap's texture to a stage 0-3 (null: see AddQuad).
void SetTexture(int stage, Bitmap* bitmap);
// Null, or a shader that is not loaded, means the default shader. A shader's textures
// bind their default bitmaps and their sampler values override the requested ones.
void SetShader(Shader* shader);
}  // namespace BatchRenderer

// Writes the engine-filled matrices of a shader's constant tables before a draw.
void QVI_UpdateShaderConstants(Shader* shader);
void QVI_FillEngineConstants(ShaderConstantTable* table, uint8_t* uploadedFlag);
// Appends compiled code blocks to the vertex and pixel buffers, growing them as needed.
void QVI_AppendShaderCode(ByteBuffer code[2], const void* vertexCode, int vertexSize, const void* pixelCode,
                          int pixelSize);

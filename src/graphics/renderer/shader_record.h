#pragma once

#include <cstddef>
#include <cstdint>

#include "quaven/bitmap.h"
#include "quaven/graphics.h"

// The shader pool's record as the renderer sees it. The game holds Shader* only as an
// opaque handle; the engine and the renderer read these fields directly, so the layout
// is fixed (356 bytes on the 32-bit build, the tail reserved).

// One constant of a stage: its name, its place in the table's value block, and what
// fills it (engine kinds 2 to 6 are written before every draw; others belong to the game).
struct ShaderConstant {
    char* name;
    uint8_t* value;
    uint16_t arrayCount;  // at least 1
    uint16_t padding10;
    int32_t engineKind;   // ShaderTool::ConstantSemantic
    // Bytes of the whole array. A stage's constants may fill 65,536 bytes, one more than
    // 16 bits hold, so the size takes the 32 bits up to valueClass.
    uint32_t size;
    int32_t valueClass;   // 2 four columns, 1 / 3 four rows of float / int, 0 other
    uint8_t uploaded;     // 1 when built, 0 after a change
    uint8_t padding25[3];
};

// One stage's constants: every value back to back in one block, in entry order, each on
// 16-byte registers (ShaderTool::GetConstantElementBytes).
struct ShaderConstantTable {
    uint8_t* values;
    ShaderConstant* entries;
    int32_t size;   // bytes of the value block
    int32_t count;  // entries
};

// A texture the shader samples, with the sampler values its description gives
// (0 where the description is silent).
struct ShaderTextureEntry {
    char* name;
    Bitmap* defaultBitmap;
    int32_t address[3];  // u, v, w (TextureAddressMode)
    int32_t filter[3];   // magnification, minification, mip (TextureFilter)
};

// One vertex input, in the order of the vertex layout.
struct ShaderVertexInput {
    int32_t offset;         // bytes from the start of the vertex
    int32_t componentType;  // 1 float, 2 unsigned byte, 0 unknown
    int32_t element;        // one VertexElement bit
    uint16_t componentCount;
    uint16_t padding14;
};

const int kShaderTextureSlots = 4;
const int kShaderVertexInputSlots = 9;

enum ShaderFlags : uint8_t {
    kShaderConstantsUploaded = 1,  // cleared whenever a constant value changes
    kShaderLoaded = 2,             // the renderer object exists
};

struct Shader {
    char* name;  // owned; null marks a free record
    int32_t state;
    int32_t slot;
    int32_t timeStamp;  // of the Shader XML last translated, 0 for none
    ShaderTextureEntry textures[kShaderTextureSlots];
    void* rendererData;  // owned by the renderer (CreateShader / DestroyShader)
    ShaderConstantTable pixelConstants;
    ShaderConstantTable vertexConstants;
    int16_t textureCount;
    uint16_t vertexInputCount;
    int32_t vertexFormat;  // OR of the inputs' elements
    ShaderVertexInput vertexInputs[kShaderVertexInputSlots];
    uint8_t flags;  // ShaderFlags
    uint8_t reserved[23];
};

static_assert(sizeof(void*) != 4 || sizeof(ShaderConstant) == 28, "ShaderConstant layout");
static_assert(sizeof(void*) != 4 || offsetof(ShaderConstant, engineKind) == 12, "ShaderConstant layout");
static_assert(sizeof(void*) != 4 || offsetof(ShaderConstant, size) == 16, "ShaderConstant layout");
static_assert(sizeof(void*) != 4 || offsetof(ShaderConstant, valueClass) == 20, "ShaderConstant layout");
static_assert(sizeof(void*) != 4 || offsetof(ShaderConstant, uploaded) == 24, "ShaderConstant layout");
static_assert(sizeof(void*) != 4 || sizeof(ShaderConstantTable) == 16, "ShaderConstantTable layout");
static_assert(sizeof(void*) != 4 || sizeof(ShaderTextureEntry) == 32, "ShaderTextureEntry layout");
static_assert(sizeof(void*) != 4 || sizeof(ShaderVertexInput) == 16, "ShaderVertexInput layout");
static_assert(sizeof(void*) != 4 || offsetof(Shader, textures) == 16, "Shader layout");
static_assert(sizeof(void*) != 4 || offsetof(Shader, rendererData) == 144, "Shader layout");
static_assert(sizeof(void*) != 4 || offsetof(Shader, pixelConstants) == 148, "Shader layout");
static_assert(sizeof(void*) != 4 || offsetof(Shader, vertexConstants) == 164, "Shader layout");
static_assert(sizeof(void*) != 4 || offsetof(Shader, textureCount) == 180, "Shader layout");
static_assert(sizeof(void*) != 4 || offsetof(Shader, vertexInputCount) == 182, "Shader layout");
static_assert(sizeof(void*) != 4 || offsetof(Shader, vertexFormat) == 184, "Shader layout");
static_assert(sizeof(void*) != 4 || offsetof(Shader, vertexInputs) == 188, "Shader layout");
static_assert(sizeof(void*) != 4 || offsetof(Shader, flags) == 332, "Shader layout");
static_assert(sizeof(void*) != 4 || sizeof(Shader) == 356, "Shader layout");

#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "shadertool/core/shader_type.h"

#include <cstddef>
#include <cstdint>

struct Bitmap;

namespace ShaderTool {

// What fills a shader constant before each draw: the program (none) or the engine.
enum ConstantSemantic : uint32_t {
    kConstantSemanticNone = 1,
    kConstantWorldTransform = 2,
    kConstantWorldViewTransform = 3,
    kConstantWorldViewProjectionTransform = 4,
    kConstantViewTransform = 5,
    kConstantViewProjectionTransform = 6,
};

enum VertexOutputSemantic : uint32_t {
    kOutputColor = 0,
    kOutputPosition = 1,
    kOutputTextureCoordinate = 2,
};

// A named literal of the "constants" array; the preprocessor turns it into a macro.
struct GeneralConstant {
    String name;
    String value;   // as written in the file
    Type type;      // Bool, Float or Int by the value's literal; None when invalid
};

// A constant of one stage (vertex_constants or pixel_constants).
struct ShaderConstant {
    String name;
    uint32_t semantic = kConstantSemanticNone;   // ConstantSemantic
    int32_t byteSize = 0;                        // see constant_layout.h
    Type type;                                   // const; arraySize 0 for a single value
};

struct VertexInput {
    String name;
    uint32_t element = 0;   // one VertexElement bit
    Type type;              // const
};

struct VertexOutput {
    String name;
    Type type;
    uint32_t semantic = kOutputTextureCoordinate;   // VertexOutputSemantic
    int32_t semanticIndex = 0;                      // earlier outputs with the same semantic
};

struct PixelTexture {
    String name;
    Bitmap* defaultBitmap = nullptr;   // the "source" bitmap, or null
    Type type;                         // Texture of dimension 2D, 3D or Cube
    uint32_t addressU = 0;             // TextureAddressMode: 1 CLAMP, 2 WRAP, 3 MIRROR; 0 absent
    uint32_t addressV = 0;
    uint32_t addressW = 0;
    uint32_t filterMag = 0;            // TextureFilter: 1 POINT, 2 LINEAR, 3 ANISOTROPIC; 0 absent
    uint32_t filterMin = 0;
    uint32_t filterMip = 0;
};

struct ShaderSource {
    String path;               // the source file, or the XML file for inline code
    String text;
    int32_t firstLine = 1;     // XML line of the code's first line; 1 for a file
    uint32_t targets = 127;    // Target mask
    uint32_t stage = 0;        // ShaderStage
};

// One Shader XML file: its interface, per stage, and its sources. The arrays stand in
// the alphabetical order of their XML names. Copies duplicate every element and string.
class ShaderDescription {
public:
    Array<GeneralConstant> constants;
    Array<ShaderConstant> pixel_constants;
    Array<String> pixel_output;
    Array<PixelTexture> pixel_textures;
    Array<ShaderSource> sources;
    Array<ShaderConstant> vertex_constants;
    Array<VertexInput> vertex_input;
    Array<VertexOutput> vertex_output;
    uint32_t timeStamp = 0;   // file modification time, seconds since 1970; 0 when unknown

    // Empties the eight arrays (releasing their storage) and sets the time stamp to 0.
    void Reset();
};

static_assert(sizeof(void*) != 4 || sizeof(Type) == 32, "Type layout");
static_assert(sizeof(void*) != 4 || sizeof(GeneralConstant) == 40, "GeneralConstant layout");
static_assert(sizeof(void*) != 4 || offsetof(ShaderConstant, semantic) == 4, "ShaderConstant layout");
static_assert(sizeof(void*) != 4 || offsetof(ShaderConstant, byteSize) == 8, "ShaderConstant layout");
static_assert(sizeof(void*) != 4 || offsetof(ShaderConstant, type) == 12, "ShaderConstant layout");
static_assert(sizeof(void*) != 4 || sizeof(ShaderConstant) == 44, "ShaderConstant layout");
static_assert(sizeof(void*) != 4 || offsetof(VertexInput, element) == 4, "VertexInput layout");
static_assert(sizeof(void*) != 4 || sizeof(VertexInput) == 40, "VertexInput layout");
static_assert(sizeof(void*) != 4 || offsetof(VertexOutput, semantic) == 36, "VertexOutput layout");
static_assert(sizeof(void*) != 4 || sizeof(VertexOutput) == 44, "VertexOutput layout");
static_assert(sizeof(void*) != 4 || offsetof(PixelTexture, type) == 8, "PixelTexture layout");
static_assert(sizeof(void*) != 4 || offsetof(PixelTexture, addressU) == 40, "PixelTexture layout");
static_assert(sizeof(void*) != 4 || offsetof(PixelTexture, filterMip) == 60, "PixelTexture layout");
static_assert(sizeof(void*) != 4 || sizeof(PixelTexture) == 64, "PixelTexture layout");
static_assert(sizeof(void*) != 4 || sizeof(ShaderSource) == 20, "ShaderSource layout");
static_assert(sizeof(void*) != 4 || offsetof(ShaderDescription, pixel_constants) == 16, "ShaderDescription layout");
static_assert(sizeof(void*) != 4 || offsetof(ShaderDescription, vertex_output) == 112, "ShaderDescription layout");
static_assert(sizeof(void*) != 4 || offsetof(ShaderDescription, timeStamp) == 128, "ShaderDescription layout");
static_assert(sizeof(void*) != 4 || sizeof(ShaderDescription) == 132, "ShaderDescription layout");

} // namespace ShaderTool

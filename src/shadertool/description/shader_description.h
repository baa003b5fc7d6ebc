#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "shadertool/core/shader_type.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

struct Bitmap;

namespace ShaderTool {

struct Log;

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
    int32_t byteSize = 0;                        // see GetConstantElementBytes
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

// The name of a description entry: the entry itself for a pixel output, its name field
// for every other record.
inline const char* EntryName(const String& entry)
{
    return entry.text;
}

template <typename T>
const char* EntryName(const T& entry)
{
    return entry.name.text;
}

// True when an entry of that name (byte for byte) is already in the array.
template <typename T>
bool HasEntryNamed(const Array<T>& entries, const char* name)
{
    if (!name)
        return false;
    for (int i = 0; i < entries.count; ++i) {
        const char* entryName = EntryName(entries.data[i]);
        if (entryName && strcmp(entryName, name) == 0)
            return true;
    }
    return false;
}

enum class DescriptionLookup { kFound, kNotFound, kInvalidArray };

// Whether the description's array of that XML name ("constants", "pixel_constants",
// "pixel_output", "pixel_textures", "vertex_constants", "vertex_input", "vertex_output")
// holds an entry of that name. A null description holds nothing.
DescriptionLookup FindDescriptionEntry(const ShaderDescription* description, const char* arrayName,
                                       const char* entryName);

// The type a Shader XML "type" attribute names ("BOOL", "FLOAT", "FLOAT2" to "FLOAT4",
// "FLOAT2X2" to "FLOAT4X4", "INT", "INT2" to "INT4", capitals only), with the given
// qualifiers and array size; any other name, or null, gives the None type.
Type TypeFromDescriptionName(const char* name, uint32_t qualifiers, int32_t arraySize);

// The layout of a stage's constants, shared by the block the engine uploads and the
// constant buffer a compiled HLSL shader reads. Constants stand one after another in
// description order. Every value occupies whole 16-byte registers, so every constant
// and every array element starts on a 16-byte boundary:
//   FLOAT4 and INT4   1 register    16 bytes
//   FLOAT2X2          2 registers   32 bytes (the last 8 bytes of each register unused)
//   FLOAT3X3          3 registers   48 bytes (the last 4 bytes of each register unused)
//   FLOAT4X4          4 registers   64 bytes
// An array takes its element size times its element count. A stage's constants may
// take 65,536 bytes at most (4,096 registers, one full Direct3D constant buffer).
const int32_t kConstantRegisterBytes = 16;
const int32_t kMaxStageConstantBytes = 65536;

// Bytes of one element of a constant type: 16 per register, an N by N matrix taking N
// registers (one per column as HLSL packs it by default, one per row when declared
// row-major). 0 for a type that cannot be a shader constant.
int32_t GetConstantElementBytes(const Type& type);

// The base kind a general constant's value gives: the first token of the text decides
// (a bool literal Bool, a float literal Float, an integer literal Int), None for any
// other token. A lexical error in that token ("019", "1e") does not change its kind; the
// scan reports it into log (when given) under fileName, and the reading goes on.
uint32_t ClassifyGeneralConstantValue(const char* value, Log* log, const char* fileName);

// A general constant's value text from its first token on: without the blanks (space,
// tab, line feed) that the tokenizer skips before it, so that whatever reads the value
// reads the token that gave the constant its type. "" without a text.
const char* GetGeneralConstantLiteral(const GeneralConstant& constant);

// The integer a general constant stands for: a Bool gives 1 for "true" and 0 for
// "false"; an Int gives its literal as the preprocessor reads it into a macro
// (hexadecimal after "0x", otherwise decimal), except that a value beyond the int32
// range is clamped to it rather than wrapped. Blanks before the literal and text after
// it do not count. False, with 0, for any other type.
bool GetGeneralConstantInteger(const GeneralConstant& constant, int32_t* value);

// The number that the digits of base (10 or 16) at the start of text give, clamped to
// the int32 range rather than wrapped; 0 when text does not start with such a digit.
int32_t ReadClampedDigits(const char* text, int base);

} // namespace ShaderTool

// The targets that need nothing of Windows: the XML reader, DataManager's databases (plain,
// scrambled, CSV) and the shader translator from its Shader XML down to all seven writers.
// Every input reaches them as a file served from memory, as the engine's file system would.
#include "fuzz/fuzz_target.h"

#include <cstring>
#include <string>

#include "core/byte_buffer.h"
#include "data/datamanager/data_manager.h"
#include "data/datamanager/database.h"
#include "data/scrambled/scrambled_data.h"
#include "data/xml/xml_reader.h"
#include "shadertool/core/context.h"
#include "shadertool/core/target.h"
#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/driver/translation_driver.h"

namespace {

const char kXMLTokens[] = "<\1>\1</\1/>\1=\1\"\1<?xml version=\"1.0\"?>\1<![CDATA[\1]]>\1<!--\1-->\1&quot;\1&amp;\1"
                          "\\\1\\\"\1<array id=\"\1<node id=\"\1 value=\"\1</array>\1<root>\1</root>\1\n\1\t";

// Reads every block and touches every string the reader hands out.
void RunXMLReader(const uint8_t* data, size_t size)
{
    QVF_PutFile("res://fuzz.xml", data, size);
    XMLReader reader;
    if (!reader.LoadFile("res://fuzz.xml"))
        return;
    volatile size_t sum = 0;
    while (XMLBlock* block = reader.ReadNextBlock()) {
        if (block->name)
            sum += strlen(block->name);
        for (int i = 0; i < block->attributeCount; ++i)
            sum += strlen(block->attributeNames[i]) + strlen(block->attributeValues[i]);
    }
}

// A loaded database, walked as a game's lookups walk it.
void WalkDatabase(const Database& database)
{
    volatile size_t sum = 0;
    for (int a = 0; a < database.arrays.count; ++a) {
        const DataArray* array = database.arrays.data[a];
        for (int p = 0; p < array->parameters.count; ++p)
            sum += array->parameters.data[p].value ? strlen(array->parameters.data[p].value) : 0;
        for (int n = 0; n < array->nodes.count; ++n) {
            const DataNode* node = array->GetNode(n);
            sum += node && node->GetParameter("id") ? 1 : 0;
            if (node && node->id)
                sum += array->FindNode(node->id) == node;
        }
        if (array->id)
            sum += database.FindArray(array->id) != nullptr;
    }
}

void LoadDatabase(const char* path, const uint8_t* data, size_t size)
{
    QVF_PutFile(path, data, size);
    Database database;
    if (database.Load(path))
        WalkDatabase(database);
}

void RunDatabase(const uint8_t* data, size_t size) { LoadDatabase("res://fuzz.xml", data, size); }
void RunDatabaseCSV(const uint8_t* data, size_t size) { LoadDatabase("res://fuzz.csv", data, size); }

// The input scrambled with a valid header, so that the mutations reach the reader behind
// the descrambling; the header's own fields are mutated by the other two targets, whose
// inputs may begin with the key.
void RunScrambledDatabase(const uint8_t* data, size_t size)
{
    ByteBuffer scrambled;
    if (!QVI_ScrambleData(data, static_cast<int>(size), &scrambled))
        return;
    // A flipped checksum byte now and then keeps the refusal path busy too.
    if (size > 0 && data[0] == '!')
        scrambled.data[18] ^= 1;
    LoadDatabase("res://fuzz.dat", scrambled.data, scrambled.size);
}

// Shader translation as the engine's shader loader runs it: read, translate for every
// target, reset. Translated text is the output; nothing is compiled.
bool Translate(const char* path, bool preprocessOnly)
{
    ShaderTool::TranslationOptions options;
    options.shaderLevel = ShaderTool::kShaderLevelDefault;
    options.targetMask = ShaderTool::kTargetAll;
    options.preprocessOnly = preprocessOnly ? 1 : 0;
    ShaderTool::Reset();
    const bool translated = ShaderTool::TranslateShaderXML(String(path), options, true);
    ShaderTool::Reset();
    // The description read from the file stays cached by DataManager until unloaded.
    DataManager::UnloadDatabase(DataManager::FindDatabase(path));
    return translated;
}

void InitializeTranslator()
{
    static bool initialized = false;
    if (!initialized)
        initialized = ShaderTool::Initialize(ShaderTool::kTargetAll, String(""), false);
}

void RunShaderXML(const uint8_t* data, size_t size)
{
    InitializeTranslator();
    QVF_PutFile("res://fx/fuzz.xml", data, size);
    Translate("res://fx/fuzz.xml", false);
}

// A shader source in a fixed, valid description: the input up to a form feed is the vertex
// source, the rest the pixel source (the whole input for both without one).
const char kSourceWrapper[] = R"(<?xml version="1.0" encoding="iso-8859-1"?>
<root>
  <array id="info"><node id="version" value="2"/><node id="revision" value="3"/></array>
  <array id="constants"><node id="WAVES" value="2"/></array>
  <array id="vertex_input">
    <node id="position" semantic="POSITION"/><node id="color" semantic="COLOR"/>
    <node id="uv" semantic="TEXTURE_COORDINATE_0"/><node id="normal" semantic="NORMAL"/>
  </array>
  <array id="vertex_constants">
    <node id="view_proj" type="FLOAT4X4" semantic="VIEW_PROJECTION_TRANSFORM"/>
    <node id="time" type="FLOAT4"/><node id="lights" type="FLOAT4" count="4"/>
  </array>
  <array id="vertex_output">
    <node id="position" type="FLOAT4" semantic="POSITION"/><node id="uv" type="FLOAT2"/>
    <node id="shade" type="FLOAT"/><node id="color" type="FLOAT4"/>
  </array>
  <array id="pixel_constants"><node id="tint" type="FLOAT4"/></array>
  <array id="pixel_textures">
    <node id="water" type="2D" address_u="WRAP" address_v="MIRROR"/><node id="sky" type="CUBE"/>
  </array>
  <array id="pixel_output"><node id="color"/></array>
  <array id="sources">
    <node type="vertex" file="fuzz.vsh"/>
    <node type="pixel" file="fuzz.psh"/>
  </array>
</root>
)";

void PutSources(const uint8_t* data, size_t size)
{
    static bool wrapperPut = false;
    if (!wrapperPut) {
        QVF_PutFile("res://fx/fuzz_source.xml", reinterpret_cast<const uint8_t*>(kSourceWrapper), strlen(kSourceWrapper));
        wrapperPut = true;
    }
    const uint8_t* split = static_cast<const uint8_t*>(memchr(data, '\f', size));
    const size_t vertexSize = split ? static_cast<size_t>(split - data) : size;
    QVF_PutFile("res://fx/fuzz.vsh", data, vertexSize);
    if (split)
        QVF_PutFile("res://fx/fuzz.psh", split + 1, size - vertexSize - 1);
    else
        QVF_PutFile("res://fx/fuzz.psh", data, size);
}

void RunShaderSource(const uint8_t* data, size_t size)
{
    InitializeTranslator();
    PutSources(data, size);
    Translate("res://fx/fuzz_source.xml", false);
}

// The preprocessor alone: many more inputs per second than a whole translation.
void RunShaderPreprocessor(const uint8_t* data, size_t size)
{
    InitializeTranslator();
    PutSources(data, size);
    Translate("res://fx/fuzz_source.xml", true);
}

const char kShaderTokens[] =
    "#define \1#if \1#ifdef \1#ifndef \1#elif \1#else\n\1#endif\n\1#include \"waves.inc\"\n\1#undef \1"
    "defined(\1##\1#\1__LINE__\1\\\n\1/*\1*/\1//\1float4\1float4x4\1float\1int\1bool\1struct \1void main()\1"
    "{\1}\1(\1)\1[\1]\1;\1,\1.\1?\1:\1=\1+=\1<<\1>>\1&&\1||\1!\1return \1if (\1else \1for (\1while (\1"
    "discard;\1input.\1output.\1constant.\1texture.\1sampleTexture(\1mul(\1normalize(\1uniform \1"
    "static \1const \1in \1out \1inout \1half \1true\1false\11.0e38\1-0\1 0x7fffffff\1 4294967296\1TARGET_HLSL\1";

const FuzzTarget kTargets[] = {
    {"xml", RunXMLReader, kXMLTokens, 1 << 16, false},
    {"database", RunDatabase, kXMLTokens, 1 << 16, false},
    {"database_csv", RunDatabaseCSV, ";\1\n\1\"\1\r\n\1,", 1 << 16, false},
    {"database_scrambled", RunScrambledDatabase, kXMLTokens, 1 << 16, false},
    {"shader_xml", RunShaderXML, kXMLTokens, 1 << 16, true},
    {"shader_source", RunShaderSource, kShaderTokens, 1 << 16, true},
    {"shader_preprocessor", RunShaderPreprocessor, kShaderTokens, 1 << 16, false},
    {nullptr, nullptr, nullptr, 0, false},
};

} // namespace

const FuzzTarget* QVF_PortableTargets() { return kTargets; }

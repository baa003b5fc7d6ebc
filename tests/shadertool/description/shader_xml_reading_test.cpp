// Well-formed Shader XML files, written from the format alone, read into descriptions.

#include "shader_xml_fixture.h"

#include "core/engine_log.h"
#include "shadertool/core/target.h"
#include "shadertool/core/context.h"
#include "shadertool/description/read_shader_xml.h"
#include "shadertool/description/shader_xml_reader.h"

#include <cstring>

namespace shader_xml_test {
namespace {

using ShaderTool::ShaderDescription;

const char* const kSpriteArrays =
    "  <array id=\"vertex_input\">\n"
    "    <node id=\"position\" semantic=\"POSITION\"/>\n"
    "    <node id=\"color\" semantic=\"COLOR\"/>\n"
    "    <node id=\"uv\" semantic=\"TEXTURE_COORDINATE_0\"/>\n"
    "  </array>\n"
    "  <array id=\"vertex_constants\">\n"
    "    <node id=\"wvp\" type=\"FLOAT4X4\" semantic=\"WORLD_VIEW_PROJECTION_TRANSFORM\"/>\n"
    "  </array>\n"
    "  <array id=\"vertex_output\">\n"
    "    <node id=\"position\" type=\"FLOAT4\" semantic=\"POSITION\"/>\n"
    "    <node id=\"color\" type=\"FLOAT4\" semantic=\"COLOR\"/>\n"
    "    <node id=\"uv\" type=\"FLOAT2\" semantic=\"TEXTURE_COORDINATE\"/>\n"
    "  </array>\n"
    "  <array id=\"pixel_textures\">\n"
    "    <node id=\"sprite\" type=\"2D\" address_u=\"CLAMP\" address_v=\"WRAP\" filter_min=\"LINEAR\"/>\n"
    "  </array>\n"
    "  <array id=\"pixel_output\">\n"
    "    <node id=\"color\"/>\n"
    "  </array>\n"
    "  <array id=\"sources\">\n"
    "    <node type=\"vertex\">\n"
    "      <![CDATA[\n"
    "\n"
    "void main()\n"
    "{\n"
    "    _Output.position = mul(wvp, _Input.position);\n"
    "}\n"
    "]]>\n"
    "    </node>\n"
    "    <node type=\"pixel\"><![CDATA[void main() { _Output.color = sampleTexture(_Texture.sprite, _Input.uv); }]]></node>\n"
    "  </array>\n";

TEST_F(ShaderXMLTest, SpriteShaderGivesItsWholeInterface)
{
    std::string xml = ShaderXML(kSpriteArrays);
    ASSERT_TRUE(ReadFile("shaders/sprite.xml", xml)) << Report();
    EXPECT_EQ(Report(), "");
    const ShaderDescription& d = Description();

    ASSERT_EQ(d.vertex_input.count, 3);
    EXPECT_EQ(d.vertex_input.data[2].element, 4u);
    EXPECT_EQ(d.vertex_input.data[2].type.vectorSize, 2);
    EXPECT_EQ(d.vertex_input.data[0].type.qualifiers, ShaderTool::kQualifierConst);

    ASSERT_EQ(d.vertex_constants.count, 1);
    EXPECT_EQ(d.vertex_constants.data[0].semantic, ShaderTool::kConstantWorldViewProjectionTransform);
    EXPECT_EQ(d.vertex_constants.data[0].byteSize, 64);
    EXPECT_EQ(d.vertex_constants.data[0].type.matrixSize, 4);
    EXPECT_EQ(d.vertex_constants.data[0].type.arraySize, 0) << "a count of 1 is no array";

    ASSERT_EQ(d.vertex_output.count, 3);
    EXPECT_EQ(d.vertex_output.data[2].semantic, ShaderTool::kOutputTextureCoordinate);

    ASSERT_EQ(d.pixel_textures.count, 1);
    const ShaderTool::PixelTexture& sprite = d.pixel_textures.data[0];
    EXPECT_EQ(sprite.type.textureDimension, ShaderTool::kTexture2D);
    EXPECT_EQ(sprite.addressU, 1u);
    EXPECT_EQ(sprite.addressV, 2u);
    EXPECT_EQ(sprite.addressW, 0u) << "absent attributes stay 0";
    EXPECT_EQ(sprite.filterMin, 2u);
    EXPECT_EQ(sprite.defaultBitmap, nullptr);

    ASSERT_EQ(d.pixel_output.count, 1);
    EXPECT_STREQ(d.pixel_output.data[0].text, "color");

    // Inline code is named by the XML file and numbered with the XML file's lines.
    ASSERT_EQ(d.sources.count, 2);
    const ShaderTool::ShaderSource& vertex = d.sources.data[0];
    EXPECT_STREQ(vertex.path.text, "res://shaders/sprite.xml");
    EXPECT_EQ(vertex.targets, 127u);
    EXPECT_EQ(vertex.firstLine, LineOf(xml, "void main()\n{"));
    EXPECT_EQ(std::string(vertex.text.text).rfind("void main()\n{\n", 0), 0u);
    const ShaderTool::ShaderSource& pixel = d.sources.data[1];
    EXPECT_EQ(pixel.firstLine, LineOf(xml, "void main() {"));
    EXPECT_EQ(std::string(pixel.text.text).rfind("void main() {", 0), 0u);

    FileInfo info = {};
    ASSERT_TRUE(qv->fileSystem->GetFileInfo("res://shaders/sprite.xml", &info));
    EXPECT_EQ(d.timeStamp, info.modified);
    EXPECT_NE(d.timeStamp, 0u);
}

TEST_F(ShaderXMLTest, SkippingSourcesLeavesThemOutAndMemoryTextKeepsTheTimeStamp)
{
    std::string xml = ShaderXML(kSpriteArrays);
    ASSERT_TRUE(ShaderTool::ReadShaderXML(String("builtin/sprite"), xml.c_str(), false, true)) << Report();
    EXPECT_EQ(Description().sources.count, 0);
    EXPECT_EQ(Description().vertex_input.count, 3);
    EXPECT_EQ(Description().timeStamp, 0u);
}

TEST_F(ShaderXMLTest, MatricesArraysTexturesAndFileSources)
{
    PutFile("fx/lit.vs", "// vertex\nvoid main() {}\n");
    std::string xml = ShaderXML(
        "  <array id=\"constants\">\n"
        "    <node id=\"LIGHTS\" value=\"3\"/>\n"
        "    <node id=\"BONES\" value=\"0x10\"/>\n"
        "    <node id=\"SCALE\" value=\"1.5\"/>\n"
        "    <node id=\"SHADOWS\" value=\"true\"/>\n"
        "  </array>\n"
        "  <array id=\"vertex_input\">\n"
        "    <node id=\"p\" semantic=\"POSITION\"/><node id=\"c\" semantic=\"COLOR\"/>\n"
        "    <node id=\"t\" semantic=\"TEXTURE_COORDINATE_0\"/><node id=\"n\" semantic=\"NORMAL\"/>\n"
        "    <node id=\"i\" semantic=\"4_BONE_INDICES\"/><node id=\"w\" semantic=\"4_BONE_WEIGHTS\"/>\n"
        "  </array>\n"
        "  <array id=\"vertex_constants\">\n"
        "    <node id=\"world\" type=\"FLOAT4X4\" semantic=\"WORLD_TRANSFORM\"/>\n"
        "    <node id=\"normals\" type=\"FLOAT3X3\"/>\n"
        "    <node id=\"bones\" type=\"FLOAT4X4\" count=\"BONES\"/>\n"
        "    <node id=\"lights\" type=\"FLOAT4\" count=\"LIGHTS\"/>\n"
        "    <node id=\"flags\" type=\"INT4\" count=\"2\"/>\n"
        "    <node id=\"uvRotations\" type=\"FLOAT2X2\" count=\"2\"/>\n"
        "  </array>\n"
        "  <array id=\"vertex_output\">\n"
        "    <node id=\"position\" type=\"FLOAT4\" semantic=\"POSITION\"/>\n"
        "    <node id=\"uv\" type=\"FLOAT2\"/>\n"
        "    <node id=\"normal\" type=\"FLOAT3\" semantic=\"NORMAL\"/>\n"
        "  </array>\n"
        "  <array id=\"pixel_textures\">\n"
        "    <node id=\"volume\" type=\"3D\" address_w=\"MIRROR\" filter_mag=\"POINT\" filter_mip=\"ANISOTROPIC\"/>\n"
        "    <node id=\"sky\" type=\"CUBE\" source=\"textures/known.png\"/>\n"
        "  </array>\n"
        "  <array id=\"pixel_output\"><node id=\"color\"/><node id=\"glow\"/></array>\n"
        "  <array id=\"sources\">\n"
        "    <node type=\"vertex\" target=\"ALL\" file=\"lit.vs\"/>\n"
        "    <node type=\"vertex\" target=\"HLSL11,GLSL21\"><![CDATA[void main() {}]]></node>\n"
        "    <node type=\"pixel\" target=\"HLSL11,\"><![CDATA[void main() {}]]></node>\n"
        "  </array>\n");
    ASSERT_TRUE(ReadFile("fx/lit.xml", xml)) << Report();
    const ShaderDescription& d = Description();

    ASSERT_EQ(d.constants.count, 4);
    EXPECT_EQ(d.constants.data[0].type.baseKind, ShaderTool::kBaseInt);
    EXPECT_EQ(d.constants.data[2].type.baseKind, ShaderTool::kBaseFloat);
    EXPECT_EQ(d.constants.data[3].type.baseKind, ShaderTool::kBaseBool);
    EXPECT_STREQ(d.constants.data[1].value.text, "0x10") << "the value is kept as written";

    EXPECT_EQ(d.vertex_input.count, 6);

    // One 16-byte register per vector and per matrix column; arrays multiply.
    ASSERT_EQ(d.vertex_constants.count, 6);
    const int expectedSizes[] = {64, 48, 16 * 64, 3 * 16, 2 * 16, 2 * 32};
    const int expectedArrays[] = {0, 0, 16, 3, 2, 2};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(d.vertex_constants.data[i].byteSize, expectedSizes[i]) << d.vertex_constants.data[i].name.text;
        EXPECT_EQ(d.vertex_constants.data[i].type.arraySize, expectedArrays[i]) << d.vertex_constants.data[i].name.text;
    }
    EXPECT_EQ(d.vertex_constants.data[0].semantic, ShaderTool::kConstantWorldTransform);
    EXPECT_EQ(d.vertex_constants.data[1].semantic, ShaderTool::kConstantSemanticNone);
    EXPECT_EQ(d.vertex_constants.data[4].type.baseKind, ShaderTool::kBaseInt);

    // An unknown output semantic counts as a texture coordinate.
    ASSERT_EQ(d.vertex_output.count, 3);
    EXPECT_EQ(d.vertex_output.data[2].semantic, ShaderTool::kOutputTextureCoordinate);
    EXPECT_EQ(d.vertex_output.data[1].semanticIndex, 0);
    EXPECT_EQ(d.vertex_output.data[2].semanticIndex, 1);

    ASSERT_EQ(d.pixel_textures.count, 2);
    EXPECT_EQ(d.pixel_textures.data[0].type.textureDimension, ShaderTool::kTexture3D);
    EXPECT_EQ(d.pixel_textures.data[0].addressW, 3u);
    EXPECT_EQ(d.pixel_textures.data[0].filterMag, 1u);
    EXPECT_EQ(d.pixel_textures.data[0].filterMip, 3u);
    EXPECT_EQ(d.pixel_textures.data[1].type.textureDimension, ShaderTool::kTextureCube);
    EXPECT_NE(d.pixel_textures.data[1].defaultBitmap, nullptr);
    EXPECT_EQ(d.pixel_output.count, 2);

    // A file source is found beside the XML and numbered from its own first line.
    ASSERT_EQ(d.sources.count, 3);
    EXPECT_STREQ(d.sources.data[0].path.text, "res://fx/lit.vs");
    EXPECT_STREQ(d.sources.data[0].text.text, "// vertex\nvoid main() {}\n");
    EXPECT_EQ(d.sources.data[0].firstLine, 1);
    EXPECT_EQ(d.sources.data[1].targets, 36u);
    EXPECT_EQ(d.sources.data[2].targets, 32u) << "a comma at the end adds no name";
}

TEST_F(ShaderXMLTest, ReloadReadsTheChangedFileInsteadOfTheCachedOne)
{
    std::string first = ShaderXML("  <array id=\"pixel_output\"><node id=\"a\"/></array>\n");
    ASSERT_TRUE(ReadFile("s.xml", first));
    ShaderTool::GetShaderXMLReader()->Reset();
    PutFile("s.xml", ShaderXML("  <array id=\"pixel_output\"><node id=\"b\"/></array>\n"));

    ASSERT_TRUE(ShaderTool::ReadShaderXML(String("res://s.xml"), nullptr, false, false));
    EXPECT_STREQ(Description().pixel_output.data[0].text, "a") << "without reload the cached database answers";
    ShaderTool::GetShaderXMLReader()->Reset();
    ASSERT_TRUE(ShaderTool::ReadShaderXML(String("res://s.xml"), nullptr, true, false));
    EXPECT_STREQ(Description().pixel_output.data[0].text, "b");
}

TEST_F(ShaderXMLTest, DescriptionCopiesOwnTheirStringsAndResetEmptiesEverything)
{
    ASSERT_TRUE(ReadFile("sprite.xml", ShaderXML(kSpriteArrays)));
    ShaderDescription copy(Description());
    EXPECT_EQ(copy.timeStamp, Description().timeStamp);
    EXPECT_NE(copy.sources.data[0].text.text, Description().sources.data[0].text.text);

    ShaderTool::GetShaderXMLReader()->Reset();
    EXPECT_EQ(Description().timeStamp, 0u);
    EXPECT_EQ(Description().sources.data, nullptr) << "the storage is released";
    EXPECT_STREQ(copy.vertex_output.data[0].name.text, "position") << "the copy outlives the original";
}

} // namespace
} // namespace shader_xml_test

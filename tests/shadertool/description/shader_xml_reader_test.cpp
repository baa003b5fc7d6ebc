// Reading Shader XML files into the translation context's description: a complete
// interface, memory text, reloading, and what ends a reading early.

#include "shadertool/shadertool_fixture.h"

#include "shadertool/core/context.h"
#include "shadertool/description/shader_xml_reader.h"

namespace shadertool_test {
namespace {

using ShaderTool::ShaderDescription;

const char* const kLitArrays =
    "  <array id=\"constants\">\n"
    "    <node id=\"LIGHTS\" value=\"3\"/><node id=\"BONES\" value=\"0x10\"/>\n"
    "    <node id=\"SCALE\" value=\"1.5\"/><node id=\"SHADOWS\" value=\"true\"/>\n"
    "  </array>\n"
    "  <array id=\"vertex_input\">\n"
    "    <node id=\"p\" semantic=\"POSITION\"/><node id=\"c\" semantic=\"COLOR\"/>\n"
    "    <node id=\"t\" semantic=\"TEXTURE_COORDINATE_0\"/><node id=\"n\" semantic=\"NORMAL\"/>\n"
    "    <node id=\"i\" semantic=\"4_BONE_INDICES\"/><node id=\"w\" semantic=\"4_BONE_WEIGHTS\"/>\n"
    "  </array>\n"
    "  <array id=\"vertex_constants\">\n"
    "    <node id=\"world\" type=\"FLOAT4X4\" semantic=\"WORLD_TRANSFORM\"/>\n"
    "    <node id=\"wvp\" type=\"FLOAT4X4\" semantic=\"WORLD_VIEW_PROJECTION_TRANSFORM\"/>\n"
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
    "    <node id=\"sprite\" type=\"2D\" address_u=\"CLAMP\" address_v=\"WRAP\" filter_min=\"LINEAR\"/>\n"
    "    <node id=\"volume\" type=\"3D\" address_w=\"MIRROR\" filter_mag=\"POINT\" filter_mip=\"ANISOTROPIC\"/>\n"
    "    <node id=\"sky\" type=\"CUBE\" source=\"textures/known.png\"/>\n"
    "  </array>\n"
    "  <array id=\"pixel_output\"><node id=\"color\"/><node id=\"glow\"/></array>\n";

TEST_F(ShaderXMLTest, LitShaderGivesItsWholeInterface)
{
    PutFile("res://fx/lit.xml", ShaderXML(kLitArrays), 1700000000);
    ASSERT_TRUE(ShaderTool::ReadShaderXML(String("res://fx/lit.xml"), nullptr, false, false)) << Report();
    EXPECT_EQ(Report(), "");
    const ShaderDescription& d = Description();

    ASSERT_EQ(d.constants.count, 4);
    EXPECT_EQ(d.constants.data[0].type.baseKind, ShaderTool::kBaseInt);
    EXPECT_EQ(d.constants.data[2].type.baseKind, ShaderTool::kBaseFloat);
    EXPECT_EQ(d.constants.data[3].type.baseKind, ShaderTool::kBaseBool);
    EXPECT_STREQ(d.constants.data[1].value.text, "0x10") << "the value is kept as written";

    ASSERT_EQ(d.vertex_input.count, 6);
    EXPECT_EQ(d.vertex_input.data[2].element, 4u);
    EXPECT_EQ(d.vertex_input.data[2].type.vectorSize, 2);
    EXPECT_EQ(d.vertex_input.data[4].type.baseKind, ShaderTool::kBaseInt);
    EXPECT_EQ(d.vertex_input.data[0].type.qualifiers, ShaderTool::kQualifierConst);

    // One 16-byte register per vector and per matrix column; arrays multiply, and a
    // count of 1 is no array.
    ASSERT_EQ(d.vertex_constants.count, 7);
    const int expectedSizes[] = {64, 64, 48, 16 * 64, 3 * 16, 2 * 16, 2 * 32};
    const int expectedArrays[] = {0, 0, 0, 16, 3, 2, 2};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(d.vertex_constants.data[i].byteSize, expectedSizes[i]) << d.vertex_constants.data[i].name.text;
        EXPECT_EQ(d.vertex_constants.data[i].type.arraySize, expectedArrays[i]) << d.vertex_constants.data[i].name.text;
    }
    EXPECT_EQ(d.vertex_constants.data[0].semantic, ShaderTool::kConstantWorldTransform);
    EXPECT_EQ(d.vertex_constants.data[1].semantic, ShaderTool::kConstantWorldViewProjectionTransform);
    EXPECT_EQ(d.vertex_constants.data[2].semantic, ShaderTool::kConstantSemanticNone);
    EXPECT_EQ(d.vertex_constants.data[5].type.baseKind, ShaderTool::kBaseInt);

    // An unknown output semantic counts as a texture coordinate.
    ASSERT_EQ(d.vertex_output.count, 3);
    EXPECT_EQ(d.vertex_output.data[0].semantic, ShaderTool::kOutputPosition);
    EXPECT_EQ(d.vertex_output.data[2].semantic, ShaderTool::kOutputTextureCoordinate);
    EXPECT_EQ(d.vertex_output.data[1].semanticIndex, 0);
    EXPECT_EQ(d.vertex_output.data[2].semanticIndex, 1);

    // Absent settings stay 0.
    ASSERT_EQ(d.pixel_textures.count, 3);
    const ShaderTool::PixelTexture& sprite = d.pixel_textures.data[0];
    EXPECT_EQ(sprite.type.textureDimension, ShaderTool::kTexture2D);
    EXPECT_EQ(sprite.addressU, 1u);
    EXPECT_EQ(sprite.addressV, 2u);
    EXPECT_EQ(sprite.addressW, 0u);
    EXPECT_EQ(sprite.filterMin, 2u);
    EXPECT_EQ(sprite.defaultBitmap, nullptr);
    EXPECT_EQ(d.pixel_textures.data[1].type.textureDimension, ShaderTool::kTexture3D);
    EXPECT_EQ(d.pixel_textures.data[1].addressW, 3u);
    EXPECT_EQ(d.pixel_textures.data[1].filterMag, 1u);
    EXPECT_EQ(d.pixel_textures.data[1].filterMip, 3u);
    EXPECT_EQ(d.pixel_textures.data[2].type.textureDimension, ShaderTool::kTextureCube);
    EXPECT_NE(d.pixel_textures.data[2].defaultBitmap, nullptr);

    ASSERT_EQ(d.pixel_output.count, 2);
    EXPECT_STREQ(d.pixel_output.data[1].text, "glow");
    EXPECT_EQ(d.timeStamp, 1700000000u) << "the file's modification time";
}

TEST_F(ShaderXMLTest, MemoryTextMaySkipItsSourcesAndHasNoTimeStamp)
{
    std::string xml = ShaderXML(kMinimalInterface + "  <array id=\"sources\"><node type=\"pixel\"/></array>\n");
    ASSERT_TRUE(ShaderTool::ReadShaderXML(String("builtin/sprite"), xml.c_str(), false, true)) << Report();
    EXPECT_EQ(Description().sources.count, 0) << "not even looked at";
    EXPECT_EQ(Description().vertex_input.count, 3);
    EXPECT_EQ(Description().timeStamp, 0u);

    // Text that is no XML gives only the title.
    EXPECT_FALSE(ShaderTool::ReadShaderXML(String("builtin"), "<a>", false, true));
    EXPECT_EQ(Report(), "Failed to read the Shader XML:\n");
    g_shaderContext.reportLog.Clear();
    EXPECT_FALSE(ShaderTool::ReadShaderXML(String("builtin"), "no declaration here", false, true));
    EXPECT_EQ(Report(), "Failed to read the Shader XML:\n");
}

TEST_F(ShaderXMLTest, ReloadReadsTheChangedFileInsteadOfTheCachedOne)
{
    std::string first = ShaderXML("  <array id=\"pixel_output\"><node id=\"a\"/></array>\n");
    ASSERT_TRUE(ReadFile("res://s.xml", first));
    ShaderTool::GetShaderXMLReader()->Reset();
    PutFile("res://s.xml", ShaderXML("  <array id=\"pixel_output\"><node id=\"b\"/></array>\n"));

    ASSERT_TRUE(ShaderTool::ReadShaderXML(String("res://s.xml"), nullptr, false, false));
    EXPECT_STREQ(Description().pixel_output.data[0].text, "a") << "without reload the cached database answers";
    ShaderTool::GetShaderXMLReader()->Reset();
    ASSERT_TRUE(ShaderTool::ReadShaderXML(String("res://s.xml"), nullptr, true, false));
    EXPECT_STREQ(Description().pixel_output.data[0].text, "b");
}

TEST_F(ShaderXMLTest, VersionsBelowTwoAndMissingFilesAreInvalidVersions)
{
    const char* const versionTwoRevisionOne = "<root><array id=\"info\"><node id=\"version\" value=\"2\"/>"
                                              "<node id=\"revision\" value=\"1\"/></array></root>\n";
    EXPECT_FALSE(ReadFile("res://old.xml", std::string(kDeclaration) + versionTwoRevisionOne));
    EXPECT_EQ(Report(), "Failed to read the Shader XML:\nError: file is of invalid version.\n");

    g_shaderContext.reportLog.Clear();
    EXPECT_FALSE(ShaderTool::ReadShaderXML(String("res://nowhere.xml"), nullptr, false, false));
    EXPECT_EQ(Report(), "Failed to read the Shader XML:\nError: file is of invalid version.\n");
}

TEST_F(ShaderXMLTest, FirstFailedArrayEndsTheReadingButKeepsWhatCameBefore)
{
    EXPECT_FALSE(ReadFile("res://partial.xml", ShaderXML("  <array id=\"constants\"><node id=\"A\" value=\"1\"/>"
                                                   "<node id=\"_B\" value=\"2\"/><node id=\"C\" value=\"3\"/></array>\n"
                                                   "  <array id=\"vertex_input\"><node id=\"p\"/></array>\n")));
    EXPECT_EQ(Report(), "Failed to read the Shader XML:\nError: general constant id starts with an underscore.\n")
        << "vertex_input is never looked at";
    ASSERT_EQ(Description().constants.count, 1) << "no node after the failed one is added";
    EXPECT_STREQ(Description().constants.data[0].name.text, "A");
}

TEST(ShaderFileBaseName, KeepsTheFileNameWithoutFoldersOrExtension)
{
    const char* const cases[][2] = {
        {"water", "water"}, {"a\\b/c.fx", "c"}, {"res://fx\\lit.v2.xml", "lit.v2"},
        {"folder.d/water", "water"}, {"shaders/", ""}, {".xml", ""},
    };
    for (const auto& entry : cases) {
        String name = ShaderTool::GetFileBaseName(entry[0]);
        EXPECT_STREQ(name.text ? name.text : "", entry[1]) << entry[0];
    }
    EXPECT_EQ(ShaderTool::GetFileBaseName(nullptr).text, nullptr);
}

} // namespace
} // namespace shadertool_test

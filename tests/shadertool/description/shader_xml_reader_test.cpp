// Reading Shader XML files into the translation context's description: a complete
// interface, memory text, reloading, what ends a reading early, and the description's
// own rules (what general constants stand for, copies and resets).
#include "shadertool/shadertool_fixture.h"

using namespace shadertool_test;

namespace {

using namespace ShaderTool;

const char* const kLitArrays = R"(
  <array id="constants"><node id="LIGHTS" value="3"/><node id="BONES" value="0x10"/><node id="SCALE" value="1.5"/>
    <node id="SHADOWS" value="true"/></array>
  <array id="vertex_input"><node id="p" semantic="POSITION"/><node id="c" semantic="COLOR"/>
    <node id="t" semantic="TEXTURE_COORDINATE_0"/><node id="n" semantic="NORMAL"/>
    <node id="i" semantic="4_BONE_INDICES"/><node id="w" semantic="4_BONE_WEIGHTS"/></array>
  <array id="vertex_constants"><node id="world" type="FLOAT4X4" semantic="WORLD_TRANSFORM"/>
    <node id="wvp" type="FLOAT4X4" semantic="WORLD_VIEW_PROJECTION_TRANSFORM"/><node id="normals" type="FLOAT3X3"/>
    <node id="bones" type="FLOAT4X4" count="BONES"/><node id="lights" type="FLOAT4" count="LIGHTS"/>
    <node id="flags" type="INT4" count="2"/><node id="uvRotations" type="FLOAT2X2" count="2"/></array>
  <array id="vertex_output"><node id="position" type="FLOAT4" semantic="POSITION"/><node id="uv" type="FLOAT2"/>
    <node id="normal" type="FLOAT3" semantic="NORMAL"/></array>
  <array id="pixel_textures"><node id="sprite" type="2D" address_u="CLAMP" address_v="WRAP" filter_min="LINEAR"/>
    <node id="volume" type="3D" address_w="MIRROR" filter_mag="POINT" filter_mip="ANISOTROPIC"/>
    <node id="sky" type="CUBE" source="textures/known.png"/></array>
  <array id="pixel_output"><node id="color"/><node id="glow"/></array>
  <array id="sources"><node type="pixel"><![CDATA[x]]></node></array>
)";

TEST_F(ShaderXMLTest, LitShaderGivesItsWholeInterfaceWhichCopiesOwn) {
    files->Put("res://fx/lit.xml", ShaderXML(kLitArrays), 1700000000);
    ASSERT_TRUE(ReadShaderXML(String("res://fx/lit.xml"), nullptr, false, false)) << Report();
    EXPECT_EQ(Report(), "");
    const ShaderDescription& d = Description();
    EXPECT_EQ(d.timeStamp, 1700000000u) << "the file's modification time";
    ASSERT_EQ(d.constants.count, 4);
    const uint32_t constantKinds[] = {kBaseInt, kBaseInt, kBaseFloat, kBaseBool};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(d.constants.data[i].type.baseKind, constantKinds[i]) << i;
    EXPECT_STREQ(d.constants.data[1].value.text, "0x10") << "the value is kept as written";
    ASSERT_EQ(d.vertex_input.count, 6);
    EXPECT_EQ(d.vertex_input.data[2].element, 4u);
    EXPECT_EQ(d.vertex_input.data[2].type.vectorSize, 2);
    EXPECT_EQ(d.vertex_input.data[4].type.baseKind, kBaseInt);
    EXPECT_EQ(d.vertex_input.data[0].type.qualifiers, kQualifierConst);
    // One 16-byte register per vector and per matrix column; arrays multiply, and a
    // count of 1 is no array.
    ASSERT_EQ(d.vertex_constants.count, 7);
    const int sizes[] = {64, 64, 48, 16 * 64, 3 * 16, 2 * 16, 2 * 32}, arrays[] = {0, 0, 0, 16, 3, 2, 2};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(d.vertex_constants.data[i].byteSize, sizes[i]) << d.vertex_constants.data[i].name.text;
        EXPECT_EQ(d.vertex_constants.data[i].type.arraySize, arrays[i]) << d.vertex_constants.data[i].name.text;
    }
    EXPECT_EQ(d.vertex_constants.data[0].semantic, kConstantWorldTransform);
    EXPECT_EQ(d.vertex_constants.data[1].semantic, kConstantWorldViewProjectionTransform);
    EXPECT_EQ(d.vertex_constants.data[2].semantic, kConstantSemanticNone);
    EXPECT_EQ(d.vertex_constants.data[5].type.baseKind, kBaseInt);
    // An unknown output semantic counts as a texture coordinate.
    ASSERT_EQ(d.vertex_output.count, 3);
    EXPECT_EQ(d.vertex_output.data[0].semantic, kOutputPosition);
    EXPECT_EQ(d.vertex_output.data[2].semantic, kOutputTextureCoordinate);
    EXPECT_EQ(d.vertex_output.data[1].semanticIndex, 0);
    EXPECT_EQ(d.vertex_output.data[2].semanticIndex, 1);
    // Dimension, address U V W, filter mag min mip; absent settings stay 0.
    ASSERT_EQ(d.pixel_textures.count, 3);
    const std::vector<uint32_t> textures[] = {
        {kTexture2D, 1, 2, 0, 0, 2, 0}, {kTexture3D, 0, 0, 3, 1, 0, 3}, {kTextureCube, 0, 0, 0, 0, 0, 0}};
    for (int i = 0; i < 3; ++i) {
        const PixelTexture& t = d.pixel_textures.data[i];
        EXPECT_EQ((std::vector<uint32_t>{t.type.textureDimension, t.addressU, t.addressV, t.addressW, t.filterMag,
                                         t.filterMin, t.filterMip}), textures[i]) << t.name.text;
        EXPECT_EQ(t.defaultBitmap != nullptr, i == 2) << t.name.text;
    }
    ASSERT_EQ(d.pixel_output.count, 2);
    EXPECT_STREQ(d.pixel_output.data[1].text, "glow");
    // A copy owns its strings and outlives a reset, which empties everything.
    ShaderDescription copy(d);
    EXPECT_EQ(copy.timeStamp, 1700000000u);
    EXPECT_NE(copy.sources.data[0].text.text, d.sources.data[0].text.text);
    GetShaderXMLReader()->Reset();
    EXPECT_EQ(d.timeStamp, 0u);
    EXPECT_EQ(d.sources.data, nullptr) << "the storage is released";
    EXPECT_STREQ(copy.vertex_input.data[0].name.text, "p");
}

TEST_F(ShaderXMLTest, MemoryTextMaySkipItsSourcesAndHasNoTimeStamp) {
    std::string xml = ShaderXML(kMinimalInterface + XMLArray("sources", "<node type=\"pixel\"/>"));
    ASSERT_TRUE(ReadShaderXML(String("builtin/sprite"), xml.c_str(), false, true)) << Report();
    EXPECT_EQ(Description().sources.count, 0) << "not even looked at";
    EXPECT_EQ(Description().vertex_input.count, 3);
    EXPECT_EQ(Description().timeStamp, 0u);
    // Text that is no XML gives only the title.
    for (const char* text : {"<a>", "no declaration here"}) {
        EXPECT_FALSE(ReadShaderXML(String("builtin"), text, false, true));
        EXPECT_EQ(Report(), "Failed to read the Shader XML:\n") << text;
        g_shaderContext.reportLog.Clear();
    }
}

TEST_F(ShaderXMLTest, ReloadReadsTheChangedFileInsteadOfTheCachedOne) {
    ASSERT_TRUE(ReadFile("res://s.xml", ShaderXML(XMLArray("pixel_output", "<node id=\"a\"/>"))));
    GetShaderXMLReader()->Reset();
    files->Put("res://s.xml", ShaderXML(XMLArray("pixel_output", "<node id=\"b\"/>")));
    ASSERT_TRUE(ReadShaderXML(String("res://s.xml"), nullptr, false, false));
    EXPECT_STREQ(Description().pixel_output.data[0].text, "a") << "without reload the cached database answers";
    GetShaderXMLReader()->Reset();
    ASSERT_TRUE(ReadShaderXML(String("res://s.xml"), nullptr, true, false));
    EXPECT_STREQ(Description().pixel_output.data[0].text, "b");
}

TEST_F(ShaderXMLTest, OldVersionsMissingFilesAndTheFirstFailedArrayEndTheReading) {
    const std::string invalid = "Failed to read the Shader XML:\nError: file is of invalid version.\n";
    EXPECT_FALSE(ReadFile("res://old.xml", kDeclaration + R"(<root><array id="info"><node id="version" value="2"/>
<node id="revision" value="1"/></array></root>)"));
    EXPECT_EQ(Report(), invalid);
    g_shaderContext.reportLog.Clear();
    EXPECT_FALSE(ReadShaderXML(String("res://nowhere.xml"), nullptr, false, false));
    EXPECT_EQ(Report(), invalid);
    g_shaderContext.reportLog.Clear();
    // What came before the failed node stays.
    EXPECT_FALSE(ReadFile("res://partial.xml", ShaderXML(R"(<array id="constants"><node id="A" value="1"/>
<node id="_B" value="2"/><node id="C" value="3"/></array><array id="vertex_input"><node id="p"/></array>)")));
    EXPECT_EQ(Report(), "Failed to read the Shader XML:\nError: general constant id starts with an underscore.\n")
        << "vertex_input is never looked at";
    ASSERT_EQ(Description().constants.count, 1) << "no node after the failed one is added";
    EXPECT_STREQ(Description().constants.data[0].name.text, "A");
}

TEST_F(ShaderXMLTest, VersionAndRevisionBelowTwoAreRefusedAndTwoOrMoreRead) {
    const auto withInfo = [](const std::string& nodes) {
        return kDeclaration + "<root>\n" + XMLArray("info", nodes) + kMinimalInterface + "</root>\n";
    };
    const auto numbered = [&](const std::string& version, const std::string& revision) {
        return withInfo("<node id=\"version\" value=\"" + version + "\"/><node id=\"revision\" value=\"" + revision + "\"/>");
    };
    // A number is its leading decimal digits; none, or a missing node, counts as 0.
    const std::string refused[] = {
        numbered("1", "2"), numbered("2", "1"), numbered("0", "9"), numbered("x2", "2"), numbered("2", ""),
        withInfo(R"(<node id="version" value="2"/>)"), withInfo(R"(<node id="revision" value="2"/><node id="version"/>)"),
        kDeclaration + "<root>\n" + kMinimalInterface + "</root>\n"};
    int file = 0;
    for (const std::string& xml : refused) {
        SCOPED_TRACE(xml);
        ClearTranslatorState();
        EXPECT_FALSE(ReadFile("res://version" + std::to_string(++file) + ".xml", xml));
        EXPECT_EQ(Report(), "Failed to read the Shader XML:\nError: file is of invalid version.\n");
    }
    const std::pair<const char*, const char*> read[] = {{"2", "2"}, {"3", "2"}, {"2", "10"}, {"12", "2"}, {"2.0", "2b"}};
    for (const auto& numbers : read) {
        SCOPED_TRACE(numbers.first + std::string("/") + numbers.second);
        ClearTranslatorState();
        EXPECT_TRUE(ReadFile("res://version" + std::to_string(++file) + ".xml", numbered(numbers.first, numbers.second)));
        EXPECT_EQ(Report(), "");
        EXPECT_EQ(Description().vertex_input.count, 3) << "the arrays after info are read";
    }
}

TEST_F(ShaderXMLTest, GeneralConstantsGiveTheIntegersTheyStandFor) {
    ASSERT_TRUE(ReadFile("res://values.xml", ShaderXML(R"(<array id="constants">
<node id="on" value="true"/><node id="off" value=" false"/><node id="hex" value="0x1F"/><node id="octal" value="017"/>
<node id="most" value="2147483647"/><node id="big" value="2147483648"/><node id="ten" value="10 // ten"/>
<node id="half" value="0.5"/></array>)" + kMinimalInterface)))
        << Report();
    // Read as the preprocessor reads them into macros, so that a count and the macro of
    // the same name agree; values beyond the int32 range are clamped, not wrapped.
    const int32_t expected[] = {1, 0, 31, 17, 2147483647, 2147483647, 10};
    ASSERT_EQ(Description().constants.count, 8);
    for (int i = 0; i < 8; ++i) {
        int32_t value = -1;
        EXPECT_EQ(GetGeneralConstantInteger(Description().constants.data[i], &value), i < 7) << i;
        EXPECT_EQ(value, i < 7 ? expected[i] : 0) << Description().constants.data[i].name.text;
    }
}

TEST(ShaderFileBaseName, KeepsTheFileNameWithoutFoldersOrExtension) {
    const char* const cases[][2] = {{"water", "water"},         {"a\\b/c.fx", "c"}, {"res://fx\\lit.v2.xml", "lit.v2"},
                                    {"folder.d/water", "water"}, {"shaders/", ""},   {".xml", ""}};
    for (const auto& entry : cases) {
        String name = GetFileBaseName(entry[0]);
        EXPECT_STREQ(name.text ? name.text : "", entry[1]) << entry[0];
    }
    EXPECT_EQ(GetFileBaseName(nullptr).text, nullptr);
}

} // namespace

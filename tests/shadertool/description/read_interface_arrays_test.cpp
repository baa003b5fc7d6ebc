// The interface arrays of broken Shader XML files: each is refused with exactly the
// messages it deserves. And the bound on a stage's constants.
#include "shadertool/shadertool_fixture.h"

using namespace shadertool_test;

namespace {

const std::string kInputs = kMinimalInputs, kOutput = kMinimalOutput;
const std::string kNineInputs = R"(<node id="a" semantic="POSITION"/><node id="b" semantic="COLOR"/>
<node id="c" semantic="TEXTURE_COORDINATE_0"/><node id="d" semantic="NORMAL"/><node id="e" semantic="TEXTURE_COORDINATE_1"/>
<node id="f" semantic="TANGENT"/><node id="g" semantic="BITANGENT"/><node id="h" semantic="4_BONE_INDICES"/>
<node id="i" semantic="4_BONE_WEIGHTS"/>)";
const std::string kInvalidFormat = "vertex input format is invalid.";

std::string Constants(const std::string& nodes) { return XMLArray("constants", nodes); }
std::string VertexConstants(const std::string& nodes) { return XMLArray("vertex_constants", nodes); }

TEST_F(ShaderXMLTest, BrokenInterfaceArraysAreRefusedWithTheirMessages) {
    ExpectRefused({
        {"position alone", XMLArray("vertex_input", R"(<node id="p" semantic="POSITION"/>)") + kOutput, {kInvalidFormat}},
        // Nine inputs are allowed, though no vertex format has all of them; ten are too many.
        {"nine inputs", XMLArray("vertex_input", kNineInputs) + kOutput, {kInvalidFormat}},
        {"ten inputs", XMLArray("vertex_input", kNineInputs + R"(<node id="j" semantic="POSITION"/>)") + kOutput,
         {"too many vertex input variables, the maximum is 9.", kInvalidFormat}},
        {"unknown input semantic", XMLArray("vertex_input", R"(<node id="p" semantic="position"/>)") + kOutput,
         {"vertex input variable 'p' has invalid semantic.", kInvalidFormat}},
        {"vector of three", kInputs + VertexConstants(R"(<node id="c" type="FLOAT3"/>)") + kOutput,
         {"constant variable (vertex_constants) 'c' has invalid type."}},
        {"count from a bool constant",
         Constants(R"(<node id="N" value="true"/>)") + kInputs + VertexConstants(R"(<node id="c" type="FLOAT4" count="N"/>)") +
             kOutput,
         {"constant variable (vertex_constants) 'c' has invalid count."}},
        {"empty and unknown counts",
         kInputs + VertexConstants(R"(<node id="a" type="FLOAT4" count=""/><node id="b" type="FLOAT4" count="-2"/>)") + kOutput,
         {"constant variable (vertex_constants) 'a' has invalid count.",
          "constant variable (vertex_constants) 'b' has invalid count."}},
        {"bad semantic and underscore",
         kInputs + XMLArray("pixel_constants", R"(<node id="m" type="FLOAT4X4" semantic="PROJECTION"/>
<node id="_m" type="FLOAT4"/><node type="FLOAT4"/>)") + kOutput,
         {"constant variable (pixel_constants) 'm' has invalid semantic.",
          "constant variable (pixel_constants) id starts with an underscore.",
          "constant variable (pixel_constants) does not have 'id' attribute."}},
        {"general constant values", Constants(R"(<node id="a" value="-1"/><node id="b"/><node id="c" value="[1]"/>
<node id="d" value="x"/><node value="1"/><node id="_e" value="1"/>)"),
         {"general constant value is invalid.", "general constant does not have 'value' attribute.",
          "general constant value is invalid.", "general constant value is invalid.",
          "general constant does not have 'id' attribute.", "general constant id starts with an underscore."}},
        {"duplicate names", Constants(R"(<node id="A" value="1"/><node id="A" value="2"/>)"),
         {"general constant with name 'A' already exists."}},
        {"duplicate outputs", kInputs + XMLArray("pixel_output", R"(<node id="c"/><node id="c"/>)"),
         {"pixel output with name 'c' already exists."}},
        {"no pixel output", kInputs, {"at least one pixel output variable must be declared."}},
        {"two positions", kInputs + XMLArray("vertex_output", R"(<node id="a" type="FLOAT4" semantic="POSITION"/>
<node id="b" type="FLOAT4" semantic="POSITION"/><node id="c" type="float4"/>)") + kOutput,
         {"multiple vertex output variables with semantic 'POSITION' exist.", "vertex output variable 'c' has invalid type."}},
        // Four textures are allowed; five are too many.
        {"five textures", kInputs + XMLArray("pixel_textures", R"(<node id="a" type="2D"/><node id="b" type="2D"/>
<node id="c" type="2D"/><node id="d" type="2D"/><node id="e" type="2D"/>)") + kOutput,
         {"too many pixel texture variables, the maximum is 4."}},
        {"texture settings", kInputs + XMLArray("pixel_textures", R"(<node id="a" type="2d"/>
<node id="b" type="2D" address_u="BORDER" filter_min="NONE"/><node id="c" type="2D" filter_mip="NONE"/>
<node id="d" type="2D" source="textures/missing.png"/>)") + kOutput,
         {"pixel texture variable 'a' has invalid type.", "pixel texture variable 'b' has invalid address mode.",
          "pixel texture variable 'c' has invalid filter mode.", "pixel texture variable 'd' has invalid source."}},
    });
}

TEST_F(ShaderXMLTest, ConstantCountsAreBoundOnlyByAByteSizeThatIsAnInt) {
    // Whether a stage's constants fit one constant buffer is the shader loader's to judge:
    // 1025 matrices are read, and 2^31 - 16 bytes of registers still are.
    ASSERT_TRUE(ReadFile("res://full.xml", ShaderXML(kMinimalInterface +
                                                     VertexConstants(R"(<node id="m" type="FLOAT4X4" count="1025"/>)") +
                                                     XMLArray("pixel_constants", R"(<node id="v" type="FLOAT4" count="134217727"/>
<node id="w" type="INT4"/><node id="x" type="FLOAT4X4" count="33554431"/>)"))))
        << Report();
    EXPECT_EQ(Description().vertex_constants.data[0].byteSize, 65600);
    EXPECT_EQ(Description().pixel_constants.data[0].byteSize, 2147483632);
    EXPECT_EQ(Description().pixel_constants.data[0].type.arraySize, 134217727);
    EXPECT_EQ(Description().pixel_constants.data[1].byteSize, 16);
    EXPECT_EQ(Description().pixel_constants.data[2].byteSize, 2147483584);

    const std::string invalidCount = "constant variable (vertex_constants) 'c' has invalid count.";
    ExpectRefused({
        {"one register beyond", kMinimalInterface + VertexConstants(R"(<node id="c" type="FLOAT4" count="134217728"/>)"),
         {invalidCount}},
        {"one matrix beyond", kMinimalInterface + VertexConstants(R"(<node id="c" type="FLOAT4X4" count="33554432"/>)"),
         {invalidCount}},
        {"beyond int32", kMinimalInterface + VertexConstants(R"(<node id="c" type="FLOAT3X3" count="99999999999999999999"/>)"),
         {invalidCount}},
        {"zero", kMinimalInterface + VertexConstants(R"(<node id="c" type="FLOAT4" count="0"/>)"), {invalidCount}},
    });
}

TEST_F(ShaderXMLTest, AGeneralConstantsFirstTokenDecidesItsTypeAndItsScanReportsIntoTheLog) {
    ASSERT_TRUE(ReadFile("res://consts.xml", ShaderXML(XMLArray("constants", R"(<node id="O" value="019"/>
<node id="E" value="1e"/><node id="F" value="09.5"/><node id="S" value="1.5 junk"/><node id="H" value="0x1F"/>
<node id="B" value=" true"/>)") + kMinimalInputs + VertexConstants(R"(<node id="c" type="FLOAT4" count="O"/>)") +
                                                         kMinimalOutput)));
    const uint32_t kinds[] = {ShaderTool::kBaseInt, ShaderTool::kBaseFloat, ShaderTool::kBaseFloat,
                              ShaderTool::kBaseFloat, ShaderTool::kBaseInt, ShaderTool::kBaseBool};
    ASSERT_EQ(Description().constants.count, 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Description().constants.data[i].type.baseKind, kinds[i]) << Description().constants.data[i].name.text;
    EXPECT_STREQ(Description().constants.data[3].value.text, "1.5 junk") << "the value as written";
    EXPECT_EQ(Description().vertex_constants.data[0].type.arraySize, 19) << "an Int constant's count, read as decimal";
    // The scan's own messages reach the log, which fails the translation that follows.
    EXPECT_EQ(Report(), "res://consts.xml(1:1) error: unexpected digit in octal literal.\n"
                        "res://consts.xml(1:1) error: unexpected character in floating point literal.\n");
    EXPECT_TRUE(g_shaderContext.reportLog.hasError);
}

} // namespace

// Broken Shader XML files: each is refused with exactly the messages it deserves.

#include "shader_xml_fixture.h"

#include "shadertool/core/context.h"
#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/description/shader_xml_reader.h"

#include <string>
#include <vector>

namespace shader_xml_test {
namespace {

const char* const kTitle = "Failed to read the Shader XML:\n";

// Arrays that make a valid file when nothing else is wrong.
const std::string kInputs = "  <array id=\"vertex_input\"><node id=\"p\" semantic=\"POSITION\"/>"
                            "<node id=\"c\" semantic=\"COLOR\"/><node id=\"t\" semantic=\"TEXTURE_COORDINATE_0\"/></array>\n";
const std::string kOutput = "  <array id=\"pixel_output\"><node id=\"color\"/></array>\n";

std::string Constants(const std::string& nodes)
{
    return "  <array id=\"constants\">" + nodes + "</array>\n";
}

std::string VertexConstants(const std::string& nodes)
{
    return "  <array id=\"vertex_constants\">" + nodes + "</array>\n";
}

std::string Sources(const std::string& nodes)
{
    return "  <array id=\"sources\">" + nodes + "</array>\n";
}

struct BrokenFile {
    const char* what;
    std::string arrays;
    std::vector<std::string> errors;
};

class BrokenShaderXML : public ShaderXMLTest, public ::testing::WithParamInterface<BrokenFile> {};

TEST_P(BrokenShaderXML, IsRefusedWithItsMessages)
{
    const BrokenFile& file = GetParam();
    EXPECT_FALSE(ReadFile("broken.xml", ShaderXML(file.arrays)));
    std::string expected = kTitle;
    for (const std::string& error : file.errors)
        expected += "Error: " + error + "\n";
    EXPECT_EQ(Report(), expected);
    EXPECT_TRUE(ReportHasError());
}

const std::string kTenInputs = "  <array id=\"vertex_input\">"
                               "<node id=\"a\" semantic=\"POSITION\"/><node id=\"b\" semantic=\"COLOR\"/>"
                               "<node id=\"c\" semantic=\"TEXTURE_COORDINATE_0\"/><node id=\"d\" semantic=\"NORMAL\"/>"
                               "<node id=\"e\" semantic=\"TEXTURE_COORDINATE_1\"/><node id=\"f\" semantic=\"TANGENT\"/>"
                               "<node id=\"g\" semantic=\"BITANGENT\"/><node id=\"h\" semantic=\"4_BONE_INDICES\"/>"
                               "<node id=\"i\" semantic=\"4_BONE_WEIGHTS\"/><node id=\"j\" semantic=\"POSITION\"/></array>\n";

INSTANTIATE_TEST_SUITE_P(
    ShaderXMLTest, BrokenShaderXML,
    ::testing::Values(
        BrokenFile{"position alone", "  <array id=\"vertex_input\"><node id=\"p\" semantic=\"POSITION\"/></array>\n" + kOutput,
                   {"vertex input format is invalid."}},
        BrokenFile{"ten inputs", kTenInputs + kOutput,
                   {"too many vertex input variables, the maximum is 9.", "vertex input format is invalid."}},
        BrokenFile{"unknown input semantic",
                   "  <array id=\"vertex_input\"><node id=\"p\" semantic=\"position\"/></array>\n" + kOutput,
                   {"vertex input variable 'p' has invalid semantic.", "vertex input format is invalid."}},
        BrokenFile{"vector of three", kInputs + VertexConstants("<node id=\"c\" type=\"FLOAT3\"/>") + kOutput,
                   {"constant variable (vertex_constants) 'c' has invalid type."}},
        BrokenFile{"count from a bool constant",
                   Constants("<node id=\"N\" value=\"true\"/>") + kInputs +
                       VertexConstants("<node id=\"c\" type=\"FLOAT4\" count=\"N\"/>") + kOutput,
                   {"constant variable (vertex_constants) 'c' has invalid count."}},
        BrokenFile{"empty and unknown counts",
                   kInputs + VertexConstants("<node id=\"a\" type=\"FLOAT4\" count=\"\"/><node id=\"b\" type=\"FLOAT4\" count=\"-2\"/>") + kOutput,
                   {"constant variable (vertex_constants) 'a' has invalid count.",
                    "constant variable (vertex_constants) 'b' has invalid count."}},
        BrokenFile{"bad semantic and underscore",
                   kInputs + "  <array id=\"pixel_constants\"><node id=\"m\" type=\"FLOAT4X4\" semantic=\"PROJECTION\"/>"
                             "<node id=\"_m\" type=\"FLOAT4\"/><node type=\"FLOAT4\"/></array>\n" + kOutput,
                   {"constant variable (pixel_constants) 'm' has invalid semantic.",
                    "constant variable (pixel_constants) id starts with an underscore.",
                    "constant variable (pixel_constants) does not have 'id' attribute."}},
        BrokenFile{"general constant values",
                   Constants("<node id=\"a\" value=\"-1\"/><node id=\"b\"/><node id=\"c\" value=\"019\"/>"
                             "<node id=\"d\" value=\"x\"/><node value=\"1\"/><node id=\"_e\" value=\"1\"/>"),
                   {"general constant value is invalid.", "general constant does not have 'value' attribute.",
                    "general constant value is invalid.", "general constant value is invalid.",
                    "general constant does not have 'id' attribute.", "general constant id starts with an underscore."}},
        BrokenFile{"duplicate names",
                   Constants("<node id=\"A\" value=\"1\"/><node id=\"A\" value=\"2\"/>"),
                   {"general constant with name 'A' already exists."}},
        BrokenFile{"no pixel output", kInputs, {"at least one pixel output variable must be declared."}},
        BrokenFile{"two positions",
                   kInputs + "  <array id=\"vertex_output\"><node id=\"a\" type=\"FLOAT4\" semantic=\"POSITION\"/>"
                             "<node id=\"b\" type=\"FLOAT4\" semantic=\"POSITION\"/><node id=\"c\" type=\"float4\"/></array>\n" + kOutput,
                   {"multiple vertex output variables with semantic 'POSITION' exist.",
                    "vertex output variable 'c' has invalid type."}},
        BrokenFile{"texture settings",
                   kInputs + "  <array id=\"pixel_textures\"><node id=\"a\" type=\"2d\"/>"
                             "<node id=\"b\" type=\"2D\" address_u=\"BORDER\" filter_min=\"NONE\"/>"
                             "<node id=\"c\" type=\"2D\" filter_mip=\"NONE\"/>"
                             "<node id=\"d\" type=\"2D\" source=\"textures/missing.png\"/></array>\n" + kOutput,
                   {"pixel texture variable 'a' has invalid type.", "pixel texture variable 'b' has invalid address mode.",
                    "pixel texture variable 'c' has invalid filter mode.", "pixel texture variable 'd' has invalid source."}},
        BrokenFile{"source checks",
                   kInputs + kOutput + Sources("<node type=\"geometry\"><![CDATA[x]]></node>"
                                               "<node type=\"vertex\" target=\"HLSL11, GLSL21\"><![CDATA[x]]></node>"
                                               "<node type=\"pixel\" file=\"p.fx\"><![CDATA[x]]></node>"
                                               "<node type=\"pixel\"/>"
                                               "<node type=\"pixel\" target=\"HLSL11,,GLSL21\" file=\"missing.fx\"/>"),
                   {"shader source 1 has invalid type.", "shader source 2 has invalid target(s).",
                    "shader source 3 defines both file and CDATA.", "shader source 4 does not define source code.",
                    "shader source 5 has invalid target(s)."}},
        BrokenFile{"missing source file", kInputs + kOutput + Sources("<node type=\"pixel\" file=\"missing.fx\"/>"),
                   {"failed to open or read shader source file 'res://missing.fx'."}},
        BrokenFile{"specific then all",
                   kInputs + kOutput + Sources("<node type=\"vertex\" target=\"HLSL11\"><![CDATA[a]]></node>"
                                               "<node type=\"vertex\"><![CDATA[b]]></node>"),
                   {"multiple vertex shader sources target the same target."}}),
    [](const ::testing::TestParamInfo<BrokenFile>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p)
            name += (*p == ' ') ? '_' : *p;
        return name;
    });

TEST_F(ShaderXMLTest, VersionsBelowTwoAndMissingFilesAreInvalidVersions)
{
    const char* const versionTwoRevisionOne = "<root><array id=\"info\"><node id=\"version\" value=\"2\"/>"
                                              "<node id=\"revision\" value=\"1\"/></array></root>\n";
    EXPECT_FALSE(ReadFile("old.xml", std::string(kDeclaration) + versionTwoRevisionOne));
    EXPECT_EQ(Report(), std::string(kTitle) + "Error: file is of invalid version.\n");

    g_shaderContext.reportLog.Clear();
    EXPECT_FALSE(ShaderTool::ReadShaderXML(String("res://nowhere.xml"), nullptr, false, false));
    EXPECT_EQ(Report(), std::string(kTitle) + "Error: file is of invalid version.\n");
}

TEST_F(ShaderXMLTest, FirstFailedArrayEndsTheReadingButKeepsWhatCameBefore)
{
    EXPECT_FALSE(ReadFile("partial.xml", ShaderXML(Constants("<node id=\"A\" value=\"1\"/><node id=\"_B\" value=\"2\"/>"
                                                             "<node id=\"C\" value=\"3\"/>") +
                                                   "  <array id=\"vertex_input\"><node id=\"p\"/></array>\n")));
    EXPECT_EQ(Report(), std::string(kTitle) + "Error: general constant id starts with an underscore.\n")
        << "vertex_input is never looked at";
    ASSERT_EQ(Description().constants.count, 1) << "no node after the failed one is added";
    EXPECT_STREQ(Description().constants.data[0].name.text, "A");
}

TEST_F(ShaderXMLTest, MemoryTextThatIsNoXMLGivesOnlyTheTitle)
{
    EXPECT_FALSE(ShaderTool::ReadShaderXML(String("builtin"), "<a>", false, true));
    EXPECT_EQ(Report(), kTitle);
    g_shaderContext.reportLog.Clear();
    EXPECT_FALSE(ShaderTool::ReadShaderXML(String("builtin"), "no declaration here", false, true));
    EXPECT_EQ(Report(), kTitle);
}

} // namespace
} // namespace shader_xml_test

// The rules the reader shares with later stages: source positions as the tokenizers
// report them, the constant layout and its bound, general constant values, target
// lists, base names and short names.

#include "shader_xml_fixture.h"

#include "shadertool/core/context.h"
#include "shadertool/core/log.h"
#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/description/shader_description.h"
#include "shadertool/preprocess/preprocessor_value.h"
#include "shadertool/core/target.h"
#include "shadertool/preprocess/tokenizer.h"

#include <cstring>
#include <string>

namespace shader_xml_test {
namespace {

// Runs a described source through the language tokenizer, as the parser will, and
// answers the error lines it reports.
std::string LexicalErrors(const ShaderTool::ShaderSource& source)
{
    ShaderTool::Log log;
    ShaderTool::SourceInput input;
    input.fileName = source.path;
    input.text = source.text;
    input.firstLine = source.firstLine;
    ShaderTool::Tokenizer tokenizer(&log);
    tokenizer.Begin(input, false);
    ShaderTool::Token token;
    for (int guard = 0; guard < 1000; ++guard) {
        token.Clear();
        tokenizer.NextToken(token);
        if (token.kind == ShaderTool::kTokenEnd)
            break;
    }
    return log.text.text ? log.text.text : "";
}

const std::string kValidInterface =
    "  <array id=\"vertex_input\"><node id=\"p\" semantic=\"POSITION\"/><node id=\"c\" semantic=\"COLOR\"/>"
    "<node id=\"t\" semantic=\"TEXTURE_COORDINATE_0\"/></array>\n"
    "  <array id=\"pixel_output\"><node id=\"color\"/></array>\n";

TEST_F(ShaderXMLTest, ErrorsInInlineCodeNameTheXMLFileAndItsLines)
{
    PutFile("fx/bad.fx", "void main()\n{\n    float b = 1e;\n}\n");
    std::string xml = ShaderXML(kValidInterface +
                                "  <!-- <array id=\"sources\"><node type=\"vertex\"><![CDATA[old]]></node></array> -->\n"
                                "  <array id = \"sources\">\n"
                                "    <!-- <node type=\"pixel\"><![CDATA[commented out]]></node> -->\n"
                                "    <node type=\"vertex\"><![CDATA[\n"
                                "void main()\n"
                                "{\n"
                                "\tint a = 019;\n"
                                "}\n"
                                "]]></node>\n"
                                "    <node type=\"pixel\" file=\"bad.fx\"/>\n"
                                "  </array>\n");
    ASSERT_TRUE(ReadFile("fx/bad.xml", xml)) << Report();
    ASSERT_EQ(Description().sources.count, 2);

    // A tab counts as four columns: "019" starts in column 13.
    EXPECT_EQ(LexicalErrors(Description().sources.data[0]),
              "res://fx/bad.xml(" + std::to_string(LineOf(xml, "\tint a")) + ":13) error: unexpected digit in octal literal.\n");
    EXPECT_EQ(LexicalErrors(Description().sources.data[1]),
              "res://fx/bad.fx(3:15) error: unexpected character in floating point literal.\n");
}

TEST_F(ShaderXMLTest, EveryStageHoldsAtMostOneConstantBufferOfConstants)
{
    // 1024 matrices fill the vertex stage's 65,536 bytes exactly; the pixel stage has its own.
    std::string full = kValidInterface +
                       "  <array id=\"vertex_constants\"><node id=\"m\" type=\"FLOAT4X4\" count=\"1024\"/></array>\n"
                       "  <array id=\"pixel_constants\"><node id=\"v\" type=\"FLOAT4\" count=\"4095\"/>"
                       "<node id=\"w\" type=\"INT4\"/></array>\n";
    ASSERT_TRUE(ReadFile("full.xml", ShaderXML(full))) << Report();
    EXPECT_EQ(Description().vertex_constants.data[0].byteSize, 65536);
    EXPECT_EQ(Description().pixel_constants.data[1].byteSize, 16);

    const char* const tooMany[] = {
        "<node id=\"c\" type=\"FLOAT4X4\" count=\"1025\"/>",
        "<node id=\"a\" type=\"FLOAT4\" count=\"4095\"/><node id=\"c\" type=\"FLOAT2X2\"/>",
        "<node id=\"c\" type=\"FLOAT3X3\" count=\"99999999999999999999\"/>",
    };
    int attempt = 0;
    for (const char* nodes : tooMany) {
        ShaderTool::GetShaderXMLReader()->Reset();
        g_shaderContext.reportLog.Clear();
        std::string file = "over" + std::to_string(attempt++) + ".xml";
        EXPECT_FALSE(ReadFile(file, ShaderXML(kValidInterface + "  <array id=\"vertex_constants\">" + nodes + "</array>\n")));
        EXPECT_EQ(Report(), "Failed to read the Shader XML:\n"
                            "Error: constant variable (vertex_constants) 'c' has invalid count.\n")
            << nodes;
    }
}

TEST_F(ShaderXMLTest, GeneralConstantsGiveTheIntegersTheyStandFor)
{
    ASSERT_TRUE(ReadFile("values.xml",
                         ShaderXML("  <array id=\"constants\">"
                                   "<node id=\"on\" value=\"true\"/><node id=\"off\" value=\" false\"/>"
                                   "<node id=\"hex\" value=\"0x1F\"/><node id=\"octal\" value=\"017\"/>"
                                   "<node id=\"big\" value=\"2147483648\"/><node id=\"ten\" value=\"10 // ten\"/>"
                                   "<node id=\"half\" value=\"0.5\"/></array>\n" +
                                   kValidInterface)))
        << Report();
    // Read as the preprocessor reads them into macros, so that a count and the macro of
    // the same name agree; values beyond the int32 range are clamped, not wrapped.
    const int32_t expected[] = {1, 0, 31, 17, 2147483647, 10};
    ASSERT_EQ(Description().constants.count, 7);
    for (int i = 0; i < 6; ++i) {
        int32_t value = -1;
        EXPECT_TRUE(ShaderTool::GetGeneralConstantInteger(Description().constants.data[i], &value));
        EXPECT_EQ(value, expected[i]) << Description().constants.data[i].name.text;
    }
    int32_t value = -1;
    EXPECT_FALSE(ShaderTool::GetGeneralConstantInteger(Description().constants.data[6], &value));
}

TEST(ShaderTargetList, NamesMustMatchExactly)
{
    EXPECT_EQ(ShaderTool::ParseTargetList(nullptr), 127u);
    EXPECT_EQ(ShaderTool::ParseTargetList("ALL"), 127u);
    EXPECT_EQ(ShaderTool::ParseTargetList("HLSL11,GLSL21"), 36u);
    for (const char* list : {"HLSL11, GLSL21", "HLSL11,,GLSL21", ",HLSL11", "hlsl11", "CG", "HLSL11HLSL11HLSL11"})
        EXPECT_EQ(ShaderTool::ParseTargetList(list), 0u) << list;
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

TEST(ShaderShortName, RefusesTextsThatDoNotFit)
{
    ShaderTool::ShortName name;
    std::string longest(127, 'a');
    EXPECT_TRUE(name.Assign(longest.c_str()));
    EXPECT_EQ(name.length, 127);
    EXPECT_EQ(std::string(name.text), longest);

    EXPECT_FALSE(name.Assign(std::string(128, 'b').c_str()));
    EXPECT_EQ(name.length, 127) << "a refused text leaves the record as it was";
    EXPECT_EQ(std::string(name.text), longest);

    EXPECT_TRUE(name.Assign(nullptr));
    EXPECT_EQ(name.length, 0);
    EXPECT_STREQ(name.text, "");
}

} // namespace
} // namespace shader_xml_test

// The description's own rules: what general constants stand for, and copies and resets.
#include "shadertool/shadertool_fixture.h"

#include "shadertool/description/shader_xml_reader.h"

namespace shadertool_test {
namespace {

TEST_F(ShaderXMLTest, GeneralConstantsGiveTheIntegersTheyStandFor)
{
    ASSERT_TRUE(ReadFile("res://values.xml",
                         ShaderXML(XMLArray("constants", "<node id=\"on\" value=\"true\"/><node id=\"off\" value=\" false\"/>"
                                                         "<node id=\"hex\" value=\"0x1F\"/><node id=\"octal\" value=\"017\"/>"
                                                         "<node id=\"most\" value=\"2147483647\"/>"
                                                         "<node id=\"big\" value=\"2147483648\"/>"
                                                         "<node id=\"ten\" value=\"10 // ten\"/><node id=\"half\" value=\"0.5\"/>") +
                                   kMinimalInterface)))
        << Report();
    // Read as the preprocessor reads them into macros, so that a count and the macro of
    // the same name agree; values beyond the int32 range are clamped, not wrapped.
    const int32_t expected[] = {1, 0, 31, 17, 2147483647, 2147483647, 10};
    ASSERT_EQ(Description().constants.count, 8);
    for (int i = 0; i < 8; ++i) {
        int32_t value = -1;
        EXPECT_EQ(ShaderTool::GetGeneralConstantInteger(Description().constants.data[i], &value), i < 7) << i;
        EXPECT_EQ(value, i < 7 ? expected[i] : 0) << Description().constants.data[i].name.text;
    }
}

TEST_F(ShaderXMLTest, DescriptionCopiesOwnTheirStringsAndResetEmptiesEverything)
{
    ASSERT_TRUE(ReadFile("res://s.xml", ShaderXML(kMinimalInterface + XMLArray("sources", "<node type=\"pixel\"><![CDATA[x]]></node>"))));
    ShaderTool::ShaderDescription copy(Description());
    EXPECT_EQ(copy.timeStamp, Description().timeStamp);
    EXPECT_NE(copy.sources.data[0].text.text, Description().sources.data[0].text.text);
    ShaderTool::GetShaderXMLReader()->Reset();
    EXPECT_EQ(Description().timeStamp, 0u);
    EXPECT_EQ(Description().sources.data, nullptr) << "the storage is released";
    EXPECT_STREQ(copy.vertex_input.data[0].name.text, "p") << "the copy outlives the original";
}

} // namespace
} // namespace shadertool_test

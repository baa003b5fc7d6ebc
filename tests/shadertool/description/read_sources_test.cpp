// The "sources" array: code inline or in files beside the XML, the lines inline code is
// numbered from, and the sources a file may not have.
#include "shadertool/shadertool_fixture.h"

using namespace shadertool_test;

namespace {

std::string Sources(const std::string& nodes) { return kMinimalInterface + XMLArray("sources", nodes); }

// The line (from 1) on which marker first stands in text.
int LineOf(const std::string& text, const std::string& marker) {
    size_t at = text.find(marker);
    return at == std::string::npos ? 0 : 1 + static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
}

TEST_F(ShaderXMLTest, SourcesComeInlineOrFromFilesBesideTheXML) {
    files->Put("res://fx/lit.vs", "// vertex\nvoid main() {}\n");
    // Commented-out arrays and nodes neither count nor shift the line numbers.
    std::string xml = ShaderXML(kMinimalInterface + R"(
  <!-- <array id="sources"><node type="vertex"><![CDATA[old]]></node></array> -->
  <array id = "sources"><node type="vertex" target="ALL" file="lit.vs"/>
    <!-- <node type="pixel"><![CDATA[commented out]]></node> -->
    <node type="vertex" target="HLSL11,GLSL21"><![CDATA[void main() {}]]></node>
    <node type="pixel" target="HLSL11,">
      <![CDATA[)" "\n  \t\nvoid main()\n{\n}\n" R"(]]>
    </node></array>
)");
    ASSERT_TRUE(ReadFile("res://fx/lit.xml", xml)) << Report();
    const Array<ShaderTool::ShaderSource>& sources = Description().sources;
    ASSERT_EQ(sources.count, 3);
    // A file is numbered from its own first line.
    EXPECT_STREQ(sources.data[0].path.text, "res://fx/lit.vs");
    EXPECT_STREQ(sources.data[0].text.text, "// vertex\nvoid main() {}\n");
    EXPECT_EQ(sources.data[0].firstLine, 1);
    EXPECT_EQ(sources.data[0].targets, 127u);
    EXPECT_EQ(sources.data[0].stage, ShaderTool::kStageVertex);
    // Inline code is named by the XML file and numbered with its lines, from the first
    // line that holds anything. A specific source may follow one for all targets.
    EXPECT_STREQ(sources.data[1].path.text, "res://fx/lit.xml");
    EXPECT_EQ(sources.data[1].targets, 36u);
    EXPECT_EQ(sources.data[1].firstLine, LineOf(xml, "void main() {}]]"));
    EXPECT_EQ(sources.data[2].stage, ShaderTool::kStagePixel);
    EXPECT_EQ(sources.data[2].targets, 32u) << "a comma at the end adds no name";
    EXPECT_EQ(sources.data[2].firstLine, LineOf(xml, "void main()\n{"));
    EXPECT_STREQ(sources.data[2].text.text, "void main()\n{\n}\n");
}

TEST_F(ShaderXMLTest, BrokenSourcesAreRefusedWithTheirMessages) {
    ExpectRefused({
        // Each refusal fails the reading by itself; a refused node is not read any further.
        {"bad type", Sources(R"(<node type="geometry"><![CDATA[x]]></node>)"), {"shader source 1 has invalid type."}},
        {"bad targets", Sources(R"(<node type="vertex" target="HLSL11, GLSL21"><![CDATA[x]]></node>)"),
         {"shader source 1 has invalid target(s)."}},
        {"file and code", Sources(R"(<node type="pixel" file="p.fx"><![CDATA[x]]></node>)"),
         {"shader source 1 defines both file and CDATA."}},
        {"no code", Sources(R"(<node type="pixel"/>)"), {"shader source 1 does not define source code."}},
        {"all checks",
         Sources(R"(<node type="pixel"><![CDATA[x]]></node><node type="pixel" target="HLSL11,,GLSL21" file="missing.fx"/>)"),
         {"shader source 2 has invalid target(s).", "failed to open or read shader source file 'res://missing.fx'."}},
        {"missing source file", Sources(R"(<node type="pixel" file="missing.fx"/>)"),
         {"failed to open or read shader source file 'res://missing.fx'."}},
        {"specific then all",
         Sources(R"(<node type="vertex" target="HLSL11"><![CDATA[a]]></node><node type="vertex"><![CDATA[b]]></node>)"),
         {"multiple vertex shader sources target the same target."}},
        {"all twice", Sources(R"(<node type="pixel"><![CDATA[a]]></node><node type="vertex"><![CDATA[b]]></node>
<node type="pixel" target="ALL"><![CDATA[c]]></node>)"),
         {"multiple pixel shader sources target all targets."}},
    });
}

} // namespace

// The driver's tests' ground: Shader XML files on disk under res://, translated as the
// engine's shader loader does it (translate, read the results, reset).
#pragma once

#include <string>

#include "shadertool/driver/translation_driver.h"
#include "shadertool/shadertool_fixture.h"
#include "support/engine_table.h"

namespace shadertool_test {

// A source node: inline code, or with file the code's file beside the XML.
inline std::string SourceNode(const char* stage, const char* target, const std::string& code, const char* file = nullptr) {
    std::string node = std::string("<node type=\"") + stage + "\"" + (target ? std::string(" target=\"") + target + "\"" : "");
    return file ? node + " file=\"" + file + "\"/>" : node + "><![CDATA[" + code + "]]></node>";
}

class TranslationDriverTest : public quaven_test::EngineFilesTest {
protected:
    void TearDown() override { ShaderTool::Reset(), EngineFilesTest::TearDown(); }
    // Translates res://<name>; with preprocessOnly the run stops after the preprocessor.
    static bool Translate(const std::string& name, uint32_t targets, uint32_t previousStamp = 0, bool preprocessOnly = true) {
        ShaderTool::TranslationOptions options;
        options.shaderLevel = ShaderTool::kShaderLevelDefault, options.targetMask = targets;
        options.previousStamp = previousStamp, options.preprocessOnly = preprocessOnly ? 1 : 0;
        ShaderTool::Reset();
        return ShaderTool::TranslateShaderXML(String(("res://" + name).c_str()), options, true);
    }
    static std::string Report() { return Text(g_shaderContext.reportLog); }
    // A stage's code as the driver left it, terminating zeros included.
    static std::string Code(int stage) {
        const ByteBuffer& b = g_shaderContext.codeBuffers[stage];
        return b.data ? std::string(reinterpret_cast<const char*>(b.data), b.size) : "";
    }
};

} // namespace shadertool_test

// The driver's tests' ground: Shader XML files on disk under res://, the driver run as the
// engine's shader loader runs it (translate, read the results, reset), and the results.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/byte_buffer.h"
#include "shadertool/core/context.h"
#include "shadertool/driver/translation_driver.h"
#include "shadertool/shadertool_fixture.h"
#include "support/engine_table.h"

namespace shadertool_test {

// A source node: inline code, or with file set the code's file beside the XML.
inline std::string SourceNode(const char* stage, const char* target, const std::string& code,
                              const char* file = nullptr) {
    std::string node = std::string("<node type=\"") + stage + "\"" + (target ? std::string(" target=\"") + target + "\"" : "");
    return file ? node + " file=\"" + file + "\"/>" : node + "><![CDATA[" + code + "]]></node>";
}

// A whole file of the source tree's golden folder; "" when it is missing.
inline std::string ReadGolden(const std::string& name) {
    std::ifstream file(std::string(QUAVEN_SHADER_GOLDEN_DIR) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class TranslationDriverTest : public quaven_test::EngineFilesTest {
protected:
    void SetUp() override {
        EngineFilesTest::SetUp();
        ShaderTool::Reset();
    }
    void TearDown() override {
        ShaderTool::Reset();
        EngineFilesTest::TearDown();
    }

    // Translates res://<name> for targets; with preprocessOnly the run stops after the
    // preprocessor.
    bool Translate(const std::string& name, uint32_t targets, uint32_t previousStamp = 0, bool preprocessOnly = true,
                   bool compile = false) {
        ShaderTool::TranslationOptions options;
        options.shaderLevel = ShaderTool::kShaderLevelDefault;
        options.targetMask = targets;
        options.previousStamp = previousStamp;
        options.preprocessOnly = preprocessOnly ? 1 : 0;
        options.compile = compile ? 1 : 0;
        ShaderTool::Reset();
        return ShaderTool::TranslateShaderXML(String(("res://" + name).c_str()), options, true);
    }
    static std::string Report() { return Text(g_shaderContext.reportLog); }
    // A stage's code as the driver left it, terminating zeros included.
    static std::string Code(int stage) {
        const ByteBuffer& b = g_shaderContext.codeBuffers[stage];
        return b.data ? std::string(reinterpret_cast<const char*>(b.data), b.size) : "";
    }
    // The text of a stage translated for one target.
    static std::string CodeText(int stage) { return Code(stage).c_str(); }

    // The file's modification time, seconds since 1970.
    void Stamp(const std::string& relative, uint32_t seconds) {
        const std::string path = ResRoot() + "/" + relative;
        HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
        const uint64_t ticks = (uint64_t(seconds) + 11644473600ull) * 10000000ull;
        FILETIME time = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
        CloseHandle(file);
    }
};

} // namespace shadertool_test

// Common ground of the shader translator tests: files served from memory (so reads never
// touch the disk, and a test sees what was opened), every log line and popup captured, a
// graphics table that knows the one bitmap "textures/known.png", and the translator's
// description and logs emptied around every test.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "data/datamanager/data_manager.h"
#include "quaven/bitmap.h"
#include "shadertool/core/context.h"
#include "shadertool/core/target.h"
#include "shadertool/description/shader_description.h"
#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/preprocess/preprocessor.h"
#include "support/engine_table.h"
#include "support/memory_files.h"

namespace shadertool_test {

inline std::string Text(const ShaderTool::Log& log) { return log.text.text ? log.text.text : ""; }

inline ShaderTool::SourceInput Source(const std::string& text, const char* fileName, int firstLine = 1) {
    ShaderTool::SourceInput input;
    input.fileName.Assign(fileName);
    input.text.Assign(text.c_str());
    input.firstLine = firstLine;
    return input;
}

class ShaderFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine.emplace();
        files.emplace(qv);
        static QuavenGraphicsAPI graphics = {};
        graphics.GetBitmap = [](const char* name) -> Bitmap* {
            static int bitmap;
            return name && std::string(name) == "textures/known.png" ? reinterpret_cast<Bitmap*>(&bitmap) : nullptr;
        };
        qv->graphics = &graphics;
        cachedBefore_ = DataManager::databases.count;
        ClearTranslatorState();
    }

    void TearDown() override {
        ClearTranslatorState();
        while (DataManager::databases.count > cachedBefore_)
            DataManager::UnloadDatabase(DataManager::databases.data[DataManager::databases.count - 1]);
        EXPECT_EQ(files->openHandles, 0) << "every opened file is closed";
        files.reset();
        engine.reset();
    }

    static void ClearTranslatorState() {
        ShaderTool::GetShaderXMLReader()->Reset();
        g_shaderContext.errorLog.Clear();
        g_shaderContext.reportLog.Clear();
    }

    std::optional<quaven_test::EngineTable> engine;
    std::optional<quaven_test::MemoryFiles> files;

private:
    int cachedBefore_ = 0;
};

class PreprocessTest : public ShaderFilesTest {
protected:
    bool Run(const std::string& text, uint32_t target = ShaderTool::kTargetHLSL11, const char* fileName = "main.fx",
             int firstLine = 1)
    {
        log.Clear();
        return preprocessor.Run(&description, target, Source(text, fileName, firstLine), false);
    }

    // Runs text with the defaults and expects it refused with exactly errors.
    void ExpectErrors(const std::string& text, const std::string& errors) {
        EXPECT_FALSE(Run(text)) << text;
        EXPECT_EQ(Errors(), errors) << text;
    }

    void AddConstant(const char* name, const char* value, uint32_t baseKind) {
        ShaderTool::GeneralConstant constant;
        constant.name.Assign(name);
        constant.value.Assign(value);
        constant.type = ShaderTool::Type(baseKind, 1);
        description.constants.Add(constant);
    }

    std::string Output() const { return preprocessor.output.text ? preprocessor.output.text : ""; }
    std::string Errors() const { return Text(log); }

    // The output's lines without the line markers, each without its line feed.
    std::vector<std::string> CodeLines() const {
        std::vector<std::string> lines;
        std::istringstream output(Output());
        for (std::string line; std::getline(output, line);)
            if (line.compare(0, 2, "@f") != 0)
                lines.push_back(line);
        return lines;
    }

    // One of them; a line that is not there fails the test.
    std::string CodeLine(size_t index) const { return CodeLines().at(index); }

    ShaderTool::Log log;
    ShaderTool::ShaderDescription description;
    ShaderTool::Preprocessor preprocessor{&log};
};

// One line of a Shader XML document: the array id holding nodes.
inline std::string XMLArray(const std::string& id, const std::string& nodes) {
    return "  <array id=\"" + id + "\">" + nodes + "</array>\n";
}
const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";
// A document of version and revision 2 holding arrays.
inline std::string ShaderXML(const std::string& arrays) {
    return kDeclaration + "<root>\n" + XMLArray("info", R"(<node id="version" value="2"/><node id="revision" value="2"/>)") +
           arrays + "</root>\n";
}
// The smallest interface a file may have: three vertex inputs (a vertex format the
// renderer can feed) and one pixel output.
const std::string kMinimalInputs = XMLArray("vertex_input", R"(<node id="p" semantic="POSITION"/><node id="c" semantic="COLOR"/>
<node id="t" semantic="TEXTURE_COORDINATE_0"/>)");
const std::string kMinimalOutput = XMLArray("pixel_output", R"(<node id="color"/>)");
const std::string kMinimalInterface = kMinimalInputs + kMinimalOutput;

// A broken file's arrays and every message its reading must give, in order.
struct BrokenFile { const char* what; std::string arrays; std::vector<std::string> errors; };

class ShaderXMLTest : public ShaderFilesTest {
protected:
    // Puts the file and reads it through ReadShaderXML, sources included.
    bool ReadFile(const std::string& path, const std::string& contents) {
        files->Put(path, contents);
        return ShaderTool::ReadShaderXML(String(path.c_str()), nullptr, false, false);
    }

    // Reads each file afresh (a new name, an empty description and report) and expects it
    // refused with exactly its messages under the report's title.
    void ExpectRefused(const std::vector<BrokenFile>& broken) {
        static int count = 0;
        for (const BrokenFile& file : broken) {
            ClearTranslatorState();
            std::string expected = "Failed to read the Shader XML:\n";
            for (const std::string& error : file.errors)
                expected += "Error: " + error + "\n";
            EXPECT_FALSE(ReadFile("res://broken" + std::to_string(++count) + ".xml", ShaderXML(file.arrays))) << file.what;
            EXPECT_EQ(Report(), expected) << file.what;
            EXPECT_TRUE(g_shaderContext.reportLog.hasError) << file.what;
        }
    }

    const ShaderTool::ShaderDescription& Description() const { return ShaderTool::GetShaderXMLReader()->description; }
    std::string Report() const { return Text(g_shaderContext.reportLog); }
};

} // namespace shadertool_test

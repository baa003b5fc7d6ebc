// Common ground of the shader translator tests: an in-memory file system put into the
// engine's API table (so reads never touch the disk, and a test sees what was opened),
// every log line and popup captured instead of shown, a graphics table that knows one
// bitmap, and the translator's description and logs emptied around every test. On top,
// short ways to tokenize a text, to preprocess one for a target and to read a Shader XML.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "quaven/api.h"
#include "shadertool/core/log.h"
#include "shadertool/core/target.h"
#include "shadertool/description/shader_description.h"
#include "shadertool/preprocess/preprocessor.h"
#include "shadertool/preprocess/tokenizer.h"

namespace quaven_test {
class LogCapture;
}

namespace shadertool_test {

struct FakeFile {
    std::string contents;
    uint32_t modified = 0;
    bool shortRead = false;   // Read hands back one byte less than asked
};

// The files the fake file system serves, by exact path, and the paths opened, in order.
extern std::map<std::string, FakeFile> g_files;
extern std::vector<std::string> g_opened;

// The XML declaration every Shader XML starts with, and the name the graphics table
// answers with a bitmap.
extern const char* const kDeclaration;
extern const char* const kKnownBitmap;

struct ScannedToken {
    int kind;
    std::string text;
    int line;
    int column;
};

// Every token of text up to the end, scanned by the language tokenizer.
std::vector<ScannedToken> Tokenize(const std::string& text, ShaderTool::Log* log, int firstLine = 1,
                                   bool stripComments = false);

// The file system, logs and translator state every shader test starts from.
class ShaderFilesTest : public ::testing::Test {
protected:
    ShaderFilesTest();
    ~ShaderFilesTest() override;
    void SetUp() override;
    void TearDown() override;

    void PutFile(const std::string& path, const std::string& contents, uint32_t modified = 0);

private:
    QuavenAPI savedTable_ = {};
    std::unique_ptr<quaven_test::LogCapture> logCapture_;
    int cachedBefore_ = 0;
};

class PreprocessTest : public ShaderFilesTest {
protected:
    // Preprocesses text as the source "main.fx" (or fileName) for target.
    bool Run(const std::string& text, uint32_t target = ShaderTool::kTargetHLSL11, const char* fileName = "main.fx",
             int firstLine = 1);
    std::string Output() const;
    std::string Errors() const;
    // The output's lines without the line markers, each without its line feed.
    std::vector<std::string> CodeLines() const;
    // One of them, or "<no line N>" when there are fewer.
    std::string CodeLine(size_t index) const;

    ShaderTool::Log log;
    ShaderTool::ShaderDescription description;
    ShaderTool::Preprocessor preprocessor{&log};
};

// A broken file's arrays and every message its reading must give, in order.
struct BrokenFile {
    const char* what;
    std::string arrays;
    std::vector<std::string> errors;
};

class ShaderXMLTest : public ShaderFilesTest {
protected:
    // Puts the file and reads it through ReadShaderXML, sources included.
    bool ReadFile(const std::string& path, const std::string& contents);
    // Reads each file afresh (a new name, an empty description and report) and expects it
    // refused with exactly its messages under the report's title.
    void ExpectRefused(const std::vector<BrokenFile>& files);

    const ShaderTool::ShaderDescription& Description() const;
    // The report log's text; empty when null.
    std::string Report() const;

private:
    int brokenFiles_ = 0;
};

// A Shader XML document: the declaration, <root>, an "info" array of version and
// revision 2, the given arrays, </root>.
std::string ShaderXML(const std::string& arrays);
// The smallest interface a file may have: three vertex inputs (a vertex format the
// renderer can feed) and one pixel output.
extern const std::string kMinimalInterface;
// The line (from 1) on which marker first stands in text; 0 when absent.
int LineOf(const std::string& text, const std::string& marker);

} // namespace shadertool_test

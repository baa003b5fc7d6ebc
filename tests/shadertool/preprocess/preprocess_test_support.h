// Common ground of the tokenizer and preprocessor tests: an in-memory file system put into
// the engine's API table (so includes never touch the disk), and short ways to tokenize a
// text and to preprocess one for a target.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "shadertool/core/log.h"
#include "shadertool/core/target.h"
#include "shadertool/description/shader_description.h"
#include "shadertool/preprocess/preprocessor.h"
#include "shadertool/preprocess/tokenizer.h"
#include "quaven/api.h"

namespace preprocess_test {

struct FakeFile {
    std::string contents;
    uint32_t modified = 0;
    bool shortRead = false;   // Read hands back one byte less than asked
};

// The files the fake file system serves, by exact path.
extern std::map<std::string, FakeFile> g_files;
// Paths opened, in order.
extern std::vector<std::string> g_opened;

struct ScannedToken {
    int kind;
    std::string text;
    int line;
    int column;
};

// Every token of text up to the end, scanned by the language tokenizer.
std::vector<ScannedToken> Tokenize(const std::string& text, ShaderTool::Log* log, int firstLine = 1,
                                   bool stripComments = false, const char* fileName = "a.fx");

class PreprocessTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void PutFile(const std::string& path, const std::string& contents, uint32_t modified = 0);

    // Preprocesses text as the source "main.fx" (or fileName) for target.
    bool Run(const std::string& text, uint32_t target = ShaderTool::kTargetHLSL11, const char* fileName = "main.fx",
             int firstLine = 1);
    std::string Output() const;
    std::string Errors() const;
    // The output's lines without the line markers, each without its line feed.
    std::vector<std::string> CodeLines() const;

    ShaderTool::Log log;
    ShaderTool::ShaderDescription description;
    ShaderTool::Preprocessor preprocessor{&log};

private:
    QuavenAPI savedTable_ = {};
};

} // namespace preprocess_test

// Common ground of the Shader XML tests: the engine's file system with res:// on a
// fresh temporary folder, every log line and popup captured instead of shown, a fake
// graphics table that knows one bitmap, and the translator's logs and description
// emptied before and after every test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "quaven/api.h"
#include "shadertool/description/shader_description.h"
#include "support/log_capture.h"

namespace shader_xml_test {

// The XML declaration every test file starts with.
extern const char* const kDeclaration;
// The name the fake graphics table answers with a bitmap.
extern const char* const kKnownBitmap;

class ShaderXMLTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the file below res:// (folders are made as needed).
    void PutFile(const std::string& relative, const std::string& contents);
    // Writes the file and reads it through ReadShaderXML, sources included.
    bool ReadFile(const std::string& relative, const std::string& contents);

    const ShaderTool::ShaderDescription& Description() const;
    // The report log's text; empty when null.
    std::string Report() const;
    bool ReportHasError() const;

    std::string root_;   // the folder behind res://, with '/' separators

private:
    std::string savedResRoot_;
    bool hadResRoot_ = false;
    int cachedBefore_ = 0;
    QuavenAPI savedTable_ = {};
    std::unique_ptr<quaven_test::LogCapture> log_;
};

// A Shader XML document: the declaration, <root>, an "info" array of version and
// revision 2, the given arrays, </root>.
std::string ShaderXML(const std::string& arrays);

// The line (from 1) on which marker first stands in text; 0 when absent.
int LineOf(const std::string& text, const std::string& marker);

} // namespace shader_xml_test

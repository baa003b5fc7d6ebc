#include "shadertool/shadertool_fixture.h"

#include <sstream>

#include "data/datamanager/data_manager.h"
#include "quaven/bitmap.h"

namespace shadertool_test {
namespace {

void ClearTranslatorState()
{
    ShaderTool::GetShaderXMLReader()->Reset();
    g_shaderContext.errorLog.Clear();
    g_shaderContext.reportLog.Clear();
}

} // namespace

void ShaderFilesTest::SetUp()
{
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

void ShaderFilesTest::TearDown()
{
    ClearTranslatorState();
    while (DataManager::databases.count > cachedBefore_)
        DataManager::UnloadDatabase(DataManager::databases.data[DataManager::databases.count - 1]);
    EXPECT_EQ(files->openHandles, 0) << "every opened file is closed";
    files.reset();
    engine.reset();
}

bool PreprocessTest::Run(const std::string& text, uint32_t target, const char* fileName, int firstLine)
{
    log.Clear();
    ShaderTool::SourceInput input;
    input.fileName.Assign(fileName);
    input.text.Assign(text.c_str());
    input.firstLine = firstLine;
    return preprocessor.Run(&description, target, input, false);
}

void PreprocessTest::ExpectErrors(const std::string& text, const std::string& errors)
{
    EXPECT_FALSE(Run(text)) << text;
    EXPECT_EQ(Errors(), errors) << text;
}

void PreprocessTest::AddConstant(const char* name, const char* value, uint32_t baseKind)
{
    ShaderTool::GeneralConstant constant;
    constant.name.Assign(name);
    constant.value.Assign(value);
    constant.type = ShaderTool::Type(baseKind, 1);
    description.constants.Add(constant);
}

std::vector<std::string> PreprocessTest::CodeLines() const
{
    std::vector<std::string> lines;
    std::istringstream output(Output());
    for (std::string line; std::getline(output, line);)
        if (line.compare(0, 2, "@f") != 0)
            lines.push_back(line);
    return lines;
}

std::string PreprocessTest::CodeLine(size_t index) const
{
    std::vector<std::string> lines = CodeLines();
    return index < lines.size() ? lines[index] : "<no line " + std::to_string(index) + ">";
}

bool ShaderXMLTest::ReadFile(const std::string& path, const std::string& contents)
{
    files->Put(path, contents);
    return ShaderTool::ReadShaderXML(String(path.c_str()), nullptr, false, false);
}

void ShaderXMLTest::ExpectRefused(const std::vector<BrokenFile>& files)
{
    for (const BrokenFile& file : files) {
        ClearTranslatorState();
        std::string expected = "Failed to read the Shader XML:\n";
        for (const std::string& error : file.errors)
            expected += "Error: " + error + "\n";
        EXPECT_FALSE(ReadFile("res://broken" + std::to_string(++brokenFiles_) + ".xml", ShaderXML(file.arrays))) << file.what;
        EXPECT_EQ(Report(), expected) << file.what;
        EXPECT_TRUE(g_shaderContext.reportLog.hasError) << file.what;
    }
}

} // namespace shadertool_test

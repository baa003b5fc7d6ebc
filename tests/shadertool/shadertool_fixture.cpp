#include "shadertool/shadertool_fixture.h"

#include <cstring>

#include "core/engine_log.h"
#include "core/locks.h"
#include "core/threads.h"
#include "data/datamanager/data_manager.h"
#include "engine/api_table.h"
#include "filesystem/open_files.h"
#include "quaven/bitmap.h"
#include "quaven/filesystem.h"
#include "shadertool/core/context.h"
#include "shadertool/description/shader_xml_reader.h"
#include "support/log_capture.h"

namespace shadertool_test {

std::map<std::string, FakeFile> g_files;
std::vector<std::string> g_opened;
const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";
const char* const kKnownBitmap = "textures/known.png";
const std::string kMinimalInterface =
    "  <array id=\"vertex_input\"><node id=\"p\" semantic=\"POSITION\"/><node id=\"c\" semantic=\"COLOR\"/>"
    "<node id=\"t\" semantic=\"TEXTURE_COORDINATE_0\"/></array>\n"
    "  <array id=\"pixel_output\"><node id=\"color\"/></array>\n";

namespace {

// A handle whose first part is the engine's FileHandle, which is all the readers look at.
struct FakeHandle {
    FileHandle handle;
    const FakeFile* file;
    uint32_t offset;
};

FileHandle* FakeOpenFile(const char* path, const char* mode)
{
    g_opened.push_back(path ? path : "");
    auto found = g_files.find(path ? path : "");
    if (found == g_files.end() || !mode || mode[0] != 'r')
        return nullptr;
    FakeHandle* fake = new FakeHandle{};
    fake->handle.size = static_cast<uint32_t>(found->second.contents.size());
    fake->file = &found->second;
    return &fake->handle;
}

int FakeRead(void* buffer, int size, FileHandle* handle)
{
    FakeHandle* fake = reinterpret_cast<FakeHandle*>(handle);
    if (!fake || !buffer || size <= 0)
        return 0;
    uint32_t available = static_cast<uint32_t>(fake->file->contents.size()) - fake->offset;
    uint32_t count = static_cast<uint32_t>(size) < available ? static_cast<uint32_t>(size) : available;
    if (fake->file->shortRead && count > 0)
        --count;
    memcpy(buffer, fake->file->contents.data() + fake->offset, count);
    fake->offset += count;
    return static_cast<int>(count);
}

void FakeCloseFile(FileHandle* handle)
{
    delete reinterpret_cast<FakeHandle*>(handle);
}

bool FakeGetFileInfo(const char* path, FileInfo* info)
{
    auto found = g_files.find(path ? path : "");
    if (found == g_files.end())
        return false;
    info->modified = found->second.modified;
    return true;
}

QuavenFileSystemAPI MakeFakeFileSystem()
{
    QuavenFileSystemAPI table = {};
    table.OpenFile = FakeOpenFile;
    table.Read = FakeRead;
    table.CloseFile = FakeCloseFile;
    table.GetFileInfo = FakeGetFileInfo;
    return table;
}

QuavenFileSystemAPI g_fileSystem = MakeFakeFileSystem();
QuavenGraphicsAPI g_graphics = {};

Bitmap* FakeGetBitmap(const char* name)
{
    static int bitmap;
    return name && std::string(name) == kKnownBitmap ? reinterpret_cast<Bitmap*>(&bitmap) : nullptr;
}

void ClearTranslatorState()
{
    ShaderTool::GetShaderXMLReader()->Reset();
    g_shaderContext.errorLog.Clear();
    g_shaderContext.reportLog.Clear();
}

} // namespace

std::vector<ScannedToken> Tokenize(const std::string& text, ShaderTool::Log* log, int firstLine, bool stripComments)
{
    ShaderTool::Tokenizer tokenizer(log);
    ShaderTool::SourceInput input;
    input.fileName.Assign("a.fx");
    input.text.Assign(text.c_str());
    input.firstLine = firstLine;
    tokenizer.Begin(input, stripComments);

    std::vector<ScannedToken> tokens;
    ShaderTool::Token token;
    // A bound, so that a tokenizer that stopped advancing fails instead of hanging.
    for (size_t guard = 0; guard <= text.size() + 1; ++guard) {
        tokenizer.NextToken(token);
        if (token.kind == ShaderTool::kTokenEnd)
            break;
        tokens.push_back({token.kind, token.text, token.line, token.column});
    }
    return tokens;
}

ShaderFilesTest::ShaderFilesTest() = default;
ShaderFilesTest::~ShaderFilesTest() = default;

void ShaderFilesTest::SetUp()
{
    savedTable_ = *qv;
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    qv->fileSystem = &g_fileSystem;
    g_graphics.GetBitmap = FakeGetBitmap;
    qv->graphics = &g_graphics;
    logCapture_ = std::make_unique<quaven_test::LogCapture>(qv);
    g_files.clear();
    g_opened.clear();
    cachedBefore_ = DataManager::databases.count;
    ClearTranslatorState();
}

void ShaderFilesTest::TearDown()
{
    ClearTranslatorState();
    while (DataManager::databases.count > cachedBefore_)
        DataManager::UnloadDatabase(DataManager::databases.data[DataManager::databases.count - 1]);
    logCapture_.reset();
    *qv = savedTable_;
    g_files.clear();
    g_opened.clear();
}

void ShaderFilesTest::PutFile(const std::string& path, const std::string& contents, uint32_t modified)
{
    g_files[path] = FakeFile{contents, modified, false};
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

std::string PreprocessTest::Output() const
{
    return preprocessor.output.text ? preprocessor.output.text : "";
}

std::string PreprocessTest::Errors() const
{
    return log.text.text ? log.text.text : "";
}

std::vector<std::string> PreprocessTest::CodeLines() const
{
    std::vector<std::string> lines;
    std::string output = Output();
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        std::string line = output.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (line.compare(0, 2, "@f") != 0)
            lines.push_back(line);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

std::string PreprocessTest::CodeLine(size_t index) const
{
    std::vector<std::string> lines = CodeLines();
    return index < lines.size() ? lines[index] : "<no line " + std::to_string(index) + ">";
}

bool ShaderXMLTest::ReadFile(const std::string& path, const std::string& contents)
{
    PutFile(path, contents);
    return ShaderTool::ReadShaderXML(String(path.c_str()), nullptr, false, false);
}

void ShaderXMLTest::ExpectRefused(const std::vector<BrokenFile>& files)
{
    for (const BrokenFile& file : files) {
        ClearTranslatorState();
        std::string name = "res://broken" + std::to_string(++brokenFiles_) + ".xml";
        EXPECT_FALSE(ReadFile(name, ShaderXML(file.arrays))) << file.what;
        std::string expected = "Failed to read the Shader XML:\n";
        for (const std::string& error : file.errors)
            expected += "Error: " + error + "\n";
        EXPECT_EQ(Report(), expected) << file.what;
        EXPECT_TRUE(g_shaderContext.reportLog.hasError) << file.what;
    }
}

const ShaderTool::ShaderDescription& ShaderXMLTest::Description() const
{
    return ShaderTool::GetShaderXMLReader()->description;
}

std::string ShaderXMLTest::Report() const
{
    const char* text = g_shaderContext.reportLog.text.text;
    return text ? text : "";
}

std::string ShaderXML(const std::string& arrays)
{
    return std::string(kDeclaration) +
           "<root>\n"
           "  <array id=\"info\">\n"
           "    <node id=\"version\" value=\"2\"/>\n"
           "    <node id=\"revision\" value=\"2\"/>\n"
           "  </array>\n" +
           arrays + "</root>\n";
}

int LineOf(const std::string& text, const std::string& marker)
{
    size_t at = text.find(marker);
    if (at == std::string::npos)
        return 0;
    int line = 1;
    for (size_t i = 0; i < at; ++i)
        if (text[i] == '\n')
            ++line;
    return line;
}

} // namespace shadertool_test

#include "preprocess_test_support.h"

#include <cstring>

#include "core/engine_log.h"
#include "filesystem/file_handle.h"
#include "quaven/filesystem.h"
#include "shadertool/core/target.h"
#include "shadertool/preprocess/tokenizer.h"

namespace preprocess_test {

std::map<std::string, FakeFile> g_files;
std::vector<std::string> g_opened;

namespace {

// A handle whose first part is the engine's FileHandle, as the preprocessor reads it.
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
    info->created = 0;
    info->modified = found->second.modified;
    info->accessed = 0;
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

QuavenFileSystemAPI g_fakeFileSystem = MakeFakeFileSystem();

} // namespace

std::vector<ScannedToken> Tokenize(const std::string& text, ShaderTool::Log* log, int firstLine, bool stripComments,
                                   const char* fileName)
{
    ShaderTool::Tokenizer tokenizer(log);
    ShaderTool::SourceInput input;
    input.fileName.Assign(fileName);
    input.text.Assign(text.c_str());
    input.firstLine = firstLine;
    tokenizer.Reset();
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

void PreprocessTest::SetUp()
{
    savedTable_ = *qv;
    qv->fileSystem = &g_fakeFileSystem;
    g_files.clear();
    g_opened.clear();
}

void PreprocessTest::TearDown()
{
    *qv = savedTable_;
    g_files.clear();
    g_opened.clear();
}

void PreprocessTest::PutFile(const std::string& path, const std::string& contents, uint32_t modified)
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

} // namespace preprocess_test

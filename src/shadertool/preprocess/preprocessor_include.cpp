// Include directives: the included file's text is spliced into the source right after
// the directive, between two line markers, so that every later stage names the included
// file and its own lines in its messages.
#include "shadertool/preprocess/preprocessor.h"

#include "core/engine_log.h"
#include "filesystem/open_files.h"
#include "quaven/filesystem.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace ShaderTool {

namespace {

const QuavenFileSystemAPI* FileSystem()
{
    return qv ? qv->fileSystem : nullptr;
}

enum class ReadResult { kRead, kNotFound, kUnreadable };

// The whole file as text; a file holding zero bytes ends at the first of them.
ReadResult ReadWholeFile(const char* path, String* content)
{
    const QuavenFileSystemAPI* fileSystem = FileSystem();
    if (!fileSystem || !fileSystem->OpenFile || !fileSystem->Read || !fileSystem->CloseFile)
        return ReadResult::kNotFound;
    FileHandle* file = fileSystem->OpenFile(path, "r");
    if (!file)
        return ReadResult::kNotFound;

    uint32_t size = file->size;
    if (size > static_cast<uint32_t>(PreprocessorTokenizer::kMaxTextLength)) {
        fileSystem->CloseFile(file);
        return ReadResult::kUnreadable;
    }
    char* buffer = static_cast<char*>(malloc(static_cast<size_t>(size) + 1));
    if (!buffer) {
        fileSystem->CloseFile(file);
        return ReadResult::kUnreadable;
    }
    int read = size > 0 ? fileSystem->Read(buffer, static_cast<int>(size), file) : 0;
    fileSystem->CloseFile(file);
    if (read < static_cast<int>(size)) {
        free(buffer);
        return ReadResult::kUnreadable;
    }
    buffer[size] = '\0';
    free(content->text);
    content->text = buffer;
    return ReadResult::kRead;
}

} // namespace

void Preprocessor::RaiseNewestTime(const char* path)
{
    const QuavenFileSystemAPI* fileSystem = FileSystem();
    if (!path || !fileSystem || !fileSystem->GetFileInfo)
        return;
    FileInfo info = {};
    if (fileSystem->GetFileInfo(path, &info) && info.modified > newestTime)
        newestTime = info.modified;
}

void Preprocessor::DropFinishedIncludes()
{
    while (includes_.count > 0 && includes_.data[includes_.count - 1].exitPosition < tokenizer.cursor.position) {
        includes_.data[includes_.count - 1].path.Assign(nullptr);
        --includes_.count;
    }
}

int32_t Preprocessor::TimesInChain(const char* path) const
{
    if (!path)
        return 0;
    int32_t times = topFileName_.text && strcmp(topFileName_.text, path) == 0 ? 1 : 0;
    for (int32_t i = 0; i < includes_.count; ++i) {
        if (includes_.data[i].path.text && strcmp(includes_.data[i].path.text, path) == 0)
            ++times;
    }
    return times;
}

void Preprocessor::OnInclude(const Token& keyword, const Token& path)
{
    if (!IsActive()) {
        text_.AppendChar('\n');
        return;
    }
    IncludeFile(keyword, path.text);
}

void Preprocessor::IncludeFile(const Token& keyword, const char* name)
{
    DropFinishedIncludes();

    // Relative to the including file's folder.
    const char* current = tokenizer.fileName.text ? tokenizer.fileName.text : "";
    const char* slash = strrchr(current, '/');
    String path = slash ? String::FromFormat("%.*s/%s", static_cast<int>(slash - current), current, name)
                        : String(name);
    if (!path.text)
        path.Assign("");

    // A file met again inside its own chain is spliced again: its include guard ends the
    // round. Only a loop without one reaches the bound; its directive's line stays empty. A
    // chain of distinct files may nest as deep as the text bounds of the splice allow.
    if (TimesInChain(path.text) >= kMostVisitsInChain) {
        Report(keyword.line, keyword.column, "recursive include of '%s'.", path.text);
        text_.AppendChar('\n');
        return;
    }

    String content;
    ReadResult result = ReadWholeFile(path.text, &content);
    if (result == ReadResult::kNotFound)
        Report(keyword.line, keyword.column, "include file was not found.");
    else if (result == ReadResult::kUnreadable)
        Report(keyword.line, keyword.column, "include file could not be read.");
    if (result == ReadResult::kRead && trackTimes)
        RaiseNewestTime(path.text);
    String stripped = StripComments(content.text);

    TextBuilder splice;
    splice.AppendFormat("\n@f \"%s\" 1\n", path.text);
    splice.Append(stripped.text);
    int32_t exitOffset = splice.Length();
    // The directive's line may already be the largest a marker can give.
    const int32_t nextLine = keyword.line < INT32_MAX ? keyword.line + 1 : INT32_MAX;
    splice.AppendFormat("\n@f \"%s\" %i", current, nextLine);

    int32_t at = tokenizer.cursor.position;
    if (splice.OutOfMemory() || !tokenizer.InsertText(splice.Text(), splice.Length())) {
        Report(keyword.line, keyword.column, "included text is too large.");
        text_.AppendChar('\n');
        return;
    }
    // Every open include ends after the splice point, so its exit marker moved along.
    for (int32_t i = 0; i < includes_.count; ++i)
        includes_.data[i].exitPosition += splice.Length();
    IncludeFrame frame;
    frame.path = path;
    frame.exitPosition = at + exitOffset;
    includes_.Add(frame);
}

} // namespace ShaderTool

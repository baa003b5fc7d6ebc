#include "shadertool/driver/output_file.h"

#include "platform/os.h"

#include "core/engine_log.h"
#include "core/engine_string.h"
#include "filesystem/paths.h"
#include "shadertool/core/log.h"

#include <climits>

namespace ShaderTool {

namespace {

enum class WriteResult { kWritten, kNotOpened, kShort };

WriteResult WriteWhole(const QuavenFileSystemAPI* fileSystem, const char* path, const char* text, size_t length)
{
    FileHandle* file = fileSystem->OpenFile(path, "w");
    if (!file)
        return WriteResult::kNotOpened;
    const int size = static_cast<int>(length);
    const int written = size > 0 ? fileSystem->Write(text, size, file) : 0;
    fileSystem->CloseFile(file);
    return written == size ? WriteResult::kWritten : WriteResult::kShort;
}

void ReportFailure(WriteResult result, const char* path, Log& errorLog)
{
    if (result == WriteResult::kNotOpened)
        errorLog.AppendErrorFormat("could not open output file '%s'.", path);
    else
        errorLog.AppendErrorFormat("could not write to output file '%s'.", path);
}

// The file's folder is on disk when both names convert to native paths.
bool ReplaceByRename(const char* temporary, const char* path)
{
    const String nativeTemporary = QV_ConvertStaticPathToNativeOSPath(temporary);
    const String nativePath = QV_ConvertStaticPathToNativeOSPath(path);
    if (!nativeTemporary.text || !nativeTemporary.text[0] || !nativePath.text || !nativePath.text[0])
        return false;
    return QVI_OsReplaceFile(nativeTemporary.text, nativePath.text);
}

bool HasNativeFolder(const char* path)
{
    const String native = QV_ConvertStaticPathToNativeOSPath(path);
    return native.text && native.text[0];
}

} // namespace

bool WriteOutputFile(const char* path, const char* text, size_t length, Log& errorLog)
{
    const QuavenFileSystemAPI* fileSystem = qv ? qv->fileSystem : nullptr;
    if (!path || !fileSystem || !fileSystem->OpenFile || !fileSystem->Write || !fileSystem->CloseFile) {
        errorLog.AppendErrorFormat("could not open output file '%s'.", path ? path : "");
        return false;
    }
    if (length > static_cast<size_t>(INT_MAX) || (length > 0 && !text)) {
        errorLog.AppendErrorFormat("could not write to output file '%s'.", path);
        return false;
    }

    if (!HasNativeFolder(path)) {
        const WriteResult result = WriteWhole(fileSystem, path, text, length);
        if (result == WriteResult::kShort && fileSystem->DeleteFile)
            fileSystem->DeleteFile(path);
        if (result != WriteResult::kWritten)
            ReportFailure(result, path, errorLog);
        return result == WriteResult::kWritten;
    }

    const String temporary = String(path) + ".tmp";
    WriteResult result = WriteWhole(fileSystem, temporary.text, text, length);
    if (result == WriteResult::kWritten && !ReplaceByRename(temporary.text, path))
        result = WriteResult::kShort;
    if (result != WriteResult::kWritten) {
        if (fileSystem->DeleteFile)
            fileSystem->DeleteFile(temporary.text);
        ReportFailure(result, path, errorLog);
        return false;
    }
    return true;
}

} // namespace ShaderTool

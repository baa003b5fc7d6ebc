#include "shadertool/driver/output_file.h"

#include "core/engine_log.h"
#include "filesystem/file_replacement.h"
#include "filesystem/paths.h"
#include "shadertool/core/log.h"

#include <climits>

namespace ShaderTool {

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
    switch (QVI_WriteWholeFile(path, text, static_cast<uint32_t>(length))) {
    case WholeFileWrite::kWritten:
        return true;
    case WholeFileWrite::kNotOpened:
        errorLog.AppendErrorFormat("could not open output file '%s'.", path);
        return false;
    case WholeFileWrite::kNotWritten:
        // Written in place, a file cut short is no output at all.
        if (!QVI_IsWrittenToDiskFolder(path) && fileSystem->DeleteFile)
            fileSystem->DeleteFile(path);
        break;
    case WholeFileWrite::kNotReplaced:
        break;
    }
    errorLog.AppendErrorFormat("could not write to output file '%s'.", path);
    return false;
}

} // namespace ShaderTool

#include "shadertool/hlsl_compiler/hlsl_compiler.h"

#include "core/byte_buffer.h"
#include "core/engine_string.h"
#include "platform/shader_compiler.h"
#include "shadertool/core/log.h"
#include "shadertool/core/target.h"

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace ShaderTool {

namespace {

// The library versions Initialize tries, newest first.
const int kCompilerLibraryVersions[] = {47, 46, 45, 44, 43};
const int kCompilerLibraryVersionCount = sizeof(kCompilerLibraryVersions) / sizeof(kCompilerLibraryVersions[0]);

// The blob's bytes as text: a message blob is meant to end in a zero, but only its
// stated size is trusted.
String BlobText(OsShaderBlob* blob)
{
    String text;
    size_t size = QVI_OsShaderBlobSize(blob);
    const char* bytes = static_cast<const char*>(QVI_OsShaderBlobBytes(blob));
    if (!bytes || size == 0 || size >= static_cast<size_t>(INT_MAX)) {
        text.Assign("");
        return text;
    }
    const char* end = static_cast<const char*>(memchr(bytes, 0, size));
    int length = static_cast<int>(end ? end - bytes : static_cast<ptrdiff_t>(size));
    char* copy = new char[length + 1];
    memcpy(copy, bytes, static_cast<size_t>(length));
    copy[length] = '\0';
    text.Assign(copy);
    delete[] copy;
    return text;
}

// The compiler's messages under a heading, the trailing line ends of its text replaced
// by exactly one, and an empty line after them.
void AppendCompilerOutput(Log* log, OsShaderBlob* messages)
{
    String output;
    String text = BlobText(messages);
    output.Format("- Compilation output:\n%s", text.text ? text.text : "");
    int length = static_cast<int>(strlen(output.text));
    int keep = length;
    while (keep > 0 && (output.text[keep - 1] == '\n' || output.text[keep - 1] == '\r'))
        --keep;
    output.RemoveLast(length - keep);
    output.Append("\n");
    log->Append(output.text);
    log->Append("\n");
}

// Appends the code; false when it cannot be stored whole (a buffer on storage of
// its own is never grown, so code that does not fit there is refused).
bool AppendCode(ByteBuffer& output, OsShaderBlob* code)
{
    size_t size = QVI_OsShaderBlobSize(code);
    const void* bytes = QVI_OsShaderBlobBytes(code);
    if (size == 0)
        return true;
    if (!bytes || size > static_cast<size_t>(INT_MAX))
        return false;
    int before = output.size;
    output.WriteBytes(bytes, static_cast<int>(size));
    return output.size == before + static_cast<int>(size);
}

const char* StagePrefix(uint32_t stage)
{
    switch (stage) {
    case kStageVertex:
        return "vs_";
    case kStagePixel:
        return "ps_";
    default:
        return nullptr;
    }
}

// Level 0 stands for "no level bit applies": the shader model 3 profile.
const char* LevelSuffix(uint32_t level)
{
    switch (level) {
    case 0:
        return "3_0";
    case kShaderLevelDefault:
        return "4_0";
    case kShaderLevelLow:
        return "4_0_level_9_1";
    case kShaderLevelXbox:
        return "5_0";
    default:
        return nullptr;
    }
}

} // namespace

HLSLCompiler::HLSLCompiler(Log* log) : Compiler(log), library(QVI_OsNewShaderCompiler()) {}

HLSLCompiler::~HLSLCompiler()
{
    QVI_OsDeleteShaderCompiler(library);
}

bool HLSLCompiler::Initialize()
{
    // A second call keeps the library already found rather than loading another one.
    if (QVI_OsHasShaderCompiler(library))
        return true;
    return QVI_OsLoadShaderCompiler(library, kCompilerLibraryVersions, kCompilerLibraryVersionCount);
}

bool HLSLCompiler::Compile(uint32_t /*target*/, uint32_t level, uint32_t stage, const String& source,
                           ByteBuffer& output)
{
    if (!QVI_OsHasShaderCompiler(library)) {
        if (errorLog)
            errorLog->AppendError("compilation failed.");
        return false;
    }

    char profile[kShaderProfileCapacity];
    MakeShaderProfile(stage, level, profile, sizeof(profile));

    const char* text = source.text ? source.text : "";
    OsShaderBlob* code = nullptr;
    OsShaderBlob* messages = nullptr;
    int32_t result = QVI_OsCompileShader(library, text, strlen(text), "main", profile, &code, &messages);

    // Success without code would hand the renderer nothing to load.
    bool succeeded = result >= 0 && code && AppendCode(output, code);
    if (!succeeded && errorLog)
        errorLog->AppendError("compilation failed.");
    if (messages && errorLog)
        AppendCompilerOutput(errorLog, messages);

    if (code)
        QVI_OsReleaseShaderBlob(code);
    if (messages)
        QVI_OsReleaseShaderBlob(messages);
    return succeeded;
}

int MakeShaderProfile(uint32_t stage, uint32_t level, char* profile, int capacity)
{
    if (!profile || capacity <= 0)
        return 0;
    profile[0] = '\0';
    const char* prefix = StagePrefix(stage);
    const char* suffix = LevelSuffix(level);
    if (!prefix || !suffix)
        return 0;
    int length = snprintf(profile, static_cast<size_t>(capacity), "%s%s", prefix, suffix);
    if (length < 0 || length >= capacity) {
        profile[0] = '\0';
        return 0;
    }
    return length;
}

} // namespace ShaderTool

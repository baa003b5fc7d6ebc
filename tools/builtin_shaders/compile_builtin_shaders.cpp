// Build-time tool: makes the code of the engine's built-in shaders and writes it as byte
// arrays into a C++ source file that the graphics library is built with.
//
//   compile_builtin_shaders OUTPUT.cpp (ENUMERATOR SHADER.xml TEXT_TARGETS VERTEX.hlsl PIXEL.hlsl)...
//
// Per shader:
// - its Shader XML text, which the engine reads the shader's interface from;
// - the source text of each target of TEXT_TARGETS (a target list as Shader XML sources
//   name them, such as "ESSL20,GLSL21"), translated from the Shader XML's sources by the
//   engine's own shader translator, each stage with its terminating zero;
// - the HLSL11 code of every shader level the Direct3D 11 renderer can ask for, compiled
//   from the HLSL beside it by the platform's compiler through the translator's wrapper.
//
// Paths are Windows paths (the tool runs under Wine at build time). The output is written
// only when every stage of every shader was made, and is the same for the same inputs, so a
// clean build reproduces it byte for byte.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/byte_buffer.h"
#include "core/engine_log.h"
#include "core/engine_string.h"
#include "shadertool/core/context.h"
#include "shadertool/core/log.h"
#include "shadertool/core/target.h"
#include "shadertool/driver/translation_driver.h"
#include "shadertool/hlsl_compiler/hlsl_compiler.h"

namespace {

// The renderer's shader levels that have compiled built-in code: DEFAULT, LOW, XBOX.
const uint32_t kLevels[] = {ShaderTool::kShaderLevelDefault, ShaderTool::kShaderLevelLow,
                            ShaderTool::kShaderLevelXbox};
const uint32_t kStages[] = {ShaderTool::kStageVertex, ShaderTool::kStagePixel};
const int kBytesPerLine = 16;
const int kArgumentsPerShader = 5;

// The engine's layers report through the API table's logging members, which no host fills
// here: the tool prints what they say, so a broken Shader XML names its fault.
int PrintLogLine(int level, const char* format, va_list args)
{
    fprintf(stderr, "compile_builtin_shaders: [%d] ", level);
    const int printed = vfprintf(stderr, format, args);
    fputc('\n', stderr);
    return printed;
}

int ToolLog(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int printed = PrintLogLine(QV_LOG_INFO, format, args);
    va_end(args);
    return printed;
}

int ToolLogLevel(int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int printed = PrintLogLine(level, format, args);
    va_end(args);
    return printed;
}

bool ReadText(const char* path, std::string* text)
{
    FILE* file = fopen(path, "rb");
    if (!file) {
        fprintf(stderr, "compile_builtin_shaders: cannot open '%s'.\n", path);
        return false;
    }
    char chunk[4096];
    size_t read;
    text->clear();
    while ((read = fread(chunk, 1, sizeof chunk, file)) > 0)
        text->append(chunk, read);
    const bool failed = ferror(file) != 0;
    fclose(file);
    if (failed)
        fprintf(stderr, "compile_builtin_shaders: cannot read '%s'.\n", path);
    return !failed;
}

// `name` as a C array of the bytes, one line per 16 bytes.
void AppendArray(std::string* out, const std::string& name, const uint8_t* data, size_t size)
{
    *out += "const uint8_t " + name + "[] = {";
    char number[8];
    for (size_t i = 0; i < size; ++i) {
        *out += i % kBytesPerLine == 0 ? "\n    " : " ";
        snprintf(number, sizeof number, "%u,", static_cast<unsigned>(data[i]));
        *out += number;
    }
    *out += "\n};\n";
}

struct Entry {
    std::string enumerator;
    uint32_t language;
    uint32_t level;  // 0 for source text
    std::string stageArrays[2];
};

class Generator {
public:
    bool Initialize()
    {
        if (!compiler_.Initialize()) {
            fprintf(stderr, "compile_builtin_shaders: no HLSL compiler library (d3dcompiler_47 to _43) was found.\n");
            return false;
        }
        return true;
    }

    bool AddShader(char** arguments)
    {
        const std::string enumerator = arguments[0];
        std::string xml;
        if (!ReadText(arguments[1], &xml))
            return false;
        const std::string xmlArray = "kXml" + std::to_string(xmls_.size());
        AppendArray(&arrays_, xmlArray, reinterpret_cast<const uint8_t*>(xml.c_str()), xml.size() + 1);
        xmls_.push_back({enumerator, xmlArray});

        const uint32_t textTargets = ShaderTool::ParseTargetList(arguments[2]);
        if (textTargets == 0 || (textTargets & (ShaderTool::kTargetHLSL11 | ShaderTool::kTargetPSSL))) {
            fprintf(stderr, "compile_builtin_shaders: '%s' is not a list of source-text targets.\n", arguments[2]);
            return false;
        }
        for (uint32_t target = ShaderTool::kTargetESSL20; target <= ShaderTool::kTargetHLSL9; target <<= 1) {
            if ((textTargets & target) && !Translate(enumerator, arguments[1], xml, target))
                return false;
        }
        return Compile(enumerator, arguments + 3);
    }

    bool Write(const char* path) const
    {
        std::string out =
            "// Generated at build time by tools/builtin_shaders/compile_builtin_shaders from the Shader XML\n"
            "// and the HLSL in src/graphics/drawing/builtin_shaders/. Do not edit.\n"
            "#include \"graphics/drawing/builtin_shaders/builtin_shader_table.h\"\n\n"
            "namespace {\n\n" +
            arrays_ + "\n}  // namespace\n\nconst BuiltInShaderEntry kBuiltInShaderEntries[] = {\n";
        for (const Entry& entry : entries_) {
            const std::string& vertex = entry.stageArrays[0];
            const std::string& pixel = entry.stageArrays[1];
            out += "    {" + entry.enumerator + ", " + std::to_string(entry.language) + ", " +
                   std::to_string(entry.level) + ", {" + vertex + ", sizeof " + vertex + ", " + pixel + ", sizeof " +
                   pixel + "}},\n";
        }
        out += "};\n\nconst int kBuiltInShaderEntryCount = " + std::to_string(entries_.size()) + ";\n\n";
        out += "const BuiltInShaderXml kBuiltInShaderXmls[] = {\n";
        for (const auto& xml : xmls_)
            out += "    {" + xml.first + ", " + xml.second + "},\n";
        out += "};\n\nconst int kBuiltInShaderXmlCount = " + std::to_string(xmls_.size()) + ";\n";

        // Written aside and moved into place, so that a failed run never leaves a partial
        // file the next build would take for finished.
        const std::string partial = std::string(path) + ".partial";
        FILE* file = fopen(partial.c_str(), "wb");
        bool written = file && fwrite(out.data(), 1, out.size(), file) == out.size();
        if (file)
            written = fclose(file) == 0 && written;
        remove(path);
        if (!written || rename(partial.c_str(), path) != 0) {
            fprintf(stderr, "compile_builtin_shaders: cannot write '%s'.\n", path);
            remove(partial.c_str());
            return false;
        }
        return true;
    }

private:
    // One target per run, so that each stage's code buffer holds exactly that target's text.
    bool Translate(const std::string& enumerator, const char* path, const std::string& xml, uint32_t target)
    {
        ShaderTool::TranslationOptions options;
        options.targetMask = target;
        if (!ShaderTool::Initialize(target, String(""), false) ||
            !ShaderTool::TranslateShaderXMLText(String(path), xml.c_str(), options)) {
            const char* report = g_shaderContext.reportLog.text.text;
            fprintf(stderr, "%s: %s\n%s", path, ShaderTool::GetTargetName(target), report ? report : "");
            ShaderTool::Reset();
            return false;
        }
        Entry entry = {enumerator, target, 0, {}};
        for (uint32_t stage : kStages) {
            const ByteBuffer& code = g_shaderContext.codeBuffers[stage];
            entry.stageArrays[stage] = NextArrayName(stage);
            AppendArray(&arrays_, entry.stageArrays[stage], code.data, static_cast<size_t>(code.size));
        }
        entries_.push_back(entry);
        ShaderTool::Reset();
        return true;
    }

    bool Compile(const std::string& enumerator, char** stagePaths)
    {
        std::string sources[2];
        for (uint32_t stage : kStages) {
            if (!ReadText(stagePaths[stage], &sources[stage]))
                return false;
        }
        for (uint32_t level : kLevels) {
            Entry entry = {enumerator, ShaderTool::kTargetHLSL11, level, {}};
            for (uint32_t stage : kStages) {
                ByteBuffer code;
                log_.Clear();
                if (!compiler_.Compile(ShaderTool::kTargetHLSL11, level, stage, String(sources[stage].c_str()), code)) {
                    char profile[ShaderTool::kShaderProfileCapacity];
                    ShaderTool::MakeShaderProfile(stage, level, profile, sizeof profile);
                    fprintf(stderr, "%s: %s\n%s", stagePaths[stage], profile, log_.text.text ? log_.text.text : "");
                    return false;
                }
                entry.stageArrays[stage] = NextArrayName(stage);
                AppendArray(&arrays_, entry.stageArrays[stage], code.data, static_cast<size_t>(code.size));
            }
            entries_.push_back(entry);
        }
        return true;
    }

    std::string NextArrayName(uint32_t stage) const
    {
        return "k" + std::to_string(entries_.size()) + (stage == ShaderTool::kStageVertex ? "Vertex" : "Pixel");
    }

    ShaderTool::Log log_;
    ShaderTool::HLSLCompiler compiler_{&log_};
    std::string arrays_;
    std::vector<Entry> entries_;
    std::vector<std::pair<std::string, std::string>> xmls_;  // enumerator, array
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 + kArgumentsPerShader || (argc - 2) % kArgumentsPerShader != 0) {
        fprintf(stderr, "usage: compile_builtin_shaders OUTPUT.cpp "
                        "(ENUMERATOR SHADER.xml TEXT_TARGETS VERTEX.hlsl PIXEL.hlsl)...\n");
        return 2;
    }
    qv->Log = ToolLog;
    qv->LogEx = ToolLogLevel;
    qv->LogPopup = ToolLogLevel;
    Generator generator;
    if (!generator.Initialize())
        return 1;
    for (int argument = 2; argument < argc; argument += kArgumentsPerShader) {
        if (!generator.AddShader(argv + argument))
            return 1;
    }
    return generator.Write(argv[1]) ? 0 : 1;
}

// Build-time tool: compiles the HLSL of the engine's built-in shaders with the platform's
// compiler, through the same wrapper the engine compiles translated shaders with, for every
// shader level the Direct3D 11 renderer can ask for, and writes the code as byte arrays
// into a C++ source file that the graphics library is built with.
//
//   compile_builtin_shaders OUTPUT.cpp (ENUMERATOR VERTEX.hlsl PIXEL.hlsl)...
//
// Paths are Windows paths (the tool runs under Wine at build time). The output is written
// only when every stage of every shader compiled, and is the same for the same sources,
// so a clean build reproduces it byte for byte.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/byte_buffer.h"
#include "core/engine_string.h"
#include "shadertool/core/log.h"
#include "shadertool/core/target.h"
#include "shadertool/hlsl_compiler/hlsl_compiler.h"

namespace {

// The renderer's shader levels that have compiled built-in code: DEFAULT, LOW, XBOX.
const uint32_t kLevels[] = {ShaderTool::kShaderLevelDefault, ShaderTool::kShaderLevelLow,
                            ShaderTool::kShaderLevelXbox};
const uint32_t kStages[] = {ShaderTool::kStageVertex, ShaderTool::kStagePixel};
const int kBytesPerLine = 16;

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

// `name` as a C array of the code, one line per 16 bytes.
void AppendArray(std::string* out, const std::string& name, const ByteBuffer& code)
{
    *out += "const uint8_t " + name + "[] = {";
    char number[8];
    for (int i = 0; i < code.size; ++i) {
        *out += i % kBytesPerLine == 0 ? "\n    " : " ";
        snprintf(number, sizeof number, "%u,", static_cast<unsigned>(code.data[i]));
        *out += number;
    }
    *out += "\n};\n";
}

struct CompiledShader {
    std::string enumerator;
    uint32_t level;
    std::string stageArrays[2];
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 5 || (argc - 2) % 3 != 0) {
        fprintf(stderr, "usage: compile_builtin_shaders OUTPUT.cpp (ENUMERATOR VERTEX.hlsl PIXEL.hlsl)...\n");
        return 2;
    }
    ShaderTool::Log log;
    ShaderTool::HLSLCompiler compiler(&log);
    if (!compiler.Initialize()) {
        fprintf(stderr, "compile_builtin_shaders: no HLSL compiler library (d3dcompiler_47 to _43) was found.\n");
        return 1;
    }

    std::string arrays;
    std::vector<CompiledShader> shaders;
    for (int argument = 2; argument < argc; argument += 3) {
        std::string sources[2];
        for (uint32_t stage : kStages) {
            if (!ReadText(argv[argument + 1 + stage], &sources[stage]))
                return 1;
        }
        for (uint32_t level : kLevels) {
            CompiledShader shader = {argv[argument], level, {}};
            for (uint32_t stage : kStages) {
                ByteBuffer code;
                log.Clear();
                if (!compiler.Compile(ShaderTool::kTargetHLSL11, level, stage, String(sources[stage].c_str()), code)) {
                    char profile[ShaderTool::kShaderProfileCapacity];
                    ShaderTool::MakeShaderProfile(stage, level, profile, sizeof profile);
                    fprintf(stderr, "%s: %s\n%s", argv[argument + 1 + stage], profile,
                            log.text.text ? log.text.text : "");
                    return 1;
                }
                shader.stageArrays[stage] = "k" + std::to_string(shaders.size()) + (stage == 0 ? "Vertex" : "Pixel");
                AppendArray(&arrays, shader.stageArrays[stage], code);
            }
            shaders.push_back(shader);
        }
    }

    std::string out =
        "// Generated at build time by tools/builtin_shaders/compile_builtin_shaders from the HLSL in\n"
        "// src/graphics/drawing/builtin_shaders/. Do not edit.\n"
        "#include \"graphics/drawing/builtin_shaders/builtin_shader_table.h\"\n\n"
        "namespace {\n\n" +
        arrays + "\n}  // namespace\n\nconst BuiltInShaderEntry kBuiltInHlsl11Shaders[] = {\n";
    for (const CompiledShader& shader : shaders) {
        const std::string& vertex = shader.stageArrays[0];
        const std::string& pixel = shader.stageArrays[1];
        out += "    {" + shader.enumerator + ", " + std::to_string(shader.level) + ", {" + vertex + ", sizeof " +
               vertex + ", " + pixel + ", sizeof " + pixel + "}},\n";
    }
    out += "};\n\nconst int kBuiltInHlsl11ShaderCount = " + std::to_string(shaders.size()) + ";\n";

    // Written aside and moved into place, so that a failed run never leaves a partial file
    // the next build would take for finished.
    const std::string partial = std::string(argv[1]) + ".partial";
    FILE* file = fopen(partial.c_str(), "wb");
    bool written = file && fwrite(out.data(), 1, out.size(), file) == out.size();
    if (file)
        written = fclose(file) == 0 && written;
    remove(argv[1]);
    if (!written || rename(partial.c_str(), argv[1]) != 0) {
        fprintf(stderr, "compile_builtin_shaders: cannot write '%s'.\n", argv[1]);
        remove(partial.c_str());
        return 1;
    }
    return 0;
}

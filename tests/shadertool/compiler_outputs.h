// Translated text for the real compilers on the Linux side: the CTest test
// "ShaderOutputsCompile" (driver/judge_shader_outputs.sh) runs the tests whose names contain
// "CompilerOutputs" with QUAVEN_SHADER_OUTPUTS naming a folder, then compiles every file
// written there. In the ordinary run nothing is written.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

#include "shadertool/core/target.h"

namespace shadertool_test {

// "<name>.<TARGET>.<vertex|pixel>"; name unique among all writers. False when it could not
// be written.
inline bool WriteCompilerOutput(const std::string& name, uint32_t target, uint32_t stage, const std::string& text) {
    const char* folder = std::getenv("QUAVEN_SHADER_OUTPUTS");
    if (!folder || !folder[0])
        return true;
    std::ofstream file(std::string(folder) + "/" + name + "." + ShaderTool::GetTargetName(target) +
                           (stage == ShaderTool::kStageVertex ? ".vertex" : ".pixel"), std::ios::binary);
    return static_cast<bool>(file << text);
}

} // namespace shadertool_test

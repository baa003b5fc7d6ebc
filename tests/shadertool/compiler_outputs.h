// Translations for the Linux side's compilers: the CTest test "ShaderOutputsCompile"
// (driver/judge_shader_outputs.sh) runs the tests named "*CompilerOutputs*" with
// QUAVEN_SHADER_OUTPUTS naming a folder and compiles what they write there.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

#include "shadertool/core/target.h"

namespace shadertool_test {

// Writes "<name>.<TARGET>.<vertex|pixel>" when the run wants outputs; false when it could not.
inline bool WriteCompilerOutput(const std::string& name, uint32_t target, uint32_t stage, const std::string& text) {
    const char* folder = std::getenv("QUAVEN_SHADER_OUTPUTS");
    return !folder || !folder[0] ||
           static_cast<bool>(std::ofstream(std::string(folder) + "/" + name + "." + ShaderTool::GetTargetName(target) +
                                               (stage == ShaderTool::kStageVertex ? ".vertex" : ".pixel"),
                                           std::ios::binary) << text);
}

} // namespace shadertool_test

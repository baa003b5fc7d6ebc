// Translated text for the real compilers on the Linux side. The CTest test
// "ShaderOutputsCompile" (tests/shadertool/driver/judge_shader_outputs.py) runs the tests
// whose full names contain "CompilerOutputs" with QUAVEN_SHADER_OUTPUTS naming a folder of
// the build tree, then compiles every file written there with glslangValidator. In the
// ordinary run the variable is not set and nothing is written, so such a test should also
// check what it can on its own (that the translation succeeded).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "shadertool/core/target.h"

namespace shadertool_test {

// Whether this run writes outputs for the compilers.
inline bool CompilerOutputsWanted() {
    const char* folder = std::getenv("QUAVEN_SHADER_OUTPUTS");
    return folder && folder[0];
}

// Writes text as "<name>.<TARGET>.<vertex|pixel>" (name: letters, digits, '_' and '-'
// only, unique among all writers: prefix it with your test's own word). The terminating
// zero of a code buffer is not part of the text. False when the file could not be
// written; true, writing nothing, when this run does not want outputs.
inline bool WriteCompilerOutput(const std::string& name, uint32_t target, uint32_t stage, const std::string& text) {
    if (!CompilerOutputsWanted())
        return true;
    const char* targetName = ShaderTool::GetTargetName(target);
    if (!targetName)
        return false;
    const std::string path = std::string(std::getenv("QUAVEN_SHADER_OUTPUTS")) + "/" + name + "." + targetName +
                             (stage == ShaderTool::kStageVertex ? ".vertex" : ".pixel");
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

} // namespace shadertool_test

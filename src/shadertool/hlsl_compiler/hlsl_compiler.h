#pragma once

#include "shadertool/hlsl_compiler/compiler.h"

namespace ShaderTool {

struct HLSLCompilerLibrary;

// Compiles HLSL through the platform's compiler library ("d3dcompiler_%i.dll"), which
// is loaded at run time so that the engine starts on systems without it. Serves the
// whole HLSL family; the target argument of Compile is not used.
class HLSLCompiler : public Compiler {
public:
    explicit HLSLCompiler(Log* errorLog);
    ~HLSLCompiler() override;

    // The code of the entry point "main", compiled for the profile of stage and level
    // (see MakeShaderProfile), is appended to output. On failure "compilation failed."
    // is logged as an error; the compiler's own messages, when it gives any, follow in
    // the log in both cases.
    bool Compile(uint32_t target, uint32_t level, uint32_t stage, const String& source, ByteBuffer& output) override;
    // Loads the newest library version from 47 down to 43 that has D3DCompile.
    bool Initialize() override;

    HLSLCompilerLibrary* library;   // owned
};

} // namespace ShaderTool

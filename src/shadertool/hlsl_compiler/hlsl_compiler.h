#pragma once

#include <cstdint>

class ByteBuffer;
class String;
struct OsShaderCompiler;

namespace ShaderTool {

struct Log;

// A compiler that turns translated shader text into the byte code a renderer loads.
// One serves each target family; the driver owns them and deletes them through this
// base. Only the HLSL family has one (HLSLCompiler).
class Compiler {
public:
    explicit Compiler(Log* errorLog) : errorLog(errorLog) {}
    virtual ~Compiler() = default;
    Compiler(const Compiler&) = delete;
    Compiler& operator=(const Compiler&) = delete;

    // Compiles source for one stage (ShaderStage) and shader level (0, or one
    // ShaderLevel bit) and appends the code to output. Messages go to the error log.
    virtual bool Compile(uint32_t target, uint32_t level, uint32_t stage, const String& source, ByteBuffer& output) = 0;
    // Finds whatever the compiler needs; false when it cannot work here.
    virtual bool Initialize() { return false; }

    Log* errorLog;   // the translator context's error log (borrowed)
};

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

    OsShaderCompiler* library;   // owned
};

// The HLSL compiler profile for a stage (ShaderStage) and a shader level: the stage's
// prefix ("vs_", "ps_") followed by the level's suffix (0 "3_0", 1 "4_0",
// 2 "4_0_level_9_1", 4 "5_0"). Any other stage or level gives the empty profile.
// Writes at most capacity bytes, always zero-terminated; answers the profile's length,
// or 0 when it is empty or does not fit.
int MakeShaderProfile(uint32_t stage, uint32_t level, char* profile, int capacity);

// Large enough for every profile MakeShaderProfile writes.
const int kShaderProfileCapacity = 32;

} // namespace ShaderTool

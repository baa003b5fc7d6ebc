#pragma once

#include <cstdint>

class ByteBuffer;
class String;

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

} // namespace ShaderTool

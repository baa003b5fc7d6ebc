// The compiler wrapper: profiles, how results and messages reach the output and the log
// (through a stand-in for D3DCompile), finding the library, and real compilation with the
// platform's library in a child process, where a compiler crash cannot take the run down.
#include "shadertool/shadertool_fixture.h"

#include <cstring>

#include "core/byte_buffer.h"
#include "platform/windows/os/shader_compiler_windows.h"
#include "shadertool/hlsl_compiler/hlsl_compiler.h"
#include "support/child_run.h"

namespace hlsl_compiler_test {
namespace {

using namespace ShaderTool;
using shadertool_test::Text;

// The profile written into capacity bytes; the answer must be its length.
std::string Profile(uint32_t stage, uint32_t level, int capacity = kShaderProfileCapacity) {
    char profile[kShaderProfileCapacity];
    int length = MakeShaderProfile(stage, level, profile, capacity);
    EXPECT_EQ(length, static_cast<int>(strlen(profile)));
    return profile;
}

TEST(ShaderProfile, StagePrefixAndLevelSuffix) {
    EXPECT_EQ(Profile(0, 0), "vs_3_0");
    EXPECT_EQ(Profile(1, 1), "ps_4_0");
    EXPECT_EQ(Profile(1, 2), "ps_4_0_level_9_1");
    EXPECT_EQ(Profile(0, 4), "vs_5_0");
    EXPECT_EQ(Profile(0, 3), "") << "levels are single bits";
    EXPECT_EQ(Profile(2, 1), "") << "there is no third stage";
    // Sixteen characters need seventeen bytes; one fewer is refused, never cut.
    EXPECT_EQ(Profile(1, 2, 17), "ps_4_0_level_9_1");
    EXPECT_EQ(Profile(1, 2, 16), "");
}

// A blob as the compiler library hands them out: handed out once, released once, counted.
class FakeBlob final : public ID3DBlob {
public:
    FakeBlob(std::string bytes, int* released) : bytes_(std::move(bytes)), released_(released) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override { *object = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { ++*released_; delete this; return 0; }
    LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return &bytes_[0]; }
    SIZE_T STDMETHODCALLTYPE GetBufferSize() override { return bytes_.size(); }

private:
    std::string bytes_;
    int* released_;
};

// What the stand-in answers, and what it was asked.
struct FakeCall {
    HRESULT result = S_OK;
    bool giveCode = true;
    std::string code = "DXBC";
    std::string messages;  // none when empty
    int released = 0;
    std::string entryPoint, profile;
    SIZE_T sourceSize = 0;
    bool hadExtras = false;  // source name, macros, include handler or flags
};
FakeCall g_call;

HRESULT WINAPI FakeD3DCompile(const void*, SIZE_T sourceSize, const char* sourceName, const D3D_SHADER_MACRO* defines,
                              ID3DInclude* include, const char* entryPoint, const char* profile, UINT flags1, UINT flags2,
                              ID3DBlob** code, ID3DBlob** messages)
{
    g_call.sourceSize = sourceSize;
    g_call.entryPoint = entryPoint;
    g_call.profile = profile;
    g_call.hadExtras = sourceName || defines || include || flags1 || flags2;
    *code = g_call.giveCode && SUCCEEDED(g_call.result) ? new FakeBlob(g_call.code, &g_call.released) : nullptr;
    *messages = !g_call.messages.empty() ? new FakeBlob(g_call.messages, &g_call.released) : nullptr;
    return g_call.result;
}

class HLSLCompilerWithStandIn : public ::testing::Test {
protected:
    void SetUp() override {
        g_call = FakeCall();
        compiler_.library->compile = FakeD3DCompile;
    }

    Log log_;
    HLSLCompiler compiler_{&log_};
};

TEST_F(HLSLCompilerWithStandIn, SuccessAppendsTheCodeAndLogsWarningsWithoutAnError) {
    g_call.code = std::string("DXBC\0\1", 6);
    g_call.messages = "warning X3206: implicit truncation";  // no terminating zero: only its size counts
    ByteBuffer output;
    output.WriteBytes("old", 3);
    ASSERT_TRUE(compiler_.Compile(32, kShaderLevelLow, kStagePixel, String("float4 main()"), output));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(output.data), output.size), std::string("oldDXBC\0\1", 9));
    EXPECT_EQ(g_call.profile, "ps_4_0_level_9_1");
    EXPECT_EQ(g_call.entryPoint, "main");
    EXPECT_EQ(g_call.sourceSize, strlen("float4 main()")) << "the length leaves the terminating zero out";
    EXPECT_FALSE(g_call.hadExtras);
    EXPECT_EQ(Text(log_), "- Compilation output:\nwarning X3206: implicit truncation\n\n");
    EXPECT_EQ(log_.hasText, 1);
    EXPECT_EQ(log_.hasError, 0);
    EXPECT_EQ(g_call.released, 2) << "both blobs are released";
}

TEST_F(HLSLCompilerWithStandIn, FailureLogsAnErrorAndTheMessagesEndingInOneEmptyLine) {
    g_call.result = E_FAIL;
    g_call.messages = std::string("(3,5): error X3000: syntax error\r\n\r\n\0garbage", 45);
    ByteBuffer output;
    EXPECT_FALSE(compiler_.Compile(32, 0, kStageVertex, String(), output));
    EXPECT_EQ(g_call.profile, "vs_3_0");
    EXPECT_EQ(g_call.sourceSize, 0u) << "a null source is compiled as empty text";
    EXPECT_EQ(output.size, 0);
    EXPECT_EQ(Text(log_), "Error: compilation failed.\n- Compilation output:\n(3,5): error X3000: syntax error\n\n");
    EXPECT_EQ(log_.hasError, 1);
}

TEST_F(HLSLCompilerWithStandIn, CodeThatCannotBeStoredWholeIsAFailure) {
    g_call.code = "0123456789";
    char storage[8] = {};
    ByteBuffer output;
    ASSERT_TRUE(output.AttachExternalStorage(storage, sizeof(storage), 0));
    EXPECT_FALSE(compiler_.Compile(32, 1, 0, String("x"), output));
    EXPECT_EQ(output.size, 0) << "caller storage is never written past";
    EXPECT_EQ(Text(log_), "Error: compilation failed.\n");
    log_.Clear();
    g_call.giveCode = false;
    ByteBuffer owned;
    EXPECT_FALSE(compiler_.Compile(32, 1, 0, String("x"), owned)) << "success without code gives the renderer nothing";
    EXPECT_EQ(Text(log_), "Error: compilation failed.\n");
}

const char* const kChildVariable = "QUAVEN_HLSL_COMPILER_CHILD";

const char* const kShaders[2] = {
    "cbuffer Constants : register(b0) { float4x4 wvp; };\n"
    "struct VertexInput { float4 position : POSITION; float4 color : COLOR; float2 uv : TEXCOORD0; };\n"
    "struct VertexOutput { float4 position : SV_POSITION; float4 color : COLOR; float2 uv : TEXCOORD0; };\n"
    "VertexOutput main(VertexInput input)\n{\n    VertexOutput output;\n    output.position = mul(wvp, input.position);\n"
    "    output.color = input.color;\n    output.uv = input.uv;\n    return output;\n}\n",
    "Texture2D sprite : register(t0);\nSamplerState spriteSampler : register(s0);\n"
    "struct PixelInput { float4 position : SV_POSITION; float4 color : COLOR; float2 uv : TEXCOORD0; };\n"
    "float4 main(PixelInput input) : SV_TARGET\n{\n    return sprite.Sample(spriteSampler, input.uv) * input.color;\n}\n"};

// Runs in the child. The newest library is taken, and versions that do not exist are
// passed over, as on a system with only _43. Then it compiles both stages for every level
// into one code buffer per stage, as the driver collects them. Levels 1, 2 and 4 give
// Direct3D 10+ containers ("DXBC"), level 0 shader model 3 code (version token first).
void CompileWithThePlatformLibrary() {
    Log log;
    HLSLCompiler compiler(&log);
    ByteBuffer none;
    EXPECT_FALSE(compiler.Compile(32, 1, 0, String("x"), none)) << "no library yet";
    EXPECT_EQ(Text(log), "Error: compilation failed.\n");
    ASSERT_TRUE(compiler.Initialize());
    HMODULE newest = compiler.library->module;
    EXPECT_EQ(newest, GetModuleHandleA("d3dcompiler_47.dll"));
    EXPECT_TRUE(compiler.Initialize());
    EXPECT_EQ(compiler.library->module, newest) << "a second call keeps the library it has";
    HLSLCompiler oldest(nullptr), missing(nullptr);
    const int versions[] = {90, 91, 92, 93, 43};
    ASSERT_TRUE(QVI_OsLoadShaderCompiler(oldest.library, versions, 5));
    EXPECT_EQ(oldest.library->module, GetModuleHandleA("d3dcompiler_43.dll"));
    EXPECT_FALSE(QVI_OsLoadShaderCompiler(missing.library, versions, 4));
    EXPECT_EQ(missing.library->module, nullptr);
    EXPECT_EQ(missing.library->compile, nullptr);
    log.Clear();
    for (uint32_t stage = 0; stage < 2; ++stage) {
        ByteBuffer code;
        int start = 0;
        const uint32_t sm3Version = stage == 0 ? 0xFFFE0300u : 0xFFFF0300u;
        for (uint32_t level : {1u, 2u, 4u, 0u}) {
            ASSERT_TRUE(compiler.Compile(32, level, stage, String(kShaders[stage]), code)) << Profile(stage, level) << "\n"
                                                                                           << Text(log);
            ASSERT_GT(code.size, start + 4) << Profile(stage, level);
            EXPECT_EQ(memcmp(code.data + start, level != 0 ? static_cast<const void*>("DXBC") : &sm3Version, 4), 0)
                << Profile(stage, level);
            start = code.size;
        }
    }
    EXPECT_EQ(log.hasError, 0);
    log.Clear();
    ByteBuffer broken;
    EXPECT_FALSE(compiler.Compile(32, 1, 1, String("float4 main() : SV_TARGET { return undefinedName; }"), broken));
    EXPECT_FALSE(compiler.Compile(32, 3, 1, String(kShaders[1]), broken)) << "the empty profile";
    EXPECT_EQ(broken.size, 0);
    EXPECT_EQ(Text(log).rfind("Error: compilation failed.\n", 0), 0u) << Text(log);
}

TEST(HLSLCompilerPlatform, FindsTheNewestLibraryAndCompilesBothStagesForEveryLevel) {
    if (quaven_test::InChild(kChildVariable))
        return CompileWithThePlatformLibrary();
    EXPECT_EQ(quaven_test::RunCurrentTestInChild(kChildVariable), 0u)
        << "the compilation checks failed, the compiler crashed, or the child did not finish";
}

} // namespace
} // namespace hlsl_compiler_test

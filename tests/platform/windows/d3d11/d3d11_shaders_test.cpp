// Shaders made from the built-in code and from a game's precompiled code, drawn through the
// renderer's own buffers: what they draw, where their constants lie, the matrix order, the
// input layouts, creation on a game thread, and what is refused.
#include "platform/windows/d3d11/d3d11_test_support.h"

#include <d3d11shader.h>

#include <cstring>
#include <thread>

namespace d3d11_test {
namespace {

using D3D11ShadersTest = D3D11PipelineTest;
using quaven_test::LogCapture;

const Rgba8 kBlack{0, 0, 0, 255};

// A 2x1 texture, white then cyan, under a vertex colour of (255, 128, 255); then the same
// quad with world_view_proj translating by (0.5, -0.5) in clip space, elements 3 and 7 of
// the engine's row-major matrix: 16 pixels right and 12 down.
TEST_F(D3D11ShadersTest, TheBuiltInShaderDrawsTexturedVertexColouredQuadsThatATranslationMoves) {
    const D3D11ShaderData* data = shader_->Data();
    ASSERT_TRUE(data && data->vertexShader && data->pixelShader && data->inputLayout && data->vertexConstants);
    EXPECT_EQ(nullptr, data->pixelConstants) << "no pixel constants, no buffer";
    EXPECT_EQ(64u, data->vertexConstantBytes);
    const uint8_t texels[8] = {255, 255, 255, 255, 0, 255, 255, 255};
    BindTexture(2, 1, texels);
    DrawQuad(0, 0, 16, 16, 0xFFFF80FF);
    EXPECT_EQ(kShaderConstantsUploaded, shader_->record.flags & kShaderConstantsUploaded);
    for (int moved = 0; moved < 2; ++moved) {
        const TestImage image = ReadBack();
        const int dx = moved * 16, dy = moved * 12;
        EXPECT_TRUE(PixelNear(image, 3 + dx, 8 + dy, Rgba8{255, 128, 255, 255}, 1)) << moved;
        EXPECT_TRUE(PixelNear(image, 12 + dx, 8 + dy, Rgba8{0, 128, 255, 255}, 1)) << moved;
        EXPECT_TRUE(PixelNear(image, 17 + dx, 8 + dy, kBlack, 0)) << moved;
        shader_->VertexValues()[3] = 0.5f;
        shader_->VertexValues()[7] = -0.5f;
        renderer_.ClearColor(0, 0, 0, 1);
        DrawQuad(0, 0, 16, 16, 0xFFFF80FF);
    }
}

// Alphas 0.2, 0.45, 0.55 and 0.8 around the edge at 0.5, smoothing 0.1: smoothstep(0.4, 0.6).
TEST_F(D3D11ShadersTest, TheDistanceFieldShaderSmoothsTheEdge) {
    std::unique_ptr<TestShader> field = MakeBuiltInShader(kBuiltInDistanceFieldShader, 1, 16);
    field->PixelValues()[0] = 0.1f;
    ASSERT_TRUE(field->Create(renderer_));
    EXPECT_EQ(16u, field->Data()->pixelConstantBytes);
    renderer_.SetShader(&field->record);
    const uint8_t texels[16] = {255, 255, 255, 51, 255, 255, 255, 115, 255, 255, 255, 140, 255, 255, 255, 204};
    BindTexture(4, 1, texels);
    DrawQuad(0, 0, 64, 16, 0xFFFFFFFF);
    const TestImage image = ReadBack();
    const uint8_t expected[4] = {0, 41, 214, 255};
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(PixelNear(image, 8 + 16 * i, 8, Rgba8{255, 255, 255, expected[i]}, 3)) << i;
    renderer_.DestroyShader(&field->record);
}

// D3DReflect of the compiled code of every level: world_view_proj fills registers 0 to 3 of
// the vertex stage's buffer 0, smoothing register 0 of the pixel stage's, and the diffuse
// texture and its sampler take slot 0. Then the input layouts and constant-buffer sizes.
TEST(D3D11BuiltInShaderCode, ConstantsTexturesLevelsAndInputLayoutsAsTheRendererUploadsThem) {
    typedef HRESULT(WINAPI * Reflect)(const void*, SIZE_T, REFIID, void**);
    const Reflect reflect = reinterpret_cast<Reflect>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("d3dcompiler_47.dll"), "D3DReflect")));
    const GUID kReflectionInterface = {0x8d536ca1, 0x0cca, 0x4956, {0xa8, 0x37, 0x78, 0x69, 0x63, 0x75, 0x55, 0x84}};
    ASSERT_NE(nullptr, reflect);
    for (BuiltInShader which : {kBuiltInDefaultShader, kBuiltInDistanceFieldShader}) {
        for (int level : {1, 2, 4}) {
            BuiltInShaderCode code;
            ASSERT_TRUE(QVI_GetBuiltInShaderCode(which, QV_SHADER_LANGUAGE_HLSL11, level, &code));
            for (int stage = 0; stage < 2; ++stage) {
                SCOPED_TRACE(testing::Message() << "shader " << which << " level " << level << " stage " << stage);
                ID3D11ShaderReflection* shader = nullptr;
                ASSERT_TRUE(SUCCEEDED(reflect(stage ? code.pixelCode : code.vertexCode,
                                              stage ? code.pixelSize : code.vertexSize, kReflectionInterface,
                                              reinterpret_cast<void**>(&shader))));
                D3D11_SHADER_DESC description;
                shader->GetDesc(&description);
                EXPECT_EQ(level == 4 ? 5u : 4u, (description.Version >> 4) & 0xF);
                const bool constants = stage == 0 || which == kBuiltInDistanceFieldShader;
                EXPECT_EQ(constants ? 1u : 0u, description.ConstantBuffers);
                D3D11_SHADER_INPUT_BIND_DESC bind;
                if (constants) {
                    D3D11_SHADER_VARIABLE_DESC variable;
                    ID3D11ShaderReflectionVariable* first = shader->GetConstantBufferByIndex(0)->GetVariableByIndex(0);
                    ASSERT_TRUE(SUCCEEDED(first->GetDesc(&variable)));
                    EXPECT_STREQ(stage == 0 ? "world_view_proj" : "smoothing", variable.Name);
                    EXPECT_EQ(0u, variable.StartOffset);
                    EXPECT_EQ(stage == 0 ? 64u : 16u, variable.Size);
                    ASSERT_TRUE(SUCCEEDED(shader->GetResourceBindingDescByName("Constants", &bind)));
                    EXPECT_EQ(0u, bind.BindPoint);
                }
                for (const char* name : {"_tex_diffuse", "_smp_diffuse"}) {
                    if (stage == 0) break;
                    ASSERT_TRUE(SUCCEEDED(shader->GetResourceBindingDescByName(name, &bind))) << name;
                    EXPECT_EQ(0u, bind.BindPoint) << name;
                }
                shader->Release();
            }
        }
    }
    BuiltInShaderCode code;
    for (int level : {0, 3, 8}) EXPECT_FALSE(QVI_GetBuiltInShaderCode(kBuiltInDefaultShader, 32, level, &code));
    // Source texts for the other languages, but no default shader for HLSL9 and no compiled
    // PSSL or GXP code.
    for (int language : {16, 64, 128})
        EXPECT_FALSE(QVI_GetBuiltInShaderCode(kBuiltInDefaultShader, language, 1, &code));
    EXPECT_TRUE(code.vertexCode == nullptr && code.vertexSize == 0 && code.pixelSize == 0);
    // The input layouts: elements in layout order, each at the sum of the sizes before it.
    D3D11_INPUT_ELEMENT_DESC elements[kD3D11MaxInputElements];
    ASSERT_EQ(8, QVI_D3D11BuildInputElements(495, true, elements));
    const UINT offsets[8] = {0, 12, 16, 24, 36, 48, 60, 64};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(offsets[i], elements[i].AlignedByteOffset) << elements[i].SemanticName;
    EXPECT_TRUE(!strcmp(elements[6].SemanticName, "BLENDINDICES") && elements[1].Format == DXGI_FORMAT_B8G8R8A8_UNORM);
    ASSERT_EQ(4, QVI_D3D11BuildInputElements(1 | 2 | 4 | 16, false, elements));
    EXPECT_TRUE(elements[3].SemanticIndex == 1 && elements[3].AlignedByteOffset == 24);
    EXPECT_EQ(DXGI_FORMAT_R8G8B8A8_UNORM, elements[1].Format);
    EXPECT_EQ(32u, QVI_D3D11ConstantBufferBytes(20));
    EXPECT_EQ(65536u, QVI_D3D11ConstantBufferBytes(65536)) << "the largest table still fits";
}

// A game's shader as a precompiled code file holds it: a pixel constant colour mixed by a
// float3x3 whose rows the engine writes into registers 1 to 3. The mixing takes red from
// green, green from blue and blue from red, which tells the matrix from its transpose.
const char kGamePixelSource[] =
    "cbuffer Constants : register(b0) { float4 tint; float3x3 mixing; };\n"
    "struct PixelInput { float4 position : SV_POSITION; float4 color : COLOR0; float2 uv : TEXCOORD0; };\n"
    "float4 main(PixelInput input) : SV_TARGET0 { return float4(mul(tint.rgb, mixing), tint.a); }\n";

TEST_F(D3D11ShadersTest, AGameShadersConstantColourReachesTheScreenOnEveryDrawAndShadersCanBeMadeOnAGameThread) {
    BuiltInShaderCode builtIn;
    ASSERT_TRUE(QVI_GetBuiltInShaderCode(kBuiltInDefaultShader, QV_SHADER_LANGUAGE_HLSL11, 1, &builtIn));
    const std::vector<uint8_t> pixelCode = CompileCode(kGamePixelSource, "ps_4_0");
    ASSERT_FALSE(pixelCode.empty());
    TestShader game(builtIn.vertexCode, builtIn.vertexSize, pixelCode.data(), int(pixelCode.size()),
                    QV_VERTEX_FORMAT_BATCH, 64, 64);
    memcpy(game.VertexValues(), shader_->VertexValues(), 64);
    const float constants[16] = {1, 0.5f, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0};
    memcpy(game.PixelValues(), constants, sizeof constants);
    ASSERT_EQ(QV_THREADING_CREATE_SHADERS, renderer_.GetThreadingCapabilities() & QV_THREADING_CREATE_SHADERS);
    bool created = false;
    std::thread([&] { created = game.Create(renderer_); }).join();
    ASSERT_TRUE(created) << "made on a game thread, used on the main thread";
    renderer_.SetShader(&game.record);
    DrawQuad(0, 0, 16, 16, 0xFFFFFFFF);
    game.PixelValues()[0] = 0;
    game.PixelValues()[2] = 1;
    DrawQuad(16, 0, 32, 16, 0xFFFFFFFF);
    const TestImage image = ReadBack();
    EXPECT_TRUE(PixelNear(image, 8, 8, Rgba8{128, 0, 255, 255}, 1));
    EXPECT_TRUE(PixelNear(image, 24, 8, Rgba8{128, 255, 0, 255}, 1)) << "uploaded again for the second draw";
    renderer_.DestroyShader(&game.record);
    EXPECT_EQ(nullptr, game.record.rendererData);
}

TEST_F(D3D11ShadersTest, BadCodeFormatsAndSizesAreRefusedAndAFailedCreationKeepsNothing) {
    BuiltInShaderCode code;
    ASSERT_TRUE(QVI_GetBuiltInShaderCode(kBuiltInDefaultShader, QV_SHADER_LANGUAGE_HLSL11, 1, &code));
    EXPECT_FALSE(renderer_.CreateShader(nullptr, nullptr, shader_->code));
    struct Case { const uint8_t* vertex; int vertexSize; const uint8_t* pixel; int pixelSize; int format, bytes; };
    const Case cases[] = {
        {code.vertexCode, 0, code.pixelCode, code.pixelSize, 7, 64},                        // empty
        {code.vertexCode, code.vertexSize - 1, code.pixelCode, code.pixelSize, 7, 64},      // truncated
        {code.vertexCode, code.vertexSize, code.pixelCode, code.pixelSize, 1024, 64},       // unknown format
        {code.vertexCode, code.vertexSize, code.pixelCode, code.pixelSize, 7, 65552},       // too many constants
        {code.vertexCode, code.vertexSize, code.pixelCode, code.pixelSize, 1, 64},          // no layout
        {code.vertexCode, code.vertexSize, code.vertexCode, code.vertexSize, 7, 64},        // not pixel code
    };
    for (const Case& c : cases) {
        TestShader bad(c.vertex, c.vertexSize, c.pixel, c.pixelSize, c.format, c.bytes, 0);
        EXPECT_FALSE(bad.Create(renderer_)) << c.format << " " << c.bytes;
        EXPECT_EQ(nullptr, bad.record.rendererData);
    }
    for (const char* line : {"CreateShader without a shader", "failed to create an input layout.",
                             "failed to create pixel shader 'test_shader'.", "unknown vertex format 1024",
                             "65552 bytes of constants"})
        EXPECT_EQ(1, LogCapture::CountContaining(line)) << line;
    EXPECT_EQ(2, LogCapture::CountContaining("is empty or not whole", QV_LOG_WARNING));
    {
        RefusedMethod3 refused(renderer_.device, kDeviceCreateBufferSlot);
        std::unique_ptr<TestShader> noBuffer = MakeBuiltInShader(kBuiltInDefaultShader, 1, 0);
        EXPECT_FALSE(noBuffer->Create(renderer_));
        EXPECT_EQ(nullptr, noBuffer->record.rendererData);
        EXPECT_EQ(1, LogCapture::CountContaining("failed to create a vertex constant buffer.", QV_LOG_ERROR));
    }
    // Made again, a shader gives up its old objects; destroyed while current, it is no longer
    // drawn with.
    ASSERT_TRUE(shader_->Create(renderer_) && shader_->record.rendererData);
    renderer_.SetShader(&shader_->record);
    renderer_.DestroyShader(&shader_->record);
    EXPECT_EQ(nullptr, renderer_.currentShader);
    DrawQuad(0, 0, 16, 16, 0xFFFFFFFF);
    EXPECT_EQ(1, LogCapture::CountContaining("no shader is set"));
    EXPECT_TRUE(PixelNear(ReadBack(), 8, 8, kBlack, 0));
}

}  // namespace
}  // namespace d3d11_test

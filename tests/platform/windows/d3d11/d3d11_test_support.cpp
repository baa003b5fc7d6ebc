#include "platform/windows/d3d11/d3d11_test_support.h"

#include "support/process.h"

#include <d3dcompiler.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace d3d11_test {

namespace {

// Same stack use as the two-argument methods it stands in for.
HRESULT __stdcall RefuseCall(void*, void*, void*) { return DXGI_ERROR_NOT_CURRENTLY_AVAILABLE; }
HRESULT __stdcall RefuseCall3(void*, void*, void*, void*) { return DXGI_ERROR_NOT_CURRENTLY_AVAILABLE; }

const char kShaderSource[] =
    "struct VIn { float3 p : POSITION; float4 c : COLOR; float2 t : TEXCOORD; };"
    "struct VOut { float4 p : SV_Position; float4 c : COLOR; float2 t : TEXCOORD; };"
    "VOut vs(VIn i) { VOut o; o.p = float4(i.p, 1); o.c = i.c; o.t = i.t; return o; }"
    "Texture2D image; SamplerState imageSampler;"
    "float4 ps(VOut i) : SV_Target { return i.c * image.Sample(imageSampler, i.t); }";

ID3DBlob* Compile(const char* entry, const char* profile) {
    static pD3DCompile compile = reinterpret_cast<pD3DCompile>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("d3dcompiler_47.dll"), "D3DCompile")));
    ID3DBlob* code = nullptr;
    if (compile)
        compile(kShaderSource, sizeof kShaderSource - 1, "test", nullptr, nullptr, entry, profile, 0, 0, &code, nullptr);
    return code;
}

struct Vertex { float x, y, z, r, g, b, a, u, v; };

uint32_t BigEndian32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }

uint8_t Channel(uint32_t pixel, uint32_t mask) {
    int shift = 0;
    while (mask && !((mask >> shift) & 1)) ++shift;
    return mask ? static_cast<uint8_t>((pixel & mask) >> shift) : 0;
}

}  // namespace

std::vector<uint8_t> ReadSubresource(RendImpDirect3D11& renderer, ID3D11Texture2D* texture, UINT subresource,
                                     int texelBytes) {
    std::vector<uint8_t> bytes;
    D3D11_TEXTURE2D_DESC description;
    if (!texture || !renderer.device) return bytes;
    texture->GetDesc(&description);
    const UINT level = subresource % description.MipLevels;
    const UINT width = std::max(1u, description.Width >> level), height = std::max(1u, description.Height >> level);
    description.Usage = D3D11_USAGE_STAGING, description.BindFlags = 0, description.MiscFlags = 0;
    description.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    ID3D11Texture2D* staging = nullptr;
    D3D11_MAPPED_SUBRESOURCE mapped;
    if (FAILED(renderer.device->CreateTexture2D(&description, nullptr, &staging))) return bytes;
    renderer.context->CopyResource(staging, texture);
    if (SUCCEEDED(renderer.context->Map(staging, subresource, D3D11_MAP_READ, 0, &mapped))) {
        for (UINT y = 0; y < height; ++y) {
            const uint8_t* row = static_cast<const uint8_t*>(mapped.pData) + y * mapped.RowPitch;
            bytes.insert(bytes.end(), row, row + width * texelBytes);
        }
        renderer.context->Unmap(staging, subresource);
    }
    staging->Release();
    return bytes;
}

bool ReadScreenPixel(int x, int y, Rgba8* out) {
    const char* folder = getenv("QUAVEN_SCREEN_DIR");
    FILE* file = folder ? fopen((std::string("Z:") + folder + "/Xvfb_screen0").c_str(), "rb") : nullptr;
    if (!file) return false;
    // An XWD image: a header of 32-bit words, most significant byte first, a colour map of
    // 12-byte entries, then the pixels in the header's byte order.
    uint8_t h[100];
    uint8_t p[4] = {};
    bool read = fread(h, 1, sizeof h, file) == sizeof h && BigEndian32(h + 4) == 7 && BigEndian32(h + 44) == 32 &&
                x >= 0 && y >= 0 && uint32_t(x) < BigEndian32(h + 16) && uint32_t(y) < BigEndian32(h + 20);
    read = read && fseek(file, long(BigEndian32(h) + BigEndian32(h + 76) * 12 + y * BigEndian32(h + 48) + x * 4),
                         SEEK_SET) == 0 && fread(p, 1, 4, file) == 4;
    fclose(file);
    const uint32_t pixel = BigEndian32(h + 28) == 0 ? p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24)
                                                    : BigEndian32(p);
    *out = Rgba8{Channel(pixel, BigEndian32(h + 56)), Channel(pixel, BigEndian32(h + 60)),
                 Channel(pixel, BigEndian32(h + 64)), 255};
    return read;
}

bool RunsAloneOnTheScreen() { return !quaven_test::EnvironmentVariable("QUAVEN_TEST_SCREEN_ALONE").empty(); }

TestDrawing::TestDrawing(RendImpDirect3D11& renderer) : renderer_(renderer) {
    ID3DBlob* vertexCode = Compile("vs", "vs_4_0");
    ID3DBlob* pixelCode = Compile("ps", "ps_4_0");
    ID3D11Device* device = renderer.device;
    if (device && vertexCode && pixelCode) {
        device->CreateVertexShader(vertexCode->GetBufferPointer(), vertexCode->GetBufferSize(), nullptr,
                                   &vertexShader_);
        device->CreatePixelShader(pixelCode->GetBufferPointer(), pixelCode->GetBufferSize(), nullptr, &pixelShader_);
        const D3D11_INPUT_ELEMENT_DESC elements[] = {
            {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
            {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 12, D3D11_INPUT_PER_VERTEX_DATA, 0},
            {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, 28, D3D11_INPUT_PER_VERTEX_DATA, 0},
        };
        device->CreateInputLayout(elements, 3, vertexCode->GetBufferPointer(), vertexCode->GetBufferSize(), &layout_);
        const D3D11_BUFFER_DESC description = {6 * sizeof(Vertex), D3D11_USAGE_DYNAMIC, D3D11_BIND_VERTEX_BUFFER,
                                               D3D11_CPU_ACCESS_WRITE, 0, 0};
        device->CreateBuffer(&description, nullptr, &vertices_);
        const uint8_t white[4] = {255, 255, 255, 255};
        white_ = Texture(1, 1, white);
    }
    for (IUnknown* object : std::vector<IUnknown*>{vertexCode, pixelCode})
        if (object) object->Release();
    for (IUnknown* object : std::vector<IUnknown*>{vertexShader_, pixelShader_, layout_, vertices_})
        if (object) objects_.push_back(object);
}

ID3D11ShaderResourceView* TestDrawing::Texture(int width, int height, const uint8_t* rgba) {
    const D3D11_TEXTURE2D_DESC description = {UINT(width), UINT(height), 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0},
                                              D3D11_USAGE_IMMUTABLE, D3D11_BIND_SHADER_RESOURCE, 0, 0};
    const D3D11_SUBRESOURCE_DATA data = {rgba, UINT(width * 4), 0};
    ID3D11Texture2D* texture = nullptr;
    ID3D11ShaderResourceView* view = nullptr;
    if (SUCCEEDED(renderer_.device->CreateTexture2D(&description, &data, &texture))) {
        objects_.push_back(texture);
        if (SUCCEEDED(renderer_.device->CreateShaderResourceView(texture, nullptr, &view))) objects_.push_back(view);
    }
    return view;
}

void TestDrawing::Draw(const float colour[4], float depth, bool counterClockwise, ID3D11ShaderResourceView* texture,
                       float u0, float u1) {
    // Corners top-left, top-right, bottom-left, bottom-right in clip space; (0, 1, 2) and
    // (2, 1, 3) run clockwise on screen.
    static const int kClockwise[6] = {0, 1, 2, 2, 1, 3};
    static const int kCounterClockwise[6] = {0, 2, 1, 2, 3, 1};
    const float corners[4][4] = {{-1, 1, u0, 0}, {1, 1, u1, 0}, {-1, -1, u0, 1}, {1, -1, u1, 1}};
    D3D11_MAPPED_SUBRESOURCE mapped;
    if (!Ready() || FAILED(renderer_.context->Map(vertices_, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped))) return;
    for (int i = 0; i < 6; ++i) {
        const float* c = corners[(counterClockwise ? kCounterClockwise : kClockwise)[i]];
        static_cast<Vertex*>(mapped.pData)[i] = {c[0], c[1], depth, colour[0], colour[1], colour[2], colour[3],
                                                 c[2], c[3]};
    }
    renderer_.context->Unmap(vertices_, 0);
    renderer_.PrepareDepthStencilState();
    const UINT stride = sizeof(Vertex), offset = 0;
    renderer_.context->IASetInputLayout(layout_);
    renderer_.context->IASetVertexBuffers(0, 1, &vertices_, &stride, &offset);
    renderer_.context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    renderer_.context->VSSetShader(vertexShader_, nullptr, 0);
    renderer_.context->PSSetShader(pixelShader_, nullptr, 0);
    renderer_.context->PSSetShaderResources(0, 1, &texture);
    renderer_.context->Draw(6, 0);
}

RefusedMethod::RefusedMethod(IUnknown* object, int slot) {
    DWORD protection = 0;
    void** entry = object ? *reinterpret_cast<void***>(object) + slot : nullptr;
    if (!entry || !VirtualProtect(entry, sizeof(void*), PAGE_EXECUTE_READWRITE, &protection)) return;
    entry_ = entry;
    original_ = *entry_;
    *entry_ = reinterpret_cast<void*>(RefuseCall);
}

RefusedMethod3::RefusedMethod3(IUnknown* object, int slot) {
    DWORD protection = 0;
    void** entry = object ? *reinterpret_cast<void***>(object) + slot : nullptr;
    if (!entry || !VirtualProtect(entry, sizeof(void*), PAGE_EXECUTE_READWRITE, &protection)) return;
    entry_ = entry;
    original_ = *entry_;
    *entry_ = reinterpret_cast<void*>(RefuseCall3);
}

std::vector<uint8_t> CompileCode(const char* source, const char* profile) {
    static pD3DCompile compile = reinterpret_cast<pD3DCompile>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("d3dcompiler_47.dll"), "D3DCompile")));
    ID3DBlob* blob = nullptr;
    std::vector<uint8_t> code;
    if (compile && SUCCEEDED(compile(source, std::string(source).size(), "test", nullptr, nullptr, "main", profile, 0,
                                     0, &blob, nullptr)))
        code.assign(static_cast<uint8_t*>(blob->GetBufferPointer()),
                    static_cast<uint8_t*>(blob->GetBufferPointer()) + blob->GetBufferSize());
    if (blob) blob->Release();
    return code;
}

BatchVertex PixelVertex(float x, float y, uint32_t color, float u, float v) {
    return BatchVertex{x / (kWindowWidth / 2.0f) - 1, 1 - y / (kWindowHeight / 2.0f), 0.5f, color, u, v};
}

void PixelQuad(BatchVertex out[4], int x0, int y0, int x1, int y1, uint32_t color) {
    out[0] = PixelVertex(x0, y0, color, 0, 0), out[1] = PixelVertex(x1, y0, color, 1, 0);
    out[2] = PixelVertex(x0, y1, color, 0, 1), out[3] = PixelVertex(x1, y1, color, 1, 1);
}

TestShader::TestShader(const uint8_t* vertexCode, int vertexSize, const uint8_t* pixelCode, int pixelSize,
                       int vertexFormat, int vertexConstantBytes, int pixelConstantBytes) {
    static char name[] = "test_shader";
    record.name = name;
    record.vertexFormat = vertexFormat;
    code[0].WriteBytes(vertexCode, vertexSize);
    code[1].WriteBytes(pixelCode, pixelSize);
    ShaderConstantTable* tables[2] = {&record.vertexConstants, &record.pixelConstants};
    const int bytes[2] = {vertexConstantBytes, pixelConstantBytes};
    for (int stage = 0; stage < 2; ++stage) {
        if (bytes[stage] <= 0) continue;
        values_[stage].assign(size_t(bytes[stage]), 0);
        entries_[stage].value = values_[stage].data();
        entries_[stage].arrayCount = 1;
        *tables[stage] = ShaderConstantTable{values_[stage].data(), &entries_[stage], bytes[stage], 1};
    }
}

void D3D11PipelineTest::SetUp() {
    D3D11DrawingTest::SetUp();
    if (HasFatalFailure()) return;
    shader_ = MakeBuiltInShader(kBuiltInDefaultShader, QV_SHADER_LEVEL_DEFAULT, 0);
    ASSERT_TRUE(shader_ && shader_->Create(renderer_));
    renderer_.SetShader(&shader_->record);
    renderer_.SetSamplerFilter(0, QV_FILTER_POINT, QV_FILTER_POINT, QV_FILTER_POINT);
    const uint8_t white[4] = {255, 255, 255, 255};
    BindTexture(1, 1, white);
    renderer_.ClearColor(0, 0, 0, 1);
}

void D3D11PipelineTest::BindTexture(int width, int height, const uint8_t* rgba) {
    ID3D11ShaderResourceView* view = drawing_->Texture(width, height, rgba);
    renderer_.context->PSSetShaderResources(0, 1, &view);
}

std::unique_ptr<TestShader> D3D11PipelineTest::MakeBuiltInShader(BuiltInShader which, int level, int pixelBytes) {
    BuiltInShaderCode code;
    if (!QVI_GetBuiltInShaderCode(which, QV_SHADER_LANGUAGE_HLSL11, level, &code)) return nullptr;
    auto shader = std::make_unique<TestShader>(code.vertexCode, code.vertexSize, code.pixelCode, code.pixelSize,
                                               QV_VERTEX_FORMAT_BATCH, 64, pixelBytes);
    for (int i = 0; i < 4; ++i) shader->VertexValues()[i * 5] = 1;
    return shader;
}

void D3D11PipelineTest::DrawQuad(int x0, int y0, int x1, int y1, uint32_t color, int instances) {
    RendererVertexBuffer* vertices = renderer_.CreateVertexBuffer(QV_VERTEX_FORMAT_BATCH, 4, QV_BUFFER_STATIC);
    RendererIndexBuffer* indices = renderer_.CreateIndexBuffer(6, QV_BUFFER_STATIC);
    BatchVertex corners[4];
    PixelQuad(corners, x0, y0, x1, y1, color);
    if (renderer_.UploadVertices(vertices, corners) && renderer_.UploadIndices(indices, kQuadIndices)) {
        if (instances == 1) renderer_.DrawIndexedTriangles(vertices, 4, indices, 2);
        else renderer_.DrawIndexedTrianglesInstanced(vertices, 4, indices, 2, instances);
    }
    renderer_.DestroyVertexBuffer(vertices);
    renderer_.DestroyIndexBuffer(indices);
}

}  // namespace d3d11_test

// Shaders: the engine's shader records turned into vertex and pixel shaders with an input
// layout and one constant buffer per stage that has constants, their binding, and the
// upload of the constant tables before each draw. The code is compiled HLSL (a "DXBC"
// container per stage): translated and compiled by the shader translator, read from
// precompiled files by the shader pool, or the built-in shaders' code made at build time.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include <cstring>
#include <initializer_list>
#include <new>

#include "core/byte_buffer.h"
#include "core/engine_log.h"

namespace {

struct InputElement {
    int bit;
    const char* semantic;
    UINT index;
    DXGI_FORMAT format;
};

// The layout's order, which is not the order of the bits: TEXCOORD 1 comes before NORMAL.
// COLOR's format is chosen by the device's capability.
const InputElement kInputElements[kD3D11MaxInputElements] = {
    {QV_VERTEX_POSITION, "POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT},
    {QV_VERTEX_COLOR, "COLOR", 0, DXGI_FORMAT_B8G8R8A8_UNORM},
    {QV_VERTEX_TEXTURE_COORDINATE_0, "TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT},
    {QV_VERTEX_TEXTURE_COORDINATE_1, "TEXCOORD", 1, DXGI_FORMAT_R32G32_FLOAT},
    {QV_VERTEX_NORMAL, "NORMAL", 0, DXGI_FORMAT_R32G32B32_FLOAT},
    {QV_VERTEX_TANGENT, "TANGENT", 0, DXGI_FORMAT_R32G32B32_FLOAT},
    {QV_VERTEX_BITANGENT, "BINORMAL", 0, DXGI_FORMAT_R32G32B32_FLOAT},
    {QV_VERTEX_4_BONE_INDICES, "BLENDINDICES", 0, DXGI_FORMAT_R8G8B8A8_UINT},
    {QV_VERTEX_4_BONE_WEIGHTS, "BLENDWEIGHT", 0, DXGI_FORMAT_R32G32B32A32_FLOAT},
};

const int kKnownVertexElements = 0x1FF;

// "DXBC", then a 16-byte checksum, a version word and the container's size in bytes.
const uint8_t kContainerMagic[4] = {'D', 'X', 'B', 'C'};
const int32_t kContainerSizeOffset = 24;
const int32_t kContainerHeaderBytes = 32;

const char* NameOf(const Shader* shader)
{
    return shader->name ? shader->name : "";
}

void ReleaseShaderData(D3D11ShaderData* data)
{
    ReleaseAndNull(data->pixelConstants);
    ReleaseAndNull(data->vertexConstants);
    ReleaseAndNull(data->pixelShader);
    ReleaseAndNull(data->inputLayout);
    ReleaseAndNull(data->vertexShader);
    delete data;
}

// A dynamic constant buffer for the table, or null (with nothing made) when it has no
// constants or the device refuses it; `bytes` gets its size.
bool CreateConstantBuffer(ID3D11Device* device, const ShaderConstantTable& table, ID3D11Buffer** buffer,
                          uint32_t* bytes, const char* failure)
{
    if (!QVI_D3D11TableHasConstants(table))
        return true;
    D3D11_BUFFER_DESC description = {};
    description.ByteWidth = QVI_D3D11ConstantBufferBytes(table.size);
    description.Usage = D3D11_USAGE_DYNAMIC;
    description.BindFlags = D3D11_BIND_CONSTANT_BUFFER;
    description.CPUAccessFlags = D3D11_CPU_ACCESS_WRITE;
    if (FAILED(device->CreateBuffer(&description, nullptr, buffer)) || !*buffer) {
        *buffer = nullptr;
        QVI_Report(QV_LOG_ERROR, "%s", failure);
        return false;
    }
    *bytes = description.ByteWidth;
    return true;
}

// The bad input a shader is refused for before any device call, with its log line.
bool IsCreatable(const Shader* shader, const ByteBuffer code[2])
{
    static const char* const kStageNames[2] = {"vertex", "pixel"};
    for (int stage = 0; stage < 2; ++stage) {
        if (!QVI_D3D11IsShaderContainer(code[stage].data, code[stage].size)) {
            QVI_Report(QV_LOG_WARNING, "D3D11 renderer: the %s code of shader '%s' is empty or not whole (%d bytes).",
                       kStageNames[stage], NameOf(shader), code[stage].size);
            return false;
        }
    }
    if (shader->vertexFormat <= 0 || (shader->vertexFormat & ~kKnownVertexElements) != 0) {
        QVI_Report(QV_LOG_WARNING, "D3D11 renderer: shader '%s' has the unknown vertex format %d.", NameOf(shader),
                   shader->vertexFormat);
        return false;
    }
    for (const ShaderConstantTable* table : {&shader->vertexConstants, &shader->pixelConstants}) {
        if (table->size < 0 || table->size > kD3D11MaxConstantBytes) {
            QVI_Report(QV_LOG_WARNING, "D3D11 renderer: shader '%s' has %d bytes of constants in a stage (at most %d).",
                       NameOf(shader), table->size, kD3D11MaxConstantBytes);
            return false;
        }
    }
    return true;
}

}  // namespace

int QVI_D3D11BuildInputElements(int format, bool bgraColor, D3D11_INPUT_ELEMENT_DESC out[kD3D11MaxInputElements])
{
    int count = 0;
    UINT offset = 0;
    for (const InputElement& element : kInputElements) {
        if (!(format & element.bit))
            continue;
        D3D11_INPUT_ELEMENT_DESC& desc = out[count++];
        desc.SemanticName = element.semantic;
        desc.SemanticIndex = element.index;
        desc.Format = element.bit == QV_VERTEX_COLOR && !bgraColor ? DXGI_FORMAT_R8G8B8A8_UNORM : element.format;
        desc.InputSlot = 0;
        desc.AlignedByteOffset = offset;
        desc.InputSlotClass = D3D11_INPUT_PER_VERTEX_DATA;
        desc.InstanceDataStepRate = 0;
        offset += static_cast<UINT>(QVI_GetVertexElementSize(element.bit));
    }
    return count;
}

// Whole registers: a table of exactly 4096 registers still fits the largest buffer a stage
// takes.
uint32_t QVI_D3D11ConstantBufferBytes(int32_t bytes)
{
    if (bytes <= 0)
        return 0;
    return (static_cast<uint32_t>(bytes) + 15u) / 16u * 16u;
}

bool QVI_D3D11TableHasConstants(const ShaderConstantTable& table)
{
    return table.count > 0 && table.size > 0 && table.values != nullptr;
}

bool QVI_D3D11IsShaderContainer(const uint8_t* code, int32_t size)
{
    if (!code || size < kContainerHeaderBytes || memcmp(code, kContainerMagic, sizeof kContainerMagic) != 0)
        return false;
    uint32_t containerSize;
    memcpy(&containerSize, code + kContainerSizeOffset, sizeof containerSize);
    return containerSize >= static_cast<uint32_t>(kContainerHeaderBytes) &&
           containerSize <= static_cast<uint32_t>(size);
}

bool RendImpDirect3D11::CreateShader(Shader* shader, const ShaderTool::ShaderDescription* /*description*/,
                                     const ByteBuffer code[2])
{
    if (!shader || !code) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: CreateShader without a shader or its code.");
        return false;
    }
    if (!device)
        return false;
    if (!IsCreatable(shader, code))
        return false;
    // A shader made again (a reload) gives up its previous objects first.
    DestroyShader(shader);

    D3D11ShaderData* data = new (std::nothrow) D3D11ShaderData();
    if (!data) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: out of memory for shader '%s'.", NameOf(shader));
        return false;
    }
    const void* vertexCode = code[0].data;
    const SIZE_T vertexSize = static_cast<SIZE_T>(code[0].size);
    bool created = false;
    D3D11_INPUT_ELEMENT_DESC elements[kD3D11MaxInputElements];
    const int elementCount =
        QVI_D3D11BuildInputElements(shader->vertexFormat, (capabilities & kCapabilityBgraVertexColor) != 0, elements);
    if (FAILED(device->CreateVertexShader(vertexCode, vertexSize, nullptr, &data->vertexShader))) {
        data->vertexShader = nullptr;
        QVI_Report(QV_LOG_WARNING, "D3D11 renderer failed to create vertex shader '%s'.", NameOf(shader));
    } else if (FAILED(device->CreateInputLayout(elements, static_cast<UINT>(elementCount), vertexCode, vertexSize,
                                                &data->inputLayout))) {
        data->inputLayout = nullptr;
        QVI_Report(QV_LOG_WARNING, "D3D11 renderer failed to create an input layout.");
    } else if (FAILED(device->CreatePixelShader(code[1].data, static_cast<SIZE_T>(code[1].size), nullptr,
                                                &data->pixelShader))) {
        data->pixelShader = nullptr;
        QVI_Report(QV_LOG_WARNING, "D3D11 renderer failed to create pixel shader '%s'.", NameOf(shader));
    } else {
        created = CreateConstantBuffer(device, shader->vertexConstants, &data->vertexConstants,
                                       &data->vertexConstantBytes,
                                       "D3D11 renderer failed to create a vertex constant buffer.") &&
                  CreateConstantBuffer(device, shader->pixelConstants, &data->pixelConstants,
                                       &data->pixelConstantBytes,
                                       "D3D11 renderer failed to create a pixel constant buffer.");
    }
    // A failed step keeps nothing of what the earlier steps made.
    if (!created) {
        ReleaseShaderData(data);
        return false;
    }
    shader->rendererData = data;
    return true;
}

// The objects are released with or without a device (each holds the device it came from),
// so a shader destroyed after Shutdown leaks nothing.
void RendImpDirect3D11::DestroyShader(Shader* shader)
{
    if (!shader)
        return;
    if (currentShader == shader)
        currentShader = nullptr;
    if (!shader->rendererData)
        return;
    ReleaseShaderData(static_cast<D3D11ShaderData*>(shader->rendererData));
    shader->rendererData = nullptr;
}

// A null shader, or one without device objects, leaves bound what was bound; the draws
// refuse to draw without a shader that has objects.
void RendImpDirect3D11::SetShader(Shader* shader)
{
    if (!device || !context)
        return;
    currentShader = shader;
    if (!shader || !shader->rendererData)
        return;
    const D3D11ShaderData* data = static_cast<const D3D11ShaderData*>(shader->rendererData);
    context->VSSetShader(data->vertexShader, nullptr, 0);
    context->PSSetShader(data->pixelShader, nullptr, 0);
    context->IASetInputLayout(data->inputLayout);
}

namespace {

// A failed map keeps the buffer's previous constants; the draw goes on with them.
void UploadConstantBuffer(ID3D11DeviceContext* context, const ShaderConstantTable& table, ID3D11Buffer* buffer,
                          uint32_t bufferBytes)
{
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    if (FAILED(context->Map(buffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped)) || !mapped.pData) {
        QVI_ReportPopup(QV_LOG_ERROR, "D3D11 Failed to lock constant buffer.");
        return;
    }
    // The table may have grown since the buffer was made; the buffer's size bounds the copy.
    const uint32_t bytes = static_cast<uint32_t>(table.size) < bufferBytes ? static_cast<uint32_t>(table.size)
                                                                            : bufferBytes;
    memcpy(mapped.pData, table.values, bytes);
    context->Unmap(buffer, 0);
}

}  // namespace

// The value blocks go to the device byte for byte. Every constant and array element starts
// on a 16-byte register; a float3x3 takes three registers and a float2x2 two, row i of the
// engine's matrix in register i. The engine's Matrix4 is row-major and transforms column
// vectors (translation in elements 3, 7 and 11), while the shaders declare their matrices
// with the default column_major packing: each register becomes a column there, so the HLSL
// matrix is the engine's transposed and `mul(v, m)` applies the engine's matrix to v as a
// column vector. Built-in, precompiled and translated shaders all write `mul(position,
// matrix)` and so agree with the engine's order without any transposing here.
void RendImpDirect3D11::UploadShaderConstants()
{
    Shader* shader = currentShader;
    D3D11ShaderData* data = static_cast<D3D11ShaderData*>(shader->rendererData);
    // Every draw uploads, changed or not: the buffers are dynamic and refilled with discard.
    if (QVI_D3D11TableHasConstants(shader->vertexConstants) && data->vertexConstants) {
        UploadConstantBuffer(context, shader->vertexConstants, data->vertexConstants, data->vertexConstantBytes);
        context->VSSetConstantBuffers(0, 1, &data->vertexConstants);
    }
    if (QVI_D3D11TableHasConstants(shader->pixelConstants) && data->pixelConstants) {
        UploadConstantBuffer(context, shader->pixelConstants, data->pixelConstants, data->pixelConstantBytes);
        context->PSSetConstantBuffers(0, 1, &data->pixelConstants);
    }
    shader->flags |= kShaderConstantsUploaded;
}

// Vertex and index buffers and the three draws. Dynamic buffers are mapped with discard on
// every lock, so the batch renderer refills one buffer many times a frame without waiting
// for the GPU; static buffers never map: they keep a CPU copy and send it whole at unlock.
//
// A record whose device buffer could not be created is still handed out (the creation
// failure was raised then); locking, unlocking and drawing it only log, once per record.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "core/engine_log.h"

namespace {

const int kIndexBytes = 2;
const int kKnownVertexElements = 0x1FF;  // the nine VertexElement bits

D3D11VertexBuffer* AsD3D11(RendererVertexBuffer* buffer)
{
    return reinterpret_cast<D3D11VertexBuffer*>(buffer);
}

D3D11IndexBuffer* AsD3D11(RendererIndexBuffer* buffer)
{
    return reinterpret_cast<D3D11IndexBuffer*>(buffer);
}

// Bytes of count items of itemBytes, checked before any allocation or device call; false
// with a log line for a size no buffer description can carry (a negative count would wrap
// every copy, a size past 32 bits its ByteWidth). Any other size is asked of the device. A
// count of 0 passes: the device refuses the empty buffer and the record is handed out.
bool CheckedBufferBytes(const char* kind, int count, int itemBytes, uint32_t* byteSize)
{
    if (count < 0) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer refused %s buffer of %d elements.", kind, count);
        return false;
    }
    const int64_t bytes = int64_t(count) * itemBytes;
    if (bytes > kD3D11MaxBufferBytes) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer refused %s buffer of %lld bytes (at most %lld).", kind,
                   static_cast<long long>(bytes), static_cast<long long>(kD3D11MaxBufferBytes));
        return false;
    }
    *byteSize = static_cast<uint32_t>(bytes);
    return true;
}

// The record's renderer part with the device buffer made (or refused) as described. Only
// usage 1 is dynamic; every other usage makes a static buffer.
D3D11BufferData* NewBufferData(ID3D11Device* device, uint32_t byteSize, int usage, UINT bindFlags, UINT stride)
{
    D3D11BufferData* data = new (std::nothrow) D3D11BufferData();
    if (!data)
        return nullptr;
    data->byteSize = byteSize;
    D3D11_BUFFER_DESC description = {};
    description.ByteWidth = byteSize;
    description.Usage = usage == QV_BUFFER_DYNAMIC ? D3D11_USAGE_DYNAMIC : D3D11_USAGE_DEFAULT;
    description.BindFlags = bindFlags;
    description.CPUAccessFlags = usage == QV_BUFFER_DYNAMIC ? D3D11_CPU_ACCESS_WRITE : 0;
    description.MiscFlags = 0;
    description.StructureByteStride = stride;
    // An empty buffer is one no device makes; it is not asked for.
    if (!device || byteSize == 0 || FAILED(device->CreateBuffer(&description, nullptr, &data->buffer)))
        data->buffer = nullptr;
    return data;
}

void FreeBufferData(D3D11BufferData* data)
{
    if (!data)
        return;
    free(data->cpuCopy);
    ReleaseAndNull(data->buffer);
    delete data;
}

// False, with a log line the first time for this record, when the device buffer is missing.
bool HasDeviceBuffer(D3D11BufferData* data, const char* kind, const char* operation)
{
    if (data && data->buffer)
        return true;
    if (data && !data->missingReported) {
        data->missingReported = 1;
        QVI_Report(QV_LOG_WARNING, "D3D11 renderer: %s of %s buffer that was never created ignored.", operation, kind);
    }
    return false;
}

// The write pointer of a lock: mapped memory (dynamic) or the CPU copy (static); null with
// the record left unlocked when neither can be had.
void* LockBufferData(ID3D11DeviceContext* context, D3D11BufferData* data, int usage, const char* failure)
{
    if (usage == QV_BUFFER_DYNAMIC) {
        D3D11_MAPPED_SUBRESOURCE mapped = {};
        if (!context || FAILED(context->Map(data->buffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped)) || !mapped.pData) {
            QVI_ReportPopup(QV_LOG_ERROR, "%s", failure);
            return nullptr;
        }
        data->writePointer = mapped.pData;
        return mapped.pData;
    }
    if (!data->cpuCopy)
        data->cpuCopy = static_cast<uint8_t*>(calloc(1, data->byteSize));
    if (!data->cpuCopy) {
        QVI_Report(QV_LOG_ERROR, "%s", failure);
        return nullptr;
    }
    data->writePointer = data->cpuCopy;
    return data->cpuCopy;
}

void UnlockBufferData(ID3D11DeviceContext* context, D3D11BufferData* data, int usage)
{
    data->writePointer = nullptr;
    if (!context)
        return;
    if (usage == QV_BUFFER_DYNAMIC)
        context->Unmap(data->buffer, 0);
    else
        context->UpdateSubresource(data->buffer, 0, nullptr, data->cpuCopy, 0, 0);
}

// The B8G8R8A8 colour the engine writes, turned into R8G8B8A8 in place.
void SwapRedAndBlue(uint8_t* vertices, int count, int stride, int colorOffset)
{
    for (int i = 0; i < count; ++i) {
        uint8_t* color = vertices + size_t(i) * stride + colorOffset;
        const uint8_t blue = color[0];
        color[0] = color[2];
        color[2] = blue;
    }
}

void ReportSkippedDraw(const char* reason)
{
    QVI_Report(QV_LOG_WARNING, "D3D11 renderer skipped a draw: %s.", reason);
}

// Whether `count` primitives of `indicesPerPrimitive` indices can be drawn from the index
// buffer; a negative or too large count is logged, zero is silently nothing to draw.
bool IsPrimitiveCountDrawable(int count, int indicesPerPrimitive, const RendererIndexBuffer* indices)
{
    if (count == 0)
        return false;
    if (count < 0 || int64_t(count) * indicesPerPrimitive > indices->count) {
        QVI_Report(QV_LOG_WARNING, "D3D11 renderer skipped a draw of %d primitives from %d indices.", count,
                   indices->count);
        return false;
    }
    return true;
}

}  // namespace

int QVI_D3D11ColorOffset(int format)
{
    if (!(format & QV_VERTEX_COLOR))
        return -1;
    return (format & QV_VERTEX_POSITION) ? QVI_GetVertexElementSize(QV_VERTEX_POSITION) : 0;
}

RendererVertexBuffer* RendImpDirect3D11::CreateVertexBuffer(VertexFormat format, int count, int usage)
{
    if (format <= 0 || (format & ~kKnownVertexElements) != 0) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer refused a vertex buffer of unknown vertex format %d.", format);
        return nullptr;
    }
    const int stride = QVI_GetVertexSize(format);
    uint32_t byteSize = 0;
    if (!CheckedBufferBytes("a vertex", count, stride, &byteSize))
        return nullptr;
    D3D11VertexBuffer* record = new (std::nothrow) D3D11VertexBuffer();
    D3D11BufferData* data = record ? NewBufferData(device, byteSize, usage, D3D11_BIND_VERTEX_BUFFER, stride) : nullptr;
    if (!data) {
        delete record;
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: out of memory for a vertex buffer.");
        return nullptr;
    }
    record->head = RendererVertexBuffer{format, count, 0, usage};
    record->hardware = data;
    record->reserved = 0;
    if (!data->buffer)
        QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create a vertex buffer.");
    return &record->head;
}

RendererIndexBuffer* RendImpDirect3D11::CreateIndexBuffer(int count, int usage)
{
    uint32_t byteSize = 0;
    if (!CheckedBufferBytes("an index", count, kIndexBytes, &byteSize))
        return nullptr;
    D3D11IndexBuffer* record = new (std::nothrow) D3D11IndexBuffer();
    D3D11BufferData* data =
        record ? NewBufferData(device, byteSize, usage, D3D11_BIND_INDEX_BUFFER, kIndexBytes) : nullptr;
    if (!data) {
        delete record;
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: out of memory for an index buffer.");
        return nullptr;
    }
    record->head = RendererIndexBuffer{count, 0, usage};
    record->hardware = data;
    if (!data->buffer)
        QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create an index buffer.");
    return &record->head;
}

void RendImpDirect3D11::DestroyVertexBuffer(RendererVertexBuffer* buffer)
{
    if (!buffer)
        return;
    D3D11VertexBuffer* record = AsD3D11(buffer);
    // A mapped buffer is unmapped before it goes; released while mapped, the device would
    // keep the mapping of a buffer nobody can unmap.
    if (buffer->locked && buffer->usage == QV_BUFFER_DYNAMIC && context && record->hardware->writePointer)
        context->Unmap(record->hardware->buffer, 0);
    FreeBufferData(record->hardware);
    delete record;
}

void RendImpDirect3D11::DestroyIndexBuffer(RendererIndexBuffer* buffer)
{
    if (!buffer)
        return;
    D3D11IndexBuffer* record = AsD3D11(buffer);
    if (buffer->locked && buffer->usage == QV_BUFFER_DYNAMIC && context && record->hardware->writePointer)
        context->Unmap(record->hardware->buffer, 0);
    FreeBufferData(record->hardware);
    delete record;
}

void* RendImpDirect3D11::LockVertexBuffer(RendererVertexBuffer* buffer)
{
    if (!buffer) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: LockVertexBuffer without a buffer.");
        return nullptr;
    }
    D3D11BufferData* data = AsD3D11(buffer)->hardware;
    if (!HasDeviceBuffer(data, "a vertex", "a lock"))
        return nullptr;
    // Mapping twice would fail (dynamic) or hand out a second pointer to the same copy.
    if (buffer->locked)
        return data->writePointer;
    void* memory = LockBufferData(context, data, buffer->usage, "D3D11 renderer failed to lock a vertex buffer.");
    // Marked locked only with memory to write: a failed lock leaves a buffer that can be
    // drawn and locked again.
    if (memory)
        buffer->locked = 1;
    return memory;
}

void RendImpDirect3D11::UnlockVertexBuffer(RendererVertexBuffer* buffer)
{
    if (!buffer) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: UnlockVertexBuffer without a buffer.");
        return;
    }
    D3D11BufferData* data = AsD3D11(buffer)->hardware;
    if (!HasDeviceBuffer(data, "a vertex", "an unlock") || !buffer->locked)
        return;
    // Devices without B8G8R8A8 vertex colours read R8G8B8A8 (QVI_D3D11BuildInputElements).
    const int colorOffset = QVI_D3D11ColorOffset(buffer->format);
    const int stride = QVI_GetVertexSize(buffer->format);
    if (!(capabilities & kCapabilityBgraVertexColor) && colorOffset >= 0 && colorOffset + 4 <= stride)
        SwapRedAndBlue(static_cast<uint8_t*>(data->writePointer), buffer->count, stride, colorOffset);
    buffer->locked = 0;
    UnlockBufferData(context, data, buffer->usage);
}

uint16_t* RendImpDirect3D11::LockIndexBuffer(RendererIndexBuffer* buffer)
{
    if (!buffer) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: LockIndexBuffer without a buffer.");
        return nullptr;
    }
    D3D11BufferData* data = AsD3D11(buffer)->hardware;
    if (!HasDeviceBuffer(data, "an index", "a lock"))
        return nullptr;
    if (buffer->locked)
        return static_cast<uint16_t*>(data->writePointer);
    void* memory = LockBufferData(context, data, buffer->usage, "D3D11 renderer failed to lock an index buffer.");
    if (memory)
        buffer->locked = 1;
    return static_cast<uint16_t*>(memory);
}

void RendImpDirect3D11::UnlockIndexBuffer(RendererIndexBuffer* buffer)
{
    if (!buffer) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: UnlockIndexBuffer without a buffer.");
        return;
    }
    D3D11BufferData* data = AsD3D11(buffer)->hardware;
    if (!HasDeviceBuffer(data, "an index", "an unlock") || !buffer->locked)
        return;
    buffer->locked = 0;
    UnlockBufferData(context, data, buffer->usage);
}

// The checks every draw makes before it touches the device: both records present, created
// and unlocked, and a shader with device objects to draw with.
bool RendImpDirect3D11::CanDraw(RendererVertexBuffer* vertices, RendererIndexBuffer* indices)
{
    if (!context)
        return false;
    if (!vertices || !indices) {
        ReportSkippedDraw("a vertex or index buffer is missing");
        return false;
    }
    if (!HasDeviceBuffer(AsD3D11(vertices)->hardware, "a vertex", "a draw") ||
        !HasDeviceBuffer(AsD3D11(indices)->hardware, "an index", "a draw"))
        return false;
    if (vertices->locked || indices->locked) {
        ReportSkippedDraw("a buffer is still locked");
        return false;
    }
    if (!currentShader || !currentShader->rendererData) {
        ReportSkippedDraw("no shader is set");
        return false;
    }
    return true;
}

void RendImpDirect3D11::BindBuffersAndConstants(RendererVertexBuffer* vertices, RendererIndexBuffer* indices)
{
    PrepareDepthStencilState();
    UploadShaderConstants();
    const UINT stride = static_cast<UINT>(QVI_GetVertexSize(vertices->format));
    const UINT offset = 0;
    context->IASetVertexBuffers(0, 1, &AsD3D11(vertices)->hardware->buffer, &stride, &offset);
    context->IASetIndexBuffer(AsD3D11(indices)->hardware->buffer, DXGI_FORMAT_R16_UINT, 0);
}

// Every draw starts at index 0 and vertex 0; the vertex count is not needed by an indexed
// draw.
void RendImpDirect3D11::DrawIndexedTriangles(RendererVertexBuffer* vertices, int /*vertexCount*/,
                                             RendererIndexBuffer* indices, int triangleCount)
{
    if (!CanDraw(vertices, indices) || !IsPrimitiveCountDrawable(triangleCount, 3, indices))
        return;
    BindBuffersAndConstants(vertices, indices);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->DrawIndexed(static_cast<UINT>(triangleCount) * 3, 0, 0);
}

void RendImpDirect3D11::DrawIndexedLines(RendererVertexBuffer* vertices, RendererIndexBuffer* indices, int lineCount)
{
    if (!CanDraw(vertices, indices) || !IsPrimitiveCountDrawable(lineCount, 2, indices))
        return;
    BindBuffersAndConstants(vertices, indices);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_LINELIST);
    context->DrawIndexed(static_cast<UINT>(lineCount) * 2, 0, 0);
}

void RendImpDirect3D11::DrawIndexedTrianglesInstanced(RendererVertexBuffer* vertices, int /*vertexCount*/,
                                                      RendererIndexBuffer* indices, int triangleCount,
                                                      int instanceCount)
{
    if (!CanDraw(vertices, indices) || !IsPrimitiveCountDrawable(triangleCount, 3, indices))
        return;
    if (instanceCount <= 0) {
        if (instanceCount < 0)
            QVI_Report(QV_LOG_WARNING, "D3D11 renderer skipped a draw of %d instances.", instanceCount);
        return;
    }
    BindBuffersAndConstants(vertices, indices);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->DrawIndexedInstanced(static_cast<UINT>(triangleCount) * 3, static_cast<UINT>(instanceCount), 0, 0, 0);
}

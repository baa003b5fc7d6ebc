// The bodies the base class supplies for the operations an implementation may leave alone:
// the fixed answers, the display-mode list and its text, heap-backed vertex and index
// buffers, texture regions and the refusal of instanced drawing.
#include "graphics/renderer/renderer_implementation.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "core/engine_log.h"

namespace {

// "%i" of a 32-bit int takes at most 11 characters; "x" and "," one each.
const int kMaxModeTextBytes = 11 + 1 + 11 + 1;

int Compare(int32_t a, int32_t b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

const int kIndexBytes = 2;

HeapVertexBuffer* AsHeap(RendererVertexBuffer* buffer)
{
    return reinterpret_cast<HeapVertexBuffer*>(buffer);
}

HeapIndexBuffer* AsHeap(RendererIndexBuffer* buffer)
{
    return reinterpret_cast<HeapIndexBuffer*>(buffer);
}

// Bytes of count items of itemBytes each, or -1 when that is negative or would not fit
// a 32-bit size.
int64_t StorageBytes(int count, int itemBytes)
{
    if (count < 0 || itemBytes < 0)
        return -1;
    int64_t bytes = static_cast<int64_t>(count) * itemBytes;
    return bytes > INT32_MAX ? -1 : bytes;
}

// A new heap record with `bytes` zeroed bytes of storage (none for 0); null, with nothing
// left allocated, when memory runs out.
template <typename Heap>
Heap* NewHeapBuffer(int64_t bytes)
{
    Heap* buffer = new (std::nothrow) Heap();
    if (!buffer)
        return nullptr;
    buffer->storage = nullptr;
    if (bytes > 0) {
        buffer->storage = static_cast<decltype(buffer->storage)>(calloc(1, static_cast<size_t>(bytes)));
        if (!buffer->storage) {
            delete buffer;
            return nullptr;
        }
    }
    return buffer;
}

template <typename Heap>
void DeleteHeapBuffer(Heap* heap)
{
    free(heap->storage);
    delete heap;
}

// An empty buffer has nothing to write into; it stays unlocked.
template <typename Heap>
decltype(Heap::storage) LockHeapBuffer(Heap* heap)
{
    if (!heap->storage)
        return nullptr;
    heap->head.locked = 1;
    return heap->storage;
}

}  // namespace

RendererImplementation::RendererImplementation() : supportedResolutions(nullptr)
{
}

RendererImplementation::~RendererImplementation()
{
    free(supportedResolutions);
    supportedResolutions = nullptr;
    // displayModes frees its storage itself.
}

int RendererImplementation::GetThreadingCapabilities()
{
    return 0;
}

bool RendererImplementation::IsReady()
{
    return true;
}

int RendererImplementation::GetRendererType()
{
    return QV_RENDERER_TYPE_NONE;
}

bool RendererImplementation::UsesRGBAVertexColor()
{
    return true;
}

bool RendererImplementation::SupportsNonPowerOfTwoTextures()
{
    return false;
}

void RendererImplementation::PostInit()
{
}

bool RendererImplementation::ChangeVideoMode(int, int, bool)
{
    return false;
}

void RendererImplementation::SetViewport(int, int, int, int, float, float)
{
}

bool RendererImplementation::CopyRenderTargetToPixels(Bitmap*)
{
    return false;
}

bool RendererImplementation::IsTextureFormatSupported(const BitmapDescription*)
{
    return false;
}

int RendererImplementation::GetShaderLevel()
{
    return QV_SHADER_LEVEL_NONE;
}

int RendererImplementation::GetShaderLanguage()
{
    return 0;
}

bool RendererImplementation::CreateShader(Shader*, const ShaderTool::ShaderDescription*, const ByteBuffer[2])
{
    return true;
}

void RendererImplementation::DestroyShader(Shader*)
{
}

void RendererImplementation::SetShader(Shader*)
{
}

void RendererImplementation::BeginScene()
{
}

void RendererImplementation::EndScene()
{
}

void RendererImplementation::ClearDepth(float)
{
}

const char* RendererImplementation::PlatformCommand(const char*, const char*)
{
    return nullptr;
}

void RendererImplementation::Reserved42()
{
}

void RendererImplementation::Reserved43()
{
}

void RendererImplementation::DrawIndexedTriangles(RendererVertexBuffer*, int, RendererIndexBuffer*, int)
{
}

void RendererImplementation::DrawIndexedLines(RendererVertexBuffer*, RendererIndexBuffer*, int)
{
}

void RendererImplementation::DrawIndexedTrianglesInstanced(RendererVertexBuffer*, int, RendererIndexBuffer*, int,
                                                           int)
{
    const char* name = GetName();
    QVI_ReportPopup(QV_LOG_ERROR, "Renderer '%s' does not support instanced drawing.", name ? name : "");
}

PixelCenterOffset RendererImplementation::GetPixelCenterOffset()
{
    return PixelCenterOffset{0.0f, 0.0f};
}

void RendererImplementation::SetTextureRegion(Bitmap* bitmap, int x, int y, int width, int height)
{
    if (!bitmap)
        return;
    BitmapHardwareData& hardware = bitmap->hardware;
    // Without a texture size there is nothing to normalise against; a division by zero
    // would put infinities into the texture coordinates.
    if (hardware.textureFullWidth <= 0 || hardware.textureFullHeight <= 0)
        return;
    float fullWidth = static_cast<float>(hardware.textureFullWidth);
    float fullHeight = static_cast<float>(hardware.textureFullHeight);
    hardware.left = static_cast<float>(x) / fullWidth;
    hardware.top = static_cast<float>(y) / fullHeight;
    hardware.right = (static_cast<float>(x) + static_cast<float>(width)) / fullWidth;
    hardware.bottom = (static_cast<float>(y) + static_cast<float>(height)) / fullHeight;
}

void RendererImplementation::EnumerateDisplayModes()
{
}

int QVI_CompareResolutionsAscending(const void* a, const void* b)
{
    const DisplayMode* first = static_cast<const DisplayMode*>(a);
    const DisplayMode* second = static_cast<const DisplayMode*>(b);
    int byWidth = Compare(first->width, second->width);
    return byWidth != 0 ? byWidth : Compare(first->height, second->height);
}

bool QVI_ContainsDisplayMode(const Array<DisplayMode>& modes, const DisplayMode& mode)
{
    for (int32_t i = 0; i < modes.count; ++i) {
        if (modes.data[i] == mode)
            return true;
    }
    return false;
}

bool RendererImplementation::IsDisplayModeSupported(int width, int height)
{
    displayModes.count = 0;
    EnumerateDisplayModes();
    return QVI_ContainsDisplayMode(displayModes, DisplayMode{width, height});
}

const char* RendererImplementation::GetSupportedResolutions()
{
    displayModes.count = 0;
    EnumerateDisplayModes();
    if (displayModes.count > 0)
        qsort(displayModes.data, static_cast<size_t>(displayModes.count), sizeof(DisplayMode),
              QVI_CompareResolutionsAscending);

    free(supportedResolutions);
    supportedResolutions = nullptr;
    size_t count = displayModes.count > 0 ? static_cast<size_t>(displayModes.count) : 0;
    if (count > (SIZE_MAX - 1) / kMaxModeTextBytes)
        return nullptr;
    size_t capacity = count * kMaxModeTextBytes + 1;
    supportedResolutions = static_cast<char*>(malloc(capacity));
    if (!supportedResolutions)
        return nullptr;
    size_t length = 0;
    supportedResolutions[0] = '\0';
    for (int32_t i = 0; i < displayModes.count; ++i) {
        int written = snprintf(supportedResolutions + length, capacity - length, "%s%ix%i", i == 0 ? "" : ",",
                               displayModes.data[i].width, displayModes.data[i].height);
        if (written < 0)
            break;
        length += static_cast<size_t>(written);
    }
    return length > 0 ? supportedResolutions : nullptr;
}

int32_t QVI_HeapVertexBufferBytes(const RendererVertexBuffer* buffer)
{
    if (!buffer)
        return 0;
    int64_t bytes = StorageBytes(buffer->count, QVI_GetVertexSize(buffer->format));
    return bytes < 0 ? 0 : static_cast<int32_t>(bytes);
}

RendererVertexBuffer* RendererImplementation::CreateVertexBuffer(VertexFormat format, int count, int /*usage*/)
{
    int64_t bytes = StorageBytes(count, QVI_GetVertexSize(format));
    if (bytes < 0)
        return nullptr;
    HeapVertexBuffer* buffer = NewHeapBuffer<HeapVertexBuffer>(bytes);
    if (!buffer)
        return nullptr;
    buffer->head.format = format;
    buffer->head.count = count;
    buffer->head.locked = 0;
    // The heap block is rewritten at will, so every base buffer counts as dynamic.
    buffer->head.usage = QV_BUFFER_DYNAMIC;
    return &buffer->head;
}

void RendererImplementation::DestroyVertexBuffer(RendererVertexBuffer* buffer)
{
    if (buffer)
        DeleteHeapBuffer(AsHeap(buffer));
}

void* RendererImplementation::LockVertexBuffer(RendererVertexBuffer* buffer)
{
    return buffer ? LockHeapBuffer(AsHeap(buffer)) : nullptr;
}

void RendererImplementation::UnlockVertexBuffer(RendererVertexBuffer* buffer)
{
    if (buffer)
        buffer->locked = 0;
}

bool RendererImplementation::UploadVertices(RendererVertexBuffer* buffer, const void* data)
{
    if (!buffer || !data)
        return false;
    int64_t bytes = StorageBytes(buffer->count, QVI_GetVertexSize(buffer->format));
    if (bytes < 0)
        return false;
    // Through the virtual slots, so an implementation's own lock is used.
    void* target = LockVertexBuffer(buffer);
    if (!target)
        return false;
    memcpy(target, data, static_cast<size_t>(bytes));
    UnlockVertexBuffer(buffer);
    return true;
}

RendererIndexBuffer* RendererImplementation::CreateIndexBuffer(int count, int /*usage*/)
{
    int64_t bytes = StorageBytes(count, kIndexBytes);
    if (bytes < 0)
        return nullptr;
    HeapIndexBuffer* buffer = NewHeapBuffer<HeapIndexBuffer>(bytes);
    if (!buffer)
        return nullptr;
    buffer->head.count = count;
    buffer->head.locked = 0;
    buffer->head.usage = QV_BUFFER_STATIC;
    return &buffer->head;
}

void RendererImplementation::DestroyIndexBuffer(RendererIndexBuffer* buffer)
{
    if (buffer)
        DeleteHeapBuffer(AsHeap(buffer));
}

uint16_t* RendererImplementation::LockIndexBuffer(RendererIndexBuffer* buffer)
{
    return buffer ? LockHeapBuffer(AsHeap(buffer)) : nullptr;
}

void RendererImplementation::UnlockIndexBuffer(RendererIndexBuffer* buffer)
{
    if (buffer)
        buffer->locked = 0;
}

bool RendererImplementation::UploadIndices(RendererIndexBuffer* buffer, const uint16_t* data)
{
    if (!buffer || !data)
        return false;
    int64_t bytes = StorageBytes(buffer->count, kIndexBytes);
    if (bytes < 0)
        return false;
    uint16_t* target = LockIndexBuffer(buffer);
    if (!target)
        return false;
    memcpy(target, data, static_cast<size_t>(bytes));
    UnlockIndexBuffer(buffer);
    return true;
}

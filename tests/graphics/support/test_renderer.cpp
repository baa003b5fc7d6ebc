#include "graphics/support/test_renderer.h"

#include "graphics/support/test_texture_formats.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string FormatNumber(double value)
{
    char text[32];
    snprintf(text, sizeof(text), "%g", value);
    return text;
}

} // namespace

// ---- Calls -----------------------------------------------------------------------------

std::string RendererCall::ToString() const
{
    std::string text = name ? name : "?";
    text += "(";
    bool first = true;
    for (double number : numbers) {
        text += first ? "" : ", ";
        text += FormatNumber(number);
        first = false;
    }
    for (const void* pointer : pointers) {
        text += first ? "" : ", ";
        text += pointer ? "<ptr>" : "null";
        first = false;
    }
    return text + ")";
}

float* TestTexture::ColorAt(int face, int x, int y)
{
    size_t index = ((static_cast<size_t>(face) * height + y) * width + x) * 4;
    return &color[index];
}

const float* TestTexture::ColorAt(int face, int x, int y) const
{
    size_t index = ((static_cast<size_t>(face) * height + y) * width + x) * 4;
    return &color[index];
}

TestRenderer::TestRenderer()
{
    vertexTransform.SetIdentity();
}

TestRenderer::~TestRenderer()
{
    ReleaseBackBuffer();
    for (TestTexture* texture : textures_)
        delete texture;
    for (RendererVertexBuffer* buffer : vertexBuffers_)
        RendererImplementation::DestroyVertexBuffer(buffer);
    for (RendererIndexBuffer* buffer : indexBuffers_)
        RendererImplementation::DestroyIndexBuffer(buffer);
}

void TestRenderer::Record(int slot, const char* operation, std::initializer_list<double> numbers,
                          std::initializer_list<const void*> pointers)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    calls_.push_back(RendererCall{slot, operation, numbers, pointers, GetCurrentThreadId()});
}

std::vector<RendererCall> TestRenderer::Calls() const
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    return calls_;
}

std::vector<std::string> TestRenderer::CallNames() const
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    std::vector<std::string> names;
    for (const RendererCall& call : calls_)
        names.push_back(call.name);
    return names;
}

int TestRenderer::CallCount(const char* operation) const
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    int count = 0;
    for (const RendererCall& call : calls_)
        count += strcmp(call.name, operation) == 0 ? 1 : 0;
    return count;
}

bool TestRenderer::LastCall(const char* operation, RendererCall* out) const
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    for (auto it = calls_.rbegin(); it != calls_.rend(); ++it) {
        if (strcmp(it->name, operation) == 0) {
            if (out)
                *out = *it;
            return true;
        }
    }
    return false;
}

void TestRenderer::ClearCalls()
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    calls_.clear();
}

int TestRenderer::LiveTextureCount() const
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    return static_cast<int>(textures_.size());
}

// ---- Capabilities -------------------------------------------------------------------------

bool TestRenderer::IsSupported()
{
    Record(1, "IsSupported");
    return supported;
}

int TestRenderer::GetThreadingCapabilities()
{
    Record(2, "GetThreadingCapabilities");
    return threadingCapabilities;
}

int TestRenderer::GetMaximumTextureSize()
{
    Record(3, "GetMaximumTextureSize");
    return maximumTextureSize;
}

bool TestRenderer::IsReady()
{
    Record(4, "IsReady");
    return true;
}

int TestRenderer::GetRendererType()
{
    Record(5, "GetRendererType");
    return rendererType;
}

const char* TestRenderer::GetName()
{
    Record(6, "GetName");
    return name.c_str();
}

bool TestRenderer::IsDisplayModeSupported(int width, int height)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(7, "IsDisplayModeSupported", {double(width), double(height)});
    return RendererImplementation::IsDisplayModeSupported(width, height);
}

const char* TestRenderer::GetSupportedResolutions()
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(8, "GetSupportedResolutions");
    return RendererImplementation::GetSupportedResolutions();
}

int TestRenderer::GetPixelChannelOrder()
{
    Record(9, "GetPixelChannelOrder");
    return pixelChannelOrder;
}

bool TestRenderer::UsesRGBAVertexColor()
{
    Record(10, "UsesRGBAVertexColor");
    return rgbaVertexColor;
}

bool TestRenderer::SupportsNonPowerOfTwoTextures()
{
    Record(11, "SupportsNonPowerOfTwoTextures");
    return nonPowerOfTwoTextures;
}

int TestRenderer::GetShaderLevel()
{
    Record(24, "GetShaderLevel");
    return shaderLevel;
}

int TestRenderer::GetShaderLanguage()
{
    Record(25, "GetShaderLanguage");
    return shaderLanguage;
}

bool TestRenderer::UsesPrecompiledShaders()
{
    Record(26, "UsesPrecompiledShaders");
    return precompiledShaders;
}

const char* TestRenderer::PlatformCommand(const char* command, const char* argument)
{
    Record(41, "PlatformCommand", {}, {command, argument});
    return nullptr;
}

void TestRenderer::Reserved42()
{
    Record(42, "Reserved42");
}

void TestRenderer::Reserved43()
{
    Record(43, "Reserved43");
}

PixelCenterOffset TestRenderer::GetPixelCenterOffset()
{
    Record(63, "GetPixelCenterOffset");
    return RendererImplementation::GetPixelCenterOffset();
}

void TestRenderer::SetTextureRegion(Bitmap* bitmap, int x, int y, int width, int height)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(64, "SetTextureRegion", {double(x), double(y), double(width), double(height)}, {bitmap});
    RendererImplementation::SetTextureRegion(bitmap, x, y, width, height);
}

void TestRenderer::EnumerateDisplayModes()
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(65, "EnumerateDisplayModes");
    // Like the device: the list is not emptied, each distinct pair is added once.
    for (const DisplayMode& mode : deviceModes) {
        bool known = false;
        for (int32_t i = 0; i < displayModes.count && !known; ++i)
            known = displayModes.data[i] == mode;
        if (!known)
            displayModes.Add(mode);
    }
}

// ---- Device, frame, back buffer --------------------------------------------------------

void TestRenderer::CreateBackBuffer(int width, int height)
{
    ReleaseBackBuffer();
    backBuffer_ = new TestTexture();
    backBuffer_->width = width;
    backBuffer_->height = height;
    backBuffer_->format = QV_TEXTURE_FORMAT_RGBA8;
    backBuffer_->renderTarget = true;
    backBuffer_->color.assign(static_cast<size_t>(width) * height * 4, 0.0f);
    backBufferDepth_ = new TestTexture();
    backBufferDepth_->width = width;
    backBufferDepth_->height = height;
    backBufferDepth_->format = QV_TEXTURE_FORMAT_D32F;
    backBufferDepth_->renderTarget = true;
    backBufferDepth_->depth = true;
    backBufferDepth_->depthValues.assign(static_cast<size_t>(width) * height, 0.0f);
}

void TestRenderer::ReleaseBackBuffer()
{
    for (ColorView& view : boundColor_)
        view = ColorView();
    boundDepth_ = nullptr;
    delete backBuffer_;
    delete backBufferDepth_;
    backBuffer_ = nullptr;
    backBufferDepth_ = nullptr;
}

void TestRenderer::BindBackBuffer()
{
    for (ColorView& view : boundColor_)
        view = ColorView();
    boundColor_[0].texture = backBuffer_;
    boundDepth_ = backBufferDepth_;
}

bool TestRenderer::Init(QuavenAPI* api, CoreState* core, VideoParameters* video)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(12, "Init", {}, {api, core, video});
    initialized_ = false;
    ReleaseBackBuffer();
    if (failInit || !video)
        return false;
    if (video->width <= 0 || video->height <= 0 || video->width > maximumTextureSize ||
        video->height > maximumTextureSize)
        return false;
    CreateBackBuffer(video->width, video->height);
    state_.windowed = video->windowed != 0;
    BindBackBuffer();
    state_.viewport = TestViewport{0, 0, video->width, video->height, 0.0f, 1.0f};
    initialized_ = true;
    return true;
}

void TestRenderer::PostInit()
{
    Record(13, "PostInit");
}

bool TestRenderer::ChangeVideoMode(int width, int height, bool windowed)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(14, "ChangeVideoMode", {double(width), double(height), double(windowed)});
    if (!initialized_ || failChangeVideoMode)
        return false;
    if (width <= 0 || height <= 0 || width > maximumTextureSize || height > maximumTextureSize)
        return false;
    CreateBackBuffer(width, height);
    BindBackBuffer();
    state_.viewport = TestViewport{0, 0, width, height, 0.0f, 1.0f};
    state_.windowed = windowed;
    return true;
}

void TestRenderer::Shutdown()
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(15, "Shutdown");
    // Textures belong to their bitmaps and outlive the device, as on the device.
    ReleaseBackBuffer();
    for (TextureHardwareData*& texture : state_.textures)
        texture = nullptr;
    state_.shader = nullptr;
    initialized_ = false;
}

void TestRenderer::SetViewport(int x, int y, int width, int height, float minDepth, float maxDepth)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(16, "SetViewport", {double(x), double(y), double(width), double(height), minDepth, maxDepth});
    state_.viewport = TestViewport{x, y, width, height, minDepth, maxDepth};
}

void TestRenderer::SetFullscreen(bool fullscreen)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(17, "SetFullscreen", {double(fullscreen)});
    state_.fullscreen = fullscreen;
}

void TestRenderer::BeginFrame(int eye)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(30, "BeginFrame", {double(eye)});
    // The device binds the back buffer at the start of every frame.
    if (initialized_)
        BindBackBuffer();
}

void TestRenderer::BeginScene()
{
    Record(31, "BeginScene");
}

void TestRenderer::EndScene()
{
    Record(32, "EndScene");
}

bool TestRenderer::Present()
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(33, "Present");
    if (!initialized_ || failPresent)
        return false;
    ++presentCount_;
    return ReadRenderTargetPixels(nullptr, &presented_);
}

bool TestRenderer::ReadPresentedPixels(TestImage* out) const
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    if (!out || presentCount_ == 0)
        return false;
    *out = presented_;
    return true;
}

void TestRenderer::ClearColor(float r, float g, float b, float a)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(34, "ClearColor", {r, g, b, a});
    const float color[4] = {r, g, b, a};
    for (ColorView& view : boundColor_) {
        TestTexture* texture = view.texture;
        if (!texture || texture->depth)
            continue;
        for (int y = 0; y < texture->height; ++y) {
            for (int x = 0; x < texture->width; ++x) {
                StoreTexel(texture, view.face, x, y, color);
            }
        }
    }
}

bool TestRenderer::SetScissorRectangle(int x, int y, int width, int height)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(36, "SetScissorRectangle", {double(x), double(y), double(width), double(height)});
    if (!initialized_)
        return false;
    // The edges use the unclamped origin; only the origin itself is clipped at 0.
    int64_t right = static_cast<int64_t>(x) + width;
    int64_t bottom = static_cast<int64_t>(y) + height;
    state_.scissor.left = x > 0 ? x : 0;
    state_.scissor.top = y > 0 ? y : 0;
    state_.scissor.right = static_cast<int>(right > INT32_MAX ? INT32_MAX : (right < INT32_MIN ? INT32_MIN : right));
    state_.scissor.bottom =
        static_cast<int>(bottom > INT32_MAX ? INT32_MAX : (bottom < INT32_MIN ? INT32_MIN : bottom));
    state_.scissorOn = true;
    return true;
}

void TestRenderer::DisableScissorRectangle()
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(37, "DisableScissorRectangle");
    if (initialized_)
        state_.scissorOn = false;
}

// ---- States ----------------------------------------------------------------------------------

void TestRenderer::SetBlendMode(BlendMode mode)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(38, "SetBlendMode", {double(mode)});
    if (!QVI_IsBlendModeValid(mode)) {
        QVI_ReportIgnoredRendererValue(RENDERER_VALUE_BLEND_MODE, mode);
        return;
    }
    state_.blendMode = mode;
}

void TestRenderer::SetSamplerFilter(int stage, TextureFilter minFilter, TextureFilter magFilter,
                                    TextureFilter mipFilter)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(39, "SetSamplerFilter", {double(stage), double(minFilter), double(magFilter), double(mipFilter)});
    for (int filter : {minFilter, magFilter, mipFilter}) {
        if (!QVI_IsTextureFilterValid(filter)) {
            QVI_ReportIgnoredRendererValue(RENDERER_VALUE_TEXTURE_FILTER, filter);
            return;
        }
    }
    if (stage < 0 || stage >= kRendererTextureStages)
        return;
    state_.currentSampler.minFilter = minFilter;
    state_.currentSampler.magFilter = magFilter;
    state_.currentSampler.mipFilter = mipFilter;
    state_.samplers[stage] = state_.currentSampler;
}

void TestRenderer::SetSamplerAddressMode(int stage, TextureAddressMode u, TextureAddressMode v,
                                         TextureAddressMode w)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(40, "SetSamplerAddressMode", {double(stage), double(u), double(v), double(w)});
    for (int mode : {u, v, w}) {
        if (!QVI_IsTextureAddressModeValid(mode)) {
            QVI_ReportIgnoredRendererValue(RENDERER_VALUE_ADDRESS_MODE, mode);
            return;
        }
    }
    if (stage < 0 || stage >= kRendererTextureStages)
        return;
    state_.currentSampler.u = u;
    state_.currentSampler.v = v;
    state_.currentSampler.w = w;
    state_.samplers[stage] = state_.currentSampler;
}

void TestRenderer::SetDepthTest(bool enable)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(44, "SetDepthTest", {double(enable)});
    state_.depthTest = enable;
}

void TestRenderer::SetDepthFunction(DepthCompare compare)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(45, "SetDepthFunction", {double(compare)});
    state_.depthFunction = compare;
}

void TestRenderer::SetDepthWrite(bool enable)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(46, "SetDepthWrite", {double(enable)});
    state_.depthWrite = enable;
}

void TestRenderer::SetColorWrite(bool enable)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(47, "SetColorWrite", {double(enable)});
    state_.colorWrite = enable;
}

void TestRenderer::SetCullMode(CullMode mode)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(48, "SetCullMode", {double(mode)});
    if (!QVI_IsCullModeValid(mode)) {
        QVI_ReportIgnoredRendererValue(RENDERER_VALUE_CULL_MODE, mode);
        return;
    }
    state_.cullMode = mode;
}

// ---- Shaders ---------------------------------------------------------------------------------

bool TestRenderer::CreateShader(Shader* shader, const ShaderTool::ShaderDescription* description,
                                const ByteBuffer code[2])
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(27, "CreateShader", {}, {shader, description, code});
    if (failCreateShader || !shader)
        return false;
    shaders_.insert(shader);
    return true;
}

void TestRenderer::DestroyShader(Shader* shader)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(28, "DestroyShader", {}, {shader});
    shaders_.erase(shader);
    if (state_.shader == shader)
        state_.shader = nullptr;
}

void TestRenderer::SetShader(Shader* shader)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(29, "SetShader", {}, {shader});
    state_.shader = shader;
}

// ---- Buffers ---------------------------------------------------------------------------------

RendererVertexBuffer* TestRenderer::CreateVertexBuffer(VertexFormat format, int count, int usage)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(53, "CreateVertexBuffer", {double(format), double(count), double(usage)});
    RendererVertexBuffer* buffer = RendererImplementation::CreateVertexBuffer(format, count, usage);
    if (buffer)
        vertexBuffers_.insert(buffer);
    return buffer;
}

void TestRenderer::DestroyVertexBuffer(RendererVertexBuffer* buffer)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(54, "DestroyVertexBuffer", {}, {buffer});
    // Only buffers this renderer made and has not freed yet are freed.
    if (vertexBuffers_.erase(buffer) == 0)
        return;
    RendererImplementation::DestroyVertexBuffer(buffer);
}

void* TestRenderer::LockVertexBuffer(RendererVertexBuffer* buffer)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(55, "LockVertexBuffer", {}, {buffer});
    if (vertexBuffers_.count(buffer) == 0)
        return nullptr;
    return RendererImplementation::LockVertexBuffer(buffer);
}

void TestRenderer::UnlockVertexBuffer(RendererVertexBuffer* buffer)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(56, "UnlockVertexBuffer", {}, {buffer});
    if (vertexBuffers_.count(buffer) != 0)
        RendererImplementation::UnlockVertexBuffer(buffer);
}

bool TestRenderer::UploadVertices(RendererVertexBuffer* buffer, const void* data)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(57, "UploadVertices", {}, {buffer, data});
    if (vertexBuffers_.count(buffer) == 0)
        return false;
    return RendererImplementation::UploadVertices(buffer, data);
}

RendererIndexBuffer* TestRenderer::CreateIndexBuffer(int count, int usage)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(58, "CreateIndexBuffer", {double(count), double(usage)});
    RendererIndexBuffer* buffer = RendererImplementation::CreateIndexBuffer(count, usage);
    if (buffer)
        indexBuffers_.insert(buffer);
    return buffer;
}

void TestRenderer::DestroyIndexBuffer(RendererIndexBuffer* buffer)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(59, "DestroyIndexBuffer", {}, {buffer});
    if (indexBuffers_.erase(buffer) == 0)
        return;
    RendererImplementation::DestroyIndexBuffer(buffer);
}

uint16_t* TestRenderer::LockIndexBuffer(RendererIndexBuffer* buffer)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(60, "LockIndexBuffer", {}, {buffer});
    if (indexBuffers_.count(buffer) == 0)
        return nullptr;
    return RendererImplementation::LockIndexBuffer(buffer);
}

void TestRenderer::UnlockIndexBuffer(RendererIndexBuffer* buffer)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(61, "UnlockIndexBuffer", {}, {buffer});
    if (indexBuffers_.count(buffer) != 0)
        RendererImplementation::UnlockIndexBuffer(buffer);
}

bool TestRenderer::UploadIndices(RendererIndexBuffer* buffer, const uint16_t* data)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(62, "UploadIndices", {}, {buffer, data});
    if (indexBuffers_.count(buffer) == 0)
        return false;
    return RendererImplementation::UploadIndices(buffer, data);
}

// ---- Drawing entry points --------------------------------------------------------------------

bool TestRenderer::DrawableBuffers(RendererVertexBuffer* vertices, RendererIndexBuffer* indices)
{
    bool drawable = initialized_ && vertexBuffers_.count(vertices) != 0 && indexBuffers_.count(indices) != 0 &&
                    !vertices->locked && !indices->locked;
    if (!drawable)
        ++refusedDraws_;
    return drawable;
}

void TestRenderer::DrawIndexedTriangles(RendererVertexBuffer* vertices, int vertexCount,
                                        RendererIndexBuffer* indices, int triangleCount)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(50, "DrawIndexedTriangles", {double(vertexCount), double(triangleCount)}, {vertices, indices});
    if (triangleCount <= 0 || !DrawableBuffers(vertices, indices))
        return;
    DrawTriangles(vertices, indices, static_cast<int64_t>(triangleCount) * 3);
}

void TestRenderer::DrawIndexedLines(RendererVertexBuffer* vertices, RendererIndexBuffer* indices, int lineCount)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(51, "DrawIndexedLines", {double(lineCount)}, {vertices, indices});
    if (lineCount <= 0 || !DrawableBuffers(vertices, indices))
        return;
    DrawLines(vertices, indices, static_cast<int64_t>(lineCount) * 2);
}

void TestRenderer::DrawIndexedTrianglesInstanced(RendererVertexBuffer* vertices, int vertexCount,
                                                 RendererIndexBuffer* indices, int triangleCount,
                                                 int instanceCount)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(52, "DrawIndexedTrianglesInstanced", {double(vertexCount), double(triangleCount), double(instanceCount)},
           {vertices, indices});
    if (triangleCount <= 0 || instanceCount <= 0 || !DrawableBuffers(vertices, indices))
        return;
    // Without per-instance data every instance covers the same pixels, as on the device.
    for (int instance = 0; instance < instanceCount; ++instance)
        DrawTriangles(vertices, indices, static_cast<int64_t>(triangleCount) * 3);
}

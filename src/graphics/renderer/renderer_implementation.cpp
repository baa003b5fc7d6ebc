#include "graphics/renderer/renderer_implementation.h"

#include <cstdlib>

#include "core/engine_log.h"

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
    QVI_ReportPopup(2, "Renderer '%s' does not support instanced drawing.", name ? name : "");
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

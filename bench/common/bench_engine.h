// What the engine-side benchmark programs that draw share: the engine brought up as start-up
// brings it up (the API table, the engine locks, the file system with res:// at the program's
// folder, renderer set-up with the batch renderer's buffers and built-in shaders), over the
// tests' renderer without a device, whose textures are records of its own, so that what is
// timed is the engine's work alone. Engine programs only: it includes engine headers.
#pragma once

#include "core/engine_log.h"
#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"
#include "filesystem/backends.h"
#include "graphics/renderer/renderer_codes.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/resolution_selection.h"
#include "support/null_renderer.h"

class BenchRenderer : public quaven_test::NullRenderer {
public:
    bool SupportsNonPowerOfTwoTextures() override { return true; }
    int GetMaximumTextureSize() override { return 16384; }
    int GetShaderLevel() override { return QV_SHADER_LEVEL_DEFAULT; }
    int GetShaderLanguage() override { return QV_SHADER_LANGUAGE_HLSL11; }
    bool UsesPrecompiledShaders() override { return true; }
    bool CreateRenderTarget(Bitmap* bitmap) override { return CreateTexture(bitmap); }
    bool CreateTexture(Bitmap* bitmap) override
    {
        BitmapHardwareData& hardware = bitmap->hardware;
        hardware.loaded = 1;
        hardware.left = hardware.top = 0.0f;
        hardware.right = hardware.bottom = 1.0f;
        hardware.textureFullWidth = bitmap->width;
        hardware.textureFullHeight = bitmap->height;
        hardware.rendererData = reinterpret_cast<TextureHardwareData*>(bitmap);
        return true;
    }
    void DestroyTexture(BitmapHardwareData* hardware) override { hardware->loaded = 0; }
};

// False when renderer set-up failed.
inline bool Bench_SetUpEngine(RendererImplementation* renderer)
{
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    QVI_InitFileSystem();
    QVI_AttachRenderer(renderer);
    g_selectedResolution = SelectedResolution{800, 600, 1};
    return QVI_InitRenderer();
}

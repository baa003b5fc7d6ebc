// The renderer the engine draws through: attaching it, bringing its device up at the
// selected resolution with everything that depends on the device, and taking it down.
#include "graphics/setup/renderer_setup.h"

#include "core/engine_log.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "graphics/renderer/renderer_implementation.h"
#include "quaven/types.h"
#include "graphics/device_resources.h"
#include "graphics/setup/renderer_setup_hooks.h"
#include "graphics/setup/resolution_selection.h"
#include "graphics/setup/screen_state.h"
#include "shadertool/core/context.h"
#include "shadertool/driver/translation_driver.h"

RendererSetupState g_rendererSetup;

namespace {

// Full screen needs at least this size; anything smaller is shown in a window.
const int kMinimumFullscreenWidth = 640;
const int kMinimumFullscreenHeight = 480;
// Failed Init calls allowed since the last success before set-up gives up.
const int kMaximumRetries = 2;
const char kShaderOutputFolder[] = "user://shaders";

enum DeviceStart { DEVICE_STARTED, DEVICE_FAILED, DEVICE_START_OVER };

bool SameDisplay(const VideoParameters& a, const VideoParameters& b)
{
    return a.width == b.width && a.height == b.height && a.windowed == b.windowed;
}

void FreeShaderTranslatorLock()
{
    QVI_FreeMutexRecord(g_rendererSetup.shaderTranslatorLock);
    g_rendererSetup.shaderTranslatorLock = nullptr;
}

// Text's device steps, installed by the engine; a step not installed is skipped.
TextDeviceSteps g_textSteps = {nullptr, nullptr, nullptr};

void RunTextStep(void (*step)())
{
    if (step)
        step();
}

// The translator starts for the renderer's language under the lock every shader load takes. A
// failure's reason is in the translator's report, which nobody else would show.
bool StartShaderTranslator(int shaderLanguage, const char* outputFolder, bool developerMode)
{
    Mutex* lock = g_rendererSetup.shaderTranslatorLock;
    QV_LockMutex(lock);
    const bool started =
        ShaderTool::Initialize(static_cast<uint32_t>(shaderLanguage), String(outputFolder), developerMode);
    if (!started && g_shaderContext.reportLog.text.text)
        QVI_Report(QV_LOG_ERROR, "%s", g_shaderContext.reportLog.text.text);
    ShaderTool::Reset();
    QV_UnlockMutex(lock);
    return started;
}

// Init on the renderer's parameters. A failed Init may leave part of a device behind, so
// the device is shut down before anything tries Init again.
bool InitDevice()
{
    RendererImplementation* renderer = g_rendererSetup.renderer;
    if (renderer->Init(qv, &g_core, &g_rendererSetup.video)) {
        g_rendererSetup.retryCounter = 0;
        return true;
    }
    renderer->Shutdown();
    return false;
}

// Steps up to a running device: the selected resolution, and on failure one rollback to
// the parameters that worked before.
DeviceStart StartDevice()
{
    RendererSetupState& state = g_rendererSetup;
    if (!state.renderer) {
        QVI_Report(QV_LOG_INFO, "Renderer doesn't exist, can't continue with init.");
        return DEVICE_FAILED;
    }
    if (state.ready) {
        QVI_Report(QV_LOG_INFO, "Renderer in ready state, shutting it down before new init.");
        QVI_ShutdownRenderer();
    }

    const VideoParameters kept = state.video;
    state.ready = 0;
    VideoParameters& video = state.video;
    video.width = g_selectedResolution.width;
    video.height = g_selectedResolution.height;
    const bool tooSmallForFullscreen = video.width < kMinimumFullscreenWidth || video.height < kMinimumFullscreenHeight;
    video.windowed = (g_selectedResolution.windowed || tooSmallForFullscreen || g_config.forcedVariant) ? 1 : 0;
    QVI_Report(QV_LOG_SYSTEM, "Renderer Initializing: %dx%d %s..", video.width, video.height,
               video.windowed ? "windowed" : "fullscreen");

    QVI_ClearRenderStateSetFlags();
    if (InitDevice())
        return DEVICE_STARTED;

    ++state.retryCounter;
    // Parameters that never reached a device (the very first set-up) are nothing to roll
    // back to: a zero size would only give a device of whatever size the window has.
    const bool nothingToRollBackTo = !QVI_IsPositiveSize(kept.width, kept.height);
    if (state.retryCounter > kMaximumRetries || SameDisplay(video, kept) || nothingToRollBackTo) {
        QVI_ReportPopup(QV_LOG_ERROR,
                        "Unable to initialize the renderer.\n\nPlease try updating your display adapter drivers "
                        "and rebooting.");
        return DEVICE_FAILED;
    }
    state.video = kept;
    QVI_Report(QV_LOG_INFO, "Rolling back parms..");
    return InitDevice() ? DEVICE_STARTED : DEVICE_START_OVER;
}

// The translator's output folder: "user://shaders" when a developer asks for the
// translated shaders in developer.xml, else none.
const char* ShaderOutputFolder()
{
    if (!g_core.developerMode || !g_config.debugShaders)
        return "";
    if (qv->fileSystem && qv->fileSystem->CreateDirectory)
        qv->fileSystem->CreateDirectory(kShaderOutputFolder);
    return kShaderOutputFolder;
}

// Everything that depends on a running device.
bool FinishSetup()
{
    RendererSetupState& state = g_rendererSetup;
    RendererImplementation* renderer = state.renderer;

    FreeShaderTranslatorLock();
    state.shaderTranslatorLock = QVI_NewMutexRecord("ShaderTranslator");
    const bool developerMode = g_core.developerMode != 0;
    if (!StartShaderTranslator(renderer->GetShaderLanguage(), ShaderOutputFolder(), developerMode)) {
        QVI_ReportPopup(QV_LOG_ERROR, "Failed to initialize the shader translator.");
        // The device is up: shut it down now, so that the next set-up starts from nothing.
        renderer->Shutdown();
        FreeShaderTranslatorLock();
        return false;
    }

    renderer->PostInit();
    QVI_Report(QV_LOG_SYSTEM, "Renderer Initialization done.");
    g_screenState.screenWidth = state.video.width;
    g_screenState.screenHeight = state.video.height;
    state.pixelChannelOrder = renderer->GetPixelChannelOrder();
    state.rgbaVertexColor = renderer->UsesRGBAVertexColor() ? 1 : 0;

    QVI_RestorePooledBitmaps();
    QVI_RecreateTextFontAtlases();
    QVI_ReloadXmlShaders();
    QVI_ReuploadTextGlyphCache();
    QVI_PrepareBatchRenderer();
    QVI_CreateWhiteTexture();
    QVI_InitBatchBuffers();
    QVI_Report(QV_LOG_INFO, "Batch renderer initializing done.");

    state.ready = 1;
    QVI_ApplyDepthAndProjection();
    QVI_Report(QV_LOG_INFO, "Renderer ready.");
    return true;
}

}  // namespace

bool QVI_InitRenderer()
{
    for (;;) {
        // Each start-over has counted a failure, so the retry limit ends the loop.
        switch (StartDevice()) {
        case DEVICE_STARTED:
            return FinishSetup();
        case DEVICE_FAILED:
            return false;
        case DEVICE_START_OVER:
            break;
        }
    }
}

void QVI_AttachRenderer(RendererImplementation* renderer)
{
    if (g_rendererSetup.renderer)
        return;
    g_rendererSetup.renderer = renderer;
}

void QVI_DetachRenderer()
{
    g_rendererSetup.renderer = nullptr;
    g_rendererSetup.ready = 0;
}

RendererImplementation* QVI_GetRenderer()
{
    return g_rendererSetup.renderer;
}

bool QVI_IsRendererReady()
{
    return g_rendererSetup.renderer && g_rendererSetup.ready;
}

void QVI_ShutdownRenderer()
{
    QVI_Report(QV_LOG_SYSTEM, "Quaven RendImp Shutdown.");
    RendererSetupState& state = g_rendererSetup;
    if (!state.renderer)
        return;

    QVI_ReleasePooledBitmapData();
    QVI_ReleasePooledShaderData();
    QVI_ReleaseTextDeviceData();
    QVI_Report(QV_LOG_INFO, "Batch renderer freeing assets.");
    QVI_FreeBatchAssets();

    state.renderer->Shutdown();
    state.ready = 0;
    FreeShaderTranslatorLock();
}

void QVI_SetTextDeviceSteps(const TextDeviceSteps& steps)
{
    g_textSteps = steps;
}

void QVI_RecreateTextFontAtlases()
{
    RunTextStep(g_textSteps.recreateFontAtlases);
}

void QVI_ReuploadTextGlyphCache()
{
    RunTextStep(g_textSteps.reuploadGlyphCache);
}

void QVI_ReleaseTextDeviceData()
{
    RunTextStep(g_textSteps.releaseFontShaderAndGlyphData);
}

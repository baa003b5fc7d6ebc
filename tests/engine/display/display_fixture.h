// The display tests' ground: the engine as start-up leaves it for the frame loop, on the
// real main window and the real Direct3D 11 renderer. The test program library is loaded
// as the host loads it, and the test then plays the game: its Render and OnEvent are the
// test's. Every presented frame is read back just before Present.
#pragma once

#include "platform/windows/win32.h"
// The API table has a member of this name.
#undef DrawText

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/configuration.h"
#include "core/core_state.h"
#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "engine/overlays.h"
#include "engine/program/program_library.h"
#include "engine/platform_command.h"
#include "engine/reinitialization.h"
#include "engine/startup/engine_lifecycle.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/graphics_frame.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/resolution_selection.h"
#include "graphics/setup/screen_state.h"
#include "platform/windows/window/main_window.h"
#include "sound/sound_api.h"
#include "sound/sound_implementation_null.h"
#include "support/back_buffer.h"
#include "support/engine_table.h"

namespace display_test {

// The real renderer, read back before each Present; it can be told to refuse a quick
// mode change or a device of one width, as a device that cannot show a size does, or
// render targets, as a device short of memory does.
class WatchedRenderer : public RendImpDirect3D11 {
public:
    bool Present() override {
        frame = quaven_test::ReadBackBuffer(*this);
        return RendImpDirect3D11::Present();
    }
    bool ChangeVideoMode(int width, int height, bool windowed) override {
        if (refuseQuickChanges || width == refusedWidth) return false;
        return RendImpDirect3D11::ChangeVideoMode(width, height, windowed);
    }
    bool Init(QuavenAPI* api, CoreState* core, VideoParameters* video) override {
        if (video && video->width == refusedWidth) return false;
        return RendImpDirect3D11::Init(api, core, video);
    }
    bool CreateRenderTarget(Bitmap* bitmap) override {
        return !refuseRenderTargets && RendImpDirect3D11::CreateRenderTarget(bitmap);
    }
    TestImage frame;
    bool refuseQuickChanges = false;
    bool refuseRenderTargets = false;
    int refusedWidth = -1;
};

// A font file whose every Latin-1 glyph is a solid white 4 x 6 block, 5 pixels apart.
inline std::string BlockFont() {
    std::string b;
    auto u8 = [&](unsigned v) { b += char(v); };
    auto u16 = [&](unsigned v) { u8(v & 255), u8((v >> 8) & 255); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    auto f32 = [&](float v) { uint32_t bits; memcpy(&bits, &v, 4); u32(bits); };
    b.append("TAV_Font_v7", 11), u8(0), b.append("LATIN-1"), u8(0);
    u32(12), u32(16), u32(18), f32(0.0f), f32(0.25f), f32(1.0f), u32(256);
    for (uint32_t code = 0; code < 256; ++code) {
        const bool drawn = code > 32;
        u32(code), f32(0.0f), u16(0), u16(5), u8(0);
        u16(drawn ? 4 : 0), u16(drawn ? 6 : 0);
        for (int i = 0; drawn && i < 24; ++i) u32(0xFFFFFFFFu);
    }
    return b;
}

class DisplayTest : public quaven_test::EngineFilesTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The window, the device and the program at this size (windowed); reference is the
    // program's design size (0: the same).
    void Start(int width, int height, int referenceWidth = 0, int referenceHeight = 0);

    // One frame of the engine, the window's messages first, as WinMain runs it.
    void Frame() {
        QVI_PumpWindowMessages();
        QVI_RunFrame();
    }
    // Posts a message to the main window; the next Frame delivers it.
    void Post(UINT message, WPARAM w, LPARAM l = 0) { PostMessageA(g_core.mainWindow, message, w, l); }

    std::vector<EngineEvent> EventsOf(uint32_t type) const {
        std::vector<EngineEvent> found;
        for (const EngineEvent& event : events_)
            if (event.type == type) found.push_back(event);
        return found;
    }
    static const QuavenGraphicsAPI* g() { return qv->graphics; }
    static void Rect(float x, float y, float w, float h) { g()->DrawRectangle(&x, &y, &w, &h); }
    static void Colour(float r, float g, float b) { qv->graphics->SetColor(&r, &g, &b); }
    static void UseFeatures(const char* features) { QVI_ReplaceText(&g_config.applicationFeatures, features); }

    WatchedRenderer renderer_;
    ProgramInterface* record_ = nullptr;
    // The game: what it draws each frame, and the events it received.
    static inline std::function<void()> render_;
    static inline std::vector<EngineEvent> events_;
};

inline void DisplayTest::SetUp() {
    EngineFilesTest::SetUp();
    render_ = nullptr;
    events_.clear();
    g_core.api = qv;
    g_core.screenState = &g_screenState;
    g_core.savedVideo = &g_rendererSetup.video;
    g_core.imageLoader = QVI_GetImageLoader();
    g_core.referenceCounting = 1;
    g_rendererSetup = RendererSetupState();
    g_selectedResolution = SelectedResolution();
    QVI_ResetProgramConfiguration();
    QVI_ResetOrientationState();
    QVI_ResetAutoscaling();
    QVI_ResetGraphicsDefaults();
    QVI_ResetRenderTargetStack();
    g_autoscaleActive = 0;
    QVI_SetAllowAllResolutions(false);
    QVI_InstallWindowToProgramMapping();
    PutFile("core/console.mft", BlockFont());
    qv->fileSystem->AddSearchPath("res://", true);

    SetDllDirectoryA(QUAVEN_FIXTURES_DIR);
    ASSERT_TRUE(QVI_LoadProgramLibrary());
    record_ = QVI_GetProgramRecord();
    QVI_AdoptProgramConfiguration(record_);
    record_->Init = [] { return true; };
    record_->Update = nullptr;
    record_->Render = [](float) { if (render_) render_(); };
    record_->OnEvent = [](EngineEvent event) { return events_.push_back(event), 0; };
    QVI_UseSoundImplementation(SoundImplementationNull::GetInstance());
}

inline void DisplayTest::Start(int width, int height, int referenceWidth, int referenceHeight) {
    VideoParameters& video = record_->video;
    video.width = width, video.height = height, video.windowed = 1, video.frame_time_ms = 0;
    video.reference_width = referenceWidth ? referenceWidth : width;
    video.reference_height = referenceHeight ? referenceHeight : height;
    g_core.video = video;
    g_rendererSetup.video = video;
    g_selectedResolution = {width, height, 1};
    QVI_InitScreenState();
    g_screenState.screenWidth = width, g_screenState.screenHeight = height;
    g_screenState.orientation = QVI_GetNaturalOrientation(width, height);
    g_orientation.current = g_orientation.target = g_screenState.orientation;
    ASSERT_TRUE(QVI_CreateMainWindow());
    QVI_AttachRenderer(&renderer_);
    g_core.renderer = &renderer_;
    ASSERT_TRUE(QVI_InitRenderer());
    QVI_SetupAutoscaling();
    g_core.coreInitialized = 1;
    quaven_test::LogCapture::Clear();
}

inline void DisplayTest::TearDown() {
    if (g_core.sound) g_core.sound->Shutdown();
    QVI_UseSoundImplementation(SoundImplementationNull::GetInstance());
    QVI_ShutdownRenderer();
    QVI_DetachRenderer();
    QVI_DestroyMainWindow();
    QVI_PumpWindowMessages();
    QVI_UnloadProgramLibrary();
    SetDllDirectoryA(nullptr);
    QVI_SetCoordinateMapping(nullptr);
    for (uint32_t code = 0; code < QV_KEY_CODE_COUNT; ++code) QV_SetKey(code, 0);
    g_rendererSetup = RendererSetupState();
    g_screenState = ScreenState();
    g_selectedResolution = SelectedResolution();
    QVI_ResetAutoscaling();
    g_autoscaleActive = 0;
    QVI_SetAllowAllResolutions(false);
    QVI_ResetProgramConfiguration();
    EngineFilesTest::TearDown();
}

// A pixel of the last presented frame, each channel within tolerance.
inline ::testing::AssertionResult PixelIs(const TestImage& image, int x, int y, Rgba8 expected, int tolerance = 2) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height)
        return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is outside " << image.width << " x "
                                             << image.height;
    const Rgba8 p = image.At(x, y);
    const bool close = std::abs(p.r - expected.r) <= tolerance && std::abs(p.g - expected.g) <= tolerance &&
                      std::abs(p.b - expected.b) <= tolerance;
    if (close) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is " << int(p.r) << "," << int(p.g) << ","
                                         << int(p.b) << " not " << int(expected.r) << "," << int(expected.g) << ","
                                         << int(expected.b);
}

}  // namespace display_test

// A game changing its display at run time through ReinitializeWithParameters, on the real
// window and device: its bitmaps, fonts and render targets still draw afterwards, a size
// the device refuses leaves a working display at the old size, and sound can be turned
// off and on again.
#include "engine/display/display_fixture.h"

#include "sound/interface/sound_implementation.h"
#include "support/log_capture.h"

namespace display_test {
namespace {

using quaven_test::LogCapture;

const Rgba8 kBlue = {0, 0, 255, 255}, kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255};
const Rgba8 kWhite = {255, 255, 255, 255};

// A scene of every kind of GPU resource the game holds: a red bitmap, a render target it
// fills green each frame, and text in a pooled font.
class ReinitScene : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        UseFeatures("FREE_RESOLUTION");
        Start(160, 120);
        BitmapDescription description = {QV_TEXTURE_FORMAT_RGBA8, QV_TEXTURE_TYPE_2D, 1, 0, 8, 8, 1, 0, {}};
        sprite_ = g()->CreateBitmap("reinit sprite", &description);
        ASSERT_NE(sprite_, nullptr);
        for (int i = 0; i < 64; ++i) memcpy(sprite_->pixels + 4 * i, &kRed, 4);
        g()->RefreshBitmap(sprite_);
        description.renderTarget = 1;
        target_ = g()->CreateBitmap("reinit target", &description);
        ASSERT_NE(target_, nullptr);
        font_ = qv->GetFont("core/console.mft");
        ASSERT_NE(font_, nullptr);
        render_ = [this] {
            g()->PushRenderTarget(target_);
            g()->ClearColor(0, 1, 0);
            g()->PopRenderTarget();
            g()->ClearColor(0, 0, 1);
            Colour(1, 1, 1);
            const float x10 = 10, x30 = 30, x50 = 50, y10 = 10;
            g()->DrawBitmap(sprite_, &x10, &y10);
            g()->DrawBitmap(target_, &x30, &y10);
            qv->DrawText(font_, &x50, &y10, "%s", "II");
        };
    }
    void TearDown() override {
        render_ = nullptr;
        for (Bitmap* bitmap : {sprite_, target_})
            if (bitmap) g()->ReleaseBitmap(bitmap);
        if (font_) qv->ReleaseFont(font_);
        DisplayTest::TearDown();
    }

    // The scene where it was drawn, on a frame of the expected size.
    void ExpectScene(int width, int height) {
        const TestImage& frame = renderer_.frame;
        ASSERT_EQ(frame.width, width);
        ASSERT_EQ(frame.height, height);
        EXPECT_TRUE(PixelIs(frame, 13, 13, kRed)) << "bitmap";
        EXPECT_TRUE(PixelIs(frame, 33, 13, kGreen)) << "render target";
        bool text = false;
        for (int y = 4; y < 22 && !text; ++y)
            for (int x = 50; x < 60 && !text; ++x) text = PixelIs(frame, x, y, kWhite);
        EXPECT_TRUE(text) << "text";
        EXPECT_TRUE(PixelIs(frame, width - 3, height - 3, kBlue)) << "background";
    }

    static VideoParameters Asking(int width, int height) {
        VideoParameters video = QVI_GetProgramRecord()->video;
        video.width = width, video.height = height, video.windowed = 1;
        return video;
    }
    // The display-change events the game received, as "reinit 0", "reinit 1", "size WxH".
    std::vector<std::string> DisplayEvents() const {
        std::vector<std::string> seen;
        for (const EngineEvent& event : events_) {
            if (event.type == EVENT_DISPLAY_REINIT) seen.push_back("reinit " + std::to_string(event.payload[0]));
            if (event.type == EVENT_RESOLUTION_CHANGED) {
                EventResolutionPayload size;
                memcpy(&size, event.payload, sizeof size);
                seen.push_back("size " + std::to_string(size.width) + "x" + std::to_string(size.height));
            }
        }
        return seen;
    }

    Bitmap* sprite_ = nullptr;
    Bitmap* target_ = nullptr;
    Font* font_ = nullptr;
};

TEST_F(ReinitScene, AnotherWindowSizeKeepsBitmapsFontsAndRenderTargets) {
    Frame();
    ExpectScene(160, 120);
    // Asking again for what is shown is pending but changes nothing.
    ASSERT_TRUE(qv->ReinitializeWithParameters(Asking(160, 120)));
    EXPECT_TRUE(QVI_IsReinitPending());
    Frame();
    EXPECT_FALSE(QVI_IsReinitPending());
    EXPECT_EQ(LogCapture::CountContaining("Applying ReInit"), 0);
    EXPECT_TRUE(DisplayEvents().empty());

    // The device changes its mode in place: every resource stays on it.
    ASSERT_TRUE(qv->ReinitializeWithParameters(Asking(200, 150)));
    Frame();
    EXPECT_EQ(LogCapture::Count("Applying ReInit: 160x120 (w) -> 200x150 (w)"), 1);
    EXPECT_EQ(LogCapture::CountContaining("Unable to do quick reinit"), 0);
    EXPECT_EQ(DisplayEvents(), (std::vector<std::string>{"reinit 0", "reinit 1", "size 200x150"}));
    EXPECT_TRUE(record_->video.width == 200 && record_->video.height == 150);
    EXPECT_TRUE(g_screenState.screenWidth == 200 && g_rendererSetup.video.height == 150);
    RECT client;
    EXPECT_TRUE(GetClientRect(g_core.mainWindow, &client) && client.right == 200 && client.bottom == 150);
    Frame();
    ExpectScene(200, 150);

    // A device that cannot switch in place is made again with a new window: the pools go
    // back to it.
    renderer_.refuseQuickChanges = true;
    events_.clear();
    ASSERT_TRUE(qv->ReinitializeWithParameters(Asking(240, 180)));
    Frame();
    EXPECT_EQ(LogCapture::Count("Unable to do quick reinit. Doing full shutdown and init."), 1);
    EXPECT_EQ(DisplayEvents(), (std::vector<std::string>{"reinit 0", "reinit 1", "size 240x180"}));
    ASSERT_NE(g_core.mainWindow, nullptr);
    EXPECT_TRUE(QVI_IsRendererReady());
    Frame();
    ExpectScene(240, 180);
    EXPECT_TRUE(LogCapture::PopupTexts().empty());
}

TEST_F(ReinitScene, ASizeTheDeviceRefusesRollsBackToAWorkingDisplay) {
    Frame();
    // Larger than any texture: refused before the device hears of it.
    QVI_SetAllowAllResolutions(true);
    EXPECT_FALSE(qv->ReinitializeWithParameters(Asking(100000, 120)));
    EXPECT_FALSE(QVI_IsReinitPending());
    EXPECT_TRUE(g_core.video.width == 160 && g_core.video.height == 120);
    // No size and no list to choose one from: refused, the shown size kept.
    EXPECT_FALSE(qv->ReinitializeWithParameters(Asking(0, 0)));
    EXPECT_TRUE(g_core.video.width == 160 && g_core.video.height == 120);

    // A size the device will not make: the old parameters come back, and the game hears
    // the size it really has.
    renderer_.refuseQuickChanges = true;
    renderer_.refusedWidth = 320;
    ASSERT_TRUE(qv->ReinitializeWithParameters(Asking(320, 240)));
    Frame();
    EXPECT_EQ(LogCapture::Count("Rolling back parms.."), 1);
    EXPECT_EQ(LogCapture::Count("Reinitialization to 320x240 refused by the device: back at 160x120."), 1);
    EXPECT_EQ(DisplayEvents(), (std::vector<std::string>{"reinit 0", "reinit 1", "size 160x120"}));
    EXPECT_TRUE(record_->video.width == 160 && record_->video.height == 120);
    EXPECT_TRUE(g_core.video.width == 160 && g_selectedResolution.width == 160);
    EXPECT_TRUE(QVI_IsRendererReady());
    RECT client;
    EXPECT_TRUE(GetClientRect(g_core.mainWindow, &client) && client.right == 160 && client.bottom == 120);
    Frame();
    ExpectScene(160, 120);
}

TEST_F(DisplayTest, SoundTurnedOffAndOnAgain) {
    Start(160, 120);
    // Started without sound: every copy of the flag is set.
    for (VideoParameters* video : {&record_->video, &g_core.video, &g_rendererSetup.video}) video->no_sound = 1;
    VideoParameters on = record_->video;
    on.no_sound = 0;
    UseFeatures("FREE_RESOLUTION");
    ASSERT_TRUE(qv->ReinitializeWithParameters(on));
    Frame();
    EXPECT_EQ(LogCapture::Count("Loading Sound Implementation..."), 1);
    const bool initialized = LogCapture::Count("SoundImplementation initialized.") == 1;
    EXPECT_NE(initialized, LogCapture::Count("No Sound Implementation available.") == 1);
    EXPECT_EQ(g_core.sound, initialized ? QVI_GetStaticSoundImplementation() : SoundImplementationNull::GetInstance());
    for (const VideoParameters* video : {&record_->video, &g_core.video, &g_rendererSetup.video,
                                         &g_config.defaultRecord.video})
        EXPECT_EQ(video->no_sound, 0) << "a copy of the no-sound flag stayed set";
    EXPECT_EQ(LogCapture::CountContaining("Applying ReInit"), 0) << "the display stays as it is";

    // Off: the sound members go quiet, the device stays.
    SoundImplementation* device = g_core.sound;
    VideoParameters off = on;
    off.no_sound = 1;
    ASSERT_TRUE(qv->ReinitializeWithParameters(off));
    Frame();
    EXPECT_EQ(g_core.sound, device);
    EXPECT_EQ(record_->video.no_sound, 1);
    // On again: the device never went, so nothing is loaded again.
    ASSERT_TRUE(qv->ReinitializeWithParameters(on));
    Frame();
    EXPECT_EQ(LogCapture::Count("Loading Sound Implementation..."), 1);
    EXPECT_EQ(g_core.sound, device);
    EXPECT_EQ(record_->video.no_sound, 0);
}

}  // namespace
}  // namespace display_test

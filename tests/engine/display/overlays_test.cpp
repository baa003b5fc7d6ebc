// What the engine draws around and over the game, read back from the presented frame: the
// canvas scaled and centred with black bands beside it, the mouse mapped back onto the
// canvas, the developer panels and graphs behind their keys, and the memory overlay.
#include "engine/display/display_fixture.h"

#include "engine/memory_statistics.h"
#include "support/log_capture.h"

namespace display_test {
namespace {

const Rgba8 kBlack = {0, 0, 0, 255}, kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255};
const Rgba8 kBlue = {0, 0, 255, 255}, kWhite = {255, 255, 255, 255};

const uint32_t kF2 = 113, kF3 = 114, kF4 = 115, kF5 = 116, kF6 = 117;

// The game's view of a mouse move event.
EventMousePayload Mouse(const EngineEvent& event) {
    EventMousePayload mouse;
    memcpy(&mouse, event.payload, sizeof mouse);
    return mouse;
}

bool AnyPixel(const TestImage& image, int x0, int y0, int x1, int y1, Rgba8 colour, int tolerance = 2) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (PixelIs(image, x, y, colour, tolerance)) return true;
    return false;
}

class Overlays : public DisplayTest {
protected:
    // The X server may move the pointer over the window too: the posted move is one of the
    // moves the game received.
    bool MovedTo(int x, int y) const {
        for (const EngineEvent& move : EventsOf(EVENT_MOUSE_MOVE))
            if (Mouse(move).x == x && Mouse(move).y == y) return true;
        return false;
    }
};

TEST_F(Overlays, AnAutoscaledCanvasIsCentredBetweenBandsAndTheMouseIsMappedBackOntoIt) {
    // An 80 x 60 game on a 200 x 120 window keeping its shape: scale 2, 20 pixels each side.
    UseFeatures("AUTOSCALE AUTOSCALE_RETAIN_ASPECT_RATIO");
    g_autoscaleActive = 1;
    Start(200, 120, 80, 60);
    ASSERT_TRUE(record_->video.width == 80 && record_->video.height == 60);
    render_ = [] {
        g()->ClearColor(1, 1, 1);
        Colour(1, 0, 0);
        Rect(-40, 0, 160, 60);  // wider than the canvas: the bands hide the rest
        Colour(0, 1, 0);
        Rect(10, 10, 10, 10);
    };
    Post(WM_MOUSEMOVE, 0, MAKELPARAM(100, 60));
    Frame();
    const TestImage& frame = renderer_.frame;
    ASSERT_TRUE(frame.width == 200 && frame.height == 120);
    EXPECT_TRUE(PixelIs(frame, 5, 60, kBlack)) << "left band";
    EXPECT_TRUE(PixelIs(frame, 194, 60, kBlack)) << "right band";
    EXPECT_TRUE(PixelIs(frame, 25, 60, kRed));
    EXPECT_TRUE(PixelIs(frame, 175, 100, kRed));
    EXPECT_TRUE(PixelIs(frame, 50, 30, kGreen)) << "canvas (10, 10) to (20, 20) is screen (40, 20) to (60, 40)";
    EXPECT_TRUE(PixelIs(frame, 62, 30, kRed));
    EXPECT_TRUE(MovedTo(40, 30));
}

TEST_F(Overlays, UnderAnOverlayZoomTheMouseLandsOnTheShrunkenCanvas) {
    Start(160, 120);
    // Half size, centred: the canvas covers (40, 30) to (120, 90) of the window.
    g_autoscale.overlayZoom = g_autoscale.savedOverlayZoom = 0.5f;
    QVI_UpdateOverlayZoomOffsets();
    EXPECT_TRUE(g_autoscale.zoomOffsetX == 40 && g_autoscale.zoomOffsetY == 30);
    render_ = [] { g()->ClearColor(1, 0, 0); };
    Post(WM_MOUSEMOVE, 0, MAKELPARAM(60, 50));
    Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 90));
    Frame();
    EXPECT_TRUE(PixelIs(renderer_.frame, 80, 60, kRed)) << "the canvas";
    EXPECT_TRUE(PixelIs(renderer_.frame, 10, 10, kBlack)) << "around it";
    EXPECT_TRUE(PixelIs(renderer_.frame, 150, 110, kBlack)) << "around it";
    EXPECT_TRUE(MovedTo(40, 40));
    const std::vector<EngineEvent> presses = EventsOf(EVENT_MOUSE_DOWN);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_TRUE(Mouse(presses[0]).x == 160 && Mouse(presses[0]).y == 120) << "the window's far corner";

    // The frame went through the zoom's frame buffer. One the device cannot make again leaves
    // the game drawn straight onto the screen: the same picture, not a black frame.
    Bitmap* buffer = g()->GetBitmapEx("TRANSFORMED_FRAME_BUFFER", QV_CACHE_LOOKUP_ONLY);
    ASSERT_TRUE(buffer && buffer->hardware.loaded);
    renderer_.refuseRenderTargets = true;
    g()->ResizeBitmap(buffer, 80, 60);
    ASSERT_FALSE(buffer->hardware.loaded);
    Frame();
    renderer_.refuseRenderTargets = false;
    EXPECT_TRUE(PixelIs(renderer_.frame, 80, 60, kRed)) << "the canvas";
    EXPECT_TRUE(PixelIs(renderer_.frame, 45, 35, kRed)) << "the canvas";
    EXPECT_TRUE(PixelIs(renderer_.frame, 10, 10, kBlack)) << "around it";
    EXPECT_TRUE(PixelIs(renderer_.frame, 150, 110, kBlack)) << "around it";
}

TEST_F(Overlays, DeveloperKeysShowThePanelTheFrameTimeGraphAndRunTheirCommands) {
    g_core.developerMode = 1;
    Start(320, 240);
    static std::vector<std::string> commands;
    commands.clear();
    qv->PlatformCommand = [](const char* command, const char* argument) -> const char* {
        commands.push_back(std::string(command) + "|" + (argument ? argument : "null"));
        return nullptr;
    };
    render_ = [] { g()->ClearColor(0, 0, 1); };

    Frame();
    EXPECT_TRUE(PixelIs(renderer_.frame, 5, 5, kBlue)) << "nothing over the game without a key";

    // F6: the information panel, black at 0.8 over the top 210 rows, white headings and grey
    // lines drawn at the panel's alpha of 0.8 as well.
    Post(WM_KEYDOWN, VK_F6);
    Frame();
    const TestImage panel = renderer_.frame;
    const Rgba8 heading = {204, 204, 214, 255}, grey = {143, 143, 153, 255};
    EXPECT_TRUE(PixelIs(panel, 3, 100, Rgba8{0, 0, 51, 255}, 3));
    EXPECT_TRUE(PixelIs(panel, 300, 220, kBlue)) << "below the panel";
    EXPECT_TRUE(AnyPixel(panel, 5, 0, 20, 30, heading, 3)) << "the first heading";
    EXPECT_TRUE(AnyPixel(panel, 205, 0, 220, 30, heading, 3)) << "the second column's heading";
    EXPECT_FALSE(AnyPixel(panel, 0, 0, 320, 210, kWhite, 10)) << "nothing at full alpha";
    EXPECT_TRUE(AnyPixel(panel, 5, 20, 20, 60, grey, 3)) << "grey lines";
    Post(WM_KEYUP, VK_F6);

    // F3: the frame-time graph, 300 pixels wide, with its 1/30 s mark.
    Post(WM_KEYDOWN, VK_F3);
    Frame();
    const TestImage graph = renderer_.frame;
    EXPECT_TRUE(PixelIs(graph, 200, 20, Rgba8{0, 0, 51, 255}, 3)) << "the graph's box";
    EXPECT_TRUE(PixelIs(graph, 315, 20, kBlue)) << "right of the graph";
    EXPECT_TRUE(AnyPixel(graph, 100, 74, 200, 80, Rgba8{128, 0, 26, 255}, 4)) << "the 1/30 s mark";
    EXPECT_TRUE(AnyPixel(graph, 12, 60, 20, 111, kGreen)) << "the frame times";
    Post(WM_KEYUP, VK_F3);
    Frame();
    EXPECT_TRUE(PixelIs(renderer_.frame, 200, 20, kBlue));

    // Too narrow a screen has no graph, and nothing breaks.
    const int32_t width = g_rendererSetup.video.width;
    g_rendererSetup.video.width = 20;
    QV_SetKey(kF3, 1);
    Frame();
    EXPECT_TRUE(PixelIs(renderer_.frame, 15, 20, kBlue));
    QV_SetKey(kF3, 0);
    g_rendererSetup.video.width = width;

    // F4 and F5 ask for the resource listing and reloading on every frame they are held. The
    // frames run without taking window messages: a window another test of a parallel run opens
    // takes the focus, and the focus change would let every key go.
    commands.clear();
    QV_SetKey(kF4, 1), QV_SetKey(kF5, 1);
    QVI_RunFrame();
    QVI_RunFrame();
    QV_SetKey(kF4, 0), QV_SetKey(kF5, 0);
    QVI_RunFrame();
    const std::vector<std::string> asked = {"ListResourceUsage|null", "Cache|ReloadResources",
                                            "ListResourceUsage|null", "Cache|ReloadResources"};
    std::vector<std::string> keyCommands;
    for (const std::string& c : commands)
        if (c.rfind("RefreshMem", 0) != 0) keyCommands.push_back(c);
    EXPECT_EQ(keyCommands, asked);
}

TEST_F(Overlays, TheNotchMaskAndTheFrameTimeTestPatternDrawOverTheGame) {
    g_core.developerMode = 1, g_core.drawTimeDeltaTest = 1;
    UseFeatures("DRAW_NOTCH");
    Start(320, 240);
    render_ = [] { g()->ClearColor(0, 0, 1); };
    Frame();
    g_core.drawTimeDeltaTest = 0;
    const TestImage& frame = renderer_.frame;
    // A landscape notch on the left edge: 11.8 wide, rows 53.1 to 186.9.
    EXPECT_TRUE(PixelIs(frame, 5, 120, kBlack));
    EXPECT_TRUE(PixelIs(frame, 5, 45, kBlue) && PixelIs(frame, 14, 120, kBlue));
    // The 1/30 s and 1/60 s marks across the canvas, and the square three quarters down,
    // green at the pattern's alpha of 0.8.
    const Rgba8 mark = {0, 204, 51, 255};
    EXPECT_TRUE(PixelIs(frame, 200, 105, mark));
    EXPECT_TRUE(PixelIs(frame, 200, 55, mark));
    EXPECT_TRUE(AnyPixel(frame, 0, 181, 30, 203, mark));
    EXPECT_TRUE(PixelIs(frame, 200, 150, kBlue));
}

TEST_F(Overlays, TheMemoryOverlayStacksItsSamplesAndRaisesItsScale) {
    g_core.developerMode = 1;
    Start(320, 240);
    static int refreshes;
    refreshes = 0;
    // The estimates as "RefreshMemUsageEstimates" leaves them: 40 MB in all.
    qv->PlatformCommand = [](const char* command, const char* argument) -> const char* {
        if (std::string(command) == "RefreshMemUsageEstimates" && argument && !*argument) {
            ++refreshes;
            const uint32_t mb = 1048576;
            QV_SetKey(MEMORY_TOTAL, 40 * mb + refreshes);
            QV_SetKey(MEMORY_SYSTEM, 20 * mb), QV_SetKey(MEMORY_GPU, 6 * mb);
            QV_SetKey(MEMORY_SOUND, 4 * mb), QV_SetKey(MEMORY_VERTEX_DATA, 2 * mb);
        }
        return nullptr;
    };
    render_ = [] { g()->ClearColor(0, 0, 1); };
    for (int i = 0; i < 60; ++i) Frame();
    EXPECT_EQ(refreshes, 2) << "every 30th frame";
    MemoryOverlay* overlay = QVI_GetMemoryOverlay();
    ASSERT_NE(overlay, nullptr);
    ASSERT_EQ(overlay->total.count, 2);
    EXPECT_EQ(overlay->peakGpu, 6 * 1048576);

    QV_SetKey(kF2, 1);
    Frame();
    QV_SetKey(kF2, 0);
    EXPECT_EQ(overlay->scaleMaximum, 54525952u) << "40 MB on a 32 MB scale raises it to 52 MB";
    // Graph (50, 50) to (270, 190), 46 pixels per 10 MB step (three steps in 140 pixels
    // before the scale grew). The first sample's bar at x 100: sound 4 MB from the bottom
    // (y 171.6 to 190), GPU 6 MB above it (to 144), system 20 MB above that (to 52).
    const TestImage& frame = renderer_.frame;
    EXPECT_TRUE(PixelIs(frame, 100, 186, Rgba8{77, 230, 77, 255}, 3)) << "sound";
    EXPECT_TRUE(PixelIs(frame, 101, 160, Rgba8{230, 77, 77, 255}, 3)) << "GPU";
    EXPECT_TRUE(PixelIs(frame, 100, 100, Rgba8{77, 77, 230, 255}, 3)) << "system";
    EXPECT_TRUE(PixelIs(frame, 60, 120, Rgba8{0, 0, 102, 255}, 3)) << "the graph's background";
    EXPECT_TRUE(PixelIs(frame, 60, 192, Rgba8{230, 230, 230, 255}, 3)) << "the base line";
    EXPECT_TRUE(PixelIs(frame, 10, 10, kBlue)) << "outside the graph";
    EXPECT_TRUE(AnyPixel(frame, 200, 100, 280, 140, kWhite) || AnyPixel(frame, 200, 100, 280, 140,
                                                                        Rgba8{77, 77, 230, 255}, 3))
        << "the legend";
}

TEST(MemorySampling, EveryThirtiethCallSamplesUntilTheTotalStandsStillAndTheHistoryIsTrimmed) {
    quaven_test::EngineTable table;
    static uint32_t total;
    qv->PlatformCommand = [](const char*, const char*) -> const char* {
        return QV_SetKey(MEMORY_TOTAL, total), nullptr;
    };
    MemoryOverlay* overlay = QVI_CreateMemoryOverlay();
    overlay->total.count = overlay->gpu.count = overlay->system.count = overlay->sound.count = 0;
    overlay->vertexData.count = 0, overlay->calls = 0, overlay->graphWidth = 700;
    total = 100;
    for (int i = 0; i < 29; ++i) QVI_RefreshMemUsageEstimates();
    EXPECT_EQ(overlay->total.count, 0);
    QVI_RefreshMemUsageEstimates();
    EXPECT_EQ(overlay->total.count, 1);
    for (int i = 0; i < 30 * 5; ++i) QVI_RefreshMemUsageEstimates();
    EXPECT_EQ(overlay->total.count, 4) << "four equal totals stop the recording";
    // Ever-changing totals: 0.75 x 700 = 525 pixels of 2-pixel bars hold 262 samples.
    for (int i = 0; i < 30 * 300; ++i) {
        total = 1000 + i;
        QVI_RefreshMemUsageEstimates();
    }
    EXPECT_EQ(overlay->total.count, 262);
    EXPECT_TRUE(overlay->gpu.count == 262 && overlay->vertexData.count == 262);
    EXPECT_EQ(uint32_t(overlay->total.data[261]), total);
}

}  // namespace
}  // namespace display_test

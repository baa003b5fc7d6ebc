// Clearing, presenting and reading back; the window size and full screen.
#include "platform/windows/d3d11/d3d11_test_support.h"

namespace d3d11_test {
namespace {

using D3D11SwapChainTest = D3D11Test;

TEST_F(D3D11SwapChainTest, ClearedFrameReadsBackFromTheBufferAndFromTheScreen) {
    if (!RunsAloneOnTheScreen()) GTEST_SKIP() << "reads the screen: runs alone, in a registration of its own";
    ASSERT_TRUE(InitRenderer());
    renderer_.BeginFrame(0);
    renderer_.ClearColor(1.0f, 0.5f, 0.25f, 1.0f);
    TestImage image = ReadBack();
    ASSERT_EQ(kWindowWidth, image.width);
    ASSERT_EQ(kWindowHeight, image.height);
    EXPECT_TRUE(RegionNear(image, 0, 0, kWindowWidth, kWindowHeight, ToRgba8(1.0f, 0.5f, 0.25f, 1.0f), 1));
    if (!getenv("QUAVEN_SCREEN_DIR")) GTEST_SKIP() << "no Xvfb screen file to read the window from";
    POINT corner = {kWindowWidth - 1, kWindowHeight - 1};
    ClientToScreen(window_, &corner);
    // Wine hands frames to X in its own time, late on a loaded machine: keep the window on top
    // and present again until the colour shows, for a while.
    const Rgba8 colour = ToRgba8(0.2f, 0.8f, 0.4f, 1.0f);
    Rgba8 shown = {};
    quaven_test::WaitUntil([&] {
        SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        renderer_.ClearColor(0.2f, 0.8f, 0.4f, 1.0f);
        EXPECT_TRUE(renderer_.Present());
        Sleep(15);
        return ReadScreenPixel(corner.x, corner.y, &shown) && shown == colour;
    }, 30000);
    EXPECT_EQ(colour, shown);
}

TEST_F(D3D11SwapChainTest, ChangeVideoModeResizesTheWindowAndTheBackBufferAndAFailedSwitchKeepsOne) {
    ASSERT_TRUE(InitRenderer());
    ASSERT_TRUE(renderer_.ChangeVideoMode(120, 90, true));
    RECT client;
    EXPECT_TRUE(GetClientRect(window_, &client) && client.right == 120 && client.bottom == 90);
    renderer_.BeginFrame(0);
    renderer_.ClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    TestImage image = ReadBack();
    EXPECT_TRUE(image.width == 120 && image.height == 90);
    EXPECT_TRUE(PixelNear(image, 119, 89, Rgba8{0, 255, 0, 255}, 0));
    // Sizes no texture can have are refused before anything is released.
    EXPECT_FALSE(renderer_.ChangeVideoMode(0, 90, true));
    EXPECT_FALSE(renderer_.ChangeVideoMode(120, 100000, true));
    EXPECT_NE(nullptr, renderer_.backBufferColorView);
    // A failed switch keeps a back buffer to draw into.
    program_.video.windowed = 0;  // a full-screen program that lost activation
    renderer_.fullscreenDropped = 1;
    {
        RefusedMethod refused(renderer_.swapChain, kSwapChainSetFullscreenStateSlot);
        renderer_.SetFullscreen(true);
        EXPECT_EQ(1, renderer_.fullscreenDropped);
        EXPECT_FALSE(renderer_.ChangeVideoMode(kWindowWidth, kWindowHeight, false));
    }
    ASSERT_NE(nullptr, renderer_.backBufferColorView);
    renderer_.BeginFrame(0);
    renderer_.ClearColor(1.0f, 1.0f, 0.0f, 1.0f);
    image = ReadBack();
    EXPECT_EQ(kWindowWidth, image.width);
    EXPECT_TRUE(PixelNear(image, 3, 3, Rgba8{255, 255, 0, 255}, 0));
    // Unrefused, activation returns to full screen and deactivation leaves it again.
    renderer_.SetFullscreen(true);
    EXPECT_EQ(0, renderer_.fullscreenDropped);
    renderer_.SetFullscreen(false);
    EXPECT_EQ(1, renderer_.fullscreenDropped);
    EXPECT_NE(nullptr, renderer_.backBufferColorView);
}

TEST_F(D3D11SwapChainTest, FullScreenAtStartIsLeftBeforeTheSwapChainIsReleasedAndARefusalEndsWindowed) {
    ASSERT_TRUE(InitRenderer(false));
    EXPECT_TRUE(reinitializeRequests.empty());
    IDXGISwapChain* chain = renderer_.swapChain;
    chain->AddRef();
    BOOL fullscreen = FALSE;
    chain->GetFullscreenState(&fullscreen, nullptr);
    EXPECT_TRUE(fullscreen);
    renderer_.Shutdown();
    chain->GetFullscreenState(&fullscreen, nullptr);
    EXPECT_FALSE(fullscreen);
    chain->Release();
    // Refused, the program is asked to run windowed at its size, and frames go on.
    ASSERT_TRUE(InitRenderer());
    RefusedMethod refused(renderer_.swapChain, kSwapChainSetFullscreenStateSlot);
    renderer_.Shutdown();
    ASSERT_TRUE(InitRenderer(false));
    ASSERT_EQ(1u, reinitializeRequests.size());
    const VideoParameters& asked = reinitializeRequests[0];
    EXPECT_TRUE(asked.windowed == 1 && asked.width == kWindowWidth && asked.height == kWindowHeight);
    renderer_.BeginFrame(0);
    renderer_.ClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_TRUE(renderer_.Present());
}

}  // namespace
}  // namespace d3d11_test

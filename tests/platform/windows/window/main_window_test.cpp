// The main window's class and icon, geometry, creation and destruction.
#include <gtest/gtest.h>
#include "platform/windows/win32.h"

#include <utility>

#include "platform/windows/window/window_test_support.h"
#include "support/windows_ui.h"

using quaven_test::LogCapture;

namespace window_test {
namespace {

const uint32_t kWindowedStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

TEST_F(MainWindowTest, OpensOnceTitledCentredAtTheClientSizeAndClosesForGoodLosingTheCaptionWhenTooLarge) {
    // The title field need not be terminated: it must not run on into the next field.
    memset(program_.title, 'T', sizeof program_.title);
    memset(program_.version, 'V', sizeof program_.version);
    ASSERT_TRUE(QVI_CreateMainWindow());
    HWND window = g_core.mainWindow;
    EXPECT_EQ(LogCapture::Count("Created window (640x480) on desktop (1280x1024)."), 1);
    ASSERT_TRUE(QVI_CreateMainWindow());
    EXPECT_EQ(g_core.mainWindow, window);
    EXPECT_EQ(LogCapture::Count("Window already created."), 1);
    // Visible, of the class drivers and the single-instance check look for.
    EXPECT_EQ(quaven_test::WaitForWindow(GetCurrentProcessId(), "QuavenWindowClass", 0), window);
    EXPECT_EQ(quaven_test::WindowText(window), std::string(sizeof program_.title, 'T'));
    RECT client = {}, outer = {};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & kWindowedStyle, static_cast<LONG>(kWindowedStyle));
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0) << "developer mode only";
    // The class carries the executable's icon group at both of the system's icon sizes.
    for (auto [index, size] : {std::pair{GCLP_HICON, SM_CXICON}, std::pair{GCLP_HICONSM, SM_CXSMICON}}) {
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(GetClassLongPtrA(window, index)), &info)) << index;
        BITMAP bitmap = {};
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(size)) << index;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }

    QVI_DestroyMainWindow();
    QVI_DestroyMainWindow();
    EXPECT_EQ(g_core.mainWindow, nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(LogCapture::Count("Destroying window..."), 1);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "destroying posts WM_QUIT";
    // Placement loses the caption when the client does not fit the tests' 1280x1024 screen.
    WindowPlacement placement = {};
    QVI_CalcWindowPlacement(1279, 1023, &placement, true);
    EXPECT_EQ(placement.style, kWindowedStyle);
    QVI_CalcWindowPlacement(1280, 1023, &placement, true);
    EXPECT_EQ(placement.style, static_cast<uint32_t>(WS_POPUP));
    // Taller than the screen: centred, then up by half a caption more.
    QVI_CalcWindowPlacement(1000, 1100, &placement, true);
    EXPECT_EQ(placement.x, 140);
    EXPECT_EQ(placement.y, -38 - GetSystemMetrics(SM_CYCAPTION) / 2);
    QVI_CalcWindowPlacement(1000, 1024, &placement, true);  // exactly the screen's height
    EXPECT_EQ(placement.y, 0);
    QVI_CalcWindowPlacement(800, 600, &placement, false);
    EXPECT_TRUE(placement.x == 0 && placement.y == 0 && placement.width == 800 && placement.height == 600);
    EXPECT_EQ(placement.style, static_cast<uint32_t>(WS_POPUP | 0x8));
}

}  // namespace
}  // namespace window_test

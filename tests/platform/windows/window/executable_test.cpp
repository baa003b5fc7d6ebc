// The engine host itself: quaven.exe with the test game beside it opens its window, ends with
// exit code 0 on a close request, and exports what drivers and the renderer look up in it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/process.h"

#ifndef QUAVEN_EXE_PATH
#error "QUAVEN_EXE_PATH must name the built quaven.exe"
#endif

namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindQuavenWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    char className[64] = {};
    GetWindowThreadProcessId(window, &owner);
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && std::string(className) == "QuavenWindowClass") search->found = window;
    return search->found == nullptr;
}

// The process's main window, once it shows within a minute.
HWND WaitForQuavenWindow(DWORD processId) {
    WindowSearch search = {processId, nullptr};
    for (int attempt = 0; attempt < 1200 && !search.found; ++attempt) {
        EnumWindows(FindQuavenWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(50);
    }
    return search.found;
}

// res:// is the executable's folder: the host, the game and its configuration side by side.
std::string MakeHostFolder() {
    const std::string dir = quaven_test::MakeTempDir("host");
    const std::string exe = dir + "\\quaven.exe";
    if (!CopyFileA(QUAVEN_EXE_PATH, exe.c_str(), FALSE) ||
        !CopyFileA((quaven_test::FixturesDir() + "/prog.dll").c_str(), (dir + "\\prog.dll").c_str(), FALSE))
        return "";
    quaven_test::WriteFile(dir + "\\prog.xml",
                           "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n<array id=\"PARAMETERS\">\n"
                           "<node id=\"APPLICATION\" program_id=\"hosttest\" name=\"Host Test\" "
                           "developer=\"QuavenTests\" version=\"1.0\"/>\n</array>\n</root>\n");
    return exe;
}

TEST(QuavenExecutableTest, RunsUntilItsWindowIsClosedAndExportsTheRendererAndGpuHints) {
    const std::string exe = MakeHostFolder();
    ASSERT_FALSE(exe.empty()) << "could not lay out " << QUAVEN_EXE_PATH;
    quaven_test::ChildProcess host;
    ASSERT_TRUE(host.Start("\"" + exe + "\""));
    HWND window = WaitForQuavenWindow(host.ProcessId());
    ASSERT_NE(window, nullptr) << "quaven.exe opened no window";

    HMODULE image = LoadLibraryExA(exe.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(image, nullptr) << GetLastError();
    EXPECT_NE(GetProcAddress(image, "QUAVEN_RendImp_GetInterface"), nullptr);
    const auto* nvidia = reinterpret_cast<const unsigned long*>(GetProcAddress(image, "NvOptimusEnablement"));
    const auto* amd = reinterpret_cast<const int*>(GetProcAddress(image, "AmdPowerXpressRequestHighPerformance"));
    ASSERT_TRUE(nvidia && amd);
    EXPECT_EQ(*nvidia, 1u);
    EXPECT_EQ(*amd, 1);
    FreeLibrary(image);

    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    ASSERT_TRUE(host.Wait(60000, &exitCode)) << "quaven.exe did not end after its window was closed";
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace

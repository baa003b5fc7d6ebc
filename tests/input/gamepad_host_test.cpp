// quaven.exe with the test game and the fake XInput beside it: a pad's presses and releases
// reach the game's OnEvent as key events of their gamepad codes, after its Init.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/files.h"
#include "support/popup_answerer.h"
#include "support/process.h"
#include "support/windows_ui.h"

namespace {

TEST(GamepadHost, APadPressedAndReleasedReachesTheGameAsKeyEventsOfItsCodes) {
    const std::string dir = quaven_test::MakeTempDir("gamepad"), id = quaven_test::UniqueName("Pads");
    char self[MAX_PATH];
    const std::string exe(self, GetModuleFileNameA(nullptr, self, sizeof self));
    for (const std::string& from : {std::string(QUAVEN_EXE_PATH), quaven_test::FixturesDir() + "\\prog.dll",
                                    exe.substr(0, exe.find_last_of('\\')) + "\\xinput1_4.dll"})
        ASSERT_TRUE(CopyFileA(from.c_str(), (dir + from.substr(from.find_last_of("\\/"))).c_str(), FALSE)) << from;
    quaven_test::WriteFileIn(dir, "prog.xml", "<?xml version=\"1.0\"?>\n<root><array id=\"PARAMETERS\"><node id=\"APPLICATION\" "
                             "program_id=\"" + id + "\" name=\"Pads\" version=\"1\" developer=\"" + id + "\"/></array>"
                             "<array id=\"VARIANTS\"><node id=\"WINDOWS\" resolutions=\"320x240\"/></array></root>\n");
    // What the fake reads: pad 0 with A held and the left stick fully right; then let go.
    quaven_test::WriteFileIn(dir, "pads.txt", "0 0x1000 0 0 32767 0 0 0\n");
    auto lines = [&] { return quaven_test::ReadLines(dir + "\\results.txt"); };
    auto at = [&](const std::string& start) {
        const auto all = lines();
        auto found = std::find_if(all.begin(), all.end(), [&](auto& line) { return line.rfind(start, 0) == 0; });
        return found == all.end() ? -1 : static_cast<int>(found - all.begin());
    };
    // The game's line for a first press (8) or release (9) of A (826, 0x33a) or the stick (804, 0x324).
    const std::string downA = "event 8 3a03000001", downX = "event 8 2403000001", upA = "event 9 3a03000001";
    quaven_test::ChildProcess host;
    ASSERT_TRUE(host.Start("\"" + dir + "\\quaven.exe\"",
                           {{"QUAVEN_TEST_RESULTS", dir + "\\results.txt"}, {"FAKE_XINPUT_PADS", dir + "\\pads.txt"}}, dir));
    quaven_test::PopupAnswerer guard;
    guard.Start({IDOK}, 1, 120000, host.ProcessId());
    HWND window = quaven_test::WaitForWindow(host.ProcessId(), "QuavenWindowClass", 60000);
    ASSERT_NE(window, nullptr);
    // A focus change releases the game's keys without events: when a window another test of a
    // parallel run opens takes the focus just before the pad is let go, the release is never
    // seen. Such a lost release is pressed and let go again.
    auto count = [&](const std::string& start) {
        const auto all = lines();
        return static_cast<int>(std::count_if(all.begin(), all.end(), [&](auto& line) { return line.rfind(start, 0) == 0; }));
    };
    // Replaced whole, so that the fake never reads half a file; it may hold the old one open a moment.
    auto setPads = [&](const std::string& pads) {
        quaven_test::WriteFileIn(dir, "pads.next", pads);
        return quaven_test::WaitUntil([&] {
            return MoveFileExA((dir + "\\pads.next").c_str(), (dir + "\\pads.txt").c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
        }, 20000);
    };
    EXPECT_TRUE(quaven_test::WaitUntil([&] { return at(downX) >= 0; }, 20000));
    bool released = false;
    for (int attempt = 0; attempt < 3 && !released; ++attempt) {
        const int presses = count(downA);
        if (attempt > 0) {
            ASSERT_TRUE(setPads("0 0x1000 0 0 32767 0 0 0\n"));
            quaven_test::WaitUntil([&] { return count(downA) > presses; }, 20000);
        }
        ASSERT_TRUE(setPads("0 0 0 0 0 0 0 0\n"));
        released = quaven_test::WaitUntil([&] { return at(upA) >= 0; }, 5000);
    }
    EXPECT_TRUE(released);
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    EXPECT_TRUE(host.Wait(60000, &exitCode) && exitCode == 0);
    EXPECT_TRUE(guard.Records().empty()) << guard.Records()[0].text;
    EXPECT_TRUE(at("init") < at(downA) && at(downA) < at(downX) && at(downX) < at(upA)) << "Init, buttons, sticks";
    EXPECT_GE(at("event 9 2403000001"), 0);
    quaven_test::RemoveTree(dir);
    quaven_test::RemoveTree(quaven_test::AppDataFolder() + "/" + id);
}

}  // namespace

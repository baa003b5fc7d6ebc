// quaven.exe with the test game and the fake XInput beside it, as a person with a gamepad
// runs it: the pad's presses and releases reach the game's OnEvent as key events of their
// gamepad codes, frame after frame, until the window is closed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/popup_answerer.h"
#include "support/process.h"
#include "support/windows_ui.h"

#ifndef QUAVEN_EXE_PATH
#error "QUAVEN_EXE_PATH must name the built quaven.exe"
#endif

namespace {

using Lines = std::vector<std::string>;

std::string OwnFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/"));
}

// The game's "event TYPE HEX" line of a key event with this code, first press or release.
std::string KeyEventLine(int type, int code) {
    char line[64];
    snprintf(line, sizeof line, "event %d %02x%02x000001", type, code & 0xFF, (code >> 8) & 0xFF);
    return line;
}

int IndexStarting(const Lines& lines, const std::string& start) {
    auto found = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; });
    return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

class GamepadHost : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = quaven_test::MakeTempDir("gamepad");
        developer_ = "Quaven Gamepad Tests " + quaven_test::UniqueName("d");
        ASSERT_TRUE(CopyFileA(QUAVEN_EXE_PATH, (dir_ + "\\quaven.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((quaven_test::FixturesDir() + "\\prog.dll").c_str(), (dir_ + "\\prog.dll").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((OwnFolder() + "\\xinput1_4.dll").c_str(), (dir_ + "\\xinput1_4.dll").c_str(), FALSE));
        ASSERT_TRUE(quaven_test::WriteFileIn(
            dir_, "prog.xml",
            "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n<array id=\"PARAMETERS\">\n"
            "<node id=\"APPLICATION\" program_id=\"" + quaven_test::UniqueName("pad") +
                "\" name=\"Gamepad Host\" version=\"1\" developer=\"" + developer_ +
                "\"/>\n</array>\n<array id=\"VARIANTS\">\n<node id=\"WINDOWS\" resolutions=\"320x240\"/>\n"
                "</array>\n</root>\n"));
    }
    void TearDown() override {
        quaven_test::RemoveTree(dir_);
        quaven_test::RemoveTree(quaven_test::AppDataFolder() + "/" + developer_);
    }
    // The pads the fake reports, replaced whole so that it never reads half a file.
    void SetPads(const std::string& lines) {
        ASSERT_TRUE(quaven_test::WriteFileIn(dir_, "pads.next", lines));
        ASSERT_TRUE(MoveFileExA((dir_ + "\\pads.next").c_str(), (dir_ + "\\pads.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
    }
    Lines Results() const { return quaven_test::ReadLines(dir_ + "\\results.txt"); }
    bool WaitForLine(const std::string& start) {
        return quaven_test::WaitUntil([&] { return IndexStarting(Results(), start) >= 0; }, 20000);
    }

    std::string dir_, developer_;
};

TEST_F(GamepadHost, APadPressedAndReleasedReachesTheGameAsKeyEventsOfItsCodes) {
    const int a = 800 + 26, stickX = 800 + 4, padOneB = 800 + 64 + 27;
    SetPads("0 0x1000 0 0 32767 0 0 0\n");
    quaven_test::ChildProcess host;
    ASSERT_TRUE(host.Start("\"" + dir_ + "\\quaven.exe\"",
                           {{"QUAVEN_TEST_RESULTS", dir_ + "\\results.txt"}, {"FAKE_XINPUT_PADS", dir_ + "\\pads.txt"}},
                           dir_));
    quaven_test::PopupAnswerer guard;
    guard.Start({IDOK}, 1, 120000, host.ProcessId());
    HWND window = quaven_test::WaitForWindow(host.ProcessId(), "QuavenWindowClass", 60000);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitForLine(KeyEventLine(8, stickX)));
    // Pad 1 joins with B; pad 0 lets go of everything.
    SetPads("0 0 0 0 0 0 0 0\n1 0x2000 0 0 0 0 0 0\n");
    EXPECT_TRUE(WaitForLine(KeyEventLine(9, stickX)));
    EXPECT_TRUE(WaitForLine(KeyEventLine(8, padOneB)));
    // Pulled out while B is held: nothing more for it.
    SetPads("");
    const size_t before = Results().size();
    quaven_test::WaitUntil([&] { return Results().size() > before + 20; }, 5000);
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    EXPECT_TRUE(host.Wait(60000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(guard.Records().empty()) << guard.Records()[0].text;

    const Lines results = Results();
    const int downA = IndexStarting(results, KeyEventLine(8, a)), downX = IndexStarting(results, KeyEventLine(8, stickX));
    ASSERT_GE(IndexStarting(results, "init"), 0);
    EXPECT_LT(IndexStarting(results, "init"), downA) << "events wait for the game's Init";
    EXPECT_LT(downA, downX) << "buttons before sticks";
    EXPECT_LT(downX, IndexStarting(results, KeyEventLine(9, a)));
    EXPECT_EQ(IndexStarting(results, KeyEventLine(9, padOneB)), -1) << "a pad pulled out posts no release";
    EXPECT_EQ(std::count_if(results.begin(), results.end(),
                            [](const std::string& line) { return line.rfind("event 8 ", 0) == 0; }), 3);
    EXPECT_EQ(results.back(), "exit");
}

}  // namespace

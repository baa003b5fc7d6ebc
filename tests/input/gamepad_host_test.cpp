// quaven.exe with the test game and the fake XInput beside it: a pad's presses and releases
// reach the game's OnEvent as key events of their gamepad codes until the window closes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/popup_answerer.h"
#include "support/process.h"
#include "support/windows_ui.h"

namespace {

using Lines = std::vector<std::string>;

// The game's "event TYPE HEX" line of a first press (8) or a release (9) of code.
std::string KeyEvent(int type, int code) {
    char line[64];
    snprintf(line, sizeof line, "event %d %02x%02x000001", type, code & 0xFF, (code >> 8) & 0xFF);
    return line;
}

int IndexStarting(const Lines& lines, const std::string& start) {
    auto found = std::find_if(lines.begin(), lines.end(), [&](auto& line) { return line.rfind(start, 0) == 0; });
    return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

TEST(GamepadHost, APadPressedAndReleasedReachesTheGameAsKeyEventsOfItsCodes) {
    const std::string dir = quaven_test::MakeTempDir("gamepad"), developer = quaven_test::UniqueName("Pads");
    char self[MAX_PATH];
    std::string ownFolder(self, GetModuleFileNameA(nullptr, self, sizeof self));
    ownFolder.resize(ownFolder.find_last_of('\\'));
    for (const std::string& from : {std::string(QUAVEN_EXE_PATH), quaven_test::FixturesDir() + "\\prog.dll",
                                    ownFolder + "\\xinput1_4.dll"})
        ASSERT_TRUE(CopyFileA(from.c_str(), (dir + from.substr(from.find_last_of("\\/"))).c_str(), FALSE)) << from;
    quaven_test::WriteFileIn(dir, "prog.xml",
                             "<?xml version=\"1.0\"?>\n<root><array id=\"PARAMETERS\"><node id=\"APPLICATION\" program_id=\"" +
                                 developer + "\" name=\"Pads\" version=\"1\" developer=\"" + developer +
                                 "\"/></array><array id=\"VARIANTS\"><node id=\"WINDOWS\" resolutions=\"320x240\"/>"
                                 "</array></root>\n");
    // The pads the fake reads, replaced whole so that it never reads half a file.
    auto setPads = [&](const std::string& lines) {
        quaven_test::WriteFileIn(dir, "pads.next", lines);
        MoveFileExA((dir + "\\pads.next").c_str(), (dir + "\\pads.txt").c_str(), MOVEFILE_REPLACE_EXISTING);
    };
    auto results = [&] { return quaven_test::ReadLines(dir + "\\results.txt"); };
    auto waitFor = [&](const std::string& line) {
        return quaven_test::WaitUntil([&] { return IndexStarting(results(), line) >= 0; }, 20000);
    };
    const int a = 826, stickX = 804, padOneB = 800 + 64 + 27;
    setPads("0 0x1000 0 0 32767 0 0 0\n");  // A held, the left stick fully right
    quaven_test::ChildProcess host;
    ASSERT_TRUE(host.Start("\"" + dir + "\\quaven.exe\"",
                           {{"QUAVEN_TEST_RESULTS", dir + "\\results.txt"}, {"FAKE_XINPUT_PADS", dir + "\\pads.txt"}}, dir));
    quaven_test::PopupAnswerer guard;
    guard.Start({IDOK}, 1, 120000, host.ProcessId());
    HWND window = quaven_test::WaitForWindow(host.ProcessId(), "QuavenWindowClass", 60000);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(waitFor(KeyEvent(8, stickX)));
    setPads("0 0 0 0 0 0 0 0\n1 0x2000 0 0 0 0 0 0\n");  // pad 0 lets go, pad 1 joins with B
    EXPECT_TRUE(waitFor(KeyEvent(9, stickX)) && waitFor(KeyEvent(8, padOneB)));
    setPads("");  // both pulled out, B still held
    const size_t before = results().size();
    quaven_test::WaitUntil([&] { return results().size() > before + 20; }, 5000);
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    EXPECT_TRUE(host.Wait(60000, &exitCode) && exitCode == 0);
    EXPECT_TRUE(guard.Records().empty()) << guard.Records()[0].text;

    const Lines lines = results();
    EXPECT_LT(IndexStarting(lines, "init"), IndexStarting(lines, KeyEvent(8, a))) << "events wait for Init";
    EXPECT_LT(IndexStarting(lines, KeyEvent(8, a)), IndexStarting(lines, KeyEvent(8, stickX))) << "buttons first";
    EXPECT_LT(IndexStarting(lines, KeyEvent(8, stickX)), IndexStarting(lines, KeyEvent(9, a)));
    EXPECT_EQ(IndexStarting(lines, KeyEvent(9, padOneB)), -1) << "a pad pulled out posts no release";
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](auto& line) { return line.rfind("event 8 ", 0) == 0; }), 3);
    quaven_test::RemoveTree(dir);
    quaven_test::RemoveTree(quaven_test::AppDataFolder() + "/" + developer);
}

}  // namespace

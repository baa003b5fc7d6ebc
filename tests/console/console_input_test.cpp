// The console driven as a person drives it: characters and keys through the real window
// procedure and the frame's event step, the toggle key, editing, entering lines that the
// program receives, the history, completion of registered commands and the clipboard.
#include "console/console_fixture.h"

#include <algorithm>
#include <limits>

#include "graphics/setup/renderer_setup.h"
#include "text/fonts/font_record.h"

namespace console_test {
namespace {

using quaven_test::LogCapture;

TEST_F(ConsoleTest, TheToggleKeyOpensTheConsoleWhichEditsEntersAndBrowsesItsHistory) {
    Type("\xA7");
    ASSERT_EQ(g_console.open, 1);
    EXPECT_EQ(program_.video.console_open, 1);
    Type("helo");
    Press(VK_LEFT);
    Type("l");
    Press(VK_HOME);
    Type("X");
    Press(VK_LEFT);
    Press(VK_DELETE);
    EXPECT_EQ(Input(), "hello");
    EXPECT_TRUE(saw.types.size() > 0 && saw.consoleLines.empty());
    for (uint32_t type : saw.types) EXPECT_NE(type, EVENT_CHARACTER) << "typing stays in the console";
    // Arrows, Home and Delete also reach the program.
    EXPECT_GE(std::count(saw.types.begin(), saw.types.end(), EVENT_KEY_DOWN), 3);

    Type("\r");
    EXPECT_EQ(saw.consoleLines, std::vector<std::string>{"hello"});
    EXPECT_EQ(LastLine(), "hello\n");
    EXPECT_EQ(Input(), "");
    Type("second\r");
    Type("\r");  // an empty line is a line too
    for (int i = 0; i < 30; ++i) g_console.Print(QV_LOG_INFO, ("line " + std::to_string(i)).c_str());
    Type("#10\r");  // the console's own: scrolls, is neither sent nor kept
    EXPECT_EQ(g_console.scroll, g_console.lines.count - 10);
    EXPECT_EQ(saw.consoleLines, (std::vector<std::string>{"hello", "second", ""}));
    Type("#-99999999999\r");
    EXPECT_EQ(g_console.scroll, g_console.lines.count) << "past the oldest line: the oldest";
    Type("#99999999999\r");
    EXPECT_EQ(g_console.scroll, 0);

    Type("draft");
    std::vector<std::string> shown;
    for (WPARAM key : {VK_UP, VK_UP, VK_UP, VK_UP, VK_UP, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN}) {
        Press(key);
        shown.push_back(Input());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"", "second", "hello", "hello", "hello", "hello", "second", "",
                                               "draft", "hello"}));
    Type("!\r");
    EXPECT_EQ(saw.consoleLines.back(), "hello!");
    EXPECT_EQ(g_console.history.count, 4) << "the draft went when the line was entered";

    // CONTROL keys are the console's alone; the wheel scrolls.
    saw.types.clear();
    g_console.scroll = 0;
    PressWithControl(VK_UP);
    EXPECT_EQ(g_console.scroll, 1);
    PostAndPump(WM_MOUSEWHEEL, MAKEWPARAM(0, 240));
    RunEventStep();
    EXPECT_EQ(g_console.scroll, 3);
    EXPECT_EQ(std::count(saw.types.begin(), saw.types.end(), EVENT_KEY_DOWN), 0);

    Type("\xA7");
    EXPECT_EQ(g_console.open, 0);
    EXPECT_EQ(program_.video.console_open, 0);
    Type("a");
    EXPECT_EQ(saw.types.back(), EVENT_CHARACTER) << "a closed console takes nothing";
    // Not ready (logging off): the toggle only keeps it closed, and is still swallowed.
    g_console.started = 0;
    saw.types.clear();
    Type("\xA7");
    EXPECT_EQ(g_console.open, 0);
    EXPECT_TRUE(saw.types.empty());
}

TEST_F(ConsoleTest, RegisteredCommandsCompleteAndTheProgramReceivesTheirArguments) {
    qv->AddConsoleCommand("reload", "Reloads every resource.");
    qv->AddConsoleCommand("load", nullptr);  // reload holds it
    qv->AddConsoleCommand("REL", nullptr);   // reload begins with it
    qv->AddConsoleCommand("spawn_enemy", "Spawns an enemy.");
    qv->AddConsoleCommand("bad\\name", nullptr);
    qv->AddConsoleCommand(nullptr, nullptr);
    EXPECT_EQ(LogCapture::CountPopups("Invalid autocompletion string registered: 'bad\\name' is not allowed.",
                                      QV_LOG_WARNING), 1);
    ASSERT_EQ(g_console.commands.count, 2);

    Type("\xA7");
    Press(VK_TAB);
    EXPECT_EQ(Input(), "reload") << "TAB on an empty line gives the first command";
    EXPECT_EQ(Hint(), "Autocomplete (tab): |#ffaa55|reload|#ffffff| \n\nReloads every resource.");
    for (int i = 0; i < 6; ++i) Type("\b");
    EXPECT_EQ(Hint(), "");
    Type("REL");
    EXPECT_EQ(Hint(), "Autocomplete (tab): |#ffaa55|rel|#ffffff|oad \n\nReloads every resource.");
    for (int i = 0; i < 3; ++i) Type("\b");
    Type("ene");  // contained, three characters or more
    EXPECT_EQ(Hint(), "Autocomplete (tab): spawn_|#ffaa55|ene|#ffffff|my \n\nSpawns an enemy.");
    Press(VK_TAB);
    Type(" 3 fast\r");
    EXPECT_EQ(saw.consoleLines, std::vector<std::string>{"spawn_enemy 3 fast"});
    // Every place the typed text stands is marked, the last one too, however little of the
    // name follows it.
    qv->AddConsoleCommand("tictict", "Ticks twice.");
    Type("tic");
    EXPECT_EQ(Hint(), "Autocomplete (tab): |#ffaa55|tic|#ffffff||#ffaa55|tic|#ffffff|t \n\nTicks twice.");
    for (int i = 0; i < 3; ++i) Type("\b");

    // TAB as the toggle key never completes: the toggle takes it first.
    g_console.toggleKey = VK_TAB;
    PostKey(EVENT_KEY_DOWN, VK_TAB);
    RunEventStep();
    EXPECT_EQ(g_console.open, 0);
    PostKey(EVENT_KEY_DOWN, VK_TAB);
    RunEventStep();
    EXPECT_EQ(g_console.open, 1);
    EXPECT_EQ(Input(), "");
}

// The clipboard as the platform commands answer it.
std::vector<std::string> g_commands;
std::string g_clipboard;
const char* FakePlatformCommand(const char* command, const char* argument) {
    g_commands.push_back(std::string(command) + "|" + (argument ? argument : "(null)"));
    return std::string(command) == "Clipboard_GetText" ? g_clipboard.c_str() : nullptr;
}

TEST_F(ConsoleTest, PasteTakesOneLineOfTheClipboardWithinTheLineAndCopyPutsTheInputOrTheLogThere) {
    qv->PlatformCommand = FakePlatformCommand;
    g_commands.clear();
    Type("\xA7");
    g_clipboard = "";
    PressWithControl('V');
    EXPECT_EQ(Input(), "") << "an empty clipboard is nothing to paste";
    g_clipboard = "say \x01\xE9t\xE9\r\nsecond line";
    Type("<>");
    Press(VK_LEFT);
    PressWithControl('V');
    EXPECT_EQ(Input(), "<say \x01\xE9t\xE9>") << "bytes typing refuses are pasted, up to the line's end";
    EXPECT_EQ(g_console.cursor, 9);
    g_clipboard = std::string(100000, 'A');
    PressWithControl('V');
    EXPECT_EQ(g_console.cursor, 510);
    EXPECT_EQ(Input().size(), 511u);
    Type("B");
    EXPECT_EQ(Input().size(), 511u) << "a full line takes no more";
    PressWithControl('C');
    EXPECT_EQ(g_commands.back(), "Clipboard_SetText|" + Input());

    g_console.SetInputText(nullptr);
    g_console.Print(QV_LOG_INFO, "first");
    g_console.Print(QV_LOG_ERROR, "second");
    PressWithControl('C');
    EXPECT_EQ(g_commands.back(), "Clipboard_SetText|first[ERROR] second");
    // A click on a line of the open console copies it.
    g_console.openFraction = 1.0f;
    const VideoParameters video = g_rendererSetup.video;
    g_rendererSetup.video.height = 100;
    Font font = {};
    font.header.name = const_cast<char*>("click");
    font.height = font.lineSpacing = 10;
    g_console.font = &font;
    QVI_PostMouseEventAt(EVENT_MOUSE_DOWN, QV_KEY_MOUSE_BUTTON_LEFT, 5, 65, 0);  // first top 58
    RunEventStep();
    EXPECT_EQ(g_commands.back(), "Clipboard_SetText|[ERROR] second");
    QVI_PostMouseEventAt(EVENT_MOUSE_DOWN, QV_KEY_MOUSE_BUTTON_LEFT, 5, 55, 0);
    RunEventStep();
    EXPECT_EQ(g_commands.back(), "Clipboard_SetText|first");
    g_console.font = nullptr;
    g_rendererSetup.video = video;
}

TEST_F(ConsoleTest, TheConsoleSlidesInAQuarterSecondAndItsCursorBlinksOncePerSecond) {
    Type("\xA7");
    for (int i = 0; i < 3; ++i) g_console.Slide(0.1f);
    EXPECT_NEAR(g_console.openFraction, 1.0f, 1e-6f);
    EXPECT_NEAR(g_console.blink, 0.3f, 1e-6f);
    g_console.Slide(0.8f);
    EXPECT_NEAR(g_console.blink, 0.1f, 1e-5f);
    // A click while it still slides is taken but copies nothing.
    Type("\xA7");
    g_console.Slide(0.1f);
    EXPECT_NEAR(g_console.openFraction, 0.6f, 1e-6f);
    g_console.open = 1;
    qv->PlatformCommand = FakePlatformCommand;
    g_commands.clear();
    saw.types.clear();
    QVI_PostMouseEventAt(EVENT_MOUSE_DOWN, QV_KEY_MOUSE_BUTTON_LEFT, 5, 5, 0);
    RunEventStep();
    EXPECT_TRUE(g_commands.empty());
    // Only the click is asked after: the window may receive focus changes of its own meanwhile.
    EXPECT_EQ(std::count(saw.types.begin(), saw.types.end(), EVENT_MOUSE_DOWN), 0);
    g_console.Slide(std::numeric_limits<float>::quiet_NaN());
    EXPECT_NEAR(g_console.openFraction, 0.6f, 1e-6f);
}

}  // namespace
}  // namespace console_test

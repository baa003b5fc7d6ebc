// The console's tests' ground: the real main window with a program record that keeps the
// console lines it receives, and a console that logging has made ready. Everything the
// console gathers (lines, history, commands, input) is gone again after each test.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "console/console.h"
#include "core/logging/console.h"
#include "platform/windows/window/window_test_support.h"

namespace console_test {

// What the program received through OnEvent while the test ran.
struct ProgramSaw {
    std::vector<std::string> consoleLines;
    std::vector<uint32_t> types;
};
inline ProgramSaw saw;

inline void ForgetConsoleState() {
    Console& c = g_console;
    for (int32_t i = 0; i < c.lines.count; ++i) QVI_FreeLogLineTexts(&c.lines.data[i]);
    for (int32_t i = 0; i < c.history.count; ++i) free(c.history.data[i]);
    for (int32_t i = 0; i < c.commands.count; ++i) delete c.commands.data[i];
    c.lines.count = c.history.count = c.commands.count = 0;
    c.hint.Assign(nullptr), c.input[0] = '\0', c.font = nullptr, c.fontAsked = 0, c.toggleKey = 167;
    c.cursor = c.scroll = c.historyIndex = c.lineNumber = 0;
    c.open = c.ctrlDown = c.shiftDown = c.browsingHistory = 0, c.openFraction = c.blink = 0.0f;
}

class ConsoleTest : public window_test::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        saw = ProgramSaw();
        ForgetConsoleState();
        g_console.consoleLock = qv->CreateMutex("QV_CONSOLE");
        g_console.started = 1;
        QVI_SetConsoleEventHandler(QVI_ConsoleHandleEvent);
        program_.OnEvent = [](EngineEvent event) {
            saw.types.push_back(event.type);
            if (event.type == EVENT_CONSOLE_LINE) {
                const char* line;
                memcpy(&line, event.payload, sizeof line);
                saw.consoleLines.push_back(line);
            }
            return 0;
        };
        OpenWindow();
        saw = ProgramSaw();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        g_console.started = 0;
        ForgetConsoleState();
        QVI_SetConsoleEventHandler(nullptr);
        g_console.consoleLock = nullptr;
    }

    // Typed characters, as the window procedure receives them.
    void Type(const std::string& text) {
        for (unsigned char c : text) PostAndPump(WM_CHAR, c);
    }
    // A key pressed (and let go) and the frame's event step after it.
    void Press(WPARAM key) {
        PostAndPump(WM_KEYDOWN, key);
        PostAndPump(WM_KEYUP, key);
        RunEventStep();
    }
    // A key pressed while CONTROL is held, posted through the API table as a game's own
    // input would be (the window would also translate the letter into a character).
    static void PostKey(uint32_t type, int32_t code) {
        EngineEvent event;
        qv->InitEvent(&event, type);
        memcpy(event.payload, &code, sizeof code);
        qv->PostEvent(&event);
    }
    void PressWithControl(int32_t key) {
        PostKey(EVENT_KEY_DOWN, VK_CONTROL);
        PostKey(EVENT_KEY_DOWN, key);
        PostKey(EVENT_KEY_UP, key);
        PostKey(EVENT_KEY_UP, VK_CONTROL);
        RunEventStep();
    }
    static std::string Input() { return g_console.input; }
    static std::string Hint() { return g_console.hint.text ? g_console.hint.text : ""; }
    static std::string LastLine() {
        return g_console.lines.count ? g_console.lines.data[g_console.lines.count - 1].text : "";
    }
};

}  // namespace console_test

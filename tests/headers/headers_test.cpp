// The public headers are a binary interface between the engine (C++) and games
// written in C or C++. These tests check that the C compiler, the engine's C++
// view and a game's C++ view agree on every record layout and table slot and that
// those match the interface's numbers, and that values a C game passes really cross
// the boundary intact: structs by value in both directions, varargs and addresses of
// floats. The engine calling a C game's exports and callbacks is the harness's test
// of the test game, a C99 prog.dll.
// Windows first, as a Windows game has it: some member names are also <windows.h> macros.
#include "support/log_capture.h"

#include <quaven/quaven.h>

#include "c_game_side.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <cstdint>

namespace {

struct LayoutItem {
    const char* name;
    long engineCpp; // this translation unit: C++ with the engine's additions
    long expected;  // -1: the table's next 4-byte slot
};

const LayoutItem kLayout[] = {
#define QV_LAYOUT_ITEM(name, expression, expected) {name, static_cast<long>(expression), expected},
#include "layout_items.inc"
#undef QV_LAYOUT_ITEM
};

const int kLayoutCount = static_cast<int>(sizeof(kLayout) / sizeof(kLayout[0]));

TEST(HeaderLayout, EngineCppMatchesTheInterfaceNumbersAndCAndGameCppMatchEngineCpp) {
    long slot = 0;
    for (const LayoutItem& item : kLayout) {
        const long expected = item.expected < 0 ? 4 * slot++ : item.expected;
        if (item.expected >= 0)
            slot = 0; // a table's size comes before its first slot
        EXPECT_EQ(item.engineCpp, expected) << item.name;
    }

    ASSERT_EQ(qv_c_layout_count, kLayoutCount);
    ASSERT_EQ(kGameCppLayoutCount, kLayoutCount);
    for (int i = 0; i < kLayoutCount; ++i) {
        EXPECT_EQ(qv_c_layout[i], kLayout[i].engineCpp) << "C: " << kLayout[i].name;
        EXPECT_EQ(kGameCppLayout[i], kLayout[i].engineCpp) << "game C++: " << kLayout[i].name;
    }
}

// ---- A fake engine ---------------------------------------------------------------
// Table members that write out what a C caller handed over, one line per call.

std::string g_arrived;
EngineEvent g_event = {};

std::string TextV(const char* format, va_list args) {
    char buffer[512];
    vsnprintf(buffer, sizeof(buffer), format, args);
    return buffer;
}

std::string Text(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = TextV(format, args);
    va_end(args);
    return text;
}

unsigned Address(const void* pointer) {
    return static_cast<unsigned>(reinterpret_cast<uintptr_t>(pointer));
}

float FakeDrawText(Font* font, const float* x, const float* y, const char* format, ...) {
    va_list args;
    va_start(args, format);
    g_arrived += Text("%#x %g %g ", Address(font), *x, *y) + TextV(format, args) + "\n";
    va_end(args);
    return 123.5f;
}

std::string DateText(const DateTime& t) {
    return Text("%d-%d-%d %d:%d:%d %d %d", t.year, t.month, t.day, t.hour, t.minute, t.second, t.weekday,
                t.day_of_year);
}

// A service member that passes any arguments on: the module behind it knows
// their number. Reached through the table's argument-less declaration.
void FakeUgcCall1(int a, int b, int c) {
    g_arrived += Text("%d %d %d\n", a, b, c);
}

class HeaderCalls : public ::testing::Test {
protected:
    void SetUp() override {
        g_arrived.clear();
        api.PlaySoundEx = [](Sound* sound, SoundPlayParameters p) -> uint32_t {
            g_arrived += Text("%#x %g %g %g %d %g\n", Address(sound), p.volume, p.pan, p.pitch, p.loop, p.delay);
            return 77;
        };
        api.ReinitializeWithParameters = [](VideoParameters v) {
            g_arrived += Text("%d %d %d %d %d %d %d %d %s %d %d %d %u %#x\n", v.width, v.height, v.windowed, v.no_sound,
                             v.multitouch, v.frame_time_ms, v.console_open, v.developer_mode, v.language, v.quit,
                             v.reference_width, v.reference_height, v.reserved[0], v.reserved[15]);
            return true;
        };
        api.GetDateTime = [] { return DateTime{2024, 12, 31, 23, 59, 60, 0, 6, 365, 0}; };
        api.TimeToDateTime = [](uint32_t seconds) {
            g_arrived += Text("%#x\n", seconds);
            return DateTime{1970, 1, 1, 0, 0, 0, 0, 0, 0, 0};
        };
        api.DrawText = FakeDrawText;
        api.InitEvent = [](EngineEvent* event, uint32_t type) {
            event->type = type;
            memset(event->payload, 0, sizeof(event->payload));
        };
        api.PostEvent = [](const EngineEvent* event) { g_event = *event; };
        api.HTTPRequest = [](HTTPRequestType type, const char* url, const char* contentType, const void* body,
                             int bodyLength, Buffer** response, int* abortFlag) {
            g_arrived += Text("%d %s %s %.*s %#x %#x\n", type, url, contentType, bodyLength,
                              static_cast<const char*>(body), Address(response), Address(abortFlag));
            return static_cast<int>(HTTP_ERROR_ABORTED);
        };
        graphics.PeekWorldTransform = [] {
            Matrix4 matrix;
            for (int i = 0; i < 16; ++i)
                matrix.m[i] = static_cast<float>(i) + 0.5f;
            return matrix;
        };
        graphics.GetColor = [] { return Color{0.125f, 0.25f, 0.5f, 0.75f}; };
        leaderboards.SubmitScore = [](int player, ScoreRecord s, const char* category) {
            g_arrived += Text("%d %s %s %s %d %d %d %d %d %d\n", player, category, s.id, s.name, s.points, s.rank,
                             s.data[0], s.data[187], s.dataLength, s.time);
        };
        ugc.Call1 = reinterpret_cast<void (*)(...)>(FakeUgcCall1);
        api.graphics = &graphics;
        api.leaderboards = &leaderboards;
        api.ugc = &ugc;
    }

    QuavenAPI api = {};
    quaven_test::LogCapture log_{&api};  // Log and LogEx record what they format
    QuavenGraphicsAPI graphics = {};
    QuavenLeaderboardsAPI leaderboards = {};
    QuavenUGCAPI ugc = {};
};

TEST_F(HeaderCalls, EveryKindOfArgumentAndResultCrossesTheBoundaryIntact) {
    EXPECT_EQ(qv_c_records_by_value(&api, reinterpret_cast<Sound*>(0x1234), "fi"), 77u);
    EXPECT_EQ(g_arrived, "0x1234 0.5 -0.25 1.5 1 2\n"
                         "1280 720 1 1 0 8 0 1 fi 1 640 360 0 0xc0ffee\n"
                         "2 category player-1 Name 12345 7 17 238 188 99\n"); // the score between other arguments

    g_arrived.clear();
    DateTime dates[2] = {};
    Matrix4 matrix = {};
    Color colour = {};
    qv_c_records_returned(&api, dates, &matrix, &colour);
    EXPECT_EQ(DateText(dates[0]), "2024-12-31 23:59:60 6 365");
    EXPECT_EQ(DateText(dates[1]), "1970-1-1 0:0:0 0 0");
    EXPECT_EQ(g_arrived, "0xfffffff0\n");
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(matrix.m[i], static_cast<float>(i) + 0.5f) << "element " << i;
    EXPECT_EQ(Text("%g %g %g %g", colour.r, colour.g, colour.b, colour.a), "0.125 0.25 0.5 0.75");

    g_arrived.clear();
    float answers[3] = {};
    qv_c_varargs_calls(&api, reinterpret_cast<Font*>(0x4321), answers);
    // The logging members answer the formatted length; DrawText takes the addresses of floats and answers a float.
    EXPECT_EQ(Text("%g %g %g", answers[0], answers[1], answers[2]), "14 3 123.5");
    const std::vector<quaven_test::LoggedLine> lines = quaven_test::LogCapture::Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Text("%d %s|%d %s", lines[0].level, lines[0].text.c_str(), lines[1].level, lines[1].text.c_str()),
              Text("%d 42|text|1.50|z|%d 7-w", QV_LOG_INFO, QV_LOG_WARNING));
    EXPECT_EQ(g_arrived, "0x4321 10.5 20.25 hp=99\n");

    g_arrived.clear();
    qv_c_post_event(&api);
    EXPECT_EQ(g_event.type, static_cast<uint32_t>(EVENT_KEY_DOWN));
    EventKeyPayload key;
    memcpy(&key, g_event.payload, sizeof(key));
    EXPECT_EQ(key.code, 890); // gamepad 1, button A
    EXPECT_EQ(key.flag, 1);
    for (size_t i = 5; i < sizeof(g_event.payload); ++i)
        EXPECT_EQ(g_event.payload[i], 0) << "payload byte " << i;

    Buffer* response = nullptr;
    int abortFlag = 0;
    EXPECT_EQ(qv_c_pass_through_calls(&api, &response, &abortFlag), HTTP_ERROR_ABORTED);
    EXPECT_EQ(g_arrived, Text("11 22 33\n%d http://example.invalid/x text/plain abc %#x %#x\n", QV_HTTP_POST,
                              Address(&response), Address(&abortFlag)));
}

} // namespace

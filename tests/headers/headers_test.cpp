// The public headers are a binary interface between the engine (C++) and games
// written in C or C++. These tests check that the C compiler, the engine's C++
// view and a game's C++ view agree on every record layout and table slot and that
// those match the interface's numbers, and that values a C game passes really cross
// the boundary intact: structs by value in both directions, varargs and addresses of
// floats. The engine calling a C game's exports and callbacks is the harness's test
// of the test game, a C99 prog.dll.
#include <quaven/quaven.h>

#include "c_game_side.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>

namespace {

// ---- Layout ---------------------------------------------------------------------

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

TEST(HeaderLayout, EngineCppMatchesTheInterfaceNumbers)
{
    long slot = 0;
    for (const LayoutItem& item : kLayout) {
        const long expected = item.expected < 0 ? 4 * slot++ : item.expected;
        if (item.expected >= 0)
            slot = 0; // a table's size comes before its first slot
        EXPECT_EQ(item.engineCpp, expected) << item.name;
    }
}

TEST(HeaderLayout, CAndGameCppMatchEngineCpp)
{
    ASSERT_EQ(qv_c_layout_count(), kLayoutCount);
    ASSERT_EQ(GameCppLayoutCount(), kLayoutCount);
    for (int i = 0; i < kLayoutCount; ++i) {
        EXPECT_EQ(qv_c_layout_value(i), kLayout[i].engineCpp) << "C: " << kLayout[i].name;
        EXPECT_EQ(GameCppLayoutValue(i), kLayout[i].engineCpp) << "game C++: " << kLayout[i].name;
    }
}

// Fields as one comparable value; bytes promoted so that a failure prints numbers.
template <typename... Fields>
std::tuple<decltype(+Fields())...> Values(Fields... fields)
{
    return std::tuple<decltype(+Fields())...>(+fields...);
}

// ---- A fake engine ---------------------------------------------------------------
// Table members that record what a C caller handed over.

struct Received {
    std::string text;
    int level = -1;
    Sound* sound = nullptr;
    SoundPlayParameters play = {};
    VideoParameters video = {};
    std::string videoLanguage;
    uint32_t seconds = 0;
    int player = -1;
    ScoreRecord score = {};
    std::string category;
    Font* font = nullptr;
    float x = 0;
    float y = 0;
    EngineEvent event = {};
    int ugcArguments[3] = {};
    HTTPRequestType httpType = 0;
    std::string url, contentType, body;
    Buffer** response = nullptr;
    int* abortFlag = nullptr;
};

Received g_received;

void FormatV(const char* format, va_list args)
{
    char buffer[256];
    vsnprintf(buffer, sizeof(buffer), format, args);
    g_received.text = buffer;
}

int FakeLog(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
    return 1001;
}

int FakeLogEx(int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    g_received.level = level;
    FormatV(format, args);
    va_end(args);
    return 1002;
}

float FakeDrawText(Font* font, const float* x, const float* y, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    g_received.font = font;
    g_received.x = *x;
    g_received.y = *y;
    FormatV(format, args);
    va_end(args);
    return 123.5f;
}

DateTime MakeDateTime(uint16_t year)
{
    return DateTime{year, 12, 31, 23, 59, 60, 0, 6, 365, 0};
}

auto DateFields(const DateTime& t)
{
    return Values(t.year, t.month, t.day, t.hour, t.minute, t.second, t.weekday, t.day_of_year);
}

// A service member that passes any arguments on: the module behind it knows
// their number. Reached through the table's argument-less declaration.
void FakeUgcCall1(int a, int b, int c)
{
    g_received.ugcArguments[0] = a;
    g_received.ugcArguments[1] = b;
    g_received.ugcArguments[2] = c;
}

int FakeHTTPRequest(HTTPRequestType type, const char* url, const char* contentType, const void* body,
                    int bodyLength, Buffer** response, int* abortFlag)
{
    g_received.httpType = type;
    g_received.url = url;
    g_received.contentType = contentType;
    g_received.body.assign(static_cast<const char*>(body), static_cast<size_t>(bodyLength));
    g_received.response = response;
    g_received.abortFlag = abortFlag;
    return HTTP_ERROR_ABORTED;
}

class HeaderCalls : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_received = Received();
        api.Log = FakeLog;
        api.LogEx = FakeLogEx;
        api.PlaySoundEx = [](Sound* sound, SoundPlayParameters parameters) -> uint32_t {
            g_received.sound = sound;
            g_received.play = parameters;
            return 77;
        };
        api.ReinitializeWithParameters = [](VideoParameters parameters) {
            g_received.video = parameters;
            g_received.videoLanguage = parameters.language ? parameters.language : "";
            return true;
        };
        api.GetDateTime = [] { return MakeDateTime(2024); };
        api.TimeToDateTime = [](uint32_t seconds) {
            g_received.seconds = seconds;
            return MakeDateTime(1970);
        };
        api.DrawText = FakeDrawText;
        api.InitEvent = [](EngineEvent* event, uint32_t type) {
            event->type = type;
            memset(event->payload, 0, sizeof(event->payload));
        };
        api.PostEvent = [](const EngineEvent* event) { g_received.event = *event; };
        api.HTTPRequest = FakeHTTPRequest;
        graphics.PeekWorldTransform = [] {
            Matrix4 matrix;
            for (int i = 0; i < 16; ++i)
                matrix.m[i] = static_cast<float>(i) + 0.5f;
            return matrix;
        };
        graphics.GetColor = [] { return Color{0.125f, 0.25f, 0.5f, 0.75f}; };
        leaderboards.SubmitScore = [](int player, ScoreRecord score, const char* category) {
            g_received.player = player;
            g_received.score = score;
            g_received.category = category ? category : "";
        };
        ugc.Call1 = reinterpret_cast<void (*)(...)>(FakeUgcCall1);
        api.graphics = &graphics;
        api.leaderboards = &leaderboards;
        api.ugc = &ugc;
    }

    QuavenAPI api = {};
    QuavenGraphicsAPI graphics = {};
    QuavenLeaderboardsAPI leaderboards = {};
    QuavenUGCAPI ugc = {};
};

// ---- A C game calling the engine ----------------------------------------------------

TEST_F(HeaderCalls, VarargsLogReachesTheEngineFormatted)
{
    EXPECT_EQ(qv_c_log(&api), 1001);
    EXPECT_EQ(g_received.text, "42|text|1.50|z");

    EXPECT_EQ(qv_c_log_ex(&api), 1002);
    EXPECT_EQ(g_received.level, QV_LOG_WARNING);
    EXPECT_EQ(g_received.text, "7-w");
}

TEST_F(HeaderCalls, SoundAndVideoParametersArriveWholeByValue)
{
    Sound* sound = reinterpret_cast<Sound*>(0x1234);
    EXPECT_EQ(qv_c_play_sound_ex(&api, sound), 77u);
    EXPECT_EQ(g_received.sound, sound);
    const SoundPlayParameters& play = g_received.play;
    EXPECT_EQ(Values(play.volume, play.pan, play.pitch, play.loop, play.delay), Values(0.5f, -0.25f, 1.5f, 1, 2.0f));

    EXPECT_TRUE(qv_c_reinitialize(&api, "fi"));
    const VideoParameters& v = g_received.video;
    EXPECT_EQ(Values(v.width, v.height, v.windowed, v.no_sound, v.multitouch, v.frame_time_ms, v.console_open,
                     v.developer_mode, v.quit, v.reference_width, v.reference_height, v.reserved[0], v.reserved[15]),
              Values(1280, 720, 1, 1, 0, 8, 0, 1, 1, 640, 360, 0u, 0xC0FFEEu));
    EXPECT_EQ(g_received.videoLanguage, "fi");
}

TEST_F(HeaderCalls, DateTimeMatrixAndColourReturnedByValueKeepEveryField)
{
    DateTime now = {};
    qv_c_get_date_time(&api, &now);
    EXPECT_EQ(DateFields(now), DateFields(MakeDateTime(2024)));
    DateTime converted = {};
    qv_c_time_to_date_time(&api, 0xFFFFFFF0u, &converted);
    EXPECT_EQ(g_received.seconds, 0xFFFFFFF0u);
    EXPECT_EQ(converted.year, 1970);

    Matrix4 matrix = {};
    qv_c_peek_world_transform(&api, &matrix);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(matrix.m[i], static_cast<float>(i) + 0.5f) << "element " << i;
    Color colour = {};
    qv_c_get_color(&api, &colour);
    EXPECT_EQ(Values(colour.r, colour.g, colour.b, colour.a), Values(0.125f, 0.25f, 0.5f, 0.75f));
}

TEST_F(HeaderCalls, ScoreRecordArrivesWholeByValueBetweenOtherArguments)
{
    qv_c_submit_score(&api);
    EXPECT_EQ(g_received.player, 2);
    EXPECT_EQ(g_received.category, "category");
    const ScoreRecord& s = g_received.score;
    EXPECT_STREQ(s.id, "player-1");
    EXPECT_STREQ(s.name, "Name");
    EXPECT_EQ(Values(s.points, s.rank, s.data[0], s.data[187], s.dataLength, s.time),
              Values(12345, 7, 0x11, 0xEE, 188, 99));
}

TEST_F(HeaderCalls, DrawTextTakesAddressesAndVarargsAndAnswersAFloat)
{
    Font* font = reinterpret_cast<Font*>(0x4321);
    EXPECT_EQ(qv_c_draw_text(&api, font), 123.5f);
    EXPECT_EQ(g_received.font, font);
    EXPECT_EQ(Values(g_received.x, g_received.y), Values(10.5f, 20.25f));
    EXPECT_EQ(g_received.text, "hp=99");
}

TEST_F(HeaderCalls, PostedEventCarriesTypeAndPayloadLayout)
{
    qv_c_post_event(&api);
    EXPECT_EQ(g_received.event.type, static_cast<uint32_t>(EVENT_KEY_DOWN));
    EventKeyPayload key;
    memcpy(&key, g_received.event.payload, sizeof(key));
    EXPECT_EQ(key.code, 890); // gamepad 1, button A
    EXPECT_EQ(key.flag, 1);
    for (size_t i = 5; i < sizeof(g_received.event.payload); ++i)
        EXPECT_EQ(g_received.event.payload[i], 0) << "payload byte " << i;
}

TEST_F(HeaderCalls, PassThroughMemberAndHttpRequestKeepTheirArgumentsInOrder)
{
    qv_c_ugc_call1(&api);
    EXPECT_EQ(Values(g_received.ugcArguments[0], g_received.ugcArguments[1], g_received.ugcArguments[2]),
              Values(11, 22, 33));

    Buffer* response = nullptr;
    int abortFlag = 0;
    EXPECT_EQ(qv_c_http_request(&api, &response, &abortFlag), HTTP_ERROR_ABORTED);
    EXPECT_EQ(g_received.httpType, QV_HTTP_POST);
    EXPECT_EQ(g_received.url, "http://example.invalid/x");
    EXPECT_EQ(g_received.contentType, "text/plain");
    EXPECT_EQ(g_received.body, "abc");
    EXPECT_EQ(g_received.response, &response);
    EXPECT_EQ(g_received.abortFlag, &abortFlag);
}

// ---- Key codes ----------------------------------------------------------------------------

TEST(HeaderEvents, KeyCodeHelpersFollowTheNumberSpace)
{
    EXPECT_EQ(QV_KEY_GAMEPAD(1, QV_GAMEPAD_BUTTON_A), 890);
    EXPECT_EQ(QV_KEY_GAMEPAD(3, QV_GAMEPAD_DPAD_LEFT), 1004);
    EXPECT_EQ(QV_KEY_GAMEPAD(0, QV_GAMEPAD_RIGHT_MOTOR), 841);
    EXPECT_EQ(QV_KEY_POINTER_X(0), 524);
    EXPECT_EQ(QV_KEY_POINTER_RIGHT_BUTTON(75), 531 + 20 * 75);
    EXPECT_LT(QV_KEY_POINTER_RIGHT_BUTTON(75), QV_KEY_CODE_COUNT); // the last pointer that fits
    EXPECT_LT(QV_KEY_GAMEPAD(3, 63), QV_KEY_CODE_COUNT);
}

} // namespace

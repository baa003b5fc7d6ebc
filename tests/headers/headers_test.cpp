// The public headers are a binary interface between the engine (C++) and games
// written in C or C++. These tests check that the C compiler, the engine's C++
// view and a game's C++ view agree on every record layout and table slot and that
// those match the interface's numbers, and that values a C game passes really cross
// the boundary intact: structs by value in both directions, varargs and addresses of
// floats. The engine calling a C game's exports and callbacks is the harness's test
// of the test game, a C99 prog.dll.
#include <quaven/quaven.h>

#include "c_game_side.h"
#include "game_cpp_side.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// ---- Layout ---------------------------------------------------------------------

struct LayoutItem {
    const char* name;
    long engineCpp; // this translation unit: C++ with the engine's additions
    long expected;
};

const LayoutItem kLayout[] = {
#define QV_LAYOUT_ITEM(name, expression, expected) {#name, static_cast<long>(expression), expected},
#include "layout_items.inc"
#undef QV_LAYOUT_ITEM
};

const int kLayoutCount = static_cast<int>(sizeof(kLayout) / sizeof(kLayout[0]));

TEST(HeaderLayout, EngineCppMatchesTheInterfaceNumbers)
{
    for (const LayoutItem& item : kLayout)
        EXPECT_EQ(item.engineCpp, item.expected) << item.name;
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
    std::string url;
    std::string contentType;
    std::string body;
    Buffer** response = nullptr;
    int* abortFlag = nullptr;
};

Received g_received;

std::string FormatV(const char* format, va_list args)
{
    char buffer[256];
    vsnprintf(buffer, sizeof(buffer), format, args);
    return buffer;
}

int FakeLog(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    g_received.text = FormatV(format, args);
    va_end(args);
    return 1001;
}

int FakeLogEx(int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    g_received.level = level;
    g_received.text = FormatV(format, args);
    va_end(args);
    return 1002;
}

uint32_t FakePlaySoundEx(Sound* sound, SoundPlayParameters parameters)
{
    g_received.sound = sound;
    g_received.play = parameters;
    return 77;
}

bool FakeReinitialize(VideoParameters parameters)
{
    g_received.video = parameters;
    g_received.videoLanguage = parameters.language ? parameters.language : "";
    return true;
}

DateTime MakeDateTime(uint16_t year)
{
    DateTime time = {};
    time.year = year;
    time.month = 12;
    time.day = 31;
    time.hour = 23;
    time.minute = 59;
    time.second = 60;
    time.weekday = 6;
    time.day_of_year = 365;
    return time;
}

DateTime FakeGetDateTime()
{
    return MakeDateTime(2024);
}

DateTime FakeTimeToDateTime(uint32_t seconds)
{
    g_received.seconds = seconds;
    return MakeDateTime(1970);
}

Matrix4 FakePeekWorldTransform()
{
    Matrix4 matrix;
    for (int i = 0; i < 16; ++i)
        matrix.m[i] = static_cast<float>(i) + 0.5f;
    return matrix;
}

Color FakeGetColor()
{
    Color colour = {0.125f, 0.25f, 0.5f, 0.75f};
    return colour;
}

void FakeSubmitScore(int player, ScoreRecord score, const char* category)
{
    g_received.player = player;
    g_received.score = score;
    g_received.category = category ? category : "";
}

float FakeDrawText(Font* font, const float* x, const float* y, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    g_received.font = font;
    g_received.x = *x;
    g_received.y = *y;
    g_received.text = FormatV(format, args);
    va_end(args);
    return 123.5f;
}

void FakeInitEvent(EngineEvent* event, uint32_t type)
{
    event->type = type;
    memset(event->payload, 0, sizeof(event->payload));
}

void FakePostEvent(const EngineEvent* event)
{
    g_received.event = *event;
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
        api.PlaySoundEx = FakePlaySoundEx;
        api.ReinitializeWithParameters = FakeReinitialize;
        api.GetDateTime = FakeGetDateTime;
        api.TimeToDateTime = FakeTimeToDateTime;
        api.DrawText = FakeDrawText;
        api.InitEvent = FakeInitEvent;
        api.PostEvent = FakePostEvent;
        api.HTTPRequest = FakeHTTPRequest;
        graphics.PeekWorldTransform = FakePeekWorldTransform;
        graphics.GetColor = FakeGetColor;
        leaderboards.SubmitScore = FakeSubmitScore;
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

TEST_F(HeaderCalls, SoundParametersArriveByValue)
{
    Sound* sound = reinterpret_cast<Sound*>(0x1234);
    EXPECT_EQ(qv_c_play_sound_ex(&api, sound), 77u);
    EXPECT_EQ(g_received.sound, sound);
    EXPECT_FLOAT_EQ(g_received.play.volume, 0.5f);
    EXPECT_FLOAT_EQ(g_received.play.pan, -0.25f);
    EXPECT_FLOAT_EQ(g_received.play.pitch, 1.5f);
    EXPECT_EQ(g_received.play.loop, 1);
    EXPECT_FLOAT_EQ(g_received.play.delay, 2.0f);
}

TEST_F(HeaderCalls, VideoParametersArriveWholeByValue)
{
    EXPECT_TRUE(qv_c_reinitialize(&api, "fi"));
    const VideoParameters& video = g_received.video;
    EXPECT_EQ(video.width, 1280);
    EXPECT_EQ(video.height, 720);
    EXPECT_EQ(video.windowed, 1);
    EXPECT_EQ(video.no_sound, 1);
    EXPECT_EQ(video.multitouch, 0);
    EXPECT_EQ(video.frame_time_ms, 8);
    EXPECT_EQ(video.console_open, 0);
    EXPECT_EQ(video.developer_mode, 1);
    EXPECT_EQ(g_received.videoLanguage, "fi");
    EXPECT_EQ(video.quit, 1);
    EXPECT_EQ(video.reference_width, 640);
    EXPECT_EQ(video.reference_height, 360);
    EXPECT_EQ(video.reserved[0], 0u);
    EXPECT_EQ(video.reserved[15], 0xC0FFEEu);
}

TEST_F(HeaderCalls, DateTimeReturnedByValueKeepsEveryField)
{
    DateTime now = {};
    qv_c_get_date_time(&api, &now);
    EXPECT_EQ(now.year, 2024);
    EXPECT_EQ(now.month, 12);
    EXPECT_EQ(now.day, 31);
    EXPECT_EQ(now.hour, 23);
    EXPECT_EQ(now.minute, 59);
    EXPECT_EQ(now.second, 60);
    EXPECT_EQ(now.weekday, 6);
    EXPECT_EQ(now.day_of_year, 365);

    DateTime converted = {};
    qv_c_time_to_date_time(&api, 0xFFFFFFF0u, &converted);
    EXPECT_EQ(g_received.seconds, 0xFFFFFFF0u);
    EXPECT_EQ(converted.year, 1970);
}

TEST_F(HeaderCalls, MatrixAndColourReturnedByValueKeepEveryElement)
{
    Matrix4 matrix = {};
    qv_c_peek_world_transform(&api, &matrix);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(matrix.m[i], static_cast<float>(i) + 0.5f) << "element " << i;

    Color colour = {};
    qv_c_get_color(&api, &colour);
    EXPECT_FLOAT_EQ(colour.r, 0.125f);
    EXPECT_FLOAT_EQ(colour.g, 0.25f);
    EXPECT_FLOAT_EQ(colour.b, 0.5f);
    EXPECT_FLOAT_EQ(colour.a, 0.75f);
}

TEST_F(HeaderCalls, ScoreRecordArrivesWholeByValueBetweenOtherArguments)
{
    qv_c_submit_score(&api);
    EXPECT_EQ(g_received.player, 2);
    EXPECT_EQ(g_received.category, "category");
    const ScoreRecord& score = g_received.score;
    EXPECT_STREQ(score.id, "player-1");
    EXPECT_STREQ(score.name, "Name");
    EXPECT_EQ(score.points, 12345);
    EXPECT_EQ(score.rank, 7);
    EXPECT_EQ(score.data[0], 0x11);
    EXPECT_EQ(score.data[187], 0xEE);
    EXPECT_EQ(score.dataLength, 188);
    EXPECT_EQ(score.time, 99);
}

TEST_F(HeaderCalls, DrawTextTakesAddressesAndVarargsAndAnswersAFloat)
{
    Font* font = reinterpret_cast<Font*>(0x4321);
    EXPECT_FLOAT_EQ(qv_c_draw_text(&api, font), 123.5f);
    EXPECT_EQ(g_received.font, font);
    EXPECT_FLOAT_EQ(g_received.x, 10.5f);
    EXPECT_FLOAT_EQ(g_received.y, 20.25f);
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

TEST_F(HeaderCalls, PassThroughServiceMemberForwardsArgumentsUnchanged)
{
    qv_c_ugc_call1(&api);
    EXPECT_EQ(g_received.ugcArguments[0], 11);
    EXPECT_EQ(g_received.ugcArguments[1], 22);
    EXPECT_EQ(g_received.ugcArguments[2], 33);
}

TEST_F(HeaderCalls, HttpRequestArgumentsKeepTheirOrder)
{
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

// The API table as a game built against the whole layout meets it: no slot is null, the
// stand-ins of subsystems still to come answer harmlessly and say so once, and the graphics
// colour setter follows the renderer's vertex-colour byte order.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/engine_log.h"
#include "graphics/graphics_api_seams.h"
#include "engine/api_table.h"
#include "core/engine_time.h"
#include "core/locks.h"
#include "core/threads.h"
#include "support/null_renderer.h"
#include "graphics/setup/renderer_setup.h"
#include "support/log_capture.h"

namespace {

using quaven_test::LogCapture;

struct SubTable {
    const char* name;
    const void* table;
    int members;
};

// Every slot of a table of pointers, read as the game reads it: by position.
int CountNullSlots(const void* table, int slots)
{
    const void* const* members = static_cast<const void* const*>(table);
    int nulls = 0;
    for (int i = 0; i < slots; ++i)
        nulls += members[i] == nullptr;
    return nulls;
}

class ApiTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        memcpy(&saved_, qv, sizeof saved_);
        QVI_InitializeThreading();
        QVI_FillAPI(qv);
        QVI_SetEngineStartTime();
        QVI_CreateEngineLocks();
    }
    void TearDown() override
    {
        QVI_DetachRenderer();
        memcpy(qv, &saved_, sizeof saved_);
    }

    QuavenAPI saved_ = {};
};

TEST_F(ApiTableTest, NoSlotOfAnyTableIsNullInATableFilledFromZero)
{
    QuavenAPI table = {};
    QVI_FillAPI(&table);
    EXPECT_EQ(CountNullSlots(&table, 86), 0);

    const SubTable subTables[] = {
        {"achievements", table.achievements, 6}, {"cloud", table.cloud, 4},
        {"draw", table.draw, 1},                 {"fileSystem", table.fileSystem, 21},
        {"graphics", table.graphics, 95},        {"leaderboards", table.leaderboards, 16},
        {"notifications", table.notifications, 4}, {"social", table.social, 6},
        {"statistics", table.statistics, 1},     {"ugc", table.ugc, 9},
    };
    for (const SubTable& sub : subTables) {
        ASSERT_NE(sub.table, nullptr) << sub.name;
        EXPECT_EQ(CountNullSlots(sub.table, sub.members), 0) << sub.name;
    }
}

TEST_F(ApiTableTest, AStandInReportsOncePerMemberAndNamesItAsTheGameWritesIt)
{
    LogCapture capture(qv);
    qv->SaveFont(nullptr, "font.mft");
    qv->SaveFont(nullptr, "font.mft");
    qv->ugc->Call7(3);
    qv->ugc->Call7(4);

    EXPECT_EQ(LogCapture::Count("qv->SaveFont is not available yet."), 1);
    EXPECT_EQ(LogCapture::Count("qv->ugc->Call7 is not available yet."), 1);
    EXPECT_EQ(LogCapture::CountContaining("is not available yet.", QV_LOG_WARNING), 2);
}

// LogEx as it answers before logging has started: nothing was logged.
int LogExBeforeLoggingStarts(int level, const char* format, ...)
{
    return 0;
}

TEST_F(ApiTableTest, AStandInCalledBeforeLoggingRunsStillReportsOnceLoggingRuns)
{
    // A report that reached no log must not use up the member's one report.
    qv->LogEx = LogExBeforeLoggingStarts;
    qv->SetChannelPitch(1, 2.0f);
    LogCapture capture(qv);
    qv->SetChannelPitch(1, 2.0f);
    qv->SetChannelPitch(1, 2.0f);
    EXPECT_EQ(LogCapture::Count("qv->SetChannelPitch is not available yet."), 1);
}

TEST_F(ApiTableTest, FloatStandInsReturnThroughTheFloatRegisterEveryTime)
{
    // A stand-in of the wrong return type would leave the x87 register stack unbalanced:
    // after a few calls every float result turns into garbage.
    LogCapture capture(qv);
    float sum = 0.0f;
    for (int i = 0; i < 20; ++i) {
        sum += qv->GetTextWidth(nullptr, "%d", i);
        sum += qv->DrawText(nullptr, nullptr, nullptr, "text");
        sum += qv->graphics->GetRenderStatef(10);
    }
    EXPECT_EQ(sum, 0.0f);
    volatile float check = 1.5f;
    EXPECT_EQ(check * 2.0f, 3.0f);
}

TEST_F(ApiTableTest, StandInsLeaveNothingUndefinedForTheGameToRead)
{
    LogCapture capture(qv);
    float width = 7.0f, height = 7.0f;
    qv->MeasureText(nullptr, &width, &height, "text");
    EXPECT_EQ(width + height, 0.0f);
    qv->MeasureText(nullptr, nullptr, nullptr, "text");  // null pointers are allowed

    Buffer* response = reinterpret_cast<Buffer*>(0x1234);
    EXPECT_EQ(qv->HTTPRequest(QV_HTTP_GET, "http://example.com/", nullptr, nullptr, 0, &response, nullptr),
              HTTP_ERROR_SOCKET);
    EXPECT_EQ(response, nullptr);

    const float* position = qv->graphics->GetViewPosition();
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(position[0] + position[1] + position[2], 0.0f);

    // Without a service a game sees "nothing there", not an invented success.
    EXPECT_FALSE(qv->cloud->IsAvailable());
    EXPECT_EQ(qv->leaderboards->GetCategoryIndex("best"), -1);
}

TEST_F(ApiTableTest, ColourSetterFollowsTheAttachedRendererAndNothingElseChanges)
{
    EXPECT_EQ(qv->graphics->SetColor, kSetColorRedInByte2) << "no renderer: red in byte 2";
    QuavenAPI before;
    memcpy(&before, qv, sizeof before);

    quaven_test::NullRenderer renderer;
    renderer.rgbaVertexColor = false;
    QVI_AttachRenderer(&renderer);
    QVI_FillAPI(qv);
    EXPECT_EQ(qv->graphics->SetColor, kSetColorRedInByte0);
    EXPECT_EQ(memcmp(&before, qv, sizeof before), 0) << "the top level stays the same";

    QVI_DetachRenderer();
    renderer.rgbaVertexColor = true;
    QVI_AttachRenderer(&renderer);
    QVI_FillAPI(qv);
    EXPECT_EQ(qv->graphics->SetColor, kSetColorRedInByte2);
}

}  // namespace

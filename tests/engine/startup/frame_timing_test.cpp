// Frame pacing and the frame's time delta, with a clock the test moves by hand.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/engine_log.h"
#include "engine/api_table.h"
#include "engine/startup/frame_timing.h"
#include "support/log_capture.h"

namespace {

using quaven_test::LogCapture;

// The fake clock: reading it costs a millisecond of spinning, a sleep another one.
uint32_t g_now = 0;
uint32_t g_start = 0;
uint32_t g_lastReading = 0;
std::vector<int32_t> g_elapsedAtSleep;
int32_t* g_periodToChangeAtSleep = nullptr;

uint32_t ReadClock()
{
    g_lastReading = g_now++;
    return g_lastReading;
}

// Records how much time the wait had seen when it decided to sleep.
void SleepOneStep(uint32_t milliseconds)
{
    g_elapsedAtSleep.push_back(static_cast<int32_t>(g_lastReading - g_start));
    g_now += milliseconds;
    if (g_periodToChangeAtSleep)
        *g_periodToChangeAtSleep = 3;
}

class FrameTimingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        memcpy(&saved_, qv, sizeof saved_);
        QVI_FillAPI(qv);
        g_elapsedAtSleep.clear();
        g_periodToChangeAtSleep = nullptr;
    }
    void TearDown() override { memcpy(qv, &saved_, sizeof saved_); }

    QuavenAPI saved_ = {};
};

TEST_F(FrameTimingTest, WholeMillisecondsUpTo200AndAStallBecomesAThirtyThirdOfASecond)
{
    for (int32_t elapsed : {0, 17, 200}) {
        const FrameDelta frame = QVI_DetermineFrameTimeDelta(elapsed, false);
        EXPECT_EQ(frame.milliseconds, elapsed);
        EXPECT_EQ(frame.seconds, static_cast<float>(elapsed) * 0.001f);
    }
    for (int32_t elapsed : {201, 0x7FFFFFFF}) {
        const FrameDelta frame = QVI_DetermineFrameTimeDelta(elapsed, false);
        EXPECT_FLOAT_EQ(frame.delta, 1.0f / 33.0f) << elapsed;
        EXPECT_EQ(frame.milliseconds, 30) << elapsed;
        EXPECT_FLOAT_EQ(frame.seconds, 0.030f) << elapsed;
    }
}

TEST_F(FrameTimingTest, AClockGoingBackwardsGivesAMillisecondAndWarnsOnlyDevelopers)
{
    LogCapture capture(qv);
    const FrameDelta quiet = QVI_DetermineFrameTimeDelta(-5, false);
    EXPECT_FLOAT_EQ(quiet.delta, 0.001f);
    EXPECT_EQ(quiet.milliseconds, 1);
    EXPECT_EQ(LogCapture::CountContaining("Found negative time delta"), 0);

    const FrameDelta developer = QVI_DetermineFrameTimeDelta(-5, true);
    EXPECT_EQ(developer.milliseconds, 1);
    EXPECT_EQ(LogCapture::Count("Found negative time delta in QVI_DetermineFrameTimeDelta: -0.005"), 1);
}

TEST_F(FrameTimingTest, AnEightMillisecondPeriodSleepsOnlyWhileMoreThanTwoMillisecondsRemain)
{
    g_now = g_start = 1000;
    uint32_t last = 0;
    const int32_t period = 8;
    const int32_t elapsed = QVI_WaitForFramePeriod(&last, &period, ReadClock, SleepOneStep);

    EXPECT_EQ(elapsed, 8);
    ASSERT_FALSE(g_elapsedAtSleep.empty());
    for (int32_t atSleep : g_elapsedAtSleep)
        EXPECT_LT(atSleep, 6) << "slept with only two milliseconds left";
    EXPECT_EQ(static_cast<int32_t>(last - g_start), elapsed) << "the wait ends at the reading that ended it";
}

TEST_F(FrameTimingTest, ThePeriodIsReadAgainOnEveryPassOfTheWaitAndZeroMeansNoWait)
{
    g_now = g_start = 50;
    uint32_t none = 40;
    const int32_t zero = 0;
    EXPECT_EQ(QVI_WaitForFramePeriod(&none, &zero, ReadClock, SleepOneStep), 10);
    EXPECT_TRUE(g_elapsedAtSleep.empty());

    // The program may change its frame period while the engine waits.
    g_now = g_start = 10;
    uint32_t last = 0;
    int32_t period = 100;
    g_periodToChangeAtSleep = &period;
    const int32_t elapsed = QVI_WaitForFramePeriod(&last, &period, ReadClock, SleepOneStep);
    EXPECT_LT(elapsed, 10);
    EXPECT_EQ(g_elapsedAtSleep.size(), 1u);
}

TEST_F(FrameTimingTest, TheClockWrappingAroundIsJustAnotherMillisecond)
{
    g_now = g_start = 0xFFFFFFFEu;
    uint32_t last = 0xFFFFFFF0u;
    const int32_t period = 16;
    EXPECT_EQ(QVI_WaitForFramePeriod(&last, &period, ReadClock, SleepOneStep), 16);
    EXPECT_EQ(last, 0u);
}



}  // namespace

#include "events_fixture.h"

namespace {

using namespace events_test;

DateTime FixedDateTime()
{
    DateTime now = {};
    now.year = 2024;
    now.month = 3;
    now.day = 7;
    now.hour = 9;
    now.minute = 5;
    now.second = 4;
    return now;
}

class ProgramRequests : public EventsTest {
protected:
    void SetUp() override
    {
        EventsTest::SetUp();
        qv->GetDateTime = FixedDateTime;
    }
};

TEST_F(ProgramRequests, FirstShutdownRequestLogsTheMomentOnce)
{
    EXPECT_FALSE(QV_IsShuttingDown());
    QV_RequestShutdown();
    EXPECT_TRUE(QV_IsShuttingDown());
    EXPECT_EQ(g_core.quit, 1);
    EXPECT_EQ(program_.video.quit, 1);

    QV_RequestShutdown();
    EXPECT_TRUE(QV_IsShuttingDown());
    EXPECT_EQ(LogLines(), std::vector<std::string>{"3 Signalling shutdown at 2024-3-7 09:05. 4"});
}

TEST_F(ProgramRequests, EveryRequestMarksTheCurrentProgramRecord)
{
    QV_RequestShutdown();
    ProgramInterface other;
    memset(&other, 0, sizeof other);
    g_core.settings = &other;
    QV_RequestShutdown();
    EXPECT_EQ(other.video.quit, 1);
    EXPECT_EQ(LogLines().size(), 1u);
}

TEST_F(ProgramRequests, WorksBeforeTheTableAndTheProgramExist)
{
    qv->GetDateTime = nullptr;
    qv->LogEx = nullptr;
    g_core.settings = nullptr;
    QV_RequestShutdown();
    EXPECT_TRUE(QV_IsShuttingDown());
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(ProgramRequests, ConfigurationQueriesAnswerNothingBeforeTheConfigurationIsRead)
{
    EXPECT_FALSE(QV_HasFeature("NO_SOUND"));
    EXPECT_FALSE(QV_HasFeature(nullptr));
    EXPECT_EQ(QV_GetProductValue("name"), nullptr);
    EXPECT_EQ(QV_GetProductValue(nullptr), nullptr);
}

}  // namespace

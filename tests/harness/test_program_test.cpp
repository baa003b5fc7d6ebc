// The test game is loaded the way the host loads a game: LoadLibrary, the exported
// QV_GetProgramInterface, then the record's callbacks. These tests pin down what later suites
// rely on: its exports, its record, its script and its results file.
#include "support/test_program.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <quaven/quaven.h>

#include "support/log_capture.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using quaven_test::LoggedLine;
using quaven_test::LogCapture;

// What the test game asked of the fake API table besides logging, in order.
std::vector<std::string> g_calls;

class TestProgramFixture : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        LogCapture::SetPopupAnswer(5);
        api_.InitEvent = [](EngineEvent* event, uint32_t type) {
            event->type = type;
            memset(event->payload, 0, sizeof event->payload);
        };
        api_.PostEvent = [](const EngineEvent* event) {
            g_calls.push_back("post_event " + std::to_string(event->type) + " " + std::to_string(event->payload[0]) +
                              " " + std::to_string(event->payload[4]));
        };
        api_.RequestShutdown = [] { g_calls.push_back("shutdown"); };
    }

    bool Create() { return program_.Create(&api_); }

    QuavenAPI api_ = {};
    LogCapture log_{&api_};   // after api_, which it fills; outlives the loaded game
    quaven_test::TestProgram program_;
    ProgramInterface& record_ = program_.Record();
};

TEST_F(TestProgramFixture, ExportsOnlyTheCurrentEntryAndFillsItsRecord) {
    ASSERT_TRUE(Create());
    EXPECT_EQ(GetProcAddress(program_.Library(), "QV_GetInterface"), nullptr);
    EXPECT_EQ(record_.interface_version, 1406);
    EXPECT_STREQ(record_.id, "test-program");
    EXPECT_TRUE(record_.Init && record_.Exit && record_.Update && record_.Render && record_.OnEvent);
    const unsigned char* reserved = reinterpret_cast<const unsigned char*>(&record_) + 288;
    for (int i = 0; i < 64; ++i) ASSERT_EQ(reserved[i], 0) << "reserved byte " << i;
    EXPECT_EQ(program_.Results(), std::vector<std::string>{"get_program_interface 1406"});
}

TEST_F(TestProgramFixture, RunsItsScriptThroughTheApiTableAndRecordsCallbacks) {
    program_.UseScript(
        "# a comment\n"
        "init_result 0\n"
        "event_result 2\n"
        "at 0 log starting up\n"
        "at 1 log_ex 2 bad thing\n"
        "at 1 popup 1 careful\n"
        "at 2 post_event 8 65 1\n"
        "at 2 shutdown\n"
        "at 3 dance\n");
    ASSERT_TRUE(Create());
    EXPECT_FALSE(record_.Init());
    record_.Update(0.25f);
    record_.Render(0.25f);
    record_.Update(0.5f);
    EngineEvent event = {};
    event.type = 8;
    event.payload[0] = 0x41;
    event.payload[31] = 0xFF;
    EXPECT_EQ(record_.OnEvent(event), 2);
    record_.Exit();

    std::vector<std::string> logged;
    for (const LoggedLine& line : LogCapture::Lines())
        logged.push_back(std::to_string(line.kind) + " " + std::to_string(line.level) + " " + line.text);
    EXPECT_EQ(logged, (std::vector<std::string>{"0 " + std::to_string(QV_LOG_INFO) + " starting up", "1 2 bad thing",
                                                "2 1 careful"}));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"post_event 8 65 1", "shutdown"}));
    EXPECT_EQ(program_.Results(), (std::vector<std::string>{
                                      "error at 3 dance",
                                      "get_program_interface 1406",
                                      "init",
                                      "update 1 0.250000",
                                      "popup_answer 5",
                                      "render 1 0.250000",
                                      "update 2 0.500000",
                                      "event 8 41000000000000000000000000000000000000000000000000000000000000ff",
                                      "exit",
                                  }));
}

TEST_F(TestProgramFixture, CanRefuseCreationOrClaimAnotherInterfaceVersion) {
    program_.UseScript("create_result 0\n");
    EXPECT_FALSE(Create());
    program_.Unload();
    program_.UseScript("interface_version 1405\n");
    ASSERT_TRUE(Create());
    EXPECT_EQ(record_.interface_version, 1405);
}

}  // namespace

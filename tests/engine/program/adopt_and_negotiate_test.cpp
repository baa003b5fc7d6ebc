// The program's record after the configuration is adopted, and the video parameters the
// program is offered before the resolution is chosen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "engine/program/adopt_configuration.h"
#include "engine/program/command_line.h"
#include "engine/program/video_negotiation.h"

namespace {

bool ProgramInit() { return true; }
void ProgramFrame(float) {}

std::vector<EngineEvent> g_events;

// Takes the offer: a smaller window.
int ProgramOnEvent(EngineEvent event)
{
    g_events.push_back(event);
    EventVideoParametersPayload payload;
    memcpy(&payload, event.payload, sizeof payload);
    payload.video->width = 640;
    return 0;
}

class ProgramRecord : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedSettings_ = g_core.settings;
        QVI_ResetProgramConfiguration();
        QVI_KeepCommandLine("game.exe -x");
        g_events.clear();

        // What the program filled in itself, and what prog.xml said.
        program_.interface_version = QUAVEN_INTERFACE_VERSION;
        strcpy(program_.id, "own-id");
        program_.video.width = 320;
        program_.video.developer_mode = 1;
        program_.video.reserved[3] = 77;
        program_.Init = ProgramInit;
        program_.Update = ProgramFrame;
        program_.Render = ProgramFrame;
        program_.OnEvent = ProgramOnEvent;
        strcpy(g_config.defaultRecord.title, "Configured Title");
        g_config.defaultRecord.video.frame_time_ms = 16;
    }

    void TearDown() override
    {
        g_core.settings = savedSettings_;
        QVI_ResetProgramConfiguration();
        QVI_FreeCommandLine();
    }

    ProgramInterface program_ = {};
    ProgramInterface* savedSettings_ = nullptr;
};

TEST_F(ProgramRecord, AdoptionKeepsOnlyTheVersionAndCallbacksOfTheProgram)
{
    QVI_AdoptProgramConfiguration(&program_);
    EXPECT_STREQ(program_.id, "");
    EXPECT_STREQ(program_.title, "Configured Title");
    EXPECT_EQ(program_.qv, qv);
    EXPECT_EQ(program_.video.width, 0);
    EXPECT_EQ(program_.video.frame_time_ms, 16);
    EXPECT_EQ(program_.video.reserved[3], 0u);
    EXPECT_STREQ(program_.video.command_line, "game.exe -x");
    // The developer-mode byte the loader wrote survives through the default record.
    EXPECT_EQ(program_.video.developer_mode, 1);
    EXPECT_EQ(program_.interface_version, QUAVEN_INTERFACE_VERSION);
    EXPECT_EQ(program_.Init, &ProgramInit);
    EXPECT_EQ(program_.OnEvent, &ProgramOnEvent);
    EXPECT_EQ(g_core.settings, &program_);
}

TEST_F(ProgramRecord, VideoOfferCarriesTheTableAndTheRecordsParametersToChangeInPlace)
{
    QVI_OfferVideoParameters(&program_);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].type, static_cast<uint32_t>(EVENT_VIDEO_PARAMETERS));
    EventVideoParametersPayload payload;
    memcpy(&payload, g_events[0].payload, sizeof payload);
    EXPECT_EQ(payload.api, qv);
    EXPECT_EQ(payload.video, &program_.video);
    EXPECT_EQ(program_.video.width, 640);

    program_.OnEvent = nullptr;
    QVI_OfferVideoParameters(&program_);
    QVI_OfferVideoParameters(nullptr);
    EXPECT_EQ(g_events.size(), 1u);
}

}  // namespace

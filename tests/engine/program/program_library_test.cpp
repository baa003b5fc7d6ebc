// Loading prog.dll as the host does (each load in a child process: some paths end it, and a
// loaded library stays loaded), the configuration the program's record adopts, and the
// video parameters the program is offered before the resolution is chosen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../engine_child.h"
#include "core/api_pointer.h"
#include "core/config/config_values.h"
#include "core/config/program_configuration.h"
#include "core/core_state.h"
#include "engine/program/program_library.h"

namespace {

using engine_test::ChildRun;
using engine_test::Lines;
using engine_test::NoteOutcome;

const char kChildTest[] = "ProgramLibraryChild.LoadsTheLibraryOfItsFolder";

TEST(ProgramLibraryChild, LoadsTheLibraryOfItsFolder)
{
    if (!engine_test::BeginChild())
        GTEST_SKIP() << "runs only as the child of the ProgramLibrary tests";
    QVI_KeepCommandLine("game.exe -windowed");
    g_core.developerMode = 1;
    QVI_ResetProgramConfiguration();
    QVI_CopyIntoField(g_config.defaultRecord.title, sizeof g_config.defaultRecord.title, "Configured");

    NoteOutcome(QVI_LoadProgramLibrary() ? "loaded" : "refused");
    NoteOutcome(GetModuleHandleA("prog.dll") ? "module present" : "module absent");
    ProgramInterface* record = QVI_GetProgramRecord();
    if (!record) {
        NoteOutcome("no record");
        return;
    }
    NoteOutcome(std::string("title ") + record->title);
    NoteOutcome(record->qv == qv ? "api written" : "api missing");
    NoteOutcome(std::string("command line ") + (record->video.command_line ? record->video.command_line : "-"));
    NoteOutcome("developer mode " + std::to_string(record->video.developer_mode));

    QVI_AdoptProgramConfiguration(record);
    NoteOutcome(std::string("adopted title ") + record->title);
    QVI_UnloadProgramLibrary();
    NoteOutcome(QVI_GetProgramRecord() ? "record kept" : "record cleared");
    // Nothing may reach the released record through the settings any more.
    NoteOutcome(g_core.settings == &g_config.defaultRecord ? "settings on defaults" : "settings dangling");
    NoteOutcome(GetModuleHandleA("prog.dll") ? "module present" : "module absent");
}

ChildRun RunLoader(const std::string& library, const std::string& script, int popups)
{
    return engine_test::RunChild(kChildTest, library, "", script, popups);
}

const char kNotCreated[] =
    "Program library file bad: Program couldn't be created. Please download and install the application again.";
const Lines kRefusedKeepingTheLibrary = {"refused", "module present", "no record"};
const Lines kServed = {"loaded", "module present", "title Quaven Test Program", "api written",
                       "command line game.exe -windowed", "developer mode 1", "adopted title Configured",
                       "record cleared", "settings on defaults", "module absent"};

TEST(ProgramLibrary, MissingLibraryIsShownAndEndsTheProcessWithOne)
{
    const ChildRun run = RunLoader("", "", 1);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.box, "Could not locate Program library file. Please download and install the application again.");
    EXPECT_EQ(run.outcome, Lines{});
}

TEST(ProgramLibrary, LibraryWithoutEitherExportIsRefusedAndReleased)
{
    const ChildRun run = RunLoader("prog_no_exports.dll", "", 1);
    EXPECT_EQ(run.box,
              "Program library file bad: Interface not found. Please download and install the application again.");
    EXPECT_EQ(run.outcome, (Lines{"refused", "module absent", "no record"}));
}

TEST(ProgramLibrary, ProgramThatCannotBeCreatedIsNotAskedAgainThroughTheOlderExport)
{
    const ChildRun run = RunLoader("prog_both_exports.dll", "create_result 0\n", 1);
    EXPECT_EQ(run.box, kNotCreated);
    EXPECT_EQ(run.outcome, kRefusedKeepingTheLibrary);
    EXPECT_EQ(run.program, Lines{"get_program_interface 1406"});
}

TEST(ProgramLibrary, OlderExportAloneServesAndItsNullIsRefused)
{
    const ChildRun served = RunLoader("prog_get_interface_only.dll", "", 0);
    EXPECT_EQ(served.outcome, kServed);
    EXPECT_EQ(served.program, Lines{"get_interface"});

    const ChildRun refused = RunLoader("prog_get_interface_only.dll", "create_result 0\n", 1);
    EXPECT_EQ(refused.box, kNotCreated);
    EXPECT_EQ(refused.outcome, kRefusedKeepingTheLibrary);
}

TEST(ProgramLibrary, BothExportsUseOnlyTheCurrentOneAndLogTheSteps)
{
    const ChildRun run = RunLoader("prog_both_exports.dll", "", 0);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.program, Lines{"get_program_interface 1406"});
    EXPECT_EQ(run.outcome, kServed);
    EXPECT_EQ(run.log, (Lines{"3 Loading program implementation...", "3 Validating program implementation...",
                              "3 Program implementation validation OK.", "3 Unloading ProgImp Library."}));
}

// The older export's record lives in the library: its version must be read before the
// library is released. 1405 and 1407: both sides of the one accepted version.
TEST(ProgramLibrary, AnotherInterfaceVersionIsShownAndEndsTheProcessWithZero)
{
    for (const auto& [library, version] : {std::pair<std::string, int>{"prog.dll", 1407},
                                           std::pair<std::string, int>{"prog_get_interface_only.dll", 1405}}) {
        const ChildRun run = RunLoader(library, "interface_version " + std::to_string(version) + "\n", 1);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exitCode, 0u);
        const std::string firstLine = "Program library uses incompatible QUAVEN interface (" +
                                      std::to_string(version) + " instead of 1406). This program cannot run.";
        EXPECT_EQ(run.box, firstLine + "\n\nUse <app>/tools/update-local-quaven-version.bat to update sources and "
                                       "then rebuild your binaries.");
        // The process ended inside the loader, and the game saw nothing but its creation.
        EXPECT_EQ(run.outcome, Lines{});
        EXPECT_EQ(run.program.size(), 1u);
        ASSERT_GE(run.log.size(), 4u);
        EXPECT_EQ(run.log[2], "3 Unloading ProgImp Library.");
        EXPECT_EQ(run.log[3], "3 " + firstLine);
    }
}

// ---- The program's record once loaded ---------------------------------------------------

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

// Loading prog.dll as the host does (each load in a child process: some paths end it, and a
// loaded library stays loaded) with the configuration the program's record then adopts, and
// the video parameters the program is offered before the resolution is chosen.
#include "platform/windows/win32.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "engine/program/program_library.h"
#include "support/child_run.h"

namespace {

using namespace quaven_test;

std::string CommandLine(const ProgramInterface* record) {
    return std::string("command line ") + (record->video.command_line ? record->video.command_line : "-");
}

TEST(ProgramLibraryChild, LoadsTheLibraryOfItsFolder) {
    if (!BeginChild())
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
    const ProgramInterface loaded = *record;
    NoteOutcome(std::string("title ") + record->title + (record->qv == qv ? ", api written, " : ", api missing, ") +
                CommandLine(record) + ", developer mode " + std::to_string(record->video.developer_mode));

    // Adoption keeps only the program's interface version and callbacks; the developer-mode
    // byte the loader wrote survives through the default record.
    QVI_AdoptProgramConfiguration(record);
    const bool kept = record->interface_version == loaded.interface_version && record->Init == loaded.Init &&
                      record->Exit == loaded.Exit && record->Update == loaded.Update &&
                      record->Render == loaded.Render && record->OnEvent == loaded.OnEvent;
    NoteOutcome(std::string("adopted ") + record->title + (kept ? ", own callbacks, " : ", callbacks lost, ") +
                CommandLine(record) + ", developer mode " + std::to_string(record->video.developer_mode) +
                (g_core.settings == record ? ", in force" : ", not in force"));
    QVI_UnloadProgramLibrary();
    NoteOutcome(QVI_GetProgramRecord() ? "record kept" : "record cleared");
    // Nothing may reach the released record through the settings any more.
    NoteOutcome(g_core.settings == &g_config.defaultRecord ? "settings on defaults" : "settings dangling");
    NoteOutcome(GetModuleHandleA("prog.dll") ? "module present" : "module absent");
}

const char kNotCreated[] =
    "Program library file bad: Program couldn't be created. Please download and install the application again.";
const Lines kRefusedKeepingTheLibrary = {"refused", "module present", "no record"};
const Lines kServed = {"loaded", "module present",
                       "title Quaven Test Program, api written, command line game.exe -windowed, developer mode 1",
                       "adopted Configured, own callbacks, command line game.exe -windowed, developer mode 1, in force",
                       "record cleared", "settings on defaults", "module absent"};

// A library built for another interface version: the box, and the log (a line per line).
const char kRebuild[] =
    "Use <app>/tools/update-local-quaven-version.bat to update sources and then rebuild your binaries.";
std::string Incompatible(int version) {
    return "Program library uses incompatible QUAVEN interface (" + std::to_string(version) +
           " instead of 1406). This program cannot run.";
}
Lines IncompatibleLog(int version) {
    return {"3 Loading program implementation...", "3 Validating program implementation...",
            "3 Unloading ProgImp Library.", "3 " + Incompatible(version), "", kRebuild};
}

struct LoaderCase {
    const char* name;
    const char* library;  // fixture copied as prog.dll; "" for none
    std::string script;
    int popups;
    DWORD exitCode;
    std::string box;
    Lines outcome, program;  // program: what the game was asked
    Lines log;      // checked when given
};

void PrintTo(const LoaderCase& loaderCase, std::ostream* out) { *out << loaderCase.name; }

class ProgramLibrary : public ::testing::TestWithParam<LoaderCase> {};

TEST_P(ProgramLibrary, LoadsOrTellsWhyNot) {
    const LoaderCase& expected = GetParam();
    const ChildRun run = RunChild("ProgramLibraryChild.LoadsTheLibraryOfItsFolder", expected.library, "",
                                  expected.script, expected.popups);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, expected.exitCode);
    EXPECT_EQ(run.box, expected.box);
    EXPECT_EQ(run.outcome, expected.outcome);
    EXPECT_EQ(run.program, expected.program);
    if (!expected.log.empty()) {
        EXPECT_EQ(run.log, expected.log);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramLibrary,
    ::testing::Values(
        LoaderCase{"Missing", "", "", 1, 1,
                   "Could not locate Program library file. Please download and install the application again.", {}, {}, {}},
        LoaderCase{"WithoutExports", "prog_no_exports.dll", "", 1, 0,
                   "Program library file bad: Interface not found. Please download and install the application again.",
                   {"refused", "module absent", "no record"}, {}, {}},
        // A program that the current export cannot create is not asked again through the older one.
        LoaderCase{"NotCreated", "prog_both_exports.dll", "create_result 0\n", 1, 0, kNotCreated,
                   kRefusedKeepingTheLibrary, {"get_program_interface 1406"}, {}},
        LoaderCase{"BothExports", "prog_both_exports.dll", "", 0, 0, "", kServed, {"get_program_interface 1406"},
                   {"3 Loading program implementation...", "3 Validating program implementation...",
                    "3 Program implementation validation OK.", "3 Unloading ProgImp Library."}},
        LoaderCase{"OlderExport", "prog_get_interface_only.dll", "", 0, 0, "", kServed, {"get_interface"}, {}},
        LoaderCase{"OlderExportNull", "prog_get_interface_only.dll", "create_result 0\n", 1, 0, kNotCreated,
                   kRefusedKeepingTheLibrary, {"get_interface"}, {}},
        // The process ends inside the loader, the game having seen nothing but its creation.
        // The older export's record lives in the library: its version must be read before
        // the library is released. 1405 and 1407: both sides of the one accepted version.
        LoaderCase{"NewerVersion", "prog.dll", "interface_version 1407\n", 1, 0,
                   Incompatible(1407) + "\n\n" + kRebuild, {}, {"get_program_interface 1406"}, IncompatibleLog(1407)},
        LoaderCase{"OlderVersionOlderExport", "prog_get_interface_only.dll", "interface_version 1405\n", 1, 0,
                   Incompatible(1405) + "\n\n" + kRebuild, {}, {"get_interface"}, IncompatibleLog(1405)}),
    [](const ::testing::TestParamInfo<LoaderCase>& info) { return std::string(info.param.name); });

int g_offers = 0;
EventVideoParametersPayload g_offered = {};

// Takes the offer: a smaller window.
int ProgramOnEvent(EngineEvent event) {
    ++g_offers;
    EXPECT_EQ(event.type, static_cast<uint32_t>(EVENT_VIDEO_PARAMETERS));
    memcpy(&g_offered, event.payload, sizeof g_offered);
    g_offered.video->width = 640;
    return 0;
}

TEST(VideoOffer, CarriesTheTableAndTheRecordsParametersToChangeInPlace) {
    ProgramInterface program = {};
    program.video.width = 320;
    program.OnEvent = ProgramOnEvent;
    QVI_OfferVideoParameters(&program);
    ASSERT_EQ(g_offers, 1);
    EXPECT_EQ(g_offered.api, qv);
    EXPECT_EQ(g_offered.video, &program.video);
    EXPECT_EQ(program.video.width, 640);
    program.OnEvent = nullptr;
    QVI_OfferVideoParameters(&program);
    QVI_OfferVideoParameters(nullptr);
    EXPECT_EQ(g_offers, 1);
}

}  // namespace

// Loading prog.dll as the host does. Every case runs in a child process (this test
// executable in a child role) whose library search path holds one build of the test game
// as prog.dll: some paths end the process, and a loaded library stays loaded.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/engine_log.h"
#include "engine/api_table.h"
#include "core/core_state.h"
#include "core/configuration.h"
#include "core/locks.h"
#include "engine/program/adopt_configuration.h"
#include "engine/program/command_line.h"
#include "engine/program/program_library.h"
#include "core/threads.h"
#include "support/files.h"
#include "support/log_capture.h"
#include "support/popup_answerer.h"
#include "support/process.h"

namespace {

const char kChildFolder[] = "QUAVEN_LOADER_CHILD_FOLDER";
const char kChildTest[] = "ProgramLibraryChild.LoadsTheLibraryOfItsFolder";

// ---- Child side -------------------------------------------------------------

std::string g_folder;

void Append(const char* file, const std::string& line)
{
    quaven_test::AppendLine(g_folder + "\\" + file, line);
}

TEST(ProgramLibraryChild, LoadsTheLibraryOfItsFolder)
{
    g_folder = quaven_test::EnvironmentVariable(kChildFolder);
    if (g_folder.empty())
        GTEST_SKIP() << "runs only as the child of the ProgramLibrary tests";
    SetDllDirectoryA(g_folder.c_str());
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    // Some paths end the process: each line goes to the file as it comes.
    static quaven_test::LogCapture* const capture = new quaven_test::LogCapture(qv);
    capture->MirrorTo(g_folder + "\\log.txt");
    QVI_KeepCommandLine("game.exe -windowed");
    g_core.developerMode = 1;
    QVI_ResetProgramConfiguration();
    QVI_CopyIntoField(g_config.defaultRecord.title, sizeof g_config.defaultRecord.title, "Configured");

    const bool loaded = QVI_LoadProgramLibrary();
    Append("outcome.txt", loaded ? "loaded" : "refused");
    Append("outcome.txt", GetModuleHandleA("prog.dll") ? "module present" : "module absent");
    ProgramInterface* record = QVI_GetProgramRecord();
    if (!record) {
        Append("outcome.txt", "no record");
        return;
    }
    Append("outcome.txt", std::string("title ") + record->title);
    Append("outcome.txt", record->qv == qv ? "api written" : "api missing");
    Append("outcome.txt", std::string("command line ") + (record->video.command_line ? record->video.command_line : "-"));
    Append("outcome.txt", "developer mode " + std::to_string(record->video.developer_mode));

    QVI_AdoptProgramConfiguration(record);
    Append("outcome.txt", std::string("adopted title ") + record->title);
    QVI_UnloadProgramLibrary();
    Append("outcome.txt", QVI_GetProgramRecord() ? "record kept" : "record cleared");
    // Nothing may reach the released record through the settings any more.
    Append("outcome.txt", g_core.settings == &g_config.defaultRecord ? "settings on defaults" : "settings dangling");
    Append("outcome.txt", GetModuleHandleA("prog.dll") ? "module present" : "module absent");
}

// ---- Parent side ------------------------------------------------------------

struct LoaderRun {
    bool ended = false;
    DWORD exitCode = 0;
    std::string box;                   // the one popup's text ("" none, "<n boxes>" several)
    std::vector<std::string> outcome;  // what the child saw after the loader returned
    std::vector<std::string> log;      // "LEVEL text" of every LogEx line
    std::vector<std::string> program;  // the test game's results file
};

// Runs the loader in a child whose library path holds fixtures/<library> as prog.dll (no
// prog.dll for an empty name); the game follows script; popups are answered with OK.
LoaderRun RunLoader(const std::string& library, const std::string& script, int popups)
{
    LoaderRun run;
    const std::string folder = quaven_test::MakeTempDir("loader");
    if (!library.empty()) {
        EXPECT_TRUE(CopyFileA((quaven_test::FixturesDir() + "\\" + library).c_str(), (folder + "\\prog.dll").c_str(),
                              FALSE));
    }
    EXPECT_TRUE(quaven_test::WriteFile(folder + "\\script.txt", script));

    quaven_test::ChildProcess child;
    EXPECT_TRUE(child.StartSelf(kChildTest, {{kChildFolder, folder},
                                             {"QUAVEN_TEST_SCRIPT", folder + "\\script.txt"},
                                             {"QUAVEN_TEST_RESULTS", folder + "\\results.txt"}}));
    quaven_test::PopupAnswerer answerer;
    if (popups > 0) {
        EXPECT_TRUE(answerer.Start({IDOK}, popups, 30000, child.ProcessId()));
    }
    run.ended = child.Wait(60000, &run.exitCode);
    if (popups > 0) {
        EXPECT_TRUE(answerer.Finish());
        const std::vector<quaven_test::PopupRecord> boxes = answerer.Records();
        run.box = boxes.size() == 1 ? boxes[0].text : "<" + std::to_string(boxes.size()) + " boxes>";
    }
    run.outcome = quaven_test::ReadLines(folder + "\\outcome.txt");
    run.log = quaven_test::ReadLines(folder + "\\log.txt");
    run.program = quaven_test::ReadLines(folder + "\\results.txt");
    quaven_test::RemoveTree(folder);
    return run;
}

using Lines = std::vector<std::string>;

const char kNotCreated[] =
    "Program library file bad: Program couldn't be created. Please download and install the application again.";
const Lines kRefusedKeepingTheLibrary = {"refused", "module present", "no record"};
const Lines kServed = {"loaded", "module present", "title Quaven Test Program", "api written",
                       "command line game.exe -windowed", "developer mode 1", "adopted title Configured",
                       "record cleared", "settings on defaults", "module absent"};

TEST(ProgramLibrary, MissingLibraryIsShownAndEndsTheProcessWithOne)
{
    const LoaderRun run = RunLoader("", "", 1);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.box, "Could not locate Program library file. Please download and install the application again.");
    EXPECT_EQ(run.outcome, Lines{});
}

TEST(ProgramLibrary, LibraryWithoutEitherExportIsRefusedAndReleased)
{
    const LoaderRun run = RunLoader("prog_no_exports.dll", "", 1);
    EXPECT_EQ(run.box,
              "Program library file bad: Interface not found. Please download and install the application again.");
    EXPECT_EQ(run.outcome, (Lines{"refused", "module absent", "no record"}));
}

TEST(ProgramLibrary, ProgramThatCannotBeCreatedIsNotAskedAgainThroughTheOlderExport)
{
    const LoaderRun run = RunLoader("prog_both_exports.dll", "create_result 0\n", 1);
    EXPECT_EQ(run.box, kNotCreated);
    EXPECT_EQ(run.outcome, kRefusedKeepingTheLibrary);
    EXPECT_EQ(run.program, Lines{"get_program_interface 1406"});
}

TEST(ProgramLibrary, OlderExportAloneServesAndItsNullIsRefused)
{
    const LoaderRun served = RunLoader("prog_get_interface_only.dll", "", 0);
    EXPECT_EQ(served.outcome, kServed);
    EXPECT_EQ(served.program, Lines{"get_interface"});

    const LoaderRun refused = RunLoader("prog_get_interface_only.dll", "create_result 0\n", 1);
    EXPECT_EQ(refused.box, kNotCreated);
    EXPECT_EQ(refused.outcome, kRefusedKeepingTheLibrary);
}

TEST(ProgramLibrary, BothExportsUseOnlyTheCurrentOneAndLogTheSteps)
{
    const LoaderRun run = RunLoader("prog_both_exports.dll", "", 0);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.program, Lines{"get_program_interface 1406"});
    EXPECT_EQ(run.outcome, kServed);
    EXPECT_EQ(run.log, (Lines{"3 Loading program implementation...", "3 Validating program implementation...",
                              "3 Program implementation validation OK.", "3 Unloading ProgImp Library."}));
}

void ExpectMismatchEnds(const std::string& library, int version)
{
    const LoaderRun run = RunLoader(library, "interface_version " + std::to_string(version) + "\n", 1);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    const std::string firstLine = "Program library uses incompatible QUAVEN interface (" + std::to_string(version) +
                                  " instead of 1406). This program cannot run.";
    EXPECT_EQ(run.box, firstLine + "\n\nUse <app>/tools/update-local-quaven-version.bat to update sources and then "
                                   "rebuild your binaries.");
    // The process ended inside the loader, and the game saw nothing but its creation.
    EXPECT_EQ(run.outcome, Lines{});
    EXPECT_EQ(run.program.size(), 1u);
    ASSERT_GE(run.log.size(), 4u);
    EXPECT_EQ(run.log[2], "3 Unloading ProgImp Library.");
    EXPECT_EQ(run.log[3], "3 " + firstLine);
}

TEST(ProgramLibrary, NewerInterfaceVersionEndsTheProcessWithZero)
{
    ExpectMismatchEnds("prog.dll", 1407);
}

// The older export's record lives in the library: its version must be read before the
// library is released. (1405 here, 1407 above: both sides of the one accepted version.)
TEST(ProgramLibrary, VersionOfARecordOwnedByTheLibraryIsReadBeforeReleasingIt)
{
    ExpectMismatchEnds("prog_get_interface_only.dll", 1405);
}

}  // namespace

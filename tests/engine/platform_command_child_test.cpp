// The development stand-in for the feedback dialog needs a loaded program in developer mode:
// a child process loads the test game for it.
#include "platform/windows/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "core/configuration.h"
#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/engine_time.h"
#include "core/events/event_queue.h"
#include "core/logging/logging.h"
#include "engine/program/program_library.h"
#include "filesystem/backends.h"
#include "filesystem/paths.h"
#include "support/child_run.h"
#include "support/files.h"

namespace {

using namespace quaven_test;

TEST(PlatformCommandChild, SendsGameAlerts) {
    if (!BeginChild())
        GTEST_SKIP() << "runs only as the child of the PlatformCommandAlerts test";
    g_core.api = qv;
    QVI_SetEngineStartTime();
    QVI_InitFileSystem();
    g_currentUrlRoots[SCHEME_RES].Assign(WithForwardSlashes(ChildFolder()).c_str());
    QVI_ResetProgramConfiguration();
    g_core.settings = &g_config.defaultRecord;
    g_core.console = 1;
    QVI_SetUpConsoleLogging();
    QVI_StartLogging();
    NoteOutcome(qv->PlatformCommand("Facebook_IsAvailable", nullptr) ? "answered before loading" : "no answer");
    if (!QVI_LoadProgramLibrary())
        return;
    ProgramInterface* record = QVI_GetProgramRecord();
    QVI_AdoptProgramConfiguration(record);
    record->video.developer_mode = 1;
    NoteOutcome(qv->PlatformCommand("Facebook_IsAvailable", nullptr));
    FILE* image = fopen((ChildFolder() + "\\big.png").c_str(), "wb");
    for (int i = 0; image && i < 170000; ++i) fputc(0, image);
    if (image) fclose(image);
    const char* answer = qv->PlatformCommand("GameCustomDialogSend", "level 3;score 12;it broke;res://big.png");
    NoteOutcome(answer ? answer : "null");
    Array<EngineEvent> events;
    QVI_TakeQueuedEvents(events);
    for (int i = 0; i < events.count; ++i) {
        EventNamedPayload named;
        memcpy(&named, events.data[i].payload, sizeof named);
        if (events.data[i].type == EVENT_NAMED) NoteOutcome(std::string("event ") + named.name);
    }
    QVI_UnloadProgramLibrary();
}

bool Has(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(PlatformCommandAlerts, AreNumberedFromTwoAndPostSendOk) {
    const ChildRun run = RunChild("PlatformCommandChild.SendsGameAlerts", "prog.dll", "");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.outcome, (Lines{"no answer", "YES", "null", "event SEND_OK"}));
    // Each line of a popup's text is a line of the log.
    EXPECT_EQ(std::count(run.log.begin(), run.log.end(), "popup 0 Game Alert #2"), 2);
    for (const char* line : {"File 'res://big.png' is too large! It can be max 160KB.", "User message: 'it broke'",
                             "Data name: 'level 3'", "Data detail: 'score 12'", "Image file name: 'res://big.png'"})
        EXPECT_TRUE(Has(run.log, line)) << line;
}

}  // namespace

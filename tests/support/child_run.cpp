#include "support/child_run.h"

#include <gtest/gtest.h>

#include "support/engine_table.h"
#include "support/files.h"
#include "support/popup_answerer.h"
#include "support/process.h"

namespace quaven_test {

static const char kFolderVariable[] = "QUAVEN_CHILD_FOLDER";
static const char kCaseVariable[] = "QUAVEN_CHILD_CASE";

bool InChild(const char* variable) { return !EnvironmentVariable(variable).empty(); }

DWORD RunCurrentTestInChild(const char* variable, DWORD timeoutMs) {
    ChildProcess child;
    DWORD exitCode = STILL_ACTIVE;
    const bool finished = child.StartSelf(CurrentTestFilter(), {{variable, "1"}}) && child.Wait(timeoutMs, &exitCode);
    return finished ? exitCode : STILL_ACTIVE;
}

ChildRun RunChild(const std::string& childTest, const std::string& library, const std::string& caseName,
                  const std::string& script, int popups)
{
    ChildRun run;
    const std::string folder = MakeTempDir("child");
    if (!library.empty()) {
        EXPECT_TRUE(CopyFileA((FixturesDir() + "\\" + library).c_str(), (folder + "\\prog.dll").c_str(), FALSE));
    }
    EXPECT_TRUE(WriteFile(folder + "\\script.txt", script));

    ChildProcess child;
    EXPECT_TRUE(child.StartSelf(childTest, {{kFolderVariable, folder}, {kCaseVariable, caseName},
                                            {"QUAVEN_TEST_SCRIPT", folder + "\\script.txt"},
                                            {"QUAVEN_TEST_RESULTS", folder + "\\results.txt"}}));
    PopupAnswerer answerer;
    if (popups > 0) {
        EXPECT_TRUE(answerer.Start({IDOK}, popups, 30000, child.ProcessId()));
    }
    run.ended = child.Wait(60000, &run.exitCode);
    if (popups > 0) {
        EXPECT_TRUE(answerer.Finish());
        const std::vector<PopupRecord> boxes = answerer.Records();
        run.box = boxes.size() == 1 ? boxes[0].text : "<" + std::to_string(boxes.size()) + " boxes>";
    }
    run.outcome = ReadLines(folder + "\\outcome.txt");
    run.log = ReadLines(folder + "\\log.txt");
    run.program = ReadLines(folder + "\\results.txt");
    run.sleeps = ReadLines(folder + "\\sleeps.txt");
    RemoveTree(folder);
    return run;
}

std::string ChildFolder() {
    static const std::string folder = EnvironmentVariable(kFolderVariable);
    return folder;
}

std::string ChildCase() { return EnvironmentVariable(kCaseVariable); }

bool BeginChild() {
    if (ChildFolder().empty())
        return false;
    SetDllDirectoryA(ChildFolder().c_str());
    // Some paths end the process: the table stays, and each line goes to the file as it comes.
    static EngineTable* const table = new EngineTable;
    table->Log().SetPopupAnswer(QV_POPUP_NOTHING);
    table->Log().MirrorTo(ChildFolder() + "\\log.txt");
    return true;
}

void NoteOutcome(const std::string& line) { AppendLine(ChildFolder() + "\\outcome.txt", line); }

void NoteSleeps() {
    qv->Sleep = [](uint32_t milliseconds) { AppendLine(ChildFolder() + "\\sleeps.txt", std::to_string(milliseconds)); };
}

}  // namespace quaven_test

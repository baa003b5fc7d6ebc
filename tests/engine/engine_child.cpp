#include "engine_child.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/engine_log.h"
#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"
#include "support/files.h"
#include "support/log_capture.h"
#include "support/popup_answerer.h"
#include "support/process.h"

namespace engine_test {

namespace {

const char kFolderVariable[] = "QUAVEN_ENGINE_CHILD_FOLDER";
const char kCaseVariable[] = "QUAVEN_ENGINE_CHILD_CASE";

void Append(const char* file, const std::string& line)
{
    quaven_test::AppendLine(ChildFolder() + "\\" + file, line);
}

void NoteSleep(uint32_t milliseconds)
{
    Append("sleeps.txt", std::to_string(milliseconds));
}

}  // namespace

ChildRun RunChild(const std::string& childTest, const std::string& library, const std::string& caseName,
                  const std::string& script, int popups)
{
    ChildRun run;
    const std::string folder = quaven_test::MakeTempDir("engine-child");
    if (!library.empty()) {
        EXPECT_TRUE(CopyFileA((quaven_test::FixturesDir() + "\\" + library).c_str(), (folder + "\\prog.dll").c_str(),
                              FALSE));
    }
    EXPECT_TRUE(quaven_test::WriteFile(folder + "\\script.txt", script));

    quaven_test::ChildProcess child;
    EXPECT_TRUE(child.StartSelf(childTest, {{kFolderVariable, folder},
                                            {kCaseVariable, caseName},
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
    run.sleeps = quaven_test::ReadLines(folder + "\\sleeps.txt");
    quaven_test::RemoveTree(folder);
    return run;
}

std::string ChildFolder()
{
    static const std::string folder = quaven_test::EnvironmentVariable(kFolderVariable);
    return folder;
}

bool BeginChild()
{
    if (ChildFolder().empty())
        return false;
    SetDllDirectoryA(ChildFolder().c_str());
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    // Some paths end the process: each line goes to the file as it comes.
    static quaven_test::LogCapture* const capture = new quaven_test::LogCapture(qv);
    capture->SetPopupAnswer(QV_POPUP_NOTHING);
    capture->MirrorTo(ChildFolder() + "\\log.txt");
    return true;
}

std::string ChildCase()
{
    return quaven_test::EnvironmentVariable(kCaseVariable);
}

void NoteOutcome(const std::string& line)
{
    Append("outcome.txt", line);
}

void NoteSleeps()
{
    qv->Sleep = NoteSleep;
}

bool Has(const Lines& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

int CountStarting(const Lines& lines, const std::string& start)
{
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; }));
}

}  // namespace engine_test

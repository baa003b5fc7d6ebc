// quaven.exe as a person runs it: a game beside it, a prog.xml, a window, a log file in the
// per-user folder, the exports drivers look for, and the run's end when the window is closed.
// Each test lays out a folder as res:// expects (the host, the test game and a prog.xml the
// test writes), starts the host with the game's script and results files, finds its window,
// and removes the per-user folder it wrote afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/popup_answerer.h"
#include "support/process.h"

#ifndef QUAVEN_EXE_PATH
#error "QUAVEN_EXE_PATH must name the built quaven.exe"
#endif

namespace {

using Lines = std::vector<std::string>;

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    char className[64] = {};
    GetWindowThreadProcessId(window, &owner);
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && std::string(className) == "QuavenWindowClass")
        search->found = window;
    return search->found == nullptr;
}

// A prog.xml with PARAMETERS/APPLICATION attributes, PARAMETERS/DEVELOPER attributes and
// VARIANTS nodes (each a whole "<node .../>" line).
std::string ProgramXml(const std::string& application, const std::string& developer, const std::string& variants)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n<array id=\"PARAMETERS\">\n";
    xml += "<node id=\"APPLICATION\" " + application + "/>\n";
    if (!developer.empty())
        xml += "<node id=\"DEVELOPER\" " + developer + "/>\n";
    xml += "</array>\n";
    if (!variants.empty())
        xml += "<array id=\"VARIANTS\">\n" + variants + "</array>\n";
    return xml + "</root>\n";
}

class HostFolder {
public:
    HostFolder()
    {
        dir_ = quaven_test::MakeTempDir("host");
        developer_ = "Quaven Host Tests " + quaven_test::UniqueName("d");
        ready_ = CopyFileA(QUAVEN_EXE_PATH, (dir_ + "\\quaven.exe").c_str(), FALSE) &&
                 CopyFileA((quaven_test::FixturesDir() + "\\prog.dll").c_str(), (dir_ + "\\prog.dll").c_str(), FALSE);
    }
    ~HostFolder()
    {
        quaven_test::RemoveTree(dir_);
        quaven_test::RemoveTree(quaven_test::AppDataFolder() + "/" + developer_);
    }
    HostFolder(const HostFolder&) = delete;
    HostFolder& operator=(const HostFolder&) = delete;

    bool ready() const { return ready_; }
    const std::string& dir() const { return dir_; }
    // The developer name to write into prog.xml: unique to this folder, so that its per-user
    // folder can be removed when the folder ends without touching another test's.
    const std::string& developer() const { return developer_; }
    void WriteProgramXml(const std::string& contents) { quaven_test::WriteFile(dir_ + "\\prog.xml", contents); }

    // Starts quaven.exe with the game's results file results.txt<suffix> and an empty script.
    // The game's script (empty: it runs until its window closes); suffix names the files of
    // one of several runs.
    bool Start(quaven_test::ChildProcess& host, const std::string& script = "", const std::string& suffix = "")
    {
        const std::string scriptPath = dir_ + "\\script" + suffix + ".txt";
        quaven_test::WriteFile(scriptPath, script);
        return host.Start("\"" + dir_ + "\\quaven.exe\"",
                          {{"QUAVEN_TEST_SCRIPT", scriptPath}, {"QUAVEN_TEST_RESULTS", dir_ + "\\results" + suffix + ".txt"}},
                          dir_);
    }
    Lines Results(const std::string& suffix = "") const
    {
        return quaven_test::ReadLines(dir_ + "\\results" + suffix + ".txt");
    }
    // The per-user folder of a title (as the engine names its folder) under developer().
    std::string UserFolder(const std::string& titleFolder) const
    {
        return quaven_test::AppDataFolder() + "/" + developer_ + "/" + titleFolder;
    }

private:
    std::string dir_;
    std::string developer_;
    bool ready_ = false;
};

// The host's main window (class "QuavenWindowClass"), once it shows within a minute; null
// when it never does.
HWND WaitForMainWindow(DWORD processId)
{
    WindowSearch search = {processId, nullptr};
    for (int attempt = 0; attempt < 1200 && !search.found; ++attempt) {
        EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            Sleep(50);
    }
    return search.found;
}

std::string WindowTitle(HWND window)
{
    char title[512] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

// Answers with OK any message box the host shows, so that an unexpected one cannot hang a
// test; the test then expects Records() to be empty.
class PopupGuard {
public:
    explicit PopupGuard(DWORD processId) { answerer_.Start({IDOK}, 1, 120000, processId); }
    std::vector<quaven_test::PopupRecord> Records() const { return answerer_.Records(); }

private:
    quaven_test::PopupAnswerer answerer_;
};

// Files directly in a folder matching a wildcard ("*.log").
Lines FilesIn(const std::string& folder, const std::string& wildcard)
{
    Lines names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + wildcard).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

const char kTitle[] = "Host Log: Run!";
const char kTitleFolder[] = "Host_Log__Run_";

// The lines a run logs from start-up to the end of the log, in this order (as the text
// after a line's time stamp and level).
const Lines kRunInOrder = {
    "Logging started on ",
    "Logging Verbose Level set to 0.",
    "Loading program implementation...",
    "Program implementation validation OK.",
    "Checking for multiple program instances...",
    "No other instances running.",
    "Checking parameters with the program before video init.",
    "Adding packages...",
    "Image loader initializing...",
    "Core PreInitialized.",
    "Endianness: 1234.",
    "Renderer ready.",
    "Using static XInput InputImp.",
    "Loading Sound Implementation...",
    "No Sound Implementation available.",
    std::string("Initializing Program '") + kTitle + "'..",
    "QUAVEN Shutdown.",
    "Waiting for threads to exit... (0 threads)",
    "Performance optimization: skipping releasing resources on exit.",
    "Releasing Sound Implementation.",
    "Destroying window...",
    "Unloading ProgImp Library.",
    "Shutdown successful. Closing console and logging.",
    "QUAVEN log: ",
    "0 files left open..",
};

// The text of a log-file line: after "NNNN: [hh:mm.ss] " and an optional "[LEVEL] ".
std::string LineText(const std::string& line)
{
    static const std::regex prefix(R"(^\d{4,}: \[\d\d:\d\d\.\d\d\] (\[[A-Z]+\] )?)");
    return std::regex_replace(line, prefix, "");
}

// Index of the first line at or after `from` whose text starts with `start`; -1 when none.
int FindFrom(const Lines& lines, int from, const std::string& start)
{
    for (int i = from; i < static_cast<int>(lines.size()); ++i)
        if (LineText(lines[i]).rfind(start, 0) == 0)
            return i;
    return -1;
}

TEST(HostRun, RunsTheGameUntilItsWindowClosesAndLogsEveryStepUnderProgXmlNames)
{
    HostFolder folder;
    ASSERT_TRUE(folder.ready());
    const std::string id = quaven_test::UniqueName("hostlog");
    folder.WriteProgramXml(ProgramXml(
        "program_id=\"" + id + "\" name=\"" + kTitle + "\" developer=\"" + folder.developer() +
            "\" version=\"2.0\" fps_limit=\"120\"",
        "console=\"1\" logging=\"1\" force_windowed=\"1\"", "<node id=\"WINDOWS\" resolutions=\"640x480\"/>\n"));

    quaven_test::ChildProcess host;
    ASSERT_TRUE(folder.Start(host));
    PopupGuard guard(host.ProcessId());
    HWND window = WaitForMainWindow(host.ProcessId());
    ASSERT_NE(window, nullptr);
    // The game calls itself "Quaven Test Program"; prog.xml names the window.
    EXPECT_EQ(WindowTitle(window), kTitle);
    // What drivers and the renderer look up in the executable.
    HMODULE image = LoadLibraryExA((folder.dir() + "\\quaven.exe").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(image, nullptr);
    EXPECT_NE(GetProcAddress(image, "QUAVEN_RendImp_GetInterface"), nullptr);
    const auto* nvidia = reinterpret_cast<const unsigned long*>(GetProcAddress(image, "NvOptimusEnablement"));
    const auto* amd = reinterpret_cast<const int*>(GetProcAddress(image, "AmdPowerXpressRequestHighPerformance"));
    EXPECT_TRUE(nvidia && *nvidia == 1u && amd && *amd == 1);
    FreeLibrary(image);
    // Let a few frames pass, then close the window as a person would.
    for (int attempt = 0; attempt < 600 && folder.Results().size() < 12; ++attempt)
        Sleep(20);
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    ASSERT_TRUE(host.Wait(60000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(guard.Records().empty()) << guard.Records()[0].text;

    // The game: created once, initialised once, driven at 120 frames per second at most
    // (8 ms frames, whole milliseconds), and told to exit last.
    const Lines results = folder.Results();
    ASSERT_GE(results.size(), 4u);
    EXPECT_EQ(results.front(), "get_program_interface 1406");
    EXPECT_EQ(results.back(), "exit");
    int updates = 0, inits = 0;
    for (const std::string& line : results) {
        inits += line == "init";
        int frame = 0;
        double seconds = 0;
        if (sscanf(line.c_str(), "update %d %lf", &frame, &seconds) != 2)
            continue;
        ++updates;
        EXPECT_GE(seconds, 0.008 - 1e-6) << line;
        const double milliseconds = seconds * 1000.0;
        EXPECT_NEAR(milliseconds, static_cast<double>(static_cast<long>(milliseconds + 0.5)), 1e-3) << line;
    }
    EXPECT_EQ(inits, 1);
    EXPECT_GE(updates, 2);

    // One log file, named after prog.xml's id and the start time, never the game's own id.
    const std::string logs = folder.UserFolder(kTitleFolder) + "\\logs";
    const Lines files = FilesIn(logs, "*.log");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(std::regex_match(files[0], std::regex(id + R"(-\d{4}-\d\d-\d\d-\d\d-\d\d\.log)"))) << files[0];
    EXPECT_EQ(files[0].find("test-program"), std::string::npos);

    const Lines log = quaven_test::ReadLines(logs + "\\" + files[0]);
    ASSERT_GE(log.size(), 3u);
    EXPECT_TRUE(std::regex_match(log[0], std::regex(R"(Kelmark QV \(API 1406 \+ core 2325, built .+ .+\))"))) << log[0];
    EXPECT_EQ(log[1], std::string(60, '-'));
    int at = 2;
    for (const std::string& expected : kRunInOrder) {
        const int found = FindFrom(log, at, expected);
        ASSERT_GE(found, 0) << "missing, or out of order: " << expected;
        at = found + 1;
    }
    const int summary = FindFrom(log, 2, "QUAVEN log: ");
    EXPECT_TRUE(std::regex_match(LineText(log[summary]), std::regex(R"(QUAVEN log: \d+ errors, \d+ warnings, \d+ infos\.)")))
        << log[summary];
    EXPECT_EQ(FindFrom(log, 0, "Unable"), -1);
}

// A run of "Host Window" (a 640x480 variant, logging on) with further developer attributes
// and game script, closed like a person closes it once the window shows, unless the game
// ends the run first.
struct WindowRun {
    bool ended = false;
    DWORD exitCode = 99;
    RECT client = {};
    Lines log;
    Lines results;
};

WindowRun RunHostWindow(const std::string& developer, const std::string& script = "")
{
    WindowRun run;
    HostFolder folder;
    EXPECT_TRUE(folder.ready());
    folder.WriteProgramXml(ProgramXml(
        "program_id=\"" + quaven_test::UniqueName("hostwin") + "\" name=\"Host Window\" developer=\"" +
            folder.developer() + "\" version=\"1\"",
        "console=\"1\" logging=\"1\" " + developer, "<node id=\"WINDOWS\" resolutions=\"640x480\"/>\n"));
    quaven_test::ChildProcess host;
    EXPECT_TRUE(folder.Start(host, script));
    PopupGuard guard(host.ProcessId());
    HWND window = WaitForMainWindow(host.ProcessId());
    EXPECT_NE(window, nullptr);
    if (window && GetClientRect(window, &run.client) && script.empty())
        PostMessageA(window, WM_CLOSE, 0, 0);
    run.ended = host.Wait(60000, &run.exitCode);
    EXPECT_TRUE(guard.Records().empty()) << guard.Records()[0].text;
    const std::string logs = folder.UserFolder("Host_Window") + "\\logs";
    for (const std::string& file : FilesIn(logs, "*.log"))
        run.log = quaven_test::ReadLines(logs + "\\" + file);
    run.results = folder.Results();
    return run;
}

TEST(HostRun, AForcedResolutionBeyondTheDesktopShrinksToFitInTheSameShape)
{
    // Made as asked, a window this large takes Wine's X11 driver and the process down.
    const WindowRun run = RunHostWindow("force_resolution=\"99998x49999\"");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    const int desktopWidth = GetSystemMetrics(SM_CXSCREEN), desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    const int width = run.client.right, height = run.client.bottom;
    EXPECT_TRUE(width == desktopWidth || height == desktopHeight) << width << "x" << height;
    EXPECT_LE(width, desktopWidth);
    EXPECT_LE(height, desktopHeight);
    EXPECT_NEAR(width, 2 * height, 2);
    EXPECT_GE(FindFrom(run.log, 0, "force_resolution 99998x49999 does not fit within "), 0);
    EXPECT_GE(FindFrom(run.log, 0, "QUAVEN log: "), 0);
}

TEST(HostRun, AForcedResolutionThatIsNoSizeIsIgnoredWithAWarning)
{
    const WindowRun run = RunHostWindow("force_windowed=\"1\" force_resolution=\"-800x-600\"");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    // The variant's resolution, as without the key.
    EXPECT_EQ(run.client.right, 640);
    EXPECT_EQ(run.client.bottom, 480);
    EXPECT_GE(FindFrom(run.log, 0, "force_resolution \"-800x-600\" is not a size"), 0);
}

TEST(HostRun, AWindowDestroyedByOtherCodeEndsTheRunAsAClose)
{
    // Only the window's own thread can destroy it: the game does, from its Update.
    const WindowRun run = RunHostWindow("force_windowed=\"1\"", "at 3 destroy_window\n");
    ASSERT_TRUE(run.ended) << "the run went on without its window";
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_FALSE(run.results.empty());
    EXPECT_NE(std::find(run.results.begin(), run.results.end(), "destroy_window 1"), run.results.end());
    EXPECT_EQ(run.results.back(), "exit");
    const int destroyed = FindFrom(run.log, 0, "The window was destroyed from outside the engine");
    EXPECT_GE(destroyed, 0);
    EXPECT_GT(FindFrom(run.log, destroyed, "QUAVEN Shutdown."), destroyed);
    EXPECT_GE(FindFrom(run.log, destroyed, "QUAVEN log: "), 0);
}

TEST(HostRun, UnderTheAnswerersWatchAMessageBoxIsRecordedAndEndsTheRunAndAnEndedRunPassesItsCode)
{
    HostFolder folder;
    ASSERT_TRUE(folder.ready());
    const std::string application = "program_id=\"" + quaven_test::UniqueName("hostwatch") +
                                     "\" name=\"Host Watched\" developer=\"" + folder.developer() + "\" version=\"1\"";
    const std::string host = "\"" + folder.dir() + "\\quaven.exe\"";
    // Without a variant for this platform start-up stops on a message box.
    folder.WriteProgramXml(ProgramXml(application, "", "<node id=\"ANDROID\"/>\n"));
    quaven_test::PopupAnswerer watcher;
    ASSERT_TRUE(watcher.Watch(host, folder.dir()));
    DWORD exitCode = 99;
    ASSERT_TRUE(watcher.Wait(60000, &exitCode));
    EXPECT_EQ(exitCode, 4u);
    const auto records = watcher.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text.rfind("No build variant found for current platform id 'WINDOWS'.", 0), 0u)
        << records[0].text;
    EXPECT_EQ(records[0].pressed, 0);

    folder.WriteProgramXml(ProgramXml(application, "force_windowed=\"1\"", "<node id=\"WINDOWS\"/>\n"));
    const std::string script = folder.dir() + "\\script.txt";
    quaven_test::WriteFile(script, "at 2 shutdown\n");
    quaven_test::PopupAnswerer quiet;
    ASSERT_TRUE(quiet.Watch(host, folder.dir(), {{"QUAVEN_TEST_SCRIPT", script}}));
    ASSERT_TRUE(quiet.Wait(60000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(quiet.Records().empty());
}

TEST(HostRun, ASecondStartBringsTheFirstForwardAndEndsUnlessMultipleInstancesAreAllowed)
{
    HostFolder folder;
    ASSERT_TRUE(folder.ready());
    const std::string application = "program_id=\"" + quaven_test::UniqueName("hostone") +
                                    "\" name=\"Host Single\" developer=\"" + folder.developer() + "\" version=\"1\"";
    const std::string variants = "<node id=\"WINDOWS\" resolutions=\"640x480\"/>\n";
    // The console switch is off: no log file is written.
    folder.WriteProgramXml(ProgramXml(application, "force_windowed=\"1\"", variants));

    quaven_test::ChildProcess first;
    ASSERT_TRUE(folder.Start(first, "", "-first"));
    PopupGuard firstGuard(first.ProcessId());
    HWND firstWindow = WaitForMainWindow(first.ProcessId());
    ASSERT_NE(firstWindow, nullptr);

    quaven_test::ChildProcess second;
    ASSERT_TRUE(folder.Start(second, "", "-second"));
    DWORD exitCode = 99;
    ASSERT_TRUE(second.Wait(60000, &exitCode)) << "the second instance kept running";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(folder.Results("-second"), Lines{"get_program_interface 1406"}) << "created, never initialised";
    EXPECT_TRUE(first.Running());

    // With the feature a further start runs beside the first.
    folder.WriteProgramXml(
        ProgramXml(application + " features=\"ALLOW_MULTIPLE_PROGRAM_INSTANCES\"", "force_windowed=\"1\"",
                              variants));
    quaven_test::ChildProcess third;
    ASSERT_TRUE(folder.Start(third, "", "-third"));
    PopupGuard thirdGuard(third.ProcessId());
    HWND thirdWindow = WaitForMainWindow(third.ProcessId());
    ASSERT_NE(thirdWindow, nullptr);

    for (auto [process, window] : {std::make_pair(&first, firstWindow), std::make_pair(&third, thirdWindow)}) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        exitCode = 99;
        EXPECT_TRUE(process->Wait(60000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
    EXPECT_TRUE(firstGuard.Records().empty());
    EXPECT_TRUE(thirdGuard.Records().empty());
    EXPECT_TRUE(FilesIn(folder.UserFolder("Host_Single") + "\\logs", "*.log").empty());
}

}  // namespace

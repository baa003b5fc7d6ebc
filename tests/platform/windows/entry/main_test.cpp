// quaven.exe as a person runs it, from a folder laid out as res:// expects (the host, the test
// game and the prog.xml the test writes), with the game's script and results files; the
// per-user folder written meanwhile is removed.
#include "platform/windows/entry/host_run.h"

namespace host_test {
namespace {

const char kTitle[] = "Host Log: Run!";
const char kTitleFolder[] = "Host_Log__Run_";

// The lines a run logs from start-up to the end of the log, in this order (as the text
// after a line's time stamp and level). Sound comes up: Wine's DirectSound plays into the
// prefix's ALSA null device.
const Lines kRunInOrder = {
    "Logging started on ", "Logging Verbose Level set to 0.", "Loading program implementation...",
    "Program implementation validation OK.", "Checking for multiple program instances...",
    "No other instances running.", "Checking parameters with the program before video init.", "Adding packages...",
    "Image loader initializing...", "Core PreInitialized.", "Endianness: 1234.", "Renderer ready.",
    "Using static XInput InputImp.", "Loading Sound Implementation...", "SoundImplementation initialized.",
    std::string("Initializing Program '") + kTitle + "'..", "QUAVEN Shutdown.",
    "Waiting for threads to exit... (0 threads)", "Performance optimization: skipping releasing resources on exit.",
    "Releasing Sound Implementation.", "Destroying window...", "Unloading ProgImp Library.",
    "Shutdown successful. Closing console and logging.", "QUAVEN log: ", "0 files left open..",
};

TEST_F(HostRun, RunsTheGameUntilItsWindowClosesLogsEveryStepUnderProgXmlNamesAndRunsOnceUnlessAllowed) {
    const std::string id = quaven_test::UniqueName("hostlog");
    const std::string application =
        "program_id=\"" + id + "\" name=\"" + kTitle + "\" version=\"2.0\" fps_limit=\"120\"";
    WriteProgramXml(application, "console=\"1\" logging=\"1\" force_windowed=\"1\"");
    ChildProcess first;
    ASSERT_TRUE(Start(first, "first"));
    quaven_test::PopupAnswerer guard;  // answers an unexpected box, so that it cannot hang the test
    guard.Start({IDOK}, 1, 120000, first.ProcessId());
    HWND window = quaven_test::WaitForWindow(first.ProcessId(), "QuavenWindowClass", 60000);
    ASSERT_NE(window, nullptr);
    // The game calls itself "Quaven Test Program"; prog.xml names the window.
    EXPECT_EQ(quaven_test::WindowText(window), kTitle);
    // A second start brings the first forward and ends: the game created, never initialised.
    // With the feature a third runs beside the first. Without the console switch neither
    // writes a log file.
    WriteProgramXml(application, "force_windowed=\"1\"");
    ChildProcess second;
    ASSERT_TRUE(Start(second, "second"));
    DWORD exitCode = 99;
    ASSERT_TRUE(second.Wait(60000, &exitCode)) << "the second instance kept running";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(Results("second"), Lines{"get_program_interface 1406"});
    EXPECT_TRUE(first.Running());
    WriteProgramXml(application + " features=\"ALLOW_MULTIPLE_PROGRAM_INSTANCES\"", "force_windowed=\"1\"");
    ChildProcess third;
    ASSERT_TRUE(Start(third, "third"));
    quaven_test::PopupAnswerer thirdGuard;
    thirdGuard.Start({IDOK}, 1, 120000, third.ProcessId());
    HWND thirdWindow = quaven_test::WaitForWindow(third.ProcessId(), "QuavenWindowClass", 60000);
    ASSERT_NE(thirdWindow, nullptr);
    // What drivers and the renderer look up in the executable.
    HMODULE image = LoadLibraryExA((dir_ + "\\quaven.exe").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(image, nullptr);
    EXPECT_NE(GetProcAddress(image, "QUAVEN_RendImp_GetInterface"), nullptr);
    const auto* nvidia = reinterpret_cast<const unsigned long*>(GetProcAddress(image, "NvOptimusEnablement"));
    const auto* amd = reinterpret_cast<const int*>(GetProcAddress(image, "AmdPowerXpressRequestHighPerformance"));
    EXPECT_TRUE(nvidia && *nvidia == 1u && amd && *amd == 1);
    FreeLibrary(image);
    // Let a few frames pass, then close the windows as a person would.
    quaven_test::WaitUntil([this] { return Results("first").size() >= 12; }, 12000);
    for (auto [host, hostWindow] : {std::make_pair(&first, window), std::make_pair(&third, thirdWindow)}) {
        PostMessageA(hostWindow, WM_CLOSE, 0, 0);
        exitCode = 99;
        EXPECT_TRUE(host->Wait(60000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
    EXPECT_TRUE(guard.Records().empty()) << guard.Records()[0].text;
    EXPECT_TRUE(thirdGuard.Records().empty()) << thirdGuard.Records()[0].text;
    // The game: created once, initialised once, driven at 120 frames per second at most
    // (8 ms frames, whole milliseconds), and told to exit last.
    const Lines results = Results("first");
    ASSERT_GE(results.size(), 4u);
    EXPECT_EQ(results.front(), "get_program_interface 1406");
    EXPECT_EQ(results.back(), "exit");
    int updates = 0, inits = 0;
    for (const std::string& line : results) {
        inits += line == "init";
        int frame = 0; double seconds = 0;
        if (sscanf(line.c_str(), "update %d %lf", &frame, &seconds) != 2) continue;
        ++updates;
        EXPECT_GE(seconds, 0.008 - 1e-6) << line;
        const double milliseconds = seconds * 1000.0;
        EXPECT_NEAR(milliseconds, static_cast<double>(static_cast<long>(milliseconds + 0.5)), 1e-3) << line;
    }
    EXPECT_EQ(inits, 1);
    EXPECT_GE(updates, 2);
    // One log file, named after prog.xml's id and the start time, never the game's own id.
    const std::string logs = quaven_test::AppDataFolder() + "/" + developer_ + "/" + kTitleFolder + "\\logs";
    const Lines files = FilesIn(logs, "*.log");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(std::regex_match(files[0], std::regex(id + R"(-\d{4}-\d\d-\d\d-\d\d-\d\d\.log)"))) << files[0];
    EXPECT_EQ(files[0].find("test-program"), std::string::npos);
    const Lines log = quaven_test::ReadLines(logs + "\\" + files[0]);
    ASSERT_GE(log.size(), 3u);
    EXPECT_TRUE(std::regex_match(log[0], std::regex(R"(Kelmark QV \(API 1406 \+ core 2325, built .+ .+\))"))) << log[0];
    EXPECT_EQ(log[1], std::string(60, '-'));
    std::string texts;  // every later line's text, each after a line feed
    for (size_t i = 2; i < log.size(); ++i) texts += "\n" + LineText(log[i]);
    EXPECT_TRUE(InOrder(texts, kRunInOrder));
    EXPECT_TRUE(std::regex_search(texts, std::regex(R"(\nQUAVEN log: \d+ errors, \d+ warnings, \d+ infos\.(\n|$))")));
    EXPECT_EQ(texts.find("\nUnable"), std::string::npos);
}

TEST_F(HostRun, ForcedResolutionsThatAreNoSizeOrLargerThanTheLargestTextureAreIgnoredOrShrunkWithAWarning) {
    // Made as asked, a window this large takes Wine's X11 driver and the process down; no
    // back buffer can be larger than the largest texture either.
    WindowRun run = RunWindow("force_resolution=\"99998x49999\"");
    EXPECT_TRUE(run.client.right == 16384 && run.client.bottom == 8192) << run.client.right << "x" << run.client.bottom;
    EXPECT_TRUE(Logged(run.log, "force_resolution 99998x49999 is larger than the largest texture (16384): using "
                                "16384x8192."));
    EXPECT_TRUE(Logged(run.log, "QUAVEN log: "));
    // A size of no size counts as absent: the variant's resolution.
    run = RunWindow("force_windowed=\"1\" force_resolution=\"-800x-600\"");
    EXPECT_TRUE(run.client.right == 640 && run.client.bottom == 480) << run.client.right << "x" << run.client.bottom;
    EXPECT_TRUE(Logged(run.log, "force_resolution \"-800x-600\" is not a size"));
}

TEST_F(HostRun, AWindowDestroyedByOtherCodeEndsTheRunAsAClose) {
    // Only the window's own thread can destroy it: the game does, from its Update.
    const WindowRun run = RunWindow("force_windowed=\"1\"", "at 3 destroy_window\n");
    ASSERT_FALSE(run.results.empty());
    EXPECT_TRUE(Logged(run.results, "destroy_window 1"));
    EXPECT_EQ(run.results.back(), "exit");
    std::string texts;
    for (const std::string& line : run.log) texts += LineText(line) + "\n";
    const size_t destroyed = texts.find("The window was destroyed from outside the engine");
    ASSERT_NE(destroyed, std::string::npos);
    EXPECT_NE(texts.find("QUAVEN Shutdown.", destroyed), std::string::npos);
    EXPECT_NE(texts.find("QUAVEN log: ", destroyed), std::string::npos);
}

TEST_F(HostRun, UntilItsUgcFolderIsSetAGamesUgcFilesLiveRelativeToTheWorkingFolder) {
    const WindowRun run = RunWindow("force_windowed=\"1\"",
                                    "at 1 mkdir ugc://maps/deep\nat 1 write ugc://maps/level.txt made by the game\n"
                                    "at 1 read ugc://maps/level.txt\nat 1 write ugc://gone.txt x\n"
                                    "at 1 delete ugc://gone.txt\nat 1 read ugc://gone.txt\n"
                                    "at 1 command GetNativeOSPath ugc://maps/level.txt\n"
                                    "at 1 command ConvertNativeOSPathToStaticPath maps\\level.txt\n"
                                    "at 2 command SetUGCBasePath mods\n"
                                    "at 2 command ConvertNativeOSPathToStaticPath mods/other.txt\n"
                                    "at 3 shutdown\n");
    const Lines& results = run.results;
    // The native paths the game is told name the same files, both ways.
    for (const char* line : {"mkdir ugc://maps/deep 1", "write ugc://maps/level.txt 1",
                             "read ugc://maps/level.txt made by the game", "write ugc://gone.txt 1",
                             "delete ugc://gone.txt 1", "read ugc://gone.txt (null)",
                             "command GetNativeOSPath maps/level.txt",
                             "command ConvertNativeOSPathToStaticPath ugc://maps/level.txt",
                             "command SetUGCBasePath OK", "command ConvertNativeOSPathToStaticPath ugc://other.txt"})
        EXPECT_TRUE(std::find(results.begin(), results.end(), line) != results.end()) << line;
    // The host runs in the game's folder: that is where the files are.
    EXPECT_EQ(quaven_test::ReadFile(dir_ + "\\maps\\level.txt"), "made by the game");
    EXPECT_NE(GetFileAttributesA((dir_ + "\\maps\\deep").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((dir_ + "\\gone.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(HostRun, AGameWithoutSoundSetsItsUgcFolderAndLearnsACategorysSizeFromARequestOfNoScores) {
    // In a package: the services start before "res://" joins the search paths.
    quaven_test::WriteFilesIn(dir_, {{"data/leaderboards/leaderboards.xml",
                                      "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root><array id=\"CATEGORIES\">"
                                      "<node id=\"POINTS\"/></array></root>\n"},
                                     {"shot.wav", "RIFF"}});
    RunOptions options;
    options.application = "name=\"Host Services\" version=\"1\" "
                          "features=\"NO_SOUND LEADERBOARDS SIMULATED_LEADERBOARDS\" packages=\"data\"";
    options.titleFolder = "Host_Services";
    options.developer = "force_windowed=\"1\"";
    options.script = "at 1 play_sound shot\nat 1 command SetUGCBasePath ugc\nat 1 command SetUGCBasePath C:\\Mods\n"
                     "at 1 command SetUGCBasePath user://mods\nat 1 request_scores 1 0 POINTS\n";
    // The simulated service answers from its own thread within about three seconds.
    options.whileShown = [this](HWND) {
        EXPECT_TRUE(quaven_test::WaitUntil([this] { return Logged(Results("window"), "leaderboards kind 1 "); }, 20000));
    };
    const WindowRun run = RunHost(options);
    ASSERT_GT(run.client.right, 0) << "no window showed";

    const Lines& results = run.results;
    for (const char* line : {"play_sound shot 1 0", "command SetUGCBasePath OK", "command SetUGCBasePath (null)",
                             "request_scores 1"})
        EXPECT_TRUE(std::find(results.begin(), results.end(), line) != results.end()) << line;
    EXPECT_EQ(std::count(results.begin(), results.end(), "command SetUGCBasePath (null)"), 2);
    EXPECT_TRUE(Logged(run.log, "Sounds disabled. Null Sound Implementation in use."));
    // The answer to no scores carries the size of the category the service invented.
    int invented = -1, total = -2;
    for (const std::string& line : run.log) sscanf(LineText(line).c_str(), "Initializing category 'POINTS' with %d", &invented);
    for (const std::string& line : results) sscanf(line.c_str(), "leaderboards kind 1 category POINTS reason (null) total %d", &total);
    EXPECT_EQ(total, invented);
    EXPECT_TRUE(Logged(results, " filter 0 first 1 count 0"));
}

TEST_F(HostRun, SavesReachTheDiskThroughUnmountOnlyAndAFailedUnmountIsWrittenAtShutdown) {
    const std::string save = quaven_test::AppDataFolder() + "/" + developer_ + "/Host_Window/save";
    // A folder where slot.dat's temporary file goes makes its Unmount fail.
    ASSERT_TRUE(quaven_test::WriteFileIn(quaven_test::AppDataFolder(), developer_ + "/Host_Window/save/slot.dat..tmp/x", ""));
    quaven_test::WriteFilesIn(save, {{"kept.dat", "before"}, {"old.dat", "old"}});
    RunOptions options;
    options.developer = "force_windowed=\"1\"";
    options.script = "at 1 mount\nat 1 write save://slot.dat committed\nat 1 write save://kept.dat unmounted\n"
                     "at 1 unmount\nat 2 mount\nat 2 write save://kept.dat never unmounted\n"
                     "at 2 write save://old.dat never unmounted\nat 2 write save://new.dat never unmounted\n";
    // The game has unmounted and written again: the folder goes before the window closes.
    options.whileShown = [&](HWND) {
        EXPECT_TRUE(quaven_test::WaitUntil([&] { return Logged(Results("window"), "write save://new.dat 1"); }, 20000));
        quaven_test::RemoveTree(save + "/slot.dat..tmp");
    };
    const WindowRun run = RunHost(options);
    ASSERT_GT(run.client.right, 0) << "no window showed";
    for (const char* line : {"mount 1", "write save://slot.dat 1", "unmount", "write save://old.dat 1"})
        EXPECT_TRUE(Logged(run.results, line)) << line;

    EXPECT_EQ(quaven_test::ReadNative(save + "/slot.dat"), "committed");
    EXPECT_EQ(quaven_test::ReadNative(save + "/kept.dat"), "unmounted");
    EXPECT_EQ(quaven_test::ReadNative(save + "/old.dat"), "old") << "opening for writing leaves the save as it was";
    EXPECT_FALSE(quaven_test::NativeExists(save + "/new.dat"));
    const std::string texts = Texts(run.log);
    EXPECT_TRUE(InOrder(texts, {"File System Unmount: could not write save file 'save://slot.dat'; it stays buffered.",
                                "QUAVEN Shutdown.",
                                "File System: save file 'save://slot.dat' could not be written at Unmount, written at "
                                "shutdown.",
                                "Performance optimization: skipping releasing resources on exit."}));
    EXPECT_EQ(std::count_if(run.log.begin(), run.log.end(),
                            [](const std::string& line) { return line.find("written at shutdown") != line.npos; }),
              1);

    // Still blocked when the game ends: the save is lost, and the log says so as an error.
    ASSERT_TRUE(quaven_test::WriteFileIn(quaven_test::AppDataFolder(), developer_ + "/Host_Window/save/slot.dat..tmp/x", ""));
    options.script = "at 1 mount\nat 1 write save://slot.dat lost\nat 1 unmount\nat 2 shutdown\n";
    options.scriptEnds = true;
    options.whileShown = nullptr;
    const WindowRun blocked = RunHost(options);
    EXPECT_TRUE(Logged(blocked.results, "unmount"));
    EXPECT_EQ(quaven_test::ReadNative(save + "/slot.dat"), "committed") << "the last save written stays";
    const std::string lost = "File System: save file 'save://slot.dat' could not be written at Unmount nor at shutdown; it is lost.";
    EXPECT_TRUE(InOrder(Texts(blocked.log), {"File System Unmount: could not write save file 'save://slot.dat'; it stays buffered.",
                                             "QUAVEN Shutdown.", lost,
                                             "Performance optimization: skipping releasing resources on exit."}));
    EXPECT_TRUE(Logged(blocked.log, "[ERROR] " + lost));
    EXPECT_FALSE(Logged(blocked.log, "written at shutdown"));
}

TEST_F(HostRun, UnderTheAnswerersWatchAMessageBoxIsRecordedAndEndsTheRunAndAnEndedRunPassesItsCode) {
    const std::string host = "\"" + dir_ + "\\quaven.exe\"";
    // Without a variant for this platform start-up stops on a message box.
    WriteProgramXml("program_id=\"" + quaven_test::UniqueName("hostwatch") + "\" name=\"Host Watched\"", "",
                    "<node id=\"ANDROID\"/>");
    quaven_test::PopupAnswerer watcher;
    ASSERT_TRUE(watcher.Watch(host, dir_));
    DWORD exitCode = 99;
    ASSERT_TRUE(watcher.Wait(60000, &exitCode));
    EXPECT_EQ(exitCode, 4u);
    const auto records = watcher.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text.rfind("No build variant found for current platform id 'WINDOWS'.", 0), 0u) << records[0].text;
    EXPECT_EQ(records[0].pressed, 0);
    WriteProgramXml("program_id=\"" + quaven_test::UniqueName("hostwatch") + "\" name=\"Host Watched\"",
                    "force_windowed=\"1\"");
    const std::string script = dir_ + "\\script-quiet.txt";
    quaven_test::WriteFile(script, "at 2 shutdown\n");
    quaven_test::PopupAnswerer quiet;
    ASSERT_TRUE(quiet.Watch(host, dir_, {{"QUAVEN_TEST_SCRIPT", script}}));
    ASSERT_TRUE(quiet.Wait(60000, &exitCode));
    EXPECT_TRUE(quiet.Records().empty()) << quiet.Records()[0].text;
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace host_test

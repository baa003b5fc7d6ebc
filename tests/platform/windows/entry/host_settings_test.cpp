// The host's settings as a game meets them: a size forced by developer.xml, the overlay zoom,
// the messages of start-up, sound switched off at run time, product values and the console's
// font, each seen through the test game's script, its results, the log and the screen.
#include "platform/windows/entry/host_run.h"

#include <cmath>
#include <sstream>

#include "platform/windows/d3d11/d3d11_test_support.h"

namespace host_test {
namespace {

const Rgba8 kBlack = {0, 0, 0, 255}, kRed = {255, 0, 0, 255}, kBlue = {0, 0, 255, 255};

// What the game saw from one Render: "view W H TARGET TW TH world M0..M15 projection P0..P15".
struct View {
    int width = 0, height = 0, targetWidth = 0, targetHeight = 0;
    std::string target;
    float world[16] = {}, projection[16] = {};
};

std::vector<View> Views(const Lines& results) {
    std::vector<View> views;
    for (const std::string& line : results) {
        if (line.rfind("view ", 0) != 0) continue;
        std::istringstream in(line.substr(5));
        View view;
        std::string word;
        in >> view.width >> view.height >> view.target >> view.targetWidth >> view.targetHeight >> word;
        for (float& m : view.world) in >> m;
        in >> word;
        for (float& p : view.projection) in >> p;
        if (in) views.push_back(view);
    }
    return views;
}

bool IsIdentity(const float m[16]) {
    for (int i = 0; i < 16; ++i)
        if (std::fabs(m[i] - (i % 5 == 0 ? 1.0f : 0.0f)) > 1e-6f) return false;
    return true;
}

bool Has(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Waits until the window's client pixel shows the colour, keeping the window on top, for as
// long as a loaded machine may take to hand the frame to X. Without Xvfb's screen file nothing
// can be read.
::testing::AssertionResult Shows(HWND window, int x, int y, Rgba8 colour) {
    if (!getenv("QUAVEN_SCREEN_DIR")) return ::testing::AssertionSuccess() << "no screen file to read";
    POINT at = {x, y};
    ClientToScreen(window, &at);
    Rgba8 shown = {};
    const bool seen = quaven_test::WaitUntil([&] {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        Sleep(20);
        return d3d11_test::ReadScreenPixel(at.x, at.y, &shown) && shown == colour;
    }, 30000);
    if (seen) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << x << ", " << y << ") shows " << shown << ", not " << colour;
}

TEST_F(HostRun, AForcedSizeWithoutAResolutionsListIsTheScreenTheGameDrawsOnWhatever) {
    if (!d3d11_test::RunsAloneOnTheScreen()) GTEST_SKIP() << "reads the screen: runs alone, in a registration of its own";
    // No VARIANTS at all: no resolutions list, and no product values either.
    RunOptions options;
    options.variants = "";
    options.developer = "force_resolution=\"800x600\"";
    options.script = "draw clear 0 0 1\ndraw rect 100 50 200 100 1 0 0\n"
                     "at 1 view\nat 1 product name\nat 2 reinit 640 480 0 0\nat 4 view\n";
    options.whileShown = [&](HWND window) {
        quaven_test::WaitUntil([&] { return Views(Results("window")).size() >= 2; }, 60000);
        EXPECT_TRUE(Shows(window, 200, 100, kRed)) << "inside the rectangle";
        EXPECT_TRUE(Shows(window, 50, 25, kBlue)) << "above and left of it";
        EXPECT_TRUE(Shows(window, 310, 100, kBlue)) << "right of it";
        EXPECT_TRUE(Shows(window, 200, 160, kBlue)) << "below it";
    };
    const WindowRun run = RunHost(options);
    EXPECT_TRUE(run.client.right == 800 && run.client.bottom == 600) << run.client.right << "x" << run.client.bottom;
    const std::vector<View> views = Views(run.results);
    ASSERT_EQ(views.size(), 2u);
    for (const View& view : views) {
        EXPECT_TRUE(view.width == 800 && view.height == 600) << view.width << "x" << view.height;
        EXPECT_EQ(view.target, "(null)") << "the back buffer";
        EXPECT_TRUE(IsIdentity(view.world)) << "the base transform maps the canvas onto the screen as it is";
        EXPECT_NEAR(view.projection[0], 2.0f / 800.0f * 4.5f, 1e-6f);
    }
    EXPECT_TRUE(Has(run.results, "product name (null)"));
    // Asked for another size and full screen, the game keeps the forced size in a window.
    EXPECT_TRUE(Has(run.results, "reinit 1"));
    const std::string texts = Texts(run.log);
    EXPECT_NE(texts.find("\nSelected 800x600. (forced)\n"), std::string::npos);
    EXPECT_NE(texts.find("\nRenderer Initializing: 800x600 windowed..\n"), std::string::npos);
    EXPECT_NE(texts.find("\nReinitializeWithParameters - Forcing resolution to 800x600 based on developer.xml.\n"),
              std::string::npos);
    EXPECT_EQ(texts.find("Applying ReInit"), std::string::npos) << "the display already has that size";

    // Allowed every size, the game leaves the forced one for its own.
    options.script = "at 1 command Hacks AllowAllResolutions\nat 1 reinit 640 480 1 0\nat 3 view\nat 4 shutdown\n";
    options.scriptEnds = true;
    options.whileShown = nullptr;
    const WindowRun allowed = RunHost(options);
    EXPECT_TRUE(Has(allowed.results, "reinit 1"));
    EXPECT_TRUE(Logged(allowed.log, "Applying ReInit: 800x600 (w) -> 640x480 (w)"));
    const std::vector<View> after = Views(allowed.results);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_TRUE(after[0].width == 640 && after[0].height == 480) << after[0].width << "x" << after[0].height;
    EXPECT_TRUE(IsIdentity(after[0].world));
}

TEST_F(HostRun, AForcedSizeLargerThanTheDesktopIsTheSizeOfTheWindowAndOfWhatTheGameDraws) {
    const int width = GetSystemMetrics(SM_CXSCREEN) + 100, height = GetSystemMetrics(SM_CYSCREEN) + 100;
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    RunOptions options;
    options.developer = "force_resolution=\"" + size + "\"";
    options.script = "at 1 view\nat 2 reinit 640 480 0 0\nat 4 view\nat 5 shutdown\n";
    options.scriptEnds = true;
    const WindowRun run = RunHost(options);
    EXPECT_TRUE(run.client.right == width && run.client.bottom == height)
        << run.client.right << "x" << run.client.bottom;
    const std::vector<View> views = Views(run.results);
    ASSERT_EQ(views.size(), 2u);
    for (const View& view : views)
        EXPECT_TRUE(view.width == width && view.height == height) << view.width << "x" << view.height;
    EXPECT_TRUE(Has(run.results, "reinit 1"));
    const std::string texts = Texts(run.log);
    EXPECT_NE(texts.find("\nSelected " + size + ". (forced)\n"), std::string::npos);
    EXPECT_NE(texts.find("\nReinitializeWithParameters - Forcing resolution to " + size + " based on developer.xml.\n"),
              std::string::npos);
    EXPECT_EQ(texts.find("larger than the largest texture"), std::string::npos);
}

TEST_F(HostRun, UnderAnOverlayZoomTheGameDrawsIntoTheFrameBufferThatIsThenShownShrunken) {
    if (!d3d11_test::RunsAloneOnTheScreen()) GTEST_SKIP() << "reads the screen: runs alone, in a registration of its own";
    RunOptions options;
    options.developer = "force_windowed=\"1\"";
    options.script = "draw clear 0 0 1\nat 1 command SetOverlayZoom 0.5\nat 3 view\n";
    options.whileShown = [&](HWND window) {
        quaven_test::WaitUntil([&] { return !Views(Results("window")).empty(); }, 60000);
        // The buffer, cleared blue by the game, at half size in the middle of a black screen.
        EXPECT_TRUE(Shows(window, 320, 240, kBlue));
        EXPECT_TRUE(Shows(window, 170, 130, kBlue));
        EXPECT_TRUE(Shows(window, 150, 110, kBlack));
        EXPECT_TRUE(Shows(window, 10, 10, kBlack));
    };
    const WindowRun run = RunHost(options);
    EXPECT_TRUE(Has(run.results, "command SetOverlayZoom (null)"));
    const std::vector<View> views = Views(run.results);
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0].target, "TRANSFORMED_FRAME_BUFFER");
    EXPECT_TRUE(views[0].targetWidth == 640 && views[0].targetHeight == 480);
    EXPECT_TRUE(views[0].width == 640 && views[0].height == 480);
    EXPECT_TRUE(IsIdentity(views[0].world)) << "the game draws into the buffer as onto the screen";
    EXPECT_EQ(Texts(run.log).find("Check your code."), std::string::npos) << "the frame's stacks stay balanced";
}

TEST_F(HostRun, MessagesOfStartUpBeforeLoggingReachTheLogInOrderAndTheirPopupsAreShown) {
    RunOptions options;
    // No name: the title warning. A manifest, a key given twice, and two WINDOWS variants in
    // developer mode.
    options.application = "name=\"\" version=\"1\" manifest=\"manifest.xml\" store=\"first\" store=\"second\"";
    options.titleFolder = "unknown";
    options.developer = "developer_mode=\"1\" force_windowed=\"1\"";
    options.variants = std::string(kWindowsVariant) + "\n" + kWindowsVariant;
    options.script = "at 1 product store\nat 2 shutdown\n";
    options.scriptEnds = true;
    options.popups = 5;
    quaven_test::WriteFile(dir_ + "\\manifest.xml", "<?xml version=\"1.0\"?>\n<root><array id=\"bitmaps\">"
                                                    "<node id=\"a.png\" width=\"4\"/></array></root>\n");
    const WindowRun run = RunHost(options);
    const std::string duplicate = "There are multiple VARIANTS with id 'WINDOWS' in prog.xml. There can be only one.";
    std::vector<std::string> popups;
    for (const quaven_test::PopupRecord& popup : run.popups) popups.push_back(popup.text);
    EXPECT_EQ(popups, (std::vector<std::string>{duplicate, duplicate,
                                                "Program doesn't have parm title set: set value prog->title",
                                                "Node 'APPLICATION' contains duplicate parameters with id 'store'.",
                                                "Array 'VARIANTS' contains two nodes with id 'WINDOWS'."}));
    EXPECT_TRUE(Has(run.results, "product store first")) << "the first copy of a key answers";
    // The reader's lines after the start of logging, in the order raised, each at its level.
    const std::string texts = Texts(run.log);
    EXPECT_TRUE(InOrder(texts, {"Logging started on ", "Logging Verbose Level set to 0.",
                                "Added manifest 'res://manifest.xml'.", "Supported resolutions: '640x480'.",
                                "Loading program implementation..."}));
    EXPECT_TRUE(std::any_of(run.log.begin(), run.log.end(), [](const std::string& line) {
        return std::regex_match(line, std::regex(R"(\d{4}: \[\d\d:\d\d\.\d\d\] Supported resolutions: '640x480'\.)"));
    })) << "an INFO line";
    EXPECT_EQ(texts.find("\nSupported resolutions", texts.find("\nSupported resolutions") + 1), std::string::npos)
        << "delivered once";
}

TEST_F(HostRun, WithoutAGraphicsDeviceStartUpEndsWithAPopupNamingTheSizeAndModeOfTheVideoState) {
    RunOptions options;
    options.developer = "force_windowed=\"1\"";
    // Direct3D without a 3D renderer behind it: no device can be made.
    options.environment = {{"WINE_D3D_CONFIG", "renderer=no3d"}};
    options.popups = 8;
    options.exitCode = 1;
    const WindowRun run = RunHost(options);
    std::vector<std::string> popups;
    for (const quaven_test::PopupRecord& popup : run.popups) popups.push_back(popup.text);
    const std::string graphics =
        "Unable to initialize the graphics (640x480 windowed). Please try restarting the application.\nIf that "
        "doesn't help, consider updating your display adapter driver software.\nFor more information on how to do "
        "this, please see your hardware \nmanufacturer's support page.";
    EXPECT_EQ(std::count(popups.begin(), popups.end(), graphics), 1) << ::testing::PrintToString(popups);
    EXPECT_TRUE(Logged(run.log, "Unable to initialize the renderer. Tried all listed renderers but was unable to "
                                "initialize any."));
    EXPECT_TRUE(run.results.empty() || std::find(run.results.begin(), run.results.end(), "init") == run.results.end())
        << "the game is never initialised";
}

TEST_F(HostRun, SoundTurnedOffAtRunTimeKeepsPlayingAndTheGameCanStillStopIt) {
    ASSERT_TRUE(CopyFileA(QUAVEN_TEST_SOUNDS_DIR "/stereo_44100.wav", (dir_ + "\\tone.wav").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(QUAVEN_TEST_SOUNDS_DIR "/stereo_1s.ogg", (dir_ + "\\tune.ogg").c_str(), FALSE));
    // Off at frame 3 (same size, so nothing but the flag changes), then a request refused.
    const WindowRun run = RunWindow("force_windowed=\"1\"",
                                    "at 1 play tone\nat 1 music tune\nat 3 sound_state\nat 3 reinit 640 480 1 1\n"
                                    "at 3 sound_state\nat 4 reinit 99999 480 1 1\nat 4 sound_state\n"
                                    "at 6 sound_state\nat 6 stop_channel\nat 6 stop_music\nat 6 sound_state\n"
                                    "at 8 shutdown\n");
    Lines sound;
    for (const std::string& line : run.results)
        if (line.rfind("sound_state", 0) == 0 || line.rfind("reinit", 0) == 0 || line.rfind("play", 0) == 0)
            sound.push_back(line);
    ASSERT_FALSE(sound.empty());
    EXPECT_NE(sound[0], "play 0");
    sound.erase(sound.begin());
    EXPECT_EQ(sound, (Lines{"sound_state 1 tune", "reinit 1", "sound_state 1 tune", "reinit 0", "sound_state 1 tune",
                            "sound_state 1 tune", "sound_state 0 (null)"}));
    EXPECT_TRUE(Logged(run.log, "SoundImplementation initialized."));
}

TEST_F(HostRun, AConsoleFontShippedAsItsSourceIsGeneratedWhenTheConsoleOpens) {
    const std::string ttf = quaven_test::ReadFile(QUAVEN_DEJAVU_DIR "/DejaVuSans.ttf");
    ASSERT_GT(ttf.size(), 100000u) << "DejaVuSans.ttf is missing";
    quaven_test::WriteFilesIn(dir_, {{"core/DejaVuSans.ttf", ttf},
                                     {"core/console.mft.xml",
                                      "<?xml version=\"1.0\"?>\n<root><array id=\"settings\"><node id=\"VERSION\" "
                                      "value=\"1\"/><node id=\"INPUT\" ttf=\"DejaVuSans.ttf\" size_px=\"12\"/>"
                                      "</array></root>\n"}});
    const std::string generated = dir_ + "\\core\\console.mft";
    RunOptions options;
    options.developer = "force_windowed=\"1\"";
    options.whileShown = [&](HWND window) {
        PostMessageA(window, WM_CHAR, 167, 0);  // the console's toggle key
        quaven_test::WaitUntil([&] { return GetFileAttributesA(generated.c_str()) != INVALID_FILE_ATTRIBUTES; },
                               30000);
    };
    const WindowRun run = RunHost(options);
    EXPECT_EQ(quaven_test::ReadFile(generated).compare(0, 12, std::string("TAV_Font_v7\0", 12)), 0);
}

}  // namespace
}  // namespace host_test

// The host as a person runs it: quaven.exe in a folder laid out as res:// expects (the host,
// the test game and the prog.xml the test writes), with the game's script and results files;
// the per-user folder written meanwhile is removed.
#pragma once

#include "platform/windows/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/popup_answerer.h"
#include "support/process.h"
#include "support/windows_ui.h"

#ifndef QUAVEN_EXE_PATH
#error "QUAVEN_EXE_PATH must name the built quaven.exe"
#endif

namespace host_test {

using Lines = std::vector<std::string>;
using quaven_test::ChildProcess;

inline Lines FilesIn(const std::string& folder, const std::string& wildcard) {
    Lines names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + wildcard).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The text of a log-file line: after "NNNN: [hh:mm.ss] " and an optional "[LEVEL] ".
inline std::string LineText(const std::string& line) {
    static const std::regex prefix(R"(^\d{4,}: \[\d\d:\d\d\.\d\d\] (\[[A-Z]+\] )?)");
    return std::regex_replace(line, prefix, "");
}

// The texts of the log's lines, each after a line feed, and a line feed at the end.
inline std::string Texts(const Lines& log) {
    std::string texts;
    for (const std::string& line : log) texts += "\n" + LineText(line);
    return texts + "\n";
}

// Each expected text begins a line of texts (as Texts gives them), in this order.
inline ::testing::AssertionResult InOrder(const std::string& texts, const Lines& expected) {
    size_t at = 0;
    for (const std::string& text : expected) {
        at = texts.find("\n" + text, at);
        if (at == std::string::npos) return ::testing::AssertionFailure() << "missing, or out of order: " << text;
        ++at;
    }
    return ::testing::AssertionSuccess();
}

class HostRun : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = quaven_test::MakeTempDir("host");
        // Unique to this test, so that its per-user folder can go without touching another's.
        developer_ = "Quaven Host Tests " + quaven_test::UniqueName("d");
        ASSERT_TRUE(CopyFileA(QUAVEN_EXE_PATH, (dir_ + "\\quaven.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((quaven_test::FixturesDir() + "\\prog.dll").c_str(), (dir_ + "\\prog.dll").c_str(), FALSE));
    }
    void TearDown() override {
        quaven_test::RemoveTree(dir_);
        quaven_test::RemoveTree(quaven_test::AppDataFolder() + "/" + developer_);
    }

    // A prog.xml with these PARAMETERS/APPLICATION and PARAMETERS/DEVELOPER attributes, the
    // developer named developer_, and these variants (a 640x480 WINDOWS one unless named;
    // none: no VARIANTS array at all).
    void WriteProgramXml(const std::string& application, const std::string& developer,
                         const std::string& variants = kWindowsVariant) {
        const std::string variantArray =
            variants.empty() ? "" : "<array id=\"VARIANTS\">\n" + variants + "\n</array>\n";
        quaven_test::WriteFile(dir_ + "\\prog.xml",
                               "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n<array id=\"PARAMETERS\">\n"
                               "<node id=\"APPLICATION\" " + application + " developer=\"" + developer_ + "\"/>\n"
                               "<node id=\"DEVELOPER\" " + developer + "/>\n</array>\n" + variantArray + "</root>\n");
    }
    static constexpr const char* kWindowsVariant = "<node id=\"WINDOWS\" resolutions=\"640x480\"/>";
    // Starts quaven.exe with the game's script (empty: it runs until its window closes) and
    // its results file results-<name>.txt.
    // Further environment variables may be given for the run.
    bool Start(ChildProcess& host, const std::string& name, const std::string& contents = "",
               const std::vector<std::pair<std::string, std::string>>& environment = {}) {
        const std::string script = dir_ + "\\script-" + name + ".txt";
        quaven_test::WriteFile(script, contents);
        std::vector<std::pair<std::string, std::string>> variables = {
            {"QUAVEN_TEST_SCRIPT", script}, {"QUAVEN_TEST_RESULTS", dir_ + "\\results-" + name + ".txt"}};
        variables.insert(variables.end(), environment.begin(), environment.end());
        return host.Start("\"" + dir_ + "\\quaven.exe\"", variables, dir_);
    }
    Lines Results(const std::string& name) const { return quaven_test::ReadLines(dir_ + "\\results-" + name + ".txt"); }

    // One run with logging on: prog.xml's APPLICATION attributes besides the id and the
    // developer (the per-user folder then takes titleFolder), the developer attributes, the
    // variants, the game's script and what the test does once the window shows. The window
    // is then closed as a person closes it, unless the script ends the run itself. The
    // popups the run shows are answered with OK and kept: more than `popups` fail the test.
    struct RunOptions {
        std::string application = "name=\"Host Window\" version=\"1\"";
        std::string titleFolder = "Host_Window";
        std::string developer;
        std::string variants = kWindowsVariant;
        std::string script;
        bool scriptEnds = false;
        std::function<void(HWND)> whileShown;
        int popups = 0;
        // Further environment variables of the run, and the exit code it ends with.
        std::vector<std::pair<std::string, std::string>> environment;
        DWORD exitCode = 0;
    };
    struct WindowRun { RECT client = {}; Lines log, results; std::vector<quaven_test::PopupRecord> popups; };
    WindowRun RunHost(const RunOptions& options) {
        WindowRun run;
        const std::string id = quaven_test::UniqueName("hostwin");
        WriteProgramXml("program_id=\"" + id + "\" " + options.application, "console=\"1\" logging=\"1\" " + options.developer,
                        options.variants);
        ChildProcess host;
        EXPECT_TRUE(Start(host, "window", options.script, options.environment));
        quaven_test::PopupAnswerer guard;
        guard.Start({IDOK}, options.popups + 1, 120000, host.ProcessId());
        HWND window = quaven_test::WaitForWindow(host.ProcessId(), "QuavenWindowClass", 60000);
        if (window && GetClientRect(window, &run.client)) {
            if (options.whileShown) options.whileShown(window);
            if (!options.scriptEnds) PostMessageA(window, WM_CLOSE, 0, 0);
        }
        DWORD exitCode = 99;
        EXPECT_TRUE(host.Wait(60000, &exitCode)) << "the run went on";
        EXPECT_EQ(exitCode, options.exitCode);
        run.popups = guard.Records();
        EXPECT_LE(run.popups.size(), static_cast<size_t>(options.popups)) << run.popups.back().text;
        const std::string logs = quaven_test::AppDataFolder() + "/" + developer_ + "/" + options.titleFolder + "\\logs";
        // The folder holds the logs of earlier runs too, listed in no particular order.
        for (const std::string& file : FilesIn(logs, "*.log"))
            if (file.rfind(id + "-", 0) == 0) run.log = quaven_test::ReadLines(logs + "\\" + file);
        run.results = Results("window");
        return run;
    }
    // A run of "Host Window" with these developer attributes and game script.
    WindowRun RunWindow(const std::string& developer, const std::string& script = "") {
        RunOptions options;
        options.developer = developer;
        options.script = script;
        options.scriptEnds = !script.empty();
        return RunHost(options);
    }
    static bool Logged(const Lines& log, const std::string& text) {
        return std::any_of(log.begin(), log.end(), [&](const std::string& line) { return line.find(text) != line.npos; });
    }

    std::string dir_, developer_;
};

}  // namespace host_test

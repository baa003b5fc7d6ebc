// Running the real quaven.exe: a folder laid out as res:// expects (the host, the test game
// and a prog.xml the test writes), the host started with the game's script and results
// files, its window found, and the per-user folder it wrote removed afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/popup_answerer.h"
#include "support/process.h"

namespace host_test {

using Lines = std::vector<std::string>;

// A prog.xml with PARAMETERS/APPLICATION attributes, PARAMETERS/DEVELOPER attributes and
// VARIANTS nodes (each a whole "<node .../>" line).
std::string ProgramXml(const std::string& application, const std::string& developer, const std::string& variants);

class HostFolder {
public:
    HostFolder();
    ~HostFolder();
    HostFolder(const HostFolder&) = delete;
    HostFolder& operator=(const HostFolder&) = delete;

    bool ready() const { return ready_; }
    const std::string& dir() const { return dir_; }
    // The developer name to write into prog.xml: unique to this folder, so that its per-user
    // folder can be removed when the folder ends without touching another test's.
    const std::string& developer() const { return developer_; }
    void WriteProgramXml(const std::string& contents);
    // Starts quaven.exe with the game's results file results.txt<suffix> and the script.
    bool Start(quaven_test::ChildProcess& host, const std::string& script = "", const std::string& suffix = "");
    Lines Results(const std::string& suffix = "") const;
    // The per-user folder of a title (as the engine names its folder) under developer().
    std::string UserFolder(const std::string& titleFolder) const;

private:
    std::string dir_;
    std::string developer_;
    bool ready_ = false;
};

// The host's main window (class "QuavenWindowClass"), once it shows within a minute; null
// when it never does.
HWND WaitForMainWindow(DWORD processId);
std::string WindowTitle(HWND window);

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
Lines FilesIn(const std::string& folder, const std::string& wildcard);

}  // namespace host_test

// The test game (tests/fixtures/test_program) loaded into the test process the way the host
// loads a game: a private copy of prog.dll, its script and its results file.
#pragma once

#include "platform/windows/win32.h"

#include <quaven/quaven.h>

#include <string>
#include <vector>

namespace quaven_test {

class TestProgram {
public:
    TestProgram();
    ~TestProgram();
    TestProgram(const TestProgram&) = delete;
    TestProgram& operator=(const TestProgram&) = delete;

    // Writes the game's script; call before Create.
    bool UseScript(const std::string& script);
    // Loads the private copy and calls QV_GetProgramInterface with a zeroed record; the
    // record's qv is then set to `api`. Answers what the export answered.
    bool Create(QuavenAPI* api);
    // Unloads the library, so that the next Create starts the game afresh.
    void Unload();

    HMODULE Library() const { return library_; }
    ProgramInterface& Record() { return record_; }
    std::vector<std::string> Results() const;

private:
    std::string dir_, results_;
    HMODULE library_ = nullptr;
    ProgramInterface record_ = {};
};

}  // namespace quaven_test

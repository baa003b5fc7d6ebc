#include "support/test_program.h"

#include "support/process.h"

#include <cstring>

namespace quaven_test {

TestProgram::TestProgram() {
    dir_ = MakeTempDir("prog");
    // A private copy per test: each gets a freshly loaded library with its own state.
    CopyFileA((FixturesDir() + "\\prog.dll").c_str(), (dir_ + "\\prog.dll").c_str(), FALSE);
    results_ = dir_ + "\\results.txt";
    SetEnvironmentVariableA("QUAVEN_TEST_RESULTS", results_.c_str());
    SetEnvironmentVariableA("QUAVEN_TEST_SCRIPT", nullptr);
}

TestProgram::~TestProgram() { Unload(); }

bool TestProgram::UseScript(const std::string& script) {
    const std::string path = dir_ + "\\script.txt";
    if (!WriteFile(path, script)) return false;
    return SetEnvironmentVariableA("QUAVEN_TEST_SCRIPT", path.c_str()) != 0;
}

bool TestProgram::Create(QuavenAPI* api) {
    Unload();
    library_ = LoadLibraryA((dir_ + "\\prog.dll").c_str());
    if (!library_) return false;
    auto create = reinterpret_cast<QV_GetProgramInterfaceProc>(
        reinterpret_cast<void*>(GetProcAddress(library_, "QV_GetProgramInterface")));
    if (!create) return false;
    memset(&record_, 0, sizeof record_);
    const bool created = create(&record_, QUAVEN_INTERFACE_VERSION);
    record_.qv = api;
    return created;
}

void TestProgram::Unload() {
    if (library_) FreeLibrary(library_);
    library_ = nullptr;
}

std::vector<std::string> TestProgram::Results() const { return ReadLines(results_); }

}  // namespace quaven_test

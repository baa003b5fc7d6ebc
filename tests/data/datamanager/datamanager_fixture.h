// Common ground of the DataManager tests: the engine's API table with the real file
// system, res:// pointed at a fresh temporary folder, and every log line, warning and
// popup captured instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "data/datamanager/data_manager.h"
#include "data/datamanager/database.h"
#include "quaven/api.h"
#include "support/log_capture.h"

namespace datamanager_test {

using LogLine = quaven_test::LoggedLine;

class DataManagerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The temporary folder behind res://, with '/' separators.
    const std::string& Root() const { return root_; }
    std::string NativePath(const std::string& relative) const { return root_ + "/" + relative; }
    void PutFile(const std::string& relative, const std::string& contents);
    std::string GetFile(const std::string& relative) const;
    bool FileThere(const std::string& relative) const;

    std::vector<LogLine> Lines() const;
    // Popup texts only: the way DataManager reports broken files.
    std::vector<std::string> Popups() const;
    // LogEx lines at WARNING level.
    std::vector<std::string> Warnings() const;
    void ClearLines();

private:
    std::string root_;
    std::string savedResRoot_;
    bool hadResRoot_ = false;
    int cachedBefore_ = 0;
    QuavenAPI savedTable_ = {};
    std::optional<quaven_test::LogCapture> log_;   // over the filled table, gone before it is restored
};

// Every array, node and parameter of a database in one comparable text; null texts
// show as <null>, so "" and null differ.
std::string Dump(const Database& database);

// The XML declaration DataManager writes.
extern const char* const kDeclaration;

} // namespace datamanager_test

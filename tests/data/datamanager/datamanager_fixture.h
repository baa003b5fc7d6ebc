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
#include "support/res_folder.h"

namespace datamanager_test {

using LogLine = quaven_test::LoggedLine;

class DataManagerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Files in the temporary folder behind res://.
    std::string NativePath(const std::string& relative) const { return res_->NativePath(relative); }
    void PutFile(const std::string& relative, const std::string& contents);
    std::string GetFile(const std::string& relative) const { return res_->Get(relative); }
    bool FileThere(const std::string& relative) const;

    // Popup texts only: the way DataManager reports broken files.
    std::vector<std::string> Popups() const { return quaven_test::LogCapture::PopupTexts(); }
    // LogEx lines at WARNING level.
    std::vector<std::string> Warnings() const;
    void ClearLines() { quaven_test::LogCapture::Clear(); }

private:
    std::optional<quaven_test::ResFolder> res_;
    QuavenAPI savedTable_ = {};
    std::optional<quaven_test::LogCapture> log_;   // over the filled table, gone before it is restored
};

// Every array, node and parameter of a database in one comparable text; null texts
// show as <null>, so "" and null differ.
std::string Dump(const Database& database);

// The XML declaration DataManager writes.
extern const char* const kDeclaration;

inline std::string Doc(const std::string& body) { return kDeclaration + body; }

} // namespace datamanager_test

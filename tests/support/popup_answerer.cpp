#include "support/popup_answerer.h"

#include <sstream>

namespace quaven_test {

namespace {

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    return out;
}

}  // namespace

bool PopupAnswerer::Start(const std::vector<int>& press, int count, DWORD timeoutMs, DWORD processId) {
    log_ = MakeTempDir("popups") + "\\popups.txt";
    std::string ids;
    for (size_t i = 0; i < press.size(); ++i) ids += (i ? "," : "") + std::to_string(press[i]);
    const std::string command = "\"" + FixturesDir() + "\\popup_answerer.exe\" --log \"" + log_ +
                                "\" --pid " + std::to_string(processId ? processId : GetCurrentProcessId()) +
                                " --press " + ids + " --count " + std::to_string(count) +
                                " --timeout " + std::to_string(timeoutMs);
    return process_.Start(command);
}

bool PopupAnswerer::Watch(const std::string& commandLine, const std::string& workingDir,
                          const std::vector<std::pair<std::string, std::string>>& environment) {
    log_ = MakeTempDir("popups") + "\\popups.txt";
    return process_.Start("\"" + FixturesDir() + "\\popup_answerer.exe\" --log \"" + log_ + "\" --run " + commandLine,
                          environment, workingDir);
}

bool PopupAnswerer::Finish(DWORD timeoutMs) {
    DWORD exitCode = 1;
    return process_.Wait(timeoutMs, &exitCode) && exitCode == 0;
}

std::vector<PopupRecord> PopupAnswerer::Records() const {
    std::vector<PopupRecord> records;
    for (const std::string& line : ReadLines(log_)) {
        std::vector<std::string> fields;
        std::string field;
        std::istringstream in(line);
        while (std::getline(in, field, '\t')) fields.push_back(field);
        if (fields.size() != 4) continue;
        PopupRecord record;
        record.caption = Unescape(fields[0]);
        record.text = Unescape(fields[1]);
        std::istringstream ids(fields[2]);
        for (std::string id; std::getline(ids, id, ',');) record.buttons.push_back(std::stoi(id));
        record.pressed = std::stoi(fields[3]);
        records.push_back(record);
    }
    return records;
}

}  // namespace quaven_test

#include "support/log_capture.h"
#include "support/process.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <functional>
#include <mutex>

namespace quaven_test {

namespace {

std::mutex g_guard;
std::vector<LoggedLine> g_lines;
int g_popupAnswer = QV_POPUP_OK;
bool g_active = false;
std::string g_mirror;

using Hold = std::lock_guard<std::mutex>;

// Formats the whole text however long it is, so a test sees exactly what the engine passed;
// most fit the engine's own 4096-byte messages and never touch the heap twice.
std::string Format(const char* format, va_list args) {
    if (!format) return std::string();
    char small[4096 + 64] = {};
    va_list again;
    va_copy(again, args);
    const int length = vsnprintf(small, sizeof small, format, args);
    std::string text;
    if (length < 0) {
        text = small;
    } else if (static_cast<size_t>(length) < sizeof small) {
        text.assign(small, static_cast<size_t>(length));
    } else {
        text.resize(static_cast<size_t>(length) + 1);
        vsnprintf(&text[0], text.size(), format, again);
        text.resize(static_cast<size_t>(length));
    }
    va_end(again);
    return text;
}

int Record(LoggedLine::Kind kind, int level, const char* format, va_list args) {
    LoggedLine line;
    line.kind = kind;
    line.level = level;
    line.format = format ? format : "(null)";
    line.text = Format(format, args);
    const int length = static_cast<int>(line.text.size());
    Hold hold(g_guard);
    if (!g_mirror.empty())
        AppendLine(g_mirror, (kind == LoggedLine::Popup ? "popup " : "") + std::to_string(level) + " " + line.text);
    g_lines.push_back(std::move(line));
    return kind == LoggedLine::Popup ? g_popupAnswer : length;
}

int CapturingLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int answer = Record(LoggedLine::Log, QV_LOG_INFO, format, args);
    va_end(args);
    return answer;
}

// LogEx and LogPopup.
template <LoggedLine::Kind kind>
int CapturingLogEx(int level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int answer = Record(kind, level, format, args);
    va_end(args);
    return answer;
}

int CountIf(const std::function<bool(const LoggedLine&)>& wanted) {
    Hold hold(g_guard);
    int count = 0;
    for (const LoggedLine& line : g_lines) count += wanted(line) ? 1 : 0;
    return count;
}

bool AtLevel(const LoggedLine& line, int level) { return level == LogCapture::kAnyLevel || line.level == level; }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> TextsOf(std::vector<LoggedLine> lines) {
    std::vector<std::string> texts;
    for (LoggedLine& line : lines) texts.push_back(std::move(line.text));
    return texts;
}

}  // namespace

LogCapture::LogCapture(QuavenAPI* table)
    : table_(table),
      savedLog_(table ? table->Log : nullptr),
      savedLogEx_(table ? table->LogEx : nullptr),
      savedLogPopup_(table ? table->LogPopup : nullptr) {
    {
        Hold hold(g_guard);
        if (g_active) ADD_FAILURE() << "a LogCapture is already active; only one may capture at a time";
        g_active = true;
        g_lines.clear();
        g_popupAnswer = QV_POPUP_OK;
        g_mirror.clear();
    }
    if (!table_) return;
    table_->Log = CapturingLog;
    table_->LogEx = CapturingLogEx<LoggedLine::LogEx>;
    table_->LogPopup = CapturingLogEx<LoggedLine::Popup>;
}

LogCapture::~LogCapture() {
    if (table_) {
        table_->Log = savedLog_;
        table_->LogEx = savedLogEx_;
        table_->LogPopup = savedLogPopup_;
    }
    Hold hold(g_guard);
    g_active = false;
}

void LogCapture::SetPopupAnswer(int answer) { Hold hold(g_guard); g_popupAnswer = answer; }

void LogCapture::MirrorTo(const std::string& path) { Hold hold(g_guard); g_mirror = path; }

std::vector<LoggedLine> LogCapture::Lines() { Hold hold(g_guard); return g_lines; }

std::vector<LoggedLine> LogCapture::PopupLines() {
    std::vector<LoggedLine> popups;
    for (LoggedLine& line : Lines())
        if (line.popup()) popups.push_back(std::move(line));
    return popups;
}

std::vector<std::string> LogCapture::Texts() { return TextsOf(Lines()); }

std::vector<std::string> LogCapture::PopupTexts() { return TextsOf(PopupLines()); }

int LogCapture::Count(const std::string& text) {
    return CountIf([&](const LoggedLine& line) { return line.text == text; });
}

int LogCapture::CountContaining(const std::string& part, int level) {
    return CountIf([&](const LoggedLine& line) { return AtLevel(line, level) && Contains(line.text, part); });
}

int LogCapture::CountPopups(const std::string& text, int level) {
    return CountIf([&](const LoggedLine& line) { return line.popup() && AtLevel(line, level) && line.text == text; });
}

int LogCapture::CountPopupsContaining(const std::string& part) {
    return CountIf([&](const LoggedLine& line) { return line.popup() && Contains(line.text, part); });
}

void LogCapture::Clear() { Hold hold(g_guard); g_lines.clear(); }

}  // namespace quaven_test

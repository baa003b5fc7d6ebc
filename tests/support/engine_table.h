// The engine's API table filled as at start-up, for tests that drive engine code without
// starting the engine: threading and the engine locks ready, every log line and popup
// captured. While an EngineTable lives a test may replace members (a stand-in file system,
// say); when it ends the whole table is back as it was.
#pragma once

#include <optional>

#include "core/engine_log.h"
#include "support/log_capture.h"

namespace quaven_test {

class EngineTable {
public:
    EngineTable();
    ~EngineTable();
    EngineTable(const EngineTable&) = delete;
    EngineTable& operator=(const EngineTable&) = delete;

private:
    QuavenAPI saved_;
    std::optional<LogCapture> log_;
};

}  // namespace quaven_test

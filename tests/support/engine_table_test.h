// A fixture base for tests that run engine code over the engine's own API table: this
// thread is engine thread 1, the table is filled, the engine locks exist and every line
// logged through the table is captured. The table and the core state are put back after,
// all but the engine locks, which live as long as the process.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/engine_log.h"
#include "core/core_state.h"
#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"
#include "support/log_capture.h"

namespace quaven_test {

class EngineTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedApi_ = *qv;
        savedCore_ = g_core;
        QVI_InitializeThreading();
        QVI_FillAPI(qv);
        QVI_CreateEngineLocks();
        log_ = std::make_unique<LogCapture>(qv);
    }
    void TearDown() override {
        log_.reset();
        CoreState restored = savedCore_;
        memcpy(restored.locks, g_core.locks, sizeof restored.locks);
        g_core = restored;
        *qv = savedApi_;
    }

private:
    QuavenAPI savedApi_ = {};
    CoreState savedCore_ = {};
    std::unique_ptr<LogCapture> log_;
};

}  // namespace quaven_test

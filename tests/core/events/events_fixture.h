// Shared set-up for the event tests: an API table with the event members installed, a
// program record that records what OnEvent receives, empty key tables, the engine locks,
// and everything restored afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/events/event_payloads.h"
#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "core/locks.h"
#include "core/logging/console.h"
#include "support/log_capture.h"

namespace events_test {

// What the program saw; onEvent is called from inside OnEvent, after the event is recorded.
struct Observed {
    std::vector<EngineEvent> events;
    int eventAnswer = 0;
    void (*onEvent)(const EngineEvent& event) = nullptr;
};

inline Observed g_seen;

inline int RecordingOnEvent(EngineEvent event) {
    g_seen.events.push_back(event);
    if (g_seen.onEvent)
        g_seen.onEvent(event);
    return g_seen.eventAnswer;
}

// An event whose payload starts with the given record or word (the rest zero).
template <typename Payload = int32_t>
EngineEvent MakeEvent(uint32_t type, const Payload& payload = 0) {
    EngineEvent event;
    QV_InitEvent(&event, type);
    memcpy(event.payload, &payload, sizeof payload);
    return event;
}

inline EngineEvent MakeMouseEvent(uint32_t type, int8_t pointer, int32_t x, int32_t y, uint16_t button = 0) {
    const EventMousePayload mouse = {pointer, {}, x, y, button, 0, 0, 0, 2, {}};
    return MakeEvent(type, mouse);
}

template <typename Payload>
Payload PayloadOf(const EngineEvent& event) {
    Payload payload;
    memcpy(&payload, event.payload, sizeof payload);
    return payload;
}

inline EventMousePayload MouseOf(const EngineEvent& event) { return PayloadOf<EventMousePayload>(event); }
inline EventKeyPayload KeyOf(const EngineEvent& event) { return PayloadOf<EventKeyPayload>(event); }

inline void ClearKeyTables() {
    for (uint32_t code = 0; code < QV_KEY_CODE_COUNT; ++code) {
        QV_SetKey(code, 0);
        QV_SetAxis(code, 0.0f);
    }
}

// True when every key word and axis is zero, read without GetKey's side effect.
inline bool KeyTablesAreEmpty() {
    for (uint32_t code = 0; code < QV_KEY_CODE_COUNT; ++code) {
        if (QVI_PeekKeyState(code) != 0 || QV_GetAxis(code) != 0.0f)
            return false;
    }
    return true;
}

class EventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedApi_ = *qv;
        savedCore_ = g_core;
        savedStarted_ = g_console.started, savedOpen_ = g_console.open, savedToggle_ = g_console.toggleKey;
        g_seen = Observed();

        QVI_CreateEngineLocks();
        DrainQueue();
        ClearKeyTables();

        program_.OnEvent = RecordingOnEvent;
        program_.qv = qv;
        g_core.settings = &program_;
        g_core.coreInitialized = 1;
        g_core.quit = 0;

        qv->Malloc = QV_Malloc;
        qv->Free = QV_Free;
        qv->PostEvent = QV_PostEvent;
        qv->InitEvent = QV_InitEvent;
        qv->GetKey = QV_GetKey;
        qv->RequestShutdown = QV_RequestShutdown;
    }

    void TearDown() override {
        g_core.settings = nullptr;
        DrainQueue();
        ClearKeyTables();
        QVI_DeleteEngineLocks();
        g_console.started = savedStarted_, g_console.open = savedOpen_, g_console.toggleKey = savedToggle_;
        g_core = savedCore_;
        *qv = savedApi_;
    }

    // Dispatches whatever is still queued, with no program to receive it.
    static void DrainQueue() {
        ProgramInterface* program = g_core.settings;
        g_core.settings = nullptr;
        QVI_DispatchQueuedEvents();
        g_core.settings = program;
    }

    // Dispatches a copy and answers it as the dispatch left it.
    static EngineEvent Dispatch(EngineEvent event) {
        QVI_DispatchEvent(&event);
        return event;
    }

    // LogEx lines as "<level> <text>".
    static std::vector<std::string> LogLines() {
        std::vector<std::string> lines;
        for (const quaven_test::LoggedLine& line : quaven_test::LogCapture::Lines())
            if (line.kind == quaven_test::LoggedLine::LogEx)
                lines.push_back(std::to_string(line.level) + " " + line.text);
        return lines;
    }

    static std::vector<uint32_t> SeenTypes() {
        std::vector<uint32_t> types;
        for (const EngineEvent& event : g_seen.events)
            types.push_back(event.type);
        return types;
    }

    quaven_test::LogCapture log_;   // installed before SetUp saves the table
    ProgramInterface program_ = {};
    QuavenAPI savedApi_;
    CoreState savedCore_;
    uint8_t savedStarted_ = 0, savedOpen_ = 0, savedToggle_ = 0;
};

}  // namespace events_test

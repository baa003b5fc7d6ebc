// Shared set-up for the local and simulated service tests: the API table with the real
// file system, a fresh per-user folder, features chosen by the test, and the service events
// taken from the engine's queue (with bounded waits for those posted by other threads).
#pragma once

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/events/event_payloads.h"
#include "core/events/event_queue.h"
#include "core/locks.h"
#include "core/threads.h"
#include "data/datamanager/data_manager.h"
#include "filesystem/paths.h"
#include "support/engine_table.h"
#include "support/files.h"

namespace services_test {

// A leaderboards event copied out of the queue before the engine freed its payload.
struct LeaderboardAnswer {
    int kind = -1;
    std::string reason;  // "<null>" when absent
    std::string category;
    int total = 0, filter = 0, first = 0, count = 0;
    bool scoresNull = true;
    std::vector<ScoreRecord> scores;
    std::string poster;  // the name of the thread that posted it
};

inline std::string Text(const char* text) { return text ? text : "<null>"; }

class ServicesTest : public quaven_test::EngineFilesTest {
protected:
    void SetUp() override {
        g_core.api = qv;
        g_core.coreInitialized = 1;
        g_core.developerMode = 0;
        EngineFilesTest::SetUp();
        ASSERT_TRUE(QVI_SetUpUserFolders(developer_.c_str(), "Services"));
        features().clear();
        qv->HasFeature = [](const char* name) { return name && features().count(name) > 0; };
        qv->PostEvent = [](const EngineEvent* event) {
            const char* name = QVI_GetThreadRecord()->name;
            QV_LockMutex(PostersLock());
            posters().push_back(name ? name : "");
            QV_PostEvent(event);
            QV_UnlockMutex(PostersLock());
        };
        Drain();
    }

    void TearDown() override {
        Drain();
        ForgetDatabase("user://leaderboards-db.xml");
        quaven_test::RemoveTree(quaven_test::AppDataFolder() + "/" + developer_);
        QVI_InitBasePaths();
        EngineFilesTest::TearDown();
    }

    static std::set<std::string>& features() { static std::set<std::string> set; return set; }
    // The names of the threads that posted the queued events, in queue order.
    static std::vector<std::string>& posters() { static std::vector<std::string> list; return list; }
    static Mutex* PostersLock() { static Mutex* lock = QV_CreateMutex("ServicesTestPosters"); return lock; }

    // Takes the queued events and, in step, the names of their posters.
    static std::vector<EngineEvent> TakeEvents(std::vector<std::string>* names = nullptr) {
        Array<EngineEvent> batch;
        QV_LockMutex(PostersLock());
        QVI_TakeQueuedEvents(batch);
        const size_t n = std::min(posters().size(), static_cast<size_t>(batch.count));
        if (names)
            names->assign(posters().begin(), posters().begin() + n);
        posters().erase(posters().begin(), posters().begin() + n);
        QV_UnlockMutex(PostersLock());
        return std::vector<EngineEvent>(batch.data, batch.data + batch.count);
    }

    // What the next run would find: the cached database is dropped.
    static void ForgetDatabase(const char* name) { DataManager::UnloadDatabase(DataManager::FindDatabase(name)); }

    // Every queued event, payloads freed as after dispatch.
    static std::vector<EngineEvent> Drain() {
        std::vector<EngineEvent> events = TakeEvents();
        for (EngineEvent& event : events)
            QVI_FreeEventPayload(&event);
        return events;
    }

    // The queued leaderboards events, waiting (at most about 20 s) until there are n.
    static std::vector<LeaderboardAnswer> TakeLeaderboardAnswers(size_t n) {
        std::vector<LeaderboardAnswer> answers;
        for (int wait = 0; wait < 400 && answers.size() < n; ++wait) {
            std::vector<std::string> names;
            std::vector<EngineEvent> events = TakeEvents(&names);
            for (size_t i = 0; i < events.size(); ++i) {
                if (events[i].type == EVENT_LEADERBOARDS) {
                    answers.push_back(Copy(events[i]));
                    answers.back().poster = i < names.size() ? names[i] : "";
                }
                QVI_FreeEventPayload(&events[i]);
            }
            if (answers.size() < n)
                Sleep(50);
        }
        return answers;
    }

    static LeaderboardAnswer TakeOneAnswer() {
        std::vector<LeaderboardAnswer> answers = TakeLeaderboardAnswers(1);
        EXPECT_EQ(answers.size(), 1u);
        return answers.empty() ? LeaderboardAnswer() : answers[0];
    }

    // The native path of a user:// file.
    static std::string Native(const char* path) { return QV_ConvertStaticPathToNativeOSPath(path).text; }

private:
    static LeaderboardAnswer Copy(const EngineEvent& event) {
        LeaderboardsEvent e;
        memcpy(&e, &event, sizeof e);
        LeaderboardAnswer answer;
        answer.kind = e.kind;
        answer.reason = Text(e.reason);
        answer.category = Text(e.category);
        answer.total = e.total;
        answer.filter = e.filter;
        answer.first = e.first;
        answer.count = e.count;
        answer.scoresNull = e.scores == nullptr;
        if (e.scores)
            answer.scores.assign(e.scores, e.scores + e.count);
        return answer;
    }

    const std::string developer_ = quaven_test::UniqueName("QuavenServicesTest");
};

}  // namespace services_test

// Shared set-up for the local and simulated services as a game meets them: the services
// started by the extension modules from the features, reached through the API table's
// sub-tables, a fresh per-user folder, and the service events taken from the engine's queue
// (with bounded waits for those posted by other threads).
#pragma once

#include "platform/windows/win32.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/configuration.h"
#include "core/core_state.h"
#include "core/events/event_payloads.h"
#include "core/events/event_queue.h"
#include "core/locks.h"
#include "core/threads.h"
#include "data/datamanager/data_manager.h"
#include "filesystem/paths.h"
#include "modules/extension_modules.h"
#include "support/engine_table.h"
#include "support/files.h"

namespace services_test {

// A leaderboards event copied out before the engine freed its payload.
struct LeaderboardAnswer {
    int kind = -1, total = 0, filter = 0, first = 0, count = 0;
    std::string reason, category;  // "<null>" when absent
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
        savedFeatures_ = g_config.applicationFeatures;
        g_config.applicationFeatures = nullptr;
        EngineFilesTest::SetUp();
        ASSERT_TRUE(QVI_SetUpUserFolders(developer_.c_str(), "Services"));
        PutFile("leaderboards/leaderboards.xml",
                "<?xml version=\"1.0\"?>\n<root><array id=\"CATEGORIES\">"
                "<node id=\"TIME\" sort=\"LOWEST_SCORE_FIRST\"/><node id=\"POINTS\"/></array></root>\n");
        fs()->AddSearchPath("res://", false);
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
        QVI_ShutdownExtensionModules();
        Drain();
        ForgetDatabase("user://leaderboards-db.xml");
        ForgetDatabase("leaderboards/leaderboards.xml");
        free(g_config.applicationFeatures);
        g_config.applicationFeatures = savedFeatures_;
        quaven_test::RemoveTree(quaven_test::AppDataFolder() + "/" + developer_);
        QVI_InitBasePaths();
        EngineFilesTest::TearDown();
    }

    // Starts the modules with the features, as pre-initialisation does.
    void Start(const char* features) {
        free(g_config.applicationFeatures);
        g_config.applicationFeatures = strdup(features);
        QVI_InitExtensionModules();
    }
    // Ends the run and starts the next: what is cached goes, the files stay.
    void Restart() {
        QVI_ShutdownExtensionModules();
        ForgetDatabase("user://leaderboards-db.xml");
        QVI_InitExtensionModules();
    }

    static void ForgetDatabase(const char* name) { DataManager::UnloadDatabase(DataManager::FindDatabase(name)); }

    // The queued events and, in step, the names of the threads that posted them.
    static std::vector<EngineEvent> TakeEvents(std::vector<std::string>* names = nullptr) {
        Array<EngineEvent> batch;
        QV_LockMutex(PostersLock());
        QVI_TakeQueuedEvents(batch);
        const size_t n = std::min(posters().size(), static_cast<size_t>(batch.count));
        if (names) names->assign(posters().begin(), posters().begin() + n);
        posters().erase(posters().begin(), posters().begin() + n);
        QV_UnlockMutex(PostersLock());
        return std::vector<EngineEvent>(batch.data, batch.data + batch.count);
    }

    static void Drain() {
        for (EngineEvent& event : TakeEvents()) QVI_FreeEventPayload(&event);
    }

    // The leaderboards events, waiting (at most about 20 s) until there are n.
    static std::vector<LeaderboardAnswer> TakeLeaderboardAnswers(size_t n) {
        std::vector<LeaderboardAnswer> answers;
        for (int wait = 0; wait < 400 && answers.size() < n; ++wait) {
            std::vector<std::string> names;
            std::vector<EngineEvent> events = TakeEvents(&names);
            for (size_t i = 0; i < events.size(); ++i) {
                if (events[i].type == EVENT_LEADERBOARDS)
                    answers.push_back(Copy(events[i], i < names.size() ? names[i] : ""));
                QVI_FreeEventPayload(&events[i]);
            }
            if (answers.size() < n) Sleep(50);
        }
        return answers;
    }

    static LeaderboardAnswer TakeOneAnswer() {
        std::vector<LeaderboardAnswer> answers = TakeLeaderboardAnswers(1);
        EXPECT_EQ(answers.size(), 1u);
        return answers.empty() ? LeaderboardAnswer() : answers[0];
    }

    static std::string Native(const char* path) { return QV_ConvertStaticPathToNativeOSPath(path).text; }

private:
    static std::vector<std::string>& posters() { static std::vector<std::string> list; return list; }
    static Mutex* PostersLock() { static Mutex* lock = QV_CreateMutex("ServicesTestPosters"); return lock; }

    static LeaderboardAnswer Copy(const EngineEvent& event, const std::string& poster) {
        LeaderboardsEvent e;
        memcpy(&e, &event, sizeof e);
        LeaderboardAnswer a{e.kind, e.total, e.filter, e.first, e.count, Text(e.reason), Text(e.category),
                            e.scores == nullptr, {}, poster};
        if (e.scores) a.scores.assign(e.scores, e.scores + e.count);
        return a;
    }

    char* savedFeatures_ = nullptr;
    const std::string developer_ = quaven_test::UniqueName("QuavenServicesTest");
};

}  // namespace services_test

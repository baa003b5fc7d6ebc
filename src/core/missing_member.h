#pragma once

// Parts of the engine whose subsystems are still to come answer 0 or null and say so once:
// a game built against the whole table never reaches a null pointer, and its log tells the
// developer which member or set-up step did nothing.

struct MissingMember {
    const char* name;       // as the game writes it: "GetFont", "graphics->SetAlpha"
    volatile long reported; // 1 once the notice has reached the log
};

// Logs "qv->%s is not available yet." at WARNING level the first time the member is used
// while logging runs; later calls (from any thread) log nothing.
void QVI_ReportMissingMember(MissingMember* member);

// The first statement of a stand-in member: reports the member once.
#define QVI_REPORT_MISSING_MEMBER(memberName)                  \
    do {                                                       \
        static MissingMember missingMember = {memberName, 0}; \
        QVI_ReportMissingMember(&missingMember);               \
    } while (0)

// A step of renderer set-up or shutdown (main thread only) whose subsystem is still to come.
struct MissingRendererStep {
    const char* what;  // "the default white texture"
    bool reported;
};

// Reports "Renderer set-up: %s is not available yet." at WARNING level the first time the
// step runs, whether or not logging has started; later runs report nothing.
void QVI_ReportMissingRendererStep(MissingRendererStep* step);

// The first statement of a stand-in set-up step: reports the step once.
#define QVI_REPORT_MISSING_RENDERER_STEP(stepText)                      \
    do {                                                                \
        static MissingRendererStep missingStep = {stepText, false};    \
        QVI_ReportMissingRendererStep(&missingStep);                    \
    } while (0)

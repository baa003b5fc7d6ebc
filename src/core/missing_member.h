#pragma once

// API members whose subsystems are still to come answer 0 or null and say so once: a game
// built against the whole table never reaches a null pointer, and its log tells the
// developer which member did nothing.

struct MissingMember {
    const char* name;       // as the game writes it: "GetFont", "graphics->SetAlpha"
    volatile long reported; // 1 once the notice has reached the log
};

// Logs "qv->%s is not available yet." at WARNING level the first time the member is used
// while logging runs; later calls (from any thread) log nothing.
void QVI_ReportMissingMember(MissingMember* member);

// The notice's level.
const int kMissingMemberLevel = 1;

// The first statement of a stand-in member: reports the member once.
#define QVI_REPORT_MISSING_MEMBER(memberName)                  \
    do {                                                       \
        static MissingMember missingMember = {memberName, 0}; \
        QVI_ReportMissingMember(&missingMember);               \
    } while (0)

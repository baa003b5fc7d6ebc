// A file the engine replaces, written round after round by a child process that is killed
// (TerminateProcess) at random moments: after every kill the file must hold the last round
// the child finished or the one it was writing, whole, and the next run must load it.
#pragma once

#include <functional>
#include <string>

namespace quaven_test {

struct ReplacedFile {
    // Writes round (0, 1, 2, ...) as the engine does; the child calls it until it is killed.
    std::function<void(int round)> write;
    // Whether the file holds round whole, read as the next run reads it.
    std::function<bool(int round)> holds;
};

struct KillCounts {
    int kills = 0;
    int previous = 0;  // the last round the child had finished
    int next = 0;      // the round it was writing had been finished too
    int lost = 0;      // neither: a torn, missing or unreadable file
};

// A name the child shares with its parent (for per-user folders): unique in the parent and
// handed to the children through the environment.
std::string KillSharedName(const std::string& tag);

// Both roles of the test that calls it. The child writes until it is killed and never
// returns. The parent writes round 0 itself, then kills `kills` children (QUAVEN_KILLS, when
// set, overrides the count), judging the file after each; every lost file is a failure.
// It prints "replaced file <kind>: ..." with the counts.
KillCounts KillWhileWriting(const std::string& kind, const ReplacedFile& file, int kills);

}  // namespace quaven_test

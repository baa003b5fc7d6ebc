#include "support/kill_loop.h"

#include "platform/windows/win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "support/files.h"
#include "support/process.h"

namespace quaven_test {
namespace {

// The child's first round, where it notes the rounds it finished, the name it shares.
const char* const kFirstRound = "QUAVEN_KILL_FIRST_ROUND";
const char* const kNotes = "QUAVEN_KILL_NOTES";
const char* const kShared = "QUAVEN_KILL_SHARED";

bool InKillChild() { return !EnvironmentVariable(kFirstRound).empty(); }

// "<round> <milliseconds>" lines: each round the children finished and when.
struct Note {
    int round;
    DWORD tick;
};

std::vector<Note> ReadNotes(const std::string& path) {
    std::vector<Note> notes;
    for (const std::string& line : ReadLines(path)) {
        Note note = {};
        unsigned long tick = 0;
        if (sscanf(line.c_str(), "%d %lu", &note.round, &tick) == 2) {
            note.tick = static_cast<DWORD>(tick);
            notes.push_back(note);
        }
    }
    return notes;
}

}  // namespace

std::string KillSharedName(const std::string& tag) {
    if (InKillChild())
        return EnvironmentVariable(kShared);
    const std::string name = UniqueName(tag);
    SetEnvironmentVariableA(kShared, name.c_str());  // inherited by the children
    return name;
}

KillCounts KillWhileWriting(const std::string& kind, const ReplacedFile& file, int kills) {
    KillCounts counts;
    if (InKillChild()) {
        const std::string notes = EnvironmentVariable(kNotes);
        for (int round = atoi(EnvironmentVariable(kFirstRound).c_str());; ++round) {
            file.write(round);
            AppendLine(notes, std::to_string(round) + " " + std::to_string(GetTickCount()));
        }
    }

    const std::string wanted = EnvironmentVariable("QUAVEN_KILLS");
    if (!wanted.empty())
        kills = atoi(wanted.c_str());
    const std::string folder = MakeTempDir("kill");
    const std::string notes = folder + "/rounds.txt";
    file.write(0);
    if (!file.holds(0)) {
        ADD_FAILURE() << kind << ": round 0, written by this process, does not read back";
        RemoveTree(folder);
        return counts;
    }

    std::mt19937 random(GetTickCount());
    int last = 0;
    double period = -1;  // milliseconds per round, once a child has shown it
    for (; counts.kills < kills; ++counts.kills) {
        ChildProcess child;
        if (!child.StartSelf(CurrentTestFilter(), {{kFirstRound, std::to_string(last + 1)}, {kNotes, notes}})) {
            ADD_FAILURE() << kind << ": the writer did not start";
            break;
        }
        // Killed at a moment drawn from two rounds' time once the child is in its loop, so
        // that kills land in every part of a round, the rename included.
        const size_t before = ReadNotes(notes).size();
        const size_t needed = before + (period < 0 ? 3 : 1);
        const DWORD start = GetTickCount();
        while (child.Running() && ReadNotes(notes).size() < needed && GetTickCount() - start < 60000)
            Sleep(1);
        if (!child.Running() || ReadNotes(notes).size() < needed) {
            ADD_FAILURE() << kind << ": the writer ended by itself or finished no round in a minute";
            break;
        }
        if (period < 0) {
            const std::vector<Note> shown = ReadNotes(notes);
            period = (shown.back().tick - shown[before].tick) / 2.0;
        }
        Sleep(std::uniform_int_distribution<int>(0, static_cast<int>(2 * period) + 1)(random));
        child.Wait(0);  // terminates it

        const std::vector<Note> noted = ReadNotes(notes);
        if (noted.size() > before + 1)
            period = (noted.back().tick - noted[before].tick) / double(noted.size() - before - 1);
        if (!noted.empty() && noted.back().round > last)
            last = noted.back().round;
        if (file.holds(last)) {
            ++counts.previous;
        } else if (file.holds(last + 1)) {
            ++counts.next;
            ++last;
        } else {
            ++counts.lost;
            ADD_FAILURE() << kind << ": after kill " << counts.kills << " the file holds neither round " << last
                          << " nor round " << last + 1;
        }
    }
    RemoveTree(folder);
    printf("replaced file %s: %d kills, %d previous round, %d next round, %d lost (%d rounds, %.1f ms each)\n",
           kind.c_str(), counts.kills, counts.previous, counts.next, counts.lost, last, period);
    return counts;
}

}  // namespace quaven_test

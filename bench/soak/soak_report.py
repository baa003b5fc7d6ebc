#!/usr/bin/env python3
"""soak_report.py <run folder> <exit status> [<engine log>]: the soak run's figures from the game's
notes (results.txt, see soak_game.c), judged; exits 1 when something did not hold.

Private bytes, handles and GDI objects are compared at two moments as far into their minute
(from the last display re-initialisation) as each other: the end, and the same point of the
second minute, once loading, the first re-initialisation and the caches are warm."""
import functools
import os
import re
import subprocess
import sys

LIMIT_PERCENT = 2.0
SLOW_FRAME_MS = 100.0


@functools.lru_cache(maxsize=None)
def image_base(binary):
    try:
        out = subprocess.run(["i686-w64-mingw32-objdump", "-p", binary], capture_output=True, text=True).stdout
        return next(int(l.split()[1], 16) for l in out.splitlines() if l.startswith("ImageBase"))
    except (OSError, StopIteration, ValueError):
        return None


def symbolize(frames, binaries):
    """The wait probe's module+offset frames of our own binaries as function and file, the
    others as they are (one addr2line a binary); a frame named twice in a row is shown once."""
    texts = list(frames)
    for module, binary in binaries.items():
        base = image_base(binary)
        places = [i for i, f in enumerate(frames) if f.lower().startswith(module + "+")]
        if base is None or not places:
            continue
        addresses = [hex(base + int(frames[i].partition("+")[2], 16)) for i in places]
        try:
            out = subprocess.run(["i686-w64-mingw32-addr2line", "-f", "-p", "-e", binary] + addresses,
                                 capture_output=True, text=True).stdout.splitlines()
        except OSError:
            continue
        # MinGW's addr2line drops one underscore of a C++ name and leaves it mangled.
        names = [line.split(" at ")[0] for line in out]
        mangled = ["_" + n if re.match(r"Z[0-9N]", n) else n for n in names]
        try:
            demangled = subprocess.run(["c++filt"], input="\n".join(mangled), capture_output=True,
                                       text=True).stdout.splitlines()
        except OSError:
            demangled = []
        if len(demangled) != len(names):
            demangled = names
        for i, line, name in zip(places, out, demangled):
            if not line.startswith("??"):
                texts[i] = "%s (%s)" % (name, os.path.basename(line.split(" at ")[-1]))
    shown = []
    for text in texts:
        if not shown or shown[-1] != text:
            shown.append(text)
    return shown


def explain_waits(notes, folder):
    """For each slow frame, where the main thread was and what the busy threads did."""
    run = os.path.dirname(os.path.abspath(folder))
    binaries = {name: os.path.join(run, name) for name in ("quaven.exe", "prog.dll")}
    threads = {words[0]: words[1:] for words in notes.get("threads", [])}
    for words in notes.get("held", [])[:10]:
        print("soak: at %s s the whole process stood still for %s ms (the wait probe slept that long)" % tuple(words[:2]))
    for words in notes.get("wait", [])[:10]:
        print("soak: main thread held for %s ms in %s at %s s:" %
              (words[2], {"U": "Update", "R": "Render", "E": "the engine"}.get(words[1], words[1]), words[0]))
        for text in symbolize(words[3:], binaries)[:16]:
            print("soak:     " + text)
        busy = [t for t in threads.get(words[0], []) if not t.endswith(":0")]
        if busy:
            print("soak:   threads busy over the next 50 ms (tid:name:state:wait:ms): " + " ".join(busy))


def main():
    folder, status = sys.argv[1], int(sys.argv[2])
    log = sys.argv[3] if len(sys.argv) > 3 else ""
    notes = {}
    path = os.path.join(folder, "results.txt")
    for line in open(path, encoding="latin-1") if os.path.exists(path) else []:
        words = line.split()
        if words:
            notes.setdefault(words[0], []).append(words[1:])
    samples = [[float(w) for w in s] for s in notes.get("sample", [])]
    problems = []

    def read(name):
        p = os.path.join(folder, name)
        return open(p, encoding="latin-1").read().strip() if os.path.exists(p) else ""

    if read("watchdog.txt"):
        problems.append("watchdog: " + read("watchdog.txt"))
    if read("popups.txt"):
        problems.append("a message box showed: " + read("popups.txt").replace("\t", " | "))
    if status != 0:
        problems.append("quaven.exe ended with %d" % status)
    for kind in ("stall", "fault", "slow"):
        for words in notes.get(kind, [])[:10]:
            problems.append("%s %s" % (kind, " ".join(words)))
    if "done" not in notes:
        problems.append("the game did not finish its run")

    print("soak: %d samples, %d re-initialisations" % (len(samples), len(notes.get("reinit", []))))
    if len(samples) >= 2:
        end = samples[-1]
        minutes = max(int((end[0] - 60) // 60), 0)
        target = end[0] - 60 * minutes
        warm = min(samples, key=lambda s: abs(s[0] - target))
        print("soak: warm-up sample at %.0f s, end sample at %.0f s" % (warm[0], end[0]))
        linux = {}
        path = os.path.join(folder, "linux.txt")
        for line in open(path) if os.path.exists(path) else []:
            words = line.split()
            if len(words) == 3:
                linux[float(words[0])] = [int(words[1]) * 1024, int(words[2])]
        figures = [(1, "private bytes", warm, end), (2, "handles", warm, end), (3, "GDI objects", warm, end)]
        for index, name, first, last in figures:
            before, after = first[index], last[index]
            change = (after - before) * 100.0 / before if before else (0.0 if after == before else 100.0)
            print("soak: %-13s %12d -> %12d (%+.2f %%)" % (name, before, after, change))
            if abs(change) > LIMIT_PERCENT:
                problems.append("%s changed by %+.2f %% between %.0f s and %.0f s" % (name, change, warm[0], end[0]))
        # Shown, not judged: besides the process's own memory it holds the graphics driver's,
        # which comes and goes by several per cent from frame to frame.
        after_warm = [v for t, v in sorted(linux.items()) if t >= warm[0]]
        if after_warm:
            for index, name in ((0, "Linux anonymous resident bytes"), (1, "Linux descriptors")):
                values = [v[index] for v in after_warm]
                print("soak: %s from warm-up on: %d to %d, at the end %d" % (name, min(values), max(values), values[-1]))
        print("soak: work done: %d resource rounds, %d save rounds, %d downloads, %d leaderboard answers" %
              tuple(end[6:10]))
    else:
        problems.append("fewer than two samples")
    for words in notes.get("done", []):
        print("soak: ran %s s, %s frames, slowest frame %s ms, slowest re-initialisation frame %s ms" % tuple(words[:4]))
        if len(words) >= 8:
            print("soak: timed frames under 20 ms: %s, 20-50 ms: %s, 50-100 ms: %s, over 100 ms: %s" % tuple(words[4:8]))
        if float(words[2]) >= SLOW_FRAME_MS:
            problems.append("a frame took %s ms" % words[2])
    if log:
        lines = open(log, encoding="latin-1").read().splitlines()
        errors = [l for l in lines if "ERROR" in l]
        print("soak: engine log %s: %d lines, %d with ERROR" % (log, len(lines), len(errors)))
        for line in errors[:5]:
            print("soak:   " + line.strip())
    explain_waits(notes, folder)
    for problem in problems:
        print("soak: FAILED: " + problem)
    print("soak: %s" % ("passed" if not problems else "failed"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

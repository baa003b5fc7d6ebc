#!/usr/bin/env python3
"""Runs the benchmarks and prints, for each figure, the engine's time, its baseline's time and
their ratio, per round and as medians. The last lines are one per figure,
"<figure name>: median ratio <number>", for scripts to read.

Run it through scripts/bench.sh, which builds the programs, writes the inputs and provides the
display and one persistent wineserver (scripts/with-display.sh). Every program runs under
bench_launch.exe, which times its whole process; the programs time their own work. The one
Linux program, glslangValidator (the shader translator's baseline), runs natively and is
timed here.

Usage: run_benchmarks.py BENCH_FOLDER [--rounds N] [--frames N] [--only STEP,...]
"""
import argparse
import glob
import os
import statistics
import subprocess
import sys
import tempfile
import time

DATABASE = "inputs/database.xml"
READS = "inputs/reads.bin"
# The same bytes as the one entry of inputs/packed.pak, read with res:// moved to inputs/.
READS_IN_PAK = "packed/reads.bin"
WARMUP_FRAMES = 60
SPRITES = 10000
QUADS = 4000000
SHADER = "inputs/shader/lit_mesh"
SHADER_ROUNDS = 100
SHADER_TARGETS = 7
IMAGE_LOADS = 10
RUN_TIMEOUT_SECONDS = 300
RESIZES = 10
PACKINGS = 200
MUSIC = "inputs/music.ogg"
SHORT_SOUND = "inputs/short.ogg"
MUSIC_DECODES = 3
SOUND_LOADS = 100

MIXER_CHANNELS = (0, 8, 32, 64)
MIXER_GOAL_CHANNELS = 32
MIXER_TICKS = 2000
MIXER_TICK_MS = 25.0
# The mixer programs load the fake DirectSound beside them instead of Wine's.
MIXER_FOLDER = "mixer\\"
FONT_PASSES = 20
PARAGRAPHS = {"latin1": "inputs/paragraph_latin1.txt", "utf8": "inputs/paragraph_utf8.txt"}
PARAGRAPH_DRAWS = 1000
HTTP_BYTES = 64 << 20
HTTP_PATH = "/bytes/%d" % HTTP_BYTES
# The loopback server the HTTP tests use; it serves HTTP_PATH as HTTP_BYTES bytes.
HTTP_SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "net", "http_test_server.py")

# name, the step of a round that measures it, the engine run and the baseline run of that
# step, the key both report, and for figures shown per item rather than per run: the unit, and
# the key of the engine's report that counts the items (both sides do the same items)
FIGURES = [
    # With sound the baseline opens the sound device as the engine must; with NO_SOUND it
    # opens Direct3D 11 alone.
    ("startup in-process (logging on) vs bare with sound", "startup", "on", "bare_on", "startup_ms"),
    ("startup in-process (logging off) vs bare with sound", "startup", "off", "bare_off", "startup_ms"),
    ("startup in-process (NO_SOUND) vs bare without sound", "startup", "nosound", "bare_nosound", "startup_ms"),
    ("startup whole process (logging on) vs bare with sound", "startup", "on", "bare_on", "process_ms"),
    ("startup whole process (logging off) vs bare with sound", "startup", "off", "bare_off", "process_ms"),
    ("startup whole process (NO_SOUND) vs bare without sound", "startup", "nosound", "bare_nosound", "process_ms"),
    ("empty frame", "frames", "engine", "bare", "frame_ms"),
    # The same quads drawn by a bare program: one dynamic buffer written and one draw a frame.
    ("frame of 10,000 sprites vs the same sprites bare", "frames", "sprites", "bare_sprites", "frame_ms"),
    ("AddQuad vs bare copy", "quads", "addquad", "bare", "work_ms"),
    ("DrawBitmap vs bare copy", "quads", "drawbitmap", "bare", "work_ms"),
    ("database load vs tinyxml2", "database", "database", "tinyxml2", "work_ms"),
    ("database load vs pugixml", "database", "database", "pugixml", "work_ms"),
    ("xml reader vs tinyxml2", "database", "xmlreader", "tinyxml2", "work_ms"),
    ("xml reader vs pugixml", "database", "xmlreader", "pugixml", "work_ms"),
    ("file reads", "reads", "engine", "bare", "work_ms"),
    ("file reads from a PAK", "reads", "pak", "bare", "work_ms"),
    ("shader to 7 targets vs glslangValidator", "shaders", "translate", "glslang", "work_ms"),
    # The same area sampling written bare (its bytes must equal the engine's), and a 2 x 2
    # box filter, other and cheaper work, only for scale.
    ("resize 2048 to 1024 vs the same sampling bare", "bitmaps", "resize", "bare_resize", "work_ms"),
    ("resize 2048 to 1024 vs a 2 x 2 box filter (other work)", "bitmaps", "resize", "bare_box", "work_ms"),
    ("atlas of 256 glyphs vs shelf copy", "bitmaps", "atlas", "bare_atlas", "work_ms"),
    ("PNG 2048x2048 GetBitmap vs bare libpng", "images", "png", "bare_png", "work_ms"),
    ("JPEG 2048x2048 GetBitmap vs bare libjpeg", "images", "jpg", "bare_jpg", "work_ms"),
    ("font generation LATIN-1 vs bare FreeType", "fonts", "latin1", "bare_latin1", "work_ms", ("us/glyph", "glyphs")),
    ("font generation UTF-8 vs bare FreeType", "fonts", "utf8", "bare_utf8", "work_ms", ("us/glyph", "glyphs")),
    ("text 2,000 chars LATIN-1 vs bare quad copy", "text", "latin1", "bare_latin1", "work_ms",
     ("us/char", "characters")),
    ("text 2,000 chars UTF-8 vs bare quad copy", "text", "utf8", "bare_utf8", "work_ms", ("us/char", "characters")),
    ("Ogg 60 s streamed by the sample reader vs bare vorbisfile", "sounds", "stream", "bare_stream", "work_ms"),
    ("Ogg 1 s decoded at load by the sample reader vs bare vorbisfile", "sounds", "load", "bare_load", "work_ms"),
] + [("mixer tick, %d %s channels" % (count, kind), "mixer", "%s%d" % (kind, count), "bare_%s%d" % (kind, count),
      "work_ms")
     for kind in ("pcm", "ogg") for count in MIXER_CHANNELS] + [
    ("mixer tick, %d channels with streamed music" % MIXER_GOAL_CHANNELS, "mixer", "music", "bare_music",
     "work_ms"),
    ("HTTP 64 MB download vs recv into one block", "http", "engine", "bare_keep", "work_ms"),
    ("HTTP 64 MB download vs recv discarding", "http", "engine", "bare_discard", "work_ms"),
]

# A run of a Linux program rather than a Windows one under Wine.
NATIVE = "native:"


class BenchmarkError(Exception):
    pass


def paragraph_quads(folder, kind):
    """The glyph quads one draw of a paragraph makes: one a character but the blanks."""
    with open(os.path.join(folder, PARAGRAPHS[kind]), "rb") as source:
        text = source.read().decode("latin-1" if kind == "latin1" else "utf-8")
    return len(text) - text.count(" ")


def steps(folder, frames, http_port):
    """Each step's runs, named, in the order they alternate within a round: every engine run
    sits next to its baseline's."""
    frames_arguments = ["frames", str(WARMUP_FRAMES), str(frames)]
    return {
        # Logging on and off with sound, and logging off with NO_SOUND.
        "startup": [("on", ["logging-on\\quaven.exe"]), ("bare_on", ["bare_d3d11.exe", "sound"]),
                    ("off", ["logging-off\\quaven.exe"]), ("bare_off", ["bare_d3d11.exe", "sound"]),
                    ("nosound", ["no-sound\\quaven.exe"]), ("bare_nosound", ["bare_d3d11.exe"])],
        "frames": [("engine", ["logging-off\\quaven.exe"] + frames_arguments),
                   ("bare", ["bare_d3d11.exe"] + frames_arguments),
                   ("sprites", ["logging-off\\quaven.exe", "sprites", str(WARMUP_FRAMES), str(frames),
                                str(SPRITES)]),
                   ("bare_sprites", ["bare_d3d11.exe", "sprites", str(WARMUP_FRAMES), str(frames), str(SPRITES)])],
        "quads": [("addquad", ["quads_bench.exe", "addquad", str(QUADS)]),
                  ("bare", ["bare_quads.exe", str(QUADS)]),
                  ("drawbitmap", ["quads_bench.exe", "drawbitmap", str(QUADS)])],
        "database": [("database", ["engine_bench.exe", "database", DATABASE]),
                     ("tinyxml2", ["bare_xml.exe", "tinyxml2", DATABASE]),
                     ("xmlreader", ["engine_bench.exe", "xmlreader", DATABASE]),
                     ("pugixml", ["bare_xml.exe", "pugixml", DATABASE])],
        "reads": [("engine", ["engine_bench.exe", "reads", READS]),
                  ("bare", ["bare_read.exe", READS]),
                  ("pak", ["engine_bench.exe", "pakreads", READS_IN_PAK])],
        # The translator makes seven targets' text of both stages from one Shader XML; the
        # baseline's front end reads both stages' GLSL once per target.
        "shaders": [("translate", ["shader_bench.exe", SHADER + ".xml", str(SHADER_ROUNDS)]),
                    ("glslang", [NATIVE + "glslangValidator"] +
                     [SHADER + stage for stage in (".vert", ".frag")] * (SHADER_TARGETS * SHADER_ROUNDS))],
        "bitmaps": [("resize", ["bitmap_bench.exe", "resize", str(RESIZES)]),
                    ("bare_resize", ["bare_bitmaps.exe", "resize", str(RESIZES)]),
                    ("bare_box", ["bare_bitmaps.exe", "box", str(RESIZES)]),
                    ("atlas", ["bitmap_bench.exe", "atlas", str(PACKINGS)]),
                    ("bare_atlas", ["bare_bitmaps.exe", "atlas", str(PACKINGS)])],
        # The engine finds the file by name through its search path inputs/; the baseline
        # decodes the same file from memory.
        "images": [("png", ["image_bench.exe", "image.png", str(IMAGE_LOADS)]),
                   ("bare_png", ["bare_image.exe", "png", "inputs/image.png", str(IMAGE_LOADS)]),
                   ("jpg", ["image_bench.exe", "image.jpg", str(IMAGE_LOADS)]),
                   ("bare_jpg", ["bare_image.exe", "jpg", "inputs/image.jpg", str(IMAGE_LOADS)])],
        # The engine reads the file through res:// and decodes it half a channel buffer at a
        # time (streamed) or whole (at load); the baseline decodes the same file from memory.
        "sounds": [("stream", ["sound_bench.exe", "stream", MUSIC, str(MUSIC_DECODES)]),
                   ("bare_stream", ["bare_ogg.exe", "stream", MUSIC, str(MUSIC_DECODES)]),
                   ("load", ["sound_bench.exe", "load", SHORT_SOUND, str(SOUND_LOADS)]),
                   ("bare_load", ["bare_ogg.exe", "load", SHORT_SOUND, str(SOUND_LOADS)])],
        # The mixer's work per 25 ms tick over the fake device, and the same sound copied or
        # decoded bare.
        "mixer": [run for kind in ("pcm", "ogg") for count in MIXER_CHANNELS for run in (
                  ("%s%d" % (kind, count), [MIXER_FOLDER + "mixer_bench.exe", str(count), kind, str(MIXER_TICKS)]),
                  ("bare_%s%d" % (kind, count), [MIXER_FOLDER + "bare_mixer.exe", str(count), kind,
                                                 str(MIXER_TICKS)]))] +
                 [("music", [MIXER_FOLDER + "mixer_bench.exe", str(MIXER_GOAL_CHANNELS), "music", str(MIXER_TICKS)]),
                  ("bare_music", [MIXER_FOLDER + "bare_mixer.exe", str(MIXER_GOAL_CHANNELS), "music",
                                  str(MIXER_TICKS)])],
        # Fonts generated from DejaVuSans.ttf at every size of bench/common/bench_fonts.h; the
        # baseline renders the same characters at the same sizes through FreeType alone.
        "fonts": [(name, [program, kind, str(FONT_PASSES)])
                  for kind in ("latin1", "utf8")
                  for name, program in ((kind, "font_bench.exe"), ("bare_" + kind, "bare_freetype.exe"))],
        # The paragraph drawn PARAGRAPH_DRAWS times; the baseline copies as many quads.
        "text": [(name, command)
                 for kind in ("latin1", "utf8")
                 for name, command in ((kind, ["text_bench.exe", kind, PARAGRAPHS[kind], str(PARAGRAPH_DRAWS)]),
                                       ("bare_" + kind,
                                        ["bare_quads.exe", str(PARAGRAPH_DRAWS * paragraph_quads(folder, kind))]))],
        # One download from the loopback server: the engine keeps the whole body in memory as
        # a game receives it; one baseline receives into a block of the announced size, the
        # other drops what it receives.
        "http": [("engine", ["http_bench.exe", "http://127.0.0.1:%d%s" % (http_port, HTTP_PATH)]),
                 ("bare_keep", ["bare_http.exe", "keep", str(http_port), HTTP_PATH]),
                 ("bare_discard", ["bare_http.exe", "discard", str(http_port), HTTP_PATH])],
    }


class Runner:
    def __init__(self, folder):
        self.folder = folder
        prefix = os.environ.get("WINEPREFIX", "")
        # The engine names its log after the program id and the minute it starts, adding
        # "-1" to "-99" while the name is taken: every logging-on run starts without earlier
        # ones so that each writes its log the same way.
        self.log_pattern = os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming", "**",
                                        "logs", "quaven-bench-*.log")

    def engine_logs(self):
        return glob.glob(self.log_pattern, recursive=True)

    def remove_engine_logs(self):
        for path in self.engine_logs():
            os.remove(path)

    def run_native(self, command):
        """Runs glslangValidator on its files, SHADER_ROUNDS shaders' worth; answers the time
        of one shader as "work_ms", as the engine's run reports it."""
        program = [command[0][len(NATIVE):]] + command[1:]
        with tempfile.TemporaryFile() as out:
            start = time.perf_counter()
            status = subprocess.call(program, cwd=self.folder, stdout=out, stderr=subprocess.STDOUT,
                                     stdin=subprocess.DEVNULL, timeout=RUN_TIMEOUT_SECONDS)
            elapsed_ms = (time.perf_counter() - start) * 1000.0
            out.seek(0)
            text = out.read().decode("utf-8", "replace")
        if status != 0:
            raise BenchmarkError("%s failed (%d):\n%s" % (program[0], status, text[-2000:]))
        return {"work_ms": "%.4f" % (elapsed_ms / SHADER_ROUNDS), "exit_code": "0"}

    def run(self, command):
        """Runs one program under bench_launch.exe; answers its "bench" report as a dict."""
        if command[0].startswith(NATIVE):
            return self.run_native(command)
        self.remove_engine_logs()
        # Output goes through files, not pipes: Wine's helper processes may inherit the
        # handles and outlive the program (see scripts/wine-run.sh).
        environment = None
        if command[0].startswith(MIXER_FOLDER):
            # Wine reads the overrides when a process starts, from the environment it starts in.
            environment = dict(os.environ, WINEDLLOVERRIDES=os.environ.get("WINEDLLOVERRIDES", "") + ";dsound=n")
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            try:
                status = subprocess.call(["wine", "bench_launch.exe"] + command, cwd=self.folder, stdout=out,
                                         stderr=err, stdin=subprocess.DEVNULL, timeout=RUN_TIMEOUT_SECONDS,
                                         env=environment)
            except subprocess.TimeoutExpired:
                raise BenchmarkError("%s did not end within %d s" % (" ".join(command), RUN_TIMEOUT_SECONDS))
            out.seek(0)
            text = out.read().decode("utf-8", "replace").replace("\r", "")
            err.seek(0)
            errors = err.read().decode("utf-8", "replace").replace("\r", "")
        report = {}
        for line in text.splitlines():
            words = line.split(" ", 2)
            if len(words) == 3 and words[0] == "bench":
                report[words[1]] = words[2]
        if status != 0 or "error" in report or report.get("exit_code") != "0":
            raise BenchmarkError("%s failed (wine %d):\n%s%s" % (" ".join(command), status, text, errors))
        return report


def number(report, command, key):
    try:
        return float(report[key])
    except (KeyError, ValueError):
        raise BenchmarkError("%s reported no %s" % (" ".join(command), key))


def check_warmup(runner, folder, all_steps):
    """One run of everything before the rounds, to bring files into the cache and Wine's
    libraries into memory, and to check that the runs do what the figures claim."""
    expected = open(os.path.join(folder, "inputs", "database.digest")).read().strip()
    reads_bytes = str(os.path.getsize(os.path.join(folder, READS)))
    glyphs = {}
    reports = {}
    for step, runs in all_steps.items():
        for name, command in runs:
            report = runner.run(command)
            reports[(step, name)] = report
            if "digest" in report and report["digest"] != expected:
                raise BenchmarkError("%s walked %s, the file holds %s" % (" ".join(command), report["digest"],
                                                                          expected))
            if "bytes" in report and report["bytes"] != reads_bytes:
                raise BenchmarkError("%s read %s bytes of %s" % (" ".join(command), report["bytes"], reads_bytes))
            if "downloaded" in report and report["downloaded"] != str(HTTP_BYTES):
                raise BenchmarkError("%s downloaded %s bytes of %d" % (" ".join(command), report["downloaded"],
                                                                      HTTP_BYTES))
            # Every program that reports vertices takes its quads as its last argument.
            if "vertices" in report and report["vertices"] != str(4 * int(command[-1])):
                raise BenchmarkError("%s drew %s vertices of %d" % (" ".join(command), report["vertices"],
                                                                    4 * int(command[-1])))
            if step == "text" and "quads" in report:
                expected = PARAGRAPH_DRAWS * paragraph_quads(folder, name)
                if report["quads"] != str(expected):
                    raise BenchmarkError("%s drew %s glyph quads of %d" % (" ".join(command), report["quads"],
                                                                           expected))
            # An engine run and its "bare_" baseline make the same glyphs.
            if "glyphs" in report:
                pair = glyphs.setdefault((step, name.replace("bare_", "", 1)), {})
                pair[report["glyphs"]] = command
                if len(pair) > 1:
                    raise BenchmarkError("%s made different glyph counts: %s" % (step, pair))
            if step == "startup" and name in ("on", "off", "nosound"):
                logged = bool(runner.engine_logs())
                if logged != (name == "on"):
                    raise BenchmarkError("the logging-%s run %s a log file" % (name, "wrote" if logged else
                                                                               "did not write"))
    # Decoders report what they decoded: both sides of a figure must have made the same PCM.
    for figure, step, engine, baseline, *_ in FIGURES:
        if step not in all_steps:
            continue
        decoded = [reports[(step, side)].get("pcm") for side in (engine, baseline)]
        if decoded[0] != decoded[1]:
            raise BenchmarkError("%s: the engine decoded %s, the baseline %s" % (figure, decoded[0], decoded[1]))
        # Pixel work compared with the same work bare: both must have made the same bytes.
        digests = [reports[(step, side)].get("pixels_digest") for side in (engine, baseline)]
        if None not in digests and digests[0] != digests[1]:
            raise BenchmarkError("%s: the engine's pixels digest to %s, the baseline's to %s" % (figure, digests[0],
                                                                                             digests[1]))


def run_round(runner, all_steps, figures, reverse):
    """One round: every step's runs back to back, in reverse order every other round so that
    neither side always goes first. Answers {figure: (engine, baseline)}, per item for the
    figures counted in items."""
    reports = {}
    for step, runs in all_steps.items():
        for name, command in (reversed(runs) if reverse else runs):
            reports[(step, name)] = (runner.run(command), command)
    result = {}
    for figure, step, engine, baseline, key, *per_item in figures:
        times = [number(*reports[(step, side)], key) for side in (engine, baseline)]
        if per_item:
            items = number(*reports[(step, engine)], per_item[0][1])
            times = [time_ms * 1000.0 / items for time_ms in times]
        result[figure] = tuple(times)
    return result


def ratio(engine, baseline):
    return engine / baseline if baseline > 0 else float("inf")


def unit(figure):
    for name, _, _, _, _, *per_item in FIGURES:
        if name == figure and per_item:
            return per_item[0][0]
    return "ms/frame" if "frame" in figure else "ms"


def times(engine, baseline):
    """Both times, with four significant digits for the small ones (microseconds a character)."""
    return " ".join("%s %9s" % (side, "%.3f" % value if value >= 1.0 else "%.4g" % value)
                    for side, value in (("engine", engine), ("baseline", baseline)))


def print_round(index, rounds, result):
    print("round %d of %d" % (index + 1, rounds))
    width = max(len(figure) for figure in result)
    for figure in result:
        engine, baseline = result[figure]
        print("  %-*s  %s %-8s  ratio %6.3f" % (width, figure, times(engine, baseline), unit(figure),
                                                 ratio(engine, baseline)))
    sys.stdout.flush()


def print_medians(results):
    print("medians over %d rounds" % len(results))
    width = max(len(figure) for figure in results[0])
    for figure in results[0]:
        engines = [result[figure][0] for result in results]
        baselines = [result[figure][1] for result in results]
        ratios = [ratio(engine, baseline) for engine, baseline in zip(engines, baselines)]
        print("  %-*s  %s %-8s  ratio %6.3f  (rounds %.3f to %.3f)"
              % (width, figure, times(statistics.median(engines), statistics.median(baselines)), unit(figure),
                 statistics.median(ratios), min(ratios), max(ratios)))


class HttpServer:
    """The loopback server, started natively for the whole run."""

    def __enter__(self):
        self.folder = tempfile.mkdtemp(prefix="quaven-bench-http-")
        self.process = subprocess.Popen([sys.executable, HTTP_SERVER, self.folder], stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.folder, "port")
        for _ in range(100):
            if os.path.exists(port_file) and os.path.getsize(port_file) > 0:
                self.port = int(open(port_file).read())
                return self
            time.sleep(0.1)
        self.__exit__(None, None, None)
        raise BenchmarkError("the HTTP server did not start")

    def __exit__(self, *exception):
        self.process.terminate()
        self.process.wait()
        for name in os.listdir(self.folder):
            os.remove(os.path.join(self.folder, name))
        os.rmdir(self.folder)


def load_average():
    with open("/proc/loadavg") as source:
        return source.read().strip()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folder")
    parser.add_argument("--rounds", type=int, default=7, help="rounds (at least 7; default 7)")
    parser.add_argument("--frames", type=int, default=600, help="timed frames of the empty-frame runs")
    parser.add_argument("--only", help="the steps to run, comma-separated (default: all): startup, frames, "
                        "quads, database, reads, shaders, bitmaps, images, sounds, mixer, fonts, text, http")
    options = parser.parse_args()
    if options.rounds < 7:
        parser.error("a median needs at least 7 rounds")

    runner = Runner(options.folder)
    print("load average at start: %s" % load_average())
    try:
        with HttpServer() as server:
            all_steps = steps(options.folder, options.frames, server.port)
            if options.only:
                chosen = options.only.split(",")
                unknown = [step for step in chosen if step not in all_steps]
                if unknown:
                    parser.error("no step %s" % ", ".join(unknown))
                all_steps = {step: runs for step, runs in all_steps.items() if step in chosen}
            figures = [figure for figure in FIGURES if figure[1] in all_steps]
            check_warmup(runner, options.folder, all_steps)
            results = []
            for index in range(options.rounds):
                results.append(run_round(runner, all_steps, figures, reverse=index % 2 == 1))
                print_round(index, options.rounds, results[-1])
    except BenchmarkError as error:
        print("bench: %s" % error, file=sys.stderr)
        return 1
    finally:
        runner.remove_engine_logs()
    print_medians(results)
    print("load average at end: %s" % load_average())
    # The mixer runs on its own thread every 25 ms: its tick as a share of one core.
    for figure, step, *_ in figures:
        if step == "mixer":
            tick = statistics.median(result[figure][0] for result in results)
            print("%s: %.4f%% of one core" % (figure, 100.0 * tick / MIXER_TICK_MS))
    for figure in results[0]:
        ratios = [ratio(*result[figure]) for result in results]
        print("%s: median ratio %.3f" % (figure, statistics.median(ratios)))
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Judges translated shader text with the real compilers on the Linux side.

Tests under Wine cannot start Linux programs, so this runs the other way round: it starts
the shader translator's test executable under Wine, limited to the tests whose names
contain "CompilerOutputs", with QUAVEN_SHADER_OUTPUTS naming an empty folder. Those tests
write every translation they make there as "<name>.<TARGET>.<vertex|pixel>" (see
tests/shadertool/compiler_outputs.h). Then every GLSL21, GLSL31, ESSL20 and ESSL30 file is
compiled with glslangValidator (with the #version line its target implies when the text
has none) and every HLSL9 and HLSL11 file with glslangValidator's HLSL front end (-D).
PSSL has no compiler here and is only counted.

Usage: judge_shader_outputs.py [--require-outputs] WINE_RUN TEST_EXECUTABLE OUTPUT_FOLDER
"""
import os
import shutil
import subprocess
import sys
import tempfile

GL_VERSIONS = {
    "ESSL20": "#version 100\n",
    "ESSL30": "#version 300 es\n",
    "GLSL21": "#version 120\n",
    "GLSL31": "#version 140\n",
}
HLSL_TARGETS = {"HLSL9", "HLSL11"}
STAGES = {"vertex": "vert", "pixel": "frag"}
WRITER_FILTER = "*CompilerOutputs*"


def run_writers(wine_run, executable, folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    environment = dict(os.environ, QUAVEN_SHADER_OUTPUTS="Z:" + folder)
    result = subprocess.run(["bash", wine_run, executable, "--gtest_filter=" + WRITER_FILTER],
                            env=environment, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if result.returncode != 0:
        sys.stdout.write(result.stdout.decode("utf-8", "replace"))
        print("the tests that write the outputs failed (exit code %d)" % result.returncode)
        return False
    return True


def judge(path, target, stage, scratch):
    with open(path, "rb") as source:
        text = source.read().decode("utf-8", "replace")
    if target in GL_VERSIONS:
        if not text.lstrip().startswith("#version"):
            text = GL_VERSIONS[target] + text
        command = ["glslangValidator", "-S", STAGES[stage]]
    elif target in HLSL_TARGETS:
        # The HLSL front end works only towards SPIR-V, which is thrown away.
        command = ["glslangValidator", "-D", "-V", "-S", STAGES[stage], "-e", "main", "-o", os.devnull]
    else:
        return None
    judged = os.path.join(scratch, os.path.basename(path) + ".txt")
    with open(judged, "w") as copy:
        copy.write(text)
    result = subprocess.run(command + [judged], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if result.returncode == 0:
        return ""
    numbered = "\n".join("%4d  %s" % (number, line) for number, line in enumerate(text.split("\n"), 1))
    return "%s\n%s\n%s" % (" ".join(command + [os.path.basename(path)]),
                           result.stdout.decode("utf-8", "replace").strip(), numbered)


def main():
    arguments = sys.argv[1:]
    require_outputs = "--require-outputs" in arguments
    arguments = [argument for argument in arguments if argument != "--require-outputs"]
    if len(arguments) != 3:
        print(__doc__)
        return 2
    wine_run, executable, folder = arguments
    if shutil.which("glslangValidator") is None:
        print("glslangValidator is not installed (Debian's glslang-tools)")
        return 1
    if not run_writers(wine_run, executable, os.path.abspath(folder)):
        return 1
    failures = []
    judged = 0
    skipped = 0
    with tempfile.TemporaryDirectory() as scratch:
        for name in sorted(os.listdir(folder)):
            parts = name.rsplit(".", 2)
            if len(parts) != 3 or parts[2] not in STAGES:
                failures.append("%s: not named <name>.<TARGET>.<vertex|pixel>" % name)
                continue
            verdict = judge(os.path.join(folder, name), parts[1], parts[2], scratch)
            if verdict is None:
                skipped += 1
                continue
            judged += 1
            if verdict:
                failures.append(verdict)
    for failure in failures:
        print("FAILED: " + failure + "\n")
    print("%d outputs judged, %d failed, %d without a compiler here" % (judged, len(failures), skipped))
    if judged == 0 and require_outputs:
        print("no outputs to judge: the writers wrote nothing")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

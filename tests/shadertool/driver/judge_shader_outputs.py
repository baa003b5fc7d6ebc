#!/usr/bin/env python3
"""Judges translated shader text with the real compilers on the Linux side.

Tests under Wine cannot start Linux programs, so this runs the other way round: it runs the
translator's tests whose names contain "CompilerOutputs" under Wine with QUAVEN_SHADER_OUTPUTS
naming an empty folder, where they write each translation as "<name>.<TARGET>.<vertex|pixel>"
(tests/shadertool/compiler_outputs.h). Every GLSL21, GLSL31, ESSL20 and ESSL30 file is then
compiled by glslangValidator (after the #version line its target implies, when the text has
none), every HLSL9 and HLSL11 file by its HLSL front end (-D). PSSL has no compiler here.

Usage: judge_shader_outputs.py WINE_RUN TEST_EXECUTABLE OUTPUT_FOLDER
"""
import os
import shutil
import subprocess
import sys
import tempfile

GL_VERSIONS = {"ESSL20": "#version 100\n", "ESSL30": "#version 300 es\n", "GLSL21": "#version 120\n",
               "GLSL31": "#version 140\n"}
STAGES = {"vertex": "vert", "pixel": "frag"}


def compiler(target, stage):
    if target in GL_VERSIONS:
        return ["glslangValidator", "-S", STAGES[stage]]
    if target in ("HLSL9", "HLSL11"):
        # The HLSL front end works only towards SPIR-V, which is thrown away.
        return ["glslangValidator", "-D", "-V", "-S", STAGES[stage], "-e", "main", "-o", os.devnull]
    return None


def judge(path, target, command, scratch):
    text = open(path, "rb").read().decode("utf-8", "replace")
    if target in GL_VERSIONS and not text.lstrip().startswith("#version"):
        text = GL_VERSIONS[target] + text
    judged = os.path.join(scratch, os.path.basename(path) + ".txt")
    with open(judged, "w") as copy:
        copy.write(text)
    result = subprocess.run(command + [judged], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if result.returncode == 0:
        return None
    numbered = "\n".join("%4d  %s" % line for line in enumerate(text.split("\n"), 1))
    return "%s\n%s\n%s" % (" ".join(command[:-1] + [path]), result.stdout.decode("utf-8", "replace"), numbered)


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    wine_run, executable, folder = sys.argv[1], sys.argv[2], os.path.abspath(sys.argv[3])
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    writers = subprocess.run(["bash", wine_run, executable, "--gtest_filter=*CompilerOutputs*"],
                             env=dict(os.environ, QUAVEN_SHADER_OUTPUTS="Z:" + folder),
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if writers.returncode != 0:
        print(writers.stdout.decode("utf-8", "replace") + "\nthe tests that write the outputs failed")
        return 1
    failures, judged = [], 0
    with tempfile.TemporaryDirectory() as scratch:
        for name in sorted(os.listdir(folder)):
            parts = name.rsplit(".", 2)
            command = compiler(parts[1], parts[2]) if len(parts) == 3 and parts[2] in STAGES else None
            if command:
                judged += 1
                failure = judge(os.path.join(folder, name), parts[1], command, scratch)
                if failure:
                    failures.append(failure)
    for failure in failures:
        print("FAILED: %s\n" % failure)
    print("%d outputs judged, %d failed" % (judged, len(failures)))
    return 1 if failures or judged == 0 else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Writes the Ogg-decoding benchmark's inputs into a folder through sox and oggenc, the same
sound on every machine (sox's random generator seeded, no dither):

  music.ogg   60 s of 44,100 Hz stereo at oggenc quality 4: a sweep, a tone and pink
              noise, so that the encoder spends bits as on music rather than on silence
  short.ogg   the first second of it, short enough to be decoded whole at load time

Files already there are left as they are. Usage: generate_sound_inputs.py FOLDER
"""
import os
import subprocess
import sys

SOX_SOUND = ["-R", "-D", "-n", "-r", "44100", "-c", "2", "-b", "16"]
SOX_SYNTH = ["sine", "110-880", "sine", "330", "pinknoise", "vol", "0.4"]


def encode(folder, name, seconds):
    path = os.path.join(folder, name)
    if os.path.exists(path):
        return
    wav = path + ".wav"
    subprocess.check_call(["sox"] + SOX_SOUND + [wav, "synth", seconds] + SOX_SYNTH)
    subprocess.check_call(["oggenc", "-Q", "-q", "4", "-o", path + ".tmp", wav])
    os.replace(path + ".tmp", path)
    os.remove(wav)
    print("generated %s (%.1f kB)" % (name, os.path.getsize(path) / 1e3))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    encode(folder, "music.ogg", "60")
    encode(folder, "short.ogg", "1")


if __name__ == "__main__":
    main()

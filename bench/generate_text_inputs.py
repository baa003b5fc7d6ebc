#!/usr/bin/env python3
"""Writes the text benchmark's inputs into a folder, the same bytes on every machine:

  paragraph_latin1.txt  2,000 characters of prose in LATIN-1 (one byte a character): English,
                        German and French words, accented letters included
  paragraph_utf8.txt    2,000 characters in UTF-8: English, Polish and Russian words, so that
                        a third of the characters lie beyond U+00FF

Words are separated by single blanks and the text has no line ends and no '|', so every
character but a blank is one glyph quad; every character is in the fonts the benchmark
generates from DejaVuSans (bench/common/bench_fonts.h). Files already there are left as they
are. Usage: generate_text_inputs.py FOLDER
"""
import os
import random
import sys

from generate_inputs import write_atomically

CHARACTERS = 2000
SEED = 20261207

LATIN1_WORDS = ("the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "and", "runs",
                "through", "forest", "while", "night", "falls", "über", "schöne", "Straße",
                "Mädchen", "grün", "Fräulein", "à", "côté", "de", "la", "forêt", "où", "l'été",
                "garçon", "déjà", "naïve", "Æsir", "søster", "señor", "año", "niño", "Hello,",
                "world.", "Level", "12", "gold", "(bonus)", "score!", "100", "-", "quest?")
UTF8_WORDS = ("the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "Zażółć",
              "gęślą", "jaźń", "Łódź", "świat", "książka", "miłość", "źródło", "Съешь", "же",
              "ещё", "этих", "мягких", "французских", "булок", "да", "выпей", "чаю", "Привет,",
              "мир.", "Ёлка", "школа", "level", "42", "score!", "(bonus)", "quest?")


def paragraph(words, seed):
    rng = random.Random(seed)
    text = ""
    while len(text) < CHARACTERS:
        text += (" " if text else "") + rng.choice(words)
    text = text[:CHARACTERS]
    # Neither end is a blank, so every line the layout makes starts and ends with a glyph.
    return text[:-1] + "x" if text.endswith(" ") else text


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, words, encoding in (("paragraph_latin1.txt", LATIN1_WORDS, "latin-1"),
                                  ("paragraph_utf8.txt", UTF8_WORDS, "utf-8")):
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            data = paragraph(words, SEED).encode(encoding)
            write_atomically(path, lambda out: out.write(data))


if __name__ == "__main__":
    main()

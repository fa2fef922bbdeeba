#!/usr/bin/env python3
"""CHANGE of a 3-letter word occurring 50000 times in a 2 MB file (to a word of the same length
and to one of four letters) then SAVE, side by side with sed and with zek without its undo
journal (EDITOR OPTION 11|0); and reformat of a 1 MB text to 72 columns side by side with
fmt -w 72.

Usage: change.py ZEK [RUNS]
"""
import os
import random
import shutil
import sys
import tempfile

from common import alternate

FILLER = ["alpha", "beta", "delta", "omega", "kappa", "sigma", "theta", "gamma", "lambda", "zeta"]


def makechangefile(path, size=2_000_000, occurrences=50000):
    rng = random.Random(3)
    words = []
    total = 0
    target = occurrences
    while total < size:
        w = "cat" if target > 0 and rng.random() < 0.15 else rng.choice(FILLER)
        if w == "cat":
            target -= 1
        words.append(w)
        total += len(w) + 1
    while target > 0:  # make sure there are exactly `occurrences`
        words.append("cat")
        target -= 1
    lines = []
    line = []
    for w in words:
        line.append(w)
        if sum(len(x) + 1 for x in line) > 60:
            lines.append(" ".join(line))
            line = []
    if line:
        lines.append(" ".join(line))
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return sum(1 for w in words if w == "cat")


def makeprose(path, size=1_000_000):
    rng = random.Random(5)
    with open(path, "w") as f:
        written = 0
        while written < size:
            para = []
            for _ in range(rng.randrange(3, 9)):
                line = " ".join(rng.choice(FILLER) for _ in range(rng.randrange(4, 14)))
                para.append(line)
            text = "\n".join(para) + "\n\n"
            f.write(text)
            written += len(text)


def main():
    zek = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 11
    work = tempfile.mkdtemp(prefix="zek-bench-")
    try:
        src = os.path.join(work, "words.txt")
        count = makechangefile(src)
        out = os.path.join(work, "out.txt")

        def clean():
            if os.path.exists(out):
                os.remove(out)

        print("CHANGE of %d occurrences in %.1f MB, median of %d alternating runs" % (count, os.path.getsize(src) / 1e6, runs))
        for repl in ("dog", "dogs"):
            keys = b"FEwords.txt\rCHcat|" + repl.encode() + b"\rSAout.txt\rBY\r"
            sed = ["sh", "-c", "sed 's/cat/%s/g' words.txt > out.txt" % repl]
            (nt, _), (st, _), (zt, zm) = alternate(work, runs, ([zek], b"ED11|0\r" + keys, clean),
                                                   (sed, b"", clean), ([zek], keys, clean))
            expected = open(src).read().replace("cat", repl)
            ok = open(out).read() == expected
            print("  cat -> %-4s zek %6.1f ms (peak %.1f MB, %s)  sed %6.1f ms  zek/sed %.2f  no journal %6.1f ms" %
                  (repl, zt * 1000, zm / 1024, "same result" if ok else "DIFFERENT RESULT", st * 1000, zt / st, nt * 1000))

        prose = os.path.join(work, "prose.txt")
        makeprose(prose)
        # Reformat every paragraph: the key refills one paragraph, so a procedure repeats it.
        paras = open(prose).read().count("\n\n")
        proc = os.path.join(work, "refill.zek")
        with open(proc, "w") as f:
            f.write("FEprose.txt\nSC7|\n\n~{$}%d{<}{^}{R}{N}{K}{>}{%%}{C}~SAout.txt\nBY\n" % paras)
        (ft, _), (zt, zm) = alternate(work, runs, (["sh", "-c", "fmt -w 72 prose.txt > out.txt"], b"", clean),
                                      ([zek], b"PRrefill.zek\r", clean))
        refilled = open(out).read()
        sound = refilled.split() == open(prose).read().split() and max(map(len, refilled.split("\n"))) <= 72
        print("Reformat of %.1f MB (%d paragraphs) to 72 columns, median of %d alternating runs" % (os.path.getsize(prose) / 1e6, paras, runs))
        print("  zek %6.1f ms (peak %.1f MB, %s)  fmt %6.1f ms  zek/fmt %.2f" %
              (zt * 1000, zm / 1024, "words kept, lines within 72" if sound else "WRONG RESULT", ft * 1000, zt / ft))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

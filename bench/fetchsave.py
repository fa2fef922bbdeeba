#!/usr/bin/env python3
"""FETCH then SAVE of a 100000-line, 3.9 MB text file, side by side with vim and cat; and the
start-up of a run on empty input.

Usage: fetchsave.py ZEK [RUNS]
"""
import os
import random
import shutil
import sys
import tempfile

from common import alternate, median_run

WORDS = ["the", "editor", "keeps", "every", "line", "of", "text", "in", "one", "array",
         "and", "moves", "lines", "only", "when", "they", "grow", "record", "field", "zek"]


def makefile(path, lines=100000):
    rng = random.Random(7)
    with open(path, "w") as f:
        for _ in range(lines):
            line = []
            while sum(len(w) + 1 for w in line) < rng.randrange(24, 62):
                line.append(rng.choice(WORDS))
            f.write(" ".join(line) + "\n")


def main():
    zek = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 11
    work = tempfile.mkdtemp(prefix="zek-bench-")
    try:
        src = os.path.join(work, "big.txt")
        makefile(src)
        size = os.path.getsize(src)
        out = os.path.join(work, "out.txt")

        def clean():
            if os.path.exists(out):
                os.remove(out)

        (ct, cm), (zt, zm) = alternate(work, runs, (["sh", "-c", "cat big.txt > out.txt"], b"", clean),
                                       ([zek], b"FEbig.txt\rSAout.txt\rBY\r", clean))
        if open(out, "rb").read() != open(src, "rb").read():
            print("zek wrote a different file")
            return 1
        vim = shutil.which("vim")
        vt = vm = None
        if vim:
            vt, vm = median_run([vim, "-u", "NONE", "-i", "NONE", "-es", "-c", "w! out.txt", "-c", "q", "big.txt"],
                                work, runs, b"", clean)
        print("FETCH+SAVE of %d lines, %.1f MB, median of %d alternating runs" % (100000, size / 1e6, runs))
        print("  zek  %7.1f ms  peak %6.1f MB (%.1f MB above the file)" % (zt * 1000, zm / 1024, zm / 1024 - size / 1048576))
        if vt:
            print("  vim  %7.1f ms  peak %6.1f MB" % (vt * 1000, vm / 1024))
        print("  cat  %7.1f ms" % (ct * 1000))
        # Start-up: a run on empty input, the fixed cost of every batch task above.
        # true(1) run in turn with it shows what starting any process costs here.
        (tt, _), (st, sm) = alternate(work, max(runs * 4, 20), (["true"],), ([zek],))
        print("  start-up on empty input %.1f ms (true %.1f ms), peak %.1f MB" % (st * 1000, tt * 1000, sm / 1024))
        if vt:
            print("  zek/vim %.2f" % (zt / vt))
        print("  zek/cat %.2f" % (zt / ct))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

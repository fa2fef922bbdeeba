#!/usr/bin/env python3
"""SORT of 200000 generated lines (text view, key length 15, FETCH and SAVE included) side by
side with sort(1) (LC_ALL=C, -s -k1.1,1.15) on the same file, checked for identical output; and
a block copy and a block move of 100000 lines, whose move must not cost more as the block grows.

Usage: sort.py ZEK [RUNS]
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

from common import alternate, median_run


def main():
    zek = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 11
    work = tempfile.mkdtemp(prefix="zek-bench-")
    try:
        rng = random.Random(5)
        letters = "abcdefghijklmnopqrstuvwxyz"
        with open(os.path.join(work, "in.txt"), "w") as f:
            for i in range(200000):
                f.write("".join(rng.choice(letters) for _ in range(rng.randrange(3, 30))) + "\n")
        out = os.path.join(work, "out.txt")

        def clean():
            if os.path.exists(out):
                os.remove(out)

        keys = b"FEin.txt\rSO0|15|1|200000\rSAout.txt\rBY\r"
        env = dict(os.environ, LC_ALL="C")
        sort = ["sh", "-c", "sort -s -k1.1,1.15 in.txt > sorted.txt"]
        (base, _), (s, _), (t, peak) = alternate(work, runs, ([zek], b"FEin.txt\rSAout.txt\rBY\r", clean),
                                                 (sort, b"", None, env), ([zek], keys, clean))
        same = open(out, "rb").read() == open(os.path.join(work, "sorted.txt"), "rb").read()
        print("SORT of 200000 lines, key length 15, median of %d alternating runs" % runs)
        print("  zek FETCH+SORT+SAVE %.0f ms (the sort alone %.0f ms), sort(1) %.0f ms: ratio %.2f; output %s; peak %.1f MB"
              % (t * 1000, (t - base) * 1000, s * 1000, t / s, "identical" if same else "DIFFERENT", peak / 1024))

        # Blocks: star lines 1 and n, then copy (^B) or delete (^D) and recover (^T) elsewhere.
        for n in (1000, 100000):
            star = b"FEin.txt\r\r\x05\x1b[B" if n == 1 else b"FEin.txt\rPO%d|1\r\r\x05\x03BE\r\r\x05" % n
            move = star + b"\x04\x03CO2\r\r\x14\x03BY\r\r\r"
            copy = star + b"\x02\x03CO2\r\r\x14\x03BY\r\r\r"
            plain = star + b"\x03BY\r\r\r"
            tm, _ = median_run([zek], work, runs, move)
            tc, _ = median_run([zek], work, runs, copy)
            tp, _ = median_run([zek], work, runs, plain)
            print("  block of %6d lines: move %.2f ms, copy %.2f ms (beyond fetching and starring)" %
                  (n, (tm - tp) * 1000, (tc - tp) * 1000))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()

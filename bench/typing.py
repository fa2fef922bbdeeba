#!/usr/bin/env python3
"""Typing throughput: one million printable keys from standard input into a corefile (a RETURN
every 70 keys), then SAVE, with the undo journal and without it (EDITOR OPTION 11|0); and the
cost of one key in a corefile of 1000 versus 200000 lines.

Usage: typing.py ZEK [RUNS]
"""
import os
import random
import shutil
import sys
import tempfile

from common import alternate, median_run

PRINTABLE = bytes(range(ord("a"), ord("z") + 1)) + b" 0123456789.,"


def keys(count, every=70):
    rng = random.Random(11)
    out = bytearray()
    for i in range(count):
        out.append(rng.choice(PRINTABLE))
        if every and i % every == every - 1:
            out += b"\r"
    return bytes(out)


def main():
    zek = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 9
    work = tempfile.mkdtemp(prefix="zek-bench-")
    try:
        out = os.path.join(work, "out.txt")

        def clean():
            if os.path.exists(out):
                os.remove(out)

        million = keys(1000000)
        script = b"\r" + million + b"\x03SAout.txt\rBY\r"
        (base, _), (off, offpeak), (t, peak) = alternate(work, runs, ([zek], b"\r\x03SAout.txt\rBY\r", clean),
                                                         ([zek], b"ED11|0\r" + script, clean), ([zek], script, clean))
        per_second = 1000000 / max(t - base, 1e-9)
        print("Typing 1000000 keys (RETURN every 70) then SAVE, median of %d alternating runs" % runs)
        print("  %.0f ms, %.2f million keys per second, peak %.1f MB" % (t * 1000, per_second / 1e6, peak / 1024))
        print("  without the undo journal %.0f ms, peak %.1f MB: the journal costs %.1f%% of the time" %
              (off * 1000, offpeak / 1024, 100 * (t - off) / max(off - base, 1e-9)))

        # One key's cost against the corefile's length: type on line 1 of a long corefile.
        typed = keys(200000, every=0)
        results = {}
        for lines in (1000, 200000):
            name = "lines%d.txt" % lines
            with open(os.path.join(work, name), "w") as f:
                for i in range(lines):
                    f.write("line %d\n" % i)
            fetch = b"FE" + name.encode() + b"\r\r"
            full, _ = median_run([zek], work, runs, fetch + typed + b"\x03BY\r\r", None)
            empty, _ = median_run([zek], work, runs, fetch + b"\x03BY\r\r", None)
            results[lines] = (full - empty) / len(typed)
        print("  one key on line 1: %.3f us with 1000 lines, %.3f us with 200000 lines (ratio %.2f)" %
              (results[1000] * 1e6, results[200000] * 1e6, results[200000] / results[1000]))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Record work side by side with awk on the same generated input, checked for identical output:
a checked FETCH that keeps the 10% of 100000 records whose third field is above 90 (a check
line in corefile 18 and the filter pattern of FETCH), and a MERGE of 10000 records into a
letter template (TEMPLATE 2 and the merge key in a counted procedure loop run with screen
output off, then SAVE of corefile 16).

Usage: records.py ZEK [RUNS]
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

from common import alternate

LETTER = "Dear #2 #1,\nWe hold #3 items of yours.\n\nYours,\nThe Office\n\n"
AWKLETTER = ("BEGIN { FS = \"|\" } { sub(/^\\\\r/, \"\"); "
             "printf \"Dear %s %s,\\nWe hold %s items of yours.\\n\\nYours,\\nThe Office\\n\\n\", $2, $1, $3 }")


def records(path, n, rng):
    letters = "abcdefghijklmnopqrstuvwxyz"
    with open(path, "w") as f:
        for _ in range(n):
            name = "".join(rng.choice(letters) for _ in range(rng.randrange(4, 12))).capitalize()
            first = "".join(rng.choice(letters) for _ in range(rng.randrange(3, 8))).capitalize()
            f.write("\\r%s|%s|%d|\n" % (name, first, rng.randrange(1, 101)))


def same(work, a, b):
    return open(os.path.join(work, a), "rb").read() == open(os.path.join(work, b), "rb").read()


def main():
    zek = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 11
    work = tempfile.mkdtemp(prefix="zek-bench-")
    try:
        rng = random.Random(14)
        records(os.path.join(work, "big.txt"), 100000, rng)
        records(os.path.join(work, "small.txt"), 10000, rng)
        with open(os.path.join(work, "checks.txt"), "w") as f:
            f.write("#3>90\n")
        with open(os.path.join(work, "letter.tpl"), "w") as f:
            f.write(LETTER)
        with open(os.path.join(work, "loop.zek"), "w") as f:
            # leave the command line, screen output off, merge and step down 10000 times,
            # output on, back to the command line
            f.write("\n~{[}z{$}10000{<}{^}{[}F{K}{>}{%}{[}z{C}~")

        outputs = [os.path.join(work, n) for n in ("kept.txt", "letters.txt")]

        def clean():
            for o in outputs:
                if os.path.exists(o):
                    os.remove(o)

        checked = b"CO18\rFEchecks.txt\rCO1\rFEbig.txt|1|200000|1\rSAkept.txt\rBY\r"
        plain = b"FEbig.txt\rBY\r"
        awk = ["sh", "-c", "awk -F'|' '$3 > 90' big.txt > awk-kept.txt"]
        (base, _), (a, _), (t, peak) = alternate(work, runs, ([zek], plain, clean), (awk,), ([zek], checked, clean))
        kept = sum(1 for _ in open(os.path.join(work, "kept.txt"), "rb"))
        print("Checked FETCH of 100000 records keeping %d, median of %d alternating runs" % (kept, runs))
        print("  zek FETCH+check+SAVE %.0f ms (a plain FETCH %.0f ms), awk %.0f ms: ratio %.2f; output %s; peak %.1f MB"
              % (t * 1000, base * 1000, a * 1000, t / a, "identical" if same(work, "kept.txt", "awk-kept.txt")
                 else "DIFFERENT", peak / 1024))

        merged = b"FEsmall.txt\rOB1\rTE2|letter.tpl\rPRloop.zek\rCO16\rSAletters.txt|2|200000\rBY\r\r"
        awk = ["sh", "-c", "awk '%s' small.txt > awk-letters.txt" % AWKLETTER]
        (a, _), (t, peak) = alternate(work, runs, (awk,), ([zek], merged, clean))
        print("MERGE of 10000 records into a letter template, median of %d alternating runs" % runs)
        print("  zek FETCH+MERGE+SAVE %.0f ms, awk %.0f ms: ratio %.2f; output %s; peak %.1f MB"
              % (t * 1000, a * 1000, t / a, "identical" if same(work, "letters.txt", "awk-letters.txt")
                 else "DIFFERENT", peak / 1024))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""LEXICON of 100000 entries (2 or 3 attribute compounds each, a frequency and two further
fields) after ATTRIBUTE and TMNLS: entries per second and peak memory above a run of the same
keys without LEXICON, side by side with wc -l and cat of the same file.
Goals: 500000 entries per second; less extra memory than three times the file's size.

Usage: lexicon.py ZEK [RUNS]
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

from common import median_run

ENTRIES = 100000
ATTRIBUTES = """cat ( noun, verb, adj, adv, det, prep, pron, conj )
number ( 2 sing, plur )  gender ( masc, fem, neut )  person ( first, second, third )
tense ( pres, past, fut, perf )  case ( nom, acc, dat, gen )  degree ( low < mid < high < top )
%
"""
VALUES = ("sing plur masc fem neut first second third pres past fut perf nom acc dat gen top number "
          "low <mid >high degree person.third case.dat.number").split()
TERMINALS = {"N": "noun", "V": "verb", "ADJ": "adj", "ADV": "adv", "DET": "det", "PREP": "prep",
             "PRO": "pron", "CONJ": "conj"}
SYLLABLES = ["ka", "lo", "mi", "ter", "san", "dru", "vel", "po", "rix", "ne", "stu", "gar"]


def makefiles(work):
    rng = random.Random(11)
    with open(os.path.join(work, "a.att"), "w") as f:
        f.write(ATTRIBUTES)
    with open(os.path.join(work, "t.tmn"), "w") as f:
        f.write(" ".join(TERMINALS) + "\n")
    with open(os.path.join(work, "big.lex"), "w") as f:
        for i in range(ENTRIES):
            term = rng.choice(list(TERMINALS))
            word = "".join(rng.choice(SYLLABLES) for _ in range(rng.randrange(1, 5))) + str(i % 97)
            comps = [TERMINALS[term] + "." + rng.choice(VALUES)] + rng.sample(VALUES, rng.randrange(1, 3))
            f.write('"%s"|%s|%s|%d|$STEM%d|x%s|\n' % (word, term, ", ".join(comps), rng.randrange(1, 40),
                                                     rng.randrange(9), word[:3]))
    return os.path.getsize(os.path.join(work, "big.lex"))


def main():
    zek = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    work = tempfile.mkdtemp(prefix="zek-bench-")
    try:
        size = makefiles(work)
        head = b"\x03ATa.att\rTMt.tmn\r"
        check = subprocess.run([zek], cwd=work, input=head + b"LEbig.lex\rEM7|1|12|0\rBY\r\r\r",
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
        want = b"Total Words: %d. Number of Errors: 0" % ENTRIES
        if want not in check:
            print("zek did not read the lexicon cleanly: %r" % check[-600:])
            return 1
        lt, lm = median_run([zek], work, runs, head + b"LEbig.lex\rBY\r\r\r")
        bt, bm = median_run([zek], work, runs, head + b"BY\r\r\r")
        wt, _ = median_run(["wc", "-l", "big.lex"], work, runs)
        ct, _ = median_run(["cat", "big.lex"], work, runs)
        load = max(lt - bt, 1e-6)
        extra = (lm - bm) * 1024
        print("LEXICON of %d entries, %.1f MB, median of %d runs" % (ENTRIES, size / 1e6, runs))
        print("  with LEXICON   %7.1f ms  peak %6.1f MB" % (lt * 1000, lm / 1024))
        print("  without        %7.1f ms  peak %6.1f MB" % (bt * 1000, bm / 1024))
        print("  reading        %7.1f ms  %9.0f entries/s   (goal 500000)" % (load * 1000, ENTRIES / load))
        print("  extra memory   %7.1f MB  %9.2f x the file  (goal under 3)" % (extra / 1048576, extra / size))
        print("  wc -l          %7.1f ms  reading/wc  %.1f" % (wt * 1000, load / wt))
        print("  cat            %7.1f ms  reading/cat %.1f" % (ct * 1000, load / ct))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

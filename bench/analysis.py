#!/usr/bin/env python3
"""Response analyses per second on the example grammar, driven by a procedure loop: a 12-word
response against the 19 roots of the default root set (2 to 20; a QROOTSET text of 48
characters cannot name all 20), with the morph error and tag tables loaded, corefiles 7 and 15
cleared between analyses; and the peak memory.
Goal: 2000 analyses per second.

The roots are the answers of exercise.qa and seventeen more in four shapes: the statement, the
time adverb first, the statement with its capital and stop (ROOT), and the question's word order.

Usage: analysis.py ZEK [RUNS]
"""
import os
import shutil
import sys
import tempfile

from common import alternate

HERE = os.path.dirname(os.path.abspath(__file__))
GRAMMAR = os.path.join(os.path.dirname(HERE), "examples", "grammar")
ANALYSES = 2000
RESPONSE = "tomorrow my teacher will watches her hens and the puppy wil sleep"
SHAPES = ["STATEMENT[Num, Ten] OBJECT ADV/_pre_ timeadv",
          "ADV/_pre_ timeadv STATEMENT[Num, Ten] OBJECT",
          "ROOT",
          "INVERSION[Num, Ten] OBJECT ADV/_pre_ timeadv"]


def roots():
    """A user file: the exercise's roots and R_4 to R_20."""
    rules = ['%INCLUDE "exercise.qa"']
    for n in range(4, 21):
        rules.append("R_%d = SELECT Num: number _pre_ subjnoun; SELECT Ten: tense _pre_ timeadv;\n      %s %%"
                     % (n, SHAPES[n % len(SHAPES)]))
    return "\n".join(rules) + "\n"


def procedure(analyses):
    """Keys that load the grammar and tables, generate once, type the response and analyse it
    `analyses` times. The commands of the loop stand in a level of their own ({$}0 ... {%}),
    so that their results do not reach the loop's counter."""
    load = "".join("%s{M}" % c for c in ("ATenglish.att", "TMenglish.tmn", "LEenglish.lex", "SYenglish.syn",
                                         "MOenglish.mor", "TBenglish.tbl", "USbench.qa", "MRenglish.mer",
                                         "TGenglish.tag", "RA100769"))
    body = "{[}K{$}0{C}CO7{M}CL{M}CO15{M}CL{M}CO1{M}{M}{%}"
    loop = "{$}%d{<}{^}%s{>}{%%}" % (analyses, body) if analyses else ""
    return "~{[}z{C}" + load + "{M}{[}g" + RESPONSE + "{[}D" + loop + "{C}BY{M}{M}{M}~\n"


def main():
    zek = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    work = tempfile.mkdtemp(prefix="zek-bench-")
    try:
        for name in os.listdir(GRAMMAR):
            shutil.copy(os.path.join(GRAMMAR, name), work)
        with open(os.path.join(work, "bench.qa"), "w") as f:
            f.write(roots())

        for name, analyses in (("loop.prc", ANALYSES), ("base.prc", 0)):
            with open(os.path.join(work, name), "w", encoding="latin-1") as f:
                f.write(procedure(analyses))
        (base, basepeak), (full, peak) = alternate(work, runs, ([zek, "-p", "base.prc"],), ([zek, "-p", "loop.prc"],))
        rate = ANALYSES / max(full - base, 1e-9)
        print("Response analysis on the example grammar: %d analyses of a %d-word response against 19 roots, "
              "median of %d alternating runs" % (ANALYSES, len(RESPONSE.split()), runs))
        print("  %8.0f analyses per second (%.0f us an analysis; goal 2000 per second), peak %.1f MB "
              "(%.1f MB without analysing)" % (rate, 1e6 / rate, peak / 1024, basepeak / 1024))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Generation runs per second on the example grammar, driven by a procedure loop with a fixed
seed, with the peak memory; and the cost of one run as the lexicon grows from its own size to
about 1000 and 10000 entries (copies of its entries under new words, so that every lookup has
proportionally more candidates to scan).

Usage: generate.py ZEK [RUNS]
"""
import os
import re
import shutil
import sys
import tempfile

from common import median_run

HERE = os.path.dirname(os.path.abspath(__file__))
GRAMMAR = os.path.join(os.path.dirname(HERE), "examples", "grammar")
GENERATIONS = 20000


def procedure(lexicon, generations, tables):
    """Keys that load the grammar, seed, generate `generations` times and leave."""
    load = "{C}ATenglish.att{M}TMenglish.tmn{M}LE%s{M}SYenglish.syn{M}MOenglish.mor{M}" % lexicon
    if tables:
        load += "TBenglish.tbl{M}"
    loop = "{$}%d{<}{^}\x1bg{>}{%%}" % generations if generations else ""
    return "~" + load + "RA1{M}{M}" + loop + "{C}BY{M}{M}~"


def grown(lines, size):
    """The lexicon's entries copied under new words until about `size` entries."""
    entries = [l for l in lines if re.match(r'\s*"', l)]
    out = list(lines)
    n = len(entries)
    copy = 1
    while n < size:
        for e in entries:
            if n >= size:
                break
            out.append(re.sub(r'"([^"]*)"', lambda m: '"%s%d"' % (m.group(1), copy), e, count=1))
            n += 1
        copy += 1
    return out, n


def runs_per_second(zek, work, lexicon, runs, tables):
    def timed(generations):
        with open(os.path.join(work, "loop.prc"), "w", encoding="latin-1") as f:
            f.write(procedure(lexicon, generations, tables))
        return median_run([zek, "-p", "loop.prc"], work, runs)
    full, peak = timed(GENERATIONS)
    base, basepeak = timed(0)
    return GENERATIONS / max(full - base, 1e-9), peak, basepeak


def main():
    zek = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    work = tempfile.mkdtemp(prefix="zek-bench-")
    try:
        for name in os.listdir(GRAMMAR):
            if name.startswith("english."):
                shutil.copy(os.path.join(GRAMMAR, name), work)
        tables = os.path.exists(os.path.join(work, "english.tbl"))
        with open(os.path.join(work, "english.lex"), encoding="latin-1") as f:
            lines = f.read().splitlines()
        print("Generation on the example grammar, %d runs with seed 1, median of %d" % (GENERATIONS, runs))
        first = None
        for size in (0, 1000, 10000):
            body, count = grown(lines, size)
            name = "grown%d.lex" % size
            with open(os.path.join(work, name), "w", encoding="latin-1") as f:
                f.write("\n".join(body) + "\n")
            rate, peak, basepeak = runs_per_second(zek, work, name, runs, tables)
            if first is None:
                first = (count, rate)
            print("  %6d entries: %8.0f runs per second (%.1f us a run; %.2fx the cost at %d entries, "
                  "%.1fx the entries), peak %.1f MB (%.1f MB without generating)" %
                  (count, rate, 1e6 / rate, first[1] / rate, first[0], count / first[0], peak / 1024,
                   basepeak / 1024))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()

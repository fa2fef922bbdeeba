#!/usr/bin/env python3
"""Lays out the fuzz targets' seed corpora and dictionaries.

  seeds.py ZEK OUT

OUT/seeds/TARGET/ gets the seed inputs of each target: the key scripts of the end-to-end cases
(keys), the example grammar's and the end-to-end cases' description files of each kind (the
readers), stored tree files that ZEK writes from the example grammar (recover), and sentences
and answers (response). OUT/dict/TARGET.dict gets the target's dictionary: the shared tokens of
its format (tests/fuzz/dict/) and the names its example files use.
"""
import glob
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
GRAMMAR = os.path.join(ROOT, "examples", "grammar")
CASES = os.path.join(ROOT, "tests", "e2e", "cases")
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from run import translate  # noqa: E402  the key notation of the end-to-end cases

READERS = {
    "attributes": [".att"], "terminals": [".tmn"], "lexicon": [".lex"],
    "syntax": [".syn", ".qa", ".usr"], "morphology": [".mor"], "tables": [".tbl"],
    "phonology": [".ipa"], "morpherror": [".mer"], "tag": [".tag"], "semantic": [".sem"],
    "ltrules": [".ltr"],
}


def put(folder, data):
    os.makedirs(folder, exist_ok=True)
    name = hashlib.sha1(data).hexdigest()
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def keyseeds(out):
    for case in sorted(glob.glob(os.path.join(CASES, "*", "keys"))):
        try:
            put(out, translate(read(case).decode("latin-1")))
        except ValueError:
            pass


def readerseeds(out, extensions):
    for ext in extensions:
        for path in glob.glob(os.path.join(GRAMMAR, "*" + ext)) + glob.glob(os.path.join(CASES, "*", "files", "*" + ext)):
            put(out, read(path))


def storedseeds(zek, out):
    """Stored trees of a few runs of the example grammar, in each of the three styles."""
    loads = "".join("%s%s\r" % (c, f) for c, f in [("AT", "english.att"), ("TM", "english.tmn"), ("LE", "english.lex"),
                                                   ("SY", "english.syn"), ("MO", "english.mor"), ("TB", "english.tbl")])
    put(out, read(os.path.join(CASES, "store-recover-round-trip", "expect", "stored.st")))
    with tempfile.TemporaryDirectory() as work:
        for f in os.listdir(GRAMMAR):
            shutil.copy(os.path.join(GRAMMAR, f), work)
        n = 0
        for user in ["", "USenglish.qa\r"]:
            for seed in (3, 11):
                for style in (0, 1, 2):
                    n += 1
                    keys = "\x03" + loads + user + "RA%d\r\r\x1bg\x03CO3\rST%d|0\rSAst%d\rBY\r" % (seed, style, n)
                    subprocess.run([zek], input=keys.encode("latin-1"), cwd=work, capture_output=True, timeout=60)
                    path = os.path.join(work, "st%d" % n)
                    if os.path.exists(path):
                        put(out, read(path))


def responseseeds(out):
    for path in [os.path.join(GRAMMAR, "english.qa"), os.path.join(GRAMMAR, "exercise.qa")]:
        for line in read(path).splitlines():
            line = line.strip()
            if line and not line.startswith(b"{"):
                put(out, line)
    for sentence in [b"This boy is drinking that coffee now.", b"Maria and my teacher are sending Tom news now.",
                     b"the dogs drinks a milk", b"Is this boy drinking that coffee now?", b""]:
        put(out, sentence)


def dictionary(out, shared, sources):
    words = set()
    for path in sources:
        text = re.sub(rb"\{[^}]*\}", b" ", read(path))  # comments
        words.update(w for w in re.findall(rb"[A-Za-z_][A-Za-z_0-9]*", text) if len(w) > 1)
    lines = [read(os.path.join(HERE, "dict", d)).decode() for d in shared]
    lines += ['"%s"' % w.decode("latin-1") for w in sorted(words)[:400]]
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    zek, out = os.path.abspath(sys.argv[1]), sys.argv[2]
    seeds, dicts = os.path.join(out, "seeds"), os.path.join(out, "dict")
    shutil.rmtree(seeds, ignore_errors=True)
    os.makedirs(dicts, exist_ok=True)
    keyseeds(os.path.join(seeds, "keys"))
    dictionary(os.path.join(dicts, "keys.dict"), ["keys.dict"], [])
    for target, extensions in READERS.items():
        readerseeds(os.path.join(seeds, target), extensions)
        sources = [p for ext in extensions for p in glob.glob(os.path.join(GRAMMAR, "*" + ext))]
        dictionary(os.path.join(dicts, target + ".dict"), ["grammar.dict"], sources)
    storedseeds(zek, os.path.join(seeds, "recover"))
    dictionary(os.path.join(dicts, "recover.dict"), ["stored.dict", "grammar.dict"],
               [os.path.join(GRAMMAR, "english.lex")])
    responseseeds(os.path.join(seeds, "response"))
    dictionary(os.path.join(dicts, "response.dict"), [], [os.path.join(GRAMMAR, "english.lex")])
    for target in sorted(os.listdir(seeds)):
        print("%-12s %d seeds" % (target, len(os.listdir(os.path.join(seeds, target)))))


if __name__ == "__main__":
    main()

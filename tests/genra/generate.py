#!/usr/bin/env python3
"""genra generate and the program's command line: runs reproducible from a seed and equal to
the same runs typed into zek, --json parsed back against the plain output, the problems a run
meets, and every usage error.

Usage: generate.py BUILD/genra BUILD/zek
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EXAMPLE = os.path.join(ROOT, "examples", "grammar")
COMMANDS = {"attributes": "AT", "terminals": "TM", "lexicon": "LE", "syntax": "SY", "user": "US",
            "morphology": "MO", "tables": "TB"}

failures = []
checks = 0


def check(ok, what):
    global checks
    checks += 1
    if not ok:
        failures.append(what)
        print("FAIL " + what)


def genra(*args, cwd=None):
    run = subprocess.run([GENRA] + list(args), cwd=cwd, capture_output=True, timeout=120)
    return run.returncode, run.stdout.decode("latin-1"), run.stderr.decode("latin-1")


def manifestfiles(folder):
    files = []
    for line in open(os.path.join(folder, "manifest")):
        words = line.split("#")[0].split()
        if len(words) == 2 and words[0] in COMMANDS:
            files.append((COMMANDS[words[0]], words[1]))
    return files


def zekruns(folder, seed, runs, roots):
    """The sentences of `runs` runs typed into zek: the manifest's files loaded by their
    commands, RANDOM SEED, then ESC g and ESC m for each root, and EMIT of corefile 1."""
    keys = "\x03" + "".join(c + name + "\r" for c, name in manifestfiles(folder)) + "RA%d\r\r" % seed
    for _ in range(runs):
        keys += "\x1bg" + "".join("\x1bm%d\r" % r for r in roots)
    keys += "\x03EM1|2|200000|0\rBY\r"
    run = subprocess.run([ZEK], input=keys.encode("latin-1"), cwd=folder, capture_output=True, timeout=120)
    lines = run.stdout.decode("latin-1").split("\n")
    lines = [l for l in lines[:lines.index("$$$\r")] if not l.endswith("\r")]  # EMIT's lines end in \n alone
    return ["\t".join(lines[i:i + len(roots)]) for i in range(0, len(lines), len(roots))]


def postmorph(words):
    """The sentence the leaves' words make: "^" joins to the word before, "`" capitalises the
    next letter, and both drop the blanks after them."""
    text, out, capital, i = " ".join(w for w in words if w), "", False, 0
    while i < len(text):
        ch = text[i]
        i += 1
        if ch in "^`":
            out = out.rstrip(" ") if ch == "^" else out
            capital = capital or ch == "`"
            while i < len(text) and text[i] == " ":
                i += 1
            continue
        out += ch.upper() if capital and ("a" <= ch <= "z" or 224 <= ord(ch) <= 254) else ch
        capital = False
    return out


def runs_match_zek(scratch):
    folder = os.path.join(scratch, "statements")
    shutil.copytree(EXAMPLE, folder)
    status, out, err = genra("generate", "-n", "6", folder)
    check(status == 0 and err == "", "generate on the example grammar: %d %r" % (status, err))
    check(out.splitlines() == zekruns(folder, 100769, 6, [0]), "the manifest's seed runs as RANDOM SEED 100769 in zek")
    first = genra("generate", "-n", "6", "--seed", "4711", folder)[1]
    check(first == genra("generate", "-n", "6", "--seed=4711", folder)[1], "a seed reproduces the runs")
    check(first != out, "another seed gives other sentences")
    check(first.splitlines() == zekruns(folder, 4711, 6, [0]), "--seed 4711 runs as RANDOM SEED 4711 in zek")
    check(first.splitlines()[:3] == genra("generate", "--seed", "4711", "-n3", folder)[1].splitlines(),
          "fewer runs are the first ones")

    with open(os.path.join(folder, "manifest"), "a") as f:
        f.write("user english.qa\n")
    pairs = genra("generate", "-n", "4", "--seed", "99", folder)[1].splitlines()
    check(len(pairs) == 4 and all(p.count("\t") == 1 and p.split("\t")[0].endswith("?") for p in pairs),
          "a question and its answer a line: %r" % pairs)
    check(pairs == zekruns(folder, 99, 4, [1, 2]), "the pairs are zek's ESC m 1 and ESC m 2")
    lines = [json.loads(l) for l in genra("generate", "-n", "4", "--seed", "99", "--json", folder)[1].splitlines()]
    check([l["root"] for l in lines] == ["QUESTION", "ANSWER"] * 4 and [l["run"] for l in lines] == [1, 1, 2, 2, 3, 3, 4, 4],
          "JSON: one object per sentence, with its run and root")
    check(["\t".join(l["sentence"] for l in lines[i:i + 2]) for i in range(0, 8, 2)] == pairs, "JSON sentences are the plain ones")


def json_parses_back(scratch):
    folder = os.path.join(scratch, "json")
    shutil.copytree(EXAMPLE, folder)
    plain = genra("generate", "-n", "20", "--seed", "31", folder)[1].splitlines()
    objects = [json.loads(l) for l in genra("generate", "-n", "20", "--seed", "31", "--json", folder)[1].splitlines()]
    check([o["sentence"] for o in objects] == plain, "JSON sentences equal the plain output")
    check(all(list(o) == ["run", "root", "sentence", "leaves"] and o["root"] == "ROOT" for o in objects), "JSON keys")
    check(all(postmorph([l["word"] for l in o["leaves"]]) == o["sentence"] for o in objects),
          "the leaves' words make the sentence")
    nouns = [l for o in objects for l in o["leaves"] if l["node"] == "N"]
    check(nouns and all(any(a.startswith(("sing", "plur")) or "sing" in a.split(".") or "plur" in a.split(".")
                            for a in l["attributes"]) for l in nouns), "every noun leaf carries its number")

    # A word in Latin-1, the editor's character set, arrives in JSON as UTF-8.
    latin = os.path.join(scratch, "latin")
    os.mkdir(latin)
    files = {"manifest": "attributes g.att\nterminals g.tmn\nlexicon g.lex\nsyntax g.syn\n",
             "g.att": "cat ( noun )\n", "g.tmn": "N\n", "g.lex": '"caf\xe9"|N|noun|1|\n', "g.syn": "ROOT = N %\n"}
    for name, text in files.items():
        open(os.path.join(latin, name), "w", encoding="latin-1").write(text)
    status, out, _ = genra("generate", "--json", latin)
    check(status == 0 and json.loads(out.encode("latin-1").decode("utf-8"))["sentence"] == "caf\xe9",
          "Latin-1 words in JSON: %r" % out)
    check(genra("generate", latin)[1] == "caf\xe9\n", "plain output keeps the bytes")


def problems_of_runs(scratch):
    folder = os.path.join(scratch, "hole")
    shutil.copytree(EXAMPLE, folder)
    syn = os.path.join(folder, "english.syn")
    text = open(syn).read().replace('PREP/"near" ) NOM[place] %', 'PREP/"near" ) NPP[place] %')
    open(syn, "w").write(text)
    status, out, err = genra("generate", "-n", "40", folder)
    check(status == 0 and len(out.splitlines()) == 40, "a grammar with a hole still generates")
    check(err == folder + ": warning: Terminal not found: NPP\n", "the run's problem is told once: %r" % err)

    with open(syn, "a") as f:
        f.write("BROKEN = X[nosuch] %\n")
    status, out, err = genra("generate", folder)
    check(status == 1 and len(out.splitlines()) == 1, "errors of the grammar: exit 1, the run is made")
    check(err.startswith(folder + "/english.syn:106:12: error: Unknown attribute nosuch\n"), "errors on stderr: %r" % err)
    check("warning: " not in err.split("\n")[0], "generate shows errors, not warnings")

    empty = os.path.join(scratch, "empty")
    os.mkdir(empty)
    open(os.path.join(empty, "manifest"), "w").write("attributes ../hole/english.att\nterminals ../hole/english.tmn\n"
                                                      "lexicon ../hole/english.lex\n")
    check(genra("generate", empty) == (1, "", empty + "/manifest: error: There is no ROOT rule\n"), "no ROOT rule")


def usage():
    for args in (["-h"], ["--help"]):
        status, out, _ = genra(*args)
        check(status == 0 and "check" in out and "generate" in out and "-h" in out, "genra %s" % args)
    status, out, _ = genra("check", "-h")
    check(status == 0 and out.startswith("usage: genra check [-h] [GRAMMAR]"), "genra check -h")
    status, out, _ = genra("generate", "--help")
    check(status == 0 and all(o in out for o in ("-n N", "--seed S", "--json", "-h, --help")), "genra generate -h")
    bad = [([], "a command is needed"), (["frob"], "unknown command frob"), (["-x"], "unknown option -x"),
           (["check", "-q"], "unknown option -q"), (["check", "a", "b"], "one grammar folder at most"),
           (["generate", "-n", "0"], "-n takes a number from 1 to 1000000, not 0"),
           (["generate", "-n", "x3"], "not x3"), (["generate", "-n"], "-n needs a value"),
           (["generate", "--seed", "-4"], "--seed takes a number from 0 to 4294967295, not -4"),
           (["generate", "--seed", "4294967296"], "not 4294967296"), (["generate", "--seed"], "--seed needs a value"),
           (["generate", "--jsn"], "unknown option --jsn"), (["generate", "a", "b"], "one grammar folder at most")]
    for args, message in bad:
        status, out, err = genra(*args)
        lines = err.splitlines()
        check(status == 2 and out == "" and len(lines) == 2 and message in lines[0] and lines[1].startswith("usage: genra"),
              "genra %s: %d %r" % (" ".join(args), status, err))


def main():
    global GENRA, ZEK
    GENRA, ZEK = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    with tempfile.TemporaryDirectory() as scratch:
        runs_match_zek(scratch)
        json_parses_back(scratch)
        problems_of_runs(scratch)
    usage()
    print("%d passed, %d failed" % (checks - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

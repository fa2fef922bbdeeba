#!/usr/bin/env python3
"""Runs the commands that the manuals show, so that they cannot drift from the program.

In docs/*.md a fenced block after a line "File `NAME`:" is written to NAME, one after "Add to
`NAME`:" is appended to it; a fenced block whose first line begins with "$ " holds commands,
each followed by the output it must print (standard output and error together). They run in
order in one scratch folder per manual, where `examples` is the repository's examples folder
and `genra` the program under test. In README.md the indented blocks that begin with
"$ build/genra" are run from the repository's root.

Usage: docs.py BUILD/genra
"""
import difflib
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MARKER = re.compile(r"^(File|Add to) `([^`]+)`:$")


def blocks(path):
    """The fenced blocks of a manual: (line number, the line before it, its lines)."""
    lines = open(path, encoding="utf-8").read().split("\n")
    found, before, i = [], "", 0
    while i < len(lines):
        if lines[i].startswith("```"):
            start, body = i + 1, []
            i += 1
            while i < len(lines) and not lines[i].startswith("```"):
                body.append(lines[i])
                i += 1
            found.append((start, before, body))
            before = ""  # a marker names the one block right after it
        elif lines[i].strip():
            before = lines[i].strip()
        i += 1
    return found


def commands(body):
    """The commands of a block with the lines each must print."""
    runs = []
    for line in body:
        if line.startswith("$ "):
            runs.append((line[2:], []))
        elif runs:
            runs[-1][1].append(line)
    return runs


def run(command, cwd, genra, name, line):
    env = dict(os.environ, PATH=os.path.dirname(genra) + os.pathsep + os.environ.get("PATH", ""))
    if command.startswith("build/genra"):
        command = genra + command[len("build/genra"):]
    done = subprocess.run(["sh", "-c", command], cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          timeout=120)
    return done.stdout.decode("utf-8", "replace").rstrip("\n").split("\n")


def check(name, line, command, got, want):
    if got == want or (want == [] and got == [""]):
        return True
    diff = "\n".join(difflib.unified_diff(want, got, "shown", "printed", lineterm=""))
    print("FAIL %s:%d: $ %s\n%s" % (name, line, command, diff))
    return False


def manual(path, genra):
    name = os.path.relpath(path, ROOT)
    passed = failed = 0
    with tempfile.TemporaryDirectory() as scratch:
        os.symlink(os.path.join(ROOT, "examples"), os.path.join(scratch, "examples"))
        for line, before, body in blocks(path):
            marker = MARKER.match(before)
            if marker:
                target = os.path.join(scratch, marker.group(2))
                os.makedirs(os.path.dirname(target), exist_ok=True)
                with open(target, "w" if marker.group(1) == "File" else "a", encoding="latin-1") as f:
                    f.write("".join(l + "\n" for l in body))
                continue
            for command, want in commands(body):
                if check(name, line, command, run(command, scratch, genra, name, line), want):
                    passed += 1
                else:
                    failed += 1
    return passed, failed


def readme(genra):
    passed = failed = 0
    lines = open(os.path.join(ROOT, "README.md"), encoding="utf-8").read().split("\n")
    for i, line in enumerate(lines):
        if not line.startswith("    $ build/genra"):
            continue
        want = []
        for follow in lines[i + 1:]:
            if not follow.startswith("    ") or follow.startswith("    $ "):
                break
            want.append(follow[4:])
        if check("README.md", i + 1, line[6:], run(line[6:], ROOT, genra, "README.md", i + 1), want):
            passed += 1
        else:
            failed += 1
    return passed, failed


def main():
    genra = os.path.abspath(sys.argv[1])
    passed = failed = 0
    docs = os.path.join(ROOT, "docs")
    for doc in sorted(os.listdir(docs)):
        if doc.endswith(".md"):
            p, f = manual(os.path.join(docs, doc), genra)
            passed, failed = passed + p, failed + f
    p, f = readme(genra)
    passed, failed = passed + p, failed + f
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main())

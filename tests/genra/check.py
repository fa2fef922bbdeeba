#!/usr/bin/env python3
"""Runs the planted-fault cases of check.cases against genra check.

Each case starts with "== TITLE", edits a copy of a grammar folder (examples/grammar unless
"base FOLDER" says otherwise), and ends with "expect STATUS" followed by the exact lines genra
check must print, file names relative to the folder. Edits:
  edit FILE:LINE OLD => NEW    replaces the text OLD, which line LINE must hold, by NEW
  write FILE / append FILE     the lines up to "end" become the file / are added to it
  remove FILE / fifo FILE      the file is removed / becomes a named pipe
In NEW and in the written lines, <xHH> stands for the byte HH.
Usage: check.py BUILD/genra
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def parse(path):
    cases, case, block = [], None, None
    for number, line in enumerate(open(path, encoding="latin-1").read().split("\n"), 1):
        if block is not None:
            if line == "end":
                case["steps"].append(block)
                block = None
            else:
                block[3].append(line)
        elif line.startswith("== "):
            case = {"title": line[3:], "line": number, "base": "examples/grammar", "steps": [], "expect": None, "out": []}
            cases.append(case)
        elif case is None or (not line.strip() and case["expect"] is None) or line.startswith("#"):
            continue
        elif case["expect"] is not None:
            if line.strip():
                case["out"].append(line)
        elif line.startswith("base "):
            case["base"] = line[5:].strip()
        elif line.startswith("edit "):
            where, change = line[5:].split(" ", 1)
            name, at = where.rsplit(":", 1)
            old, new = change.split(" => ", 1)
            case["steps"].append(("edit", name, int(at), (old, new)))
        elif line.startswith(("remove ", "fifo ")):
            verb, name = line.split(" ", 1)
            case["steps"].append((verb, name.strip(), number, None))
        elif line.startswith(("write ", "append ")):
            verb, name = line.split(" ", 1)
            block = (verb, name.strip(), number, [])
        elif line.startswith("expect "):
            case["expect"] = int(line[7:])
        else:
            sys.exit("check.cases:%d: cannot read: %s" % (number, line))
    return cases


def bytesof(text):
    """<xHH> in a case stands for the byte HH."""
    return re.sub(r"<x([0-9A-Fa-f]{2})>", lambda m: chr(int(m.group(1), 16)), text)


def prepare(case, folder):
    shutil.copytree(os.path.join(ROOT, case["base"]), folder)
    for verb, name, at, what in case["steps"]:
        path = os.path.join(folder, name)
        if verb == "remove":
            os.remove(path)
        elif verb == "fifo":
            os.mkfifo(path)
        elif verb == "edit":
            lines = open(path, encoding="latin-1").read().split("\n")
            old, new = what
            if old not in lines[at - 1]:
                return "%s:%d does not hold %r" % (name, at, old)
            lines[at - 1] = lines[at - 1].replace(old, bytesof(new), 1)
            open(path, "w", encoding="latin-1").write("\n".join(lines))
        else:
            with open(path, "w" if verb == "write" else "a", encoding="latin-1") as f:
                f.write(bytesof("".join(l + "\n" for l in what)))
    return None


def main():
    genra = os.path.abspath(sys.argv[1])
    failed = 0
    cases = parse(os.path.join(os.path.dirname(os.path.abspath(__file__)), "check.cases"))
    for case in cases:
        with tempfile.TemporaryDirectory() as scratch:
            folder = os.path.join(scratch, "g")
            problem = prepare(case, folder)
            if problem is None:
                run = subprocess.run([genra, "check", "."], cwd=folder, capture_output=True, timeout=60)
                out = run.stdout.decode("latin-1").splitlines()
                if run.returncode != case["expect"] or out != case["out"]:
                    problem = "exit %d, printed:\n    %s" % (run.returncode, "\n    ".join(out))
                elif run.stderr.decode("latin-1").count("\n") != 1:
                    problem = "standard error: " + run.stderr.decode("latin-1")
        if problem:
            failed += 1
            print("FAIL check.cases:%d %s: %s" % (case["line"], case["title"], problem))
    print("%d passed, %d failed" % (len(cases) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

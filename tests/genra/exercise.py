#!/usr/bin/env python3
"""genra exercise: questions reproducible from a seed, right and wrong answers told in plain
words with the score, refused letters asked again, the end of the answers; and in a real
terminal (tmux) the line editing, the history, letters such as é reaching the analysis, and
Ctrl-C ending cleanly with the terminal as it was.

Usage: exercise.py BUILD/genra
"""
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
GENRA = os.path.abspath(sys.argv[1])
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL " + what)


def exercise(answers, *args):
    run = subprocess.run([GENRA, "exercise"] + list(args), input="".join(a + "\n" for a in answers).encode(),
                         capture_output=True, timeout=120, cwd=ROOT)
    return run.returncode, run.stdout.decode(), run.stderr.decode()


def piped():
    status, out, _ = exercise(["x", "zebra"], "--seed", "7", "--rounds", "2")
    goods = re.findall(r"A good answer: (.*)", out)
    questions = re.findall(r"Question \d: (.*)", out)
    check(status == 0 and len(goods) == 2 and len(questions) == 2, "two questions and their good answers:\n" + out)
    check("Score: 0 of 2" in out, "two wrong answers score nought:\n" + out)
    # The same seed asks the same questions: now answered right, with marks and case changed,
    # after a refused one.
    answers = ["Łódź is a city", goods[0].upper(), "  " + goods[1].lower().rstrip(".") + " !"]
    status, out, _ = exercise(answers, "--seed", "7", "--rounds", "2")
    check(re.findall(r"Question \d: (.*)", out) == questions, "a seed asks the same questions:\n" + out)
    check('That answer cannot be checked: these letters cannot be used in an answer: "Ł" and "ź". Try again.' in out,
          "letters Latin-1 lacks are refused and the question asked again:\n" + out)
    check(out.count("Right!") == 2 and "Score: 2 of 2" in out and out.rstrip().endswith("Goodbye."),
          "right answers whatever their case, marks and blanks:\n" + out)
    # An empty answer, or the end of the input, ends the exercise with the score.
    for answers in ([""], []):
        status, out, _ = exercise(answers, "--seed", "7")
        check(status == 0 and out.rstrip().endswith("Score: 0 of 0. Goodbye."), "the end of the answers:\n" + out)
    status, out, _ = exercise(["the king see the storys now"], "--seed", "7", "--rounds", "1")
    check(all("(" not in line for line in out.splitlines() if line.startswith("  ")), "no grammar codes:\n" + out)
    for args, code, said in [(["--rounds", "0"], 2, "--rounds takes a number from 1"),
                             (["--seed", "x"], 2, "--seed takes a number"),
                             (["a", "b"], 2, "one grammar at most"),
                             (["--frob"], 2, "unknown option --frob"),
                             ([os.path.join(ROOT, "examples", "grammar")], 1, "an exercise needs a QUESTION root"),
                             (["/nonexistent"], 1, "cannot read the manifest")]:
        status, out, err = exercise([], *args)
        check(status == code and said in err, "exercise %s: %d %r, not %d %r" % (args, code, said, status, err))


def terminal():
    """The line editor in tmux: arrows, the history, é, and Ctrl-C."""
    if shutil.which("tmux") is None:
        check(False, "tmux is needed for the terminal part (.ci/run installs it)")
        return
    session = "genra-exercise-%d" % os.getpid()
    log = os.path.join("/tmp", session + ".status")
    command = "env LANG=C.UTF-8 %s exercise --seed 5; echo status=$? >%s; stty -a >>%s; sleep 30" % (GENRA, log, log)
    subprocess.run(["tmux", "new-session", "-d", "-s", session, "-x", "100", "-y", "30", command], check=True)

    def keys(*k):
        subprocess.run(["tmux", "send-keys", "-t", session] + list(k), check=True)
        time.sleep(0.6)

    def screen():
        return subprocess.run(["tmux", "capture-pane", "-p", "-t", session], capture_output=True).stdout.decode()
    try:
        time.sleep(1.5)
        keys("Thé kat", "Left", "Left", "Left", "X", "End", "s", "Enter")
        shown = screen()
        check("> Thé Xkats" in shown, "arrows move in the line:\n" + shown)
        check('"Thé" is misspelt' in shown or '"Thé"' in shown, "é reaches the analysis and comes back:\n" + shown)
        keys("Up")
        check(screen().rstrip().endswith("> Thé Xkats"), "Up brings back the last answer:\n" + screen())
        keys("C-c")
        time.sleep(0.5)
        shown, status = screen(), open(log).read() if os.path.exists(log) else ""
        check("Score: 0 of 1. Goodbye." in shown and "status=0" in status, "Ctrl-C ends cleanly:\n" + shown + status)
        check(" icanon" in status and " echo " in status, "the terminal is given back as it was:\n" + status)
    finally:
        subprocess.run(["tmux", "kill-session", "-t", session], capture_output=True)
        if os.path.exists(log):
            os.remove(log)


def main():
    piped()
    terminal()
    print("exercise: %d failed" % len(failures))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()

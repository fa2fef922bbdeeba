#!/usr/bin/env python3
"""A language exercise on the example grammar, run by zek as its driver program: an example
of a driver that types into zek and reads its corefiles back. The learner's exercise itself is
`genra exercise` (and `genra serve` for browsers), whose feedback is in plain words. Run
this one so:

    build/zek -d examples/grammar/exercise.py >/dev/null

zek asks a question made by the grammar ("Will the girl drink your milk tomorrow?"), the
learner answers it with a full sentence, zek's response analysis compares the answer with the
sentences that answer the question, and the exercise tells the learner what was right and what
was wrong.

The exercise talks to the learner on standard error and reads the answers from the terminal,
or from the file named by EXERCISE_ANSWERS. EXERCISE_SEED fixes the random seed (0, the
default, takes it from the clock) and EXERCISE_ROUNDS the number of questions (default 5). An
empty answer ends the exercise early.

What this program prints on standard output, zek reads as keys; what zek's EMIT sends to the
driver arrives on standard input, ended by a line "$$$".
"""
import os
import re
import sys

CMD, ESC, RETURN = "\x03", "\x1b", "\r"


def keys(text):
    sys.stdout.write(text)
    sys.stdout.flush()


def command(text):
    """Runs a command of zek's command line, then goes back to editing."""
    keys(CMD + text + RETURN + RETURN)


def corefile(n):
    """The lines of corefile n, as EMIT sends them to the driver."""
    command("EM%d|1|200000|1" % n)
    lines = []
    for line in sys.stdin:
        line = line.rstrip("\r\n")
        if line == "$$$":
            return lines
        lines.append(line)
    sys.exit(1)  # zek has gone


def say(text=""):
    sys.stderr.write(text + "\n")
    sys.stderr.flush()


def setup():
    """Loads the grammar and the analysis tables, which lie beside this program."""
    keys(RETURN + ESC + "z")  # leave the command line; no screen output
    folder = os.path.relpath(os.path.dirname(os.path.abspath(__file__)))
    if folder != ".":
        command("CD" + folder)
    for load in ("ATenglish.att", "TMenglish.tmn", "LEenglish.lex", "SYenglish.syn", "MOenglish.mor",
                 "TBenglish.tbl", "USexercise.qa", "MRenglish.mer", "TGenglish.tag", "IPenglish.ipa",
                 "MP21|10", "RA%d" % int(os.environ.get("EXERCISE_SEED", "0"))):
        command(load)
    for line in corefile(7):
        if line.startswith("ERROR") or line.startswith("Finished reading") and "[0 lines.]" in line:
            say("zek: " + line)


def clear(n):
    command("CO%d" % n)
    command("CL")


def question():
    """Generates a question and its answers; returns the question."""
    for n in (7, 15, 1):  # the analysis adds its progress to 7 and its report to 15
        clear(n)
    keys(ESC + "g")
    for line in corefile(7):
        if line.startswith("Question  : "):
            return line[12:]
    return None


def analyse(answer):
    """The report on the answer: the best root's lines of corefile 15."""
    words = re.sub(r"[.,!?]", " ", "".join(c for c in answer if " " <= c <= "~")).split()
    if words and words[0][:1].isupper() and words[0][1:].islower():
        words[0] = words[0].lower()  # the answers are written without a capital
    keys(" ".join(words) + ESC + "D" + ESC + "K")  # type it, back to its start, analyse
    return corefile(15)


def sentence(words):
    return words[:1].upper() + words[1:] + "."


def explain(report):
    """Tells the learner, from the report, what was right and what was wrong."""
    if "CORRECT" in report:
        say("Right!")
        return
    best = next((l[11:] for l in report if l.startswith("EXPECTED : ")), "")
    say("A good answer: " + sentence(best))
    for line in report:
        missing = re.match(r"C\d+ -- +MISSING +(.*)", line)
        extra = re.match(r"-- S\d+ +EXTRA +(.*)", line)
        match = re.match(r"C\d+ S\d+ +(\w+) +([^/ ]*)/(\S*) *(.*)", line)
        if missing:
            say('  missing: "%s"' % missing.group(1))
        elif extra:
            say('  not needed: "%s"' % extra.group(1))
        elif match:
            kind, want, got, rest = match.groups()
            if kind == "APPROX":
                say('  "%s" is misspelt: "%s"' % (got, want))
            elif kind == "MORPH":  # the first difference: the wanted values, then the written
                wanted, written = (rest.split("  ")[0].split("/") + [""])[:2]
                say('  "%s" is the wrong form of "%s" (%s%s)' % (got, want, written, wanted and ", not " + wanted))
            elif kind == "PHONO":
                say('  "%s" sounds right, but is written "%s"' % (got, want))
            elif kind == "LEX":
                say('  "%s" is the %s of "%s", not the word wanted' % (got, rest.split(":")[-1], want))


def answers():
    """Where the learner's answers come from: a file, or the terminal (in line mode, which zek
    has switched off, for the time of the exercise)."""
    name = os.environ.get("EXERCISE_ANSWERS")
    if name:
        return open(name), None
    try:
        tty = open("/dev/tty")
    except OSError:
        return None, None
    try:
        import termios
        saved = termios.tcgetattr(tty)
        cooked = termios.tcgetattr(tty)
        cooked[0] |= termios.ICRNL
        cooked[1] |= termios.OPOST | termios.ONLCR
        cooked[3] |= termios.ICANON | termios.ECHO
        termios.tcsetattr(tty, termios.TCSANOW, cooked)
        return tty, lambda: termios.tcsetattr(tty, termios.TCSANOW, saved)
    except (ImportError, OSError):
        return tty, None


def main():
    source, restore = answers()
    if source is None:
        say("No terminal to read answers from: set EXERCISE_ANSWERS to a file of answers.")
        command("BY")
        return
    try:
        setup()
        say("Answer each question with a full sentence (an empty answer stops).")
        for n in range(1, int(os.environ.get("EXERCISE_ROUNDS", "5")) + 1):
            asked = question()
            if asked is None:
                say("zek made no question: is the grammar there?")
                break
            say("\nQuestion %d: %s" % (n, asked))
            sys.stderr.write("> ")
            sys.stderr.flush()
            answer = source.readline().strip()
            if restore is None and not source.isatty():
                say(answer)  # show an answer read from a file
            if not answer:
                break
            explain(analyse(answer))
        say("\nGoodbye.")
    finally:
        if restore:
            restore()
    command("BY")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Screen mode in a real terminal: zek runs under tmux, keys are typed into the pane and the
screen is read back with capture-pane.

  session  one editing run through the zeks link: fetch a file with Latin-1 text, move, type in
           typing and insert mode, a refused command and its acknowledgement, a record view, a
           shell command and emitted text shown off the screen, a suspension, a driver program,
           a resize, save and leave. At chosen points the pane and its cursor must equal a screen
           stored in tests/screens/; afterwards the saved file is checked.
  random   random keys, commands and resizes through ZEK_SCREEN=1, then an interrupt and BYE.
  keys     the terminal's own keys (Home, End, page and function keys, Ctrl and Shift arrows,
           Insert, Delete) move as bound and never type into the text; ESC keys typed slowly or
           quickly; the help view opens on F1 and ESC ? and closes on q and ESC, the screen as
           before; a CHANGE and a save confirm what they did; zeks under TERM=dumb says it
           cannot draw and runs as for an unknown terminal.
  protocol the protocol mode at a terminal: the README's demo command and the exercise driver
           leave what they wrote on the terminal after zek has ended.
  fatal    SIGTERM and SIGABRT end zek.
  hangup   the pane killed under an editing zek: each edited corefile is kept in a copy beside
           its file (or in the working directory), one in a directory it cannot write is named
           on standard error, and the file itself is untouched.
After each run: the exit status, the terminal settings (`stty -g` before and after the run are
equal), the editor's screen gone, and no sanitizer report.
The test is skipped (exit status 77) only when tmux is missing or cannot start a server.
Usage: screen.py ZEK [--update] [SEED]   (--update rewrites the stored screens from this run)
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SCREENS = os.path.join(HERE, "screens")
SKIP = 77
SOCKET = "zekscreen-%d" % os.getpid()
SANITIZER = ("ERROR: AddressSanitizer", "runtime error:", "LeakSanitizer")
UPDATE = False


def tmux(*args, check=True):
    r = subprocess.run(["tmux", "-L", SOCKET, "-f", "/dev/null"] + list(args),
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if check and r.returncode != 0:
        raise RuntimeError("tmux %s: %s" % (" ".join(args), r.stderr.strip()))
    return r.stdout


class Pane:
    """One tmux session running `command` in `workdir`, sized `cols` by `rows`."""

    def __init__(self, name, workdir, command, cols=80, rows=24):
        self.name = name
        self.workdir = workdir
        # one tmux command, so that a run that ends at once still leaves its pane to be read
        tmux("new-session", "-d", "-s", name, "-x", str(cols), "-y", str(rows), "-c", workdir,
             "sh", "-c", command, ";", "set-option", "-t", name, "remain-on-exit", "on")

    def keys(self, data):
        """Types bytes (or text) into the pane, as a terminal would deliver them."""
        if isinstance(data, str):
            data = data.encode("latin-1")
        for i in range(0, len(data), 200):
            tmux("send-keys", "-t", self.name, "-H", *["%02x" % b for b in data[i:i + 200]])

    def resize(self, cols, rows):
        tmux("resize-window", "-t", self.name, "-x", str(cols), "-y", str(rows))

    def screen(self):
        """The pane's text, trailing blanks cut, and the cursor as a first line."""
        text = tmux("capture-pane", "-p", "-t", self.name)
        cursor = tmux("display-message", "-p", "-t", self.name, "#{cursor_x},#{cursor_y}").strip()
        lines = [l.rstrip() for l in text.split("\n")]
        while lines and lines[-1] == "":
            lines.pop()
        return "cursor %s\n%s\n" % (cursor, "\n".join(lines))

    def history(self):
        """Everything the pane shows or has scrolled away."""
        return tmux("capture-pane", "-p", "-J", "-S", "-", "-t", self.name)

    def waitfor(self, test, seconds=8):
        """Polls the screen until test(screen) holds; returns the last screen and the result."""
        end = time.time() + seconds
        while True:
            s = self.screen()
            if test(s) or time.time() > end:
                return s, test(s)
            time.sleep(0.05)

    def expect(self, name, failures):
        """The screen must become the stored one called `name`."""
        path = os.path.join(SCREENS, name + ".txt")
        if UPDATE:
            time.sleep(1.0)
            s = self.screen()
            with open(path, "w", encoding="utf-8") as f:
                f.write(s)
            return
        with open(path, encoding="utf-8") as f:
            want = f.read()
        got, ok = self.waitfor(lambda s: s == want)
        if not ok:
            failures.append("screen %s differs:\n--- expected\n%s--- got\n%s" % (name, want, got))

    def dead(self, seconds=10):
        end = time.time() + seconds
        while time.time() < end:
            if tmux("display-message", "-p", "-t", self.name, "#{pane_dead}").strip() == "1":
                return True
            time.sleep(0.05)
        return False


def wrapper(program, args, env="", errors="2> stderr", term="screen"):
    """A shell line that records the terminal settings around the run, its pid and its status.
    The shell ignores the terminal's interrupt and quit keys: random keys may reach the terminal
    while zek has given it back (a shell command, or after the end)."""
    return ("trap '' INT QUIT; stty -g > before; echo $$ > pid; code=0; "
            "env %s TERM=%s LANG=C.UTF-8 LC_ALL= %s %s %s || code=$?; "
            "echo $code > status; stty -g > after" % (env, term, program, " ".join(args), errors))


def children(pid):
    """The processes whose parent is `pid`."""
    found = []
    for entry in os.listdir("/proc"):
        stat = readfile("/proc", entry + "/stat") if entry.isdigit() else None
        fields = stat[stat.rfind(")") + 2:].split() if stat else []
        if len(fields) > 1 and fields[1] == str(pid):
            found.append(int(entry))
    return found


def zekpids(workdir):
    """zek's pid: the child of the wrapper shell, which wrote its own pid to the file "pid"."""
    return children((readfile(workdir, "pid") or "").strip())


def readfile(workdir, name, mode="r"):
    try:
        with open(os.path.join(workdir, name), mode) as f:
            return f.read()
    except OSError:
        return None


def aftercheck(pane, what, failures, status="0"):
    """zek ended with `status`, gave the terminal back as it found it and reported no fault."""
    if not pane.dead():
        failures.append("%s: zek did not end; the screen:\n%s" % (what, pane.screen()))
        return
    got = (readfile(pane.workdir, "status") or "").strip()
    if got != status:
        failures.append("%s: exit status %s" % (what, got or "missing"))
    before, after = readfile(pane.workdir, "before"), readfile(pane.workdir, "after")
    if not before or before != after:
        failures.append("%s: terminal settings not restored:\n  before %s  after  %s" % (what, before, after))
    if " core " in pane.screen():
        failures.append("%s: the editor's screen stayed:\n%s" % (what, pane.screen()))
    err = readfile(pane.workdir, "stderr") or ""
    if any(s in err for s in SANITIZER):
        failures.append("%s: sanitizer report:\n%s" % (what, err[-3000:]))


CR, CMD, ESC = "\r", "\x03", "\x1b"
DOWN, RIGHT, INSERT = ESC + "[B", ESC + "[C", "\x17"


def session(zek, failures):
    work = tempfile.mkdtemp(prefix="zekscreen-")
    try:
        with open(os.path.join(work, "notes.txt"), "wb") as f:
            f.write(b"Dear diary,\nthe caf\xe9 was closed today.\nTomorrow then.\n")
        with open(os.path.join(work, "card.tpl"), "wb") as f:
            f.write(b"Name: #1/20/c\n\nCity: #2/15/c\n")
        with open(os.path.join(work, "driver.sh"), "w") as f:
            f.write("#!/bin/sh\nprintf 'CO3\\r'\nsleep 0.2\necho driver complains >&2\nexec sleep 60\n")
        os.chmod(os.path.join(work, "driver.sh"), 0o755)
        zeks = os.path.join(os.path.dirname(os.path.abspath(zek)), "zeks")
        if not os.path.exists(zeks):
            zeks = os.path.join(work, "zeks")
            os.symlink(os.path.abspath(zek), zeks)
        # standard error stays on the terminal, where a driver's error output could spoil the screen
        pane = Pane("session", work, wrapper(zeks, ["notes.txt"], errors=""))
        pane.expect("01-fetched", failures)
        # leave the command line, move to "caf\xe9" and overtype, then insert
        pane.keys(CR + DOWN + RIGHT * 4 + "CAF" + INSERT + "e'")
        pane.expect("02-typed", failures)
        pane.keys(CMD + "FEmissing.txt" + CR)
        pane.expect("03-refused", failures)
        pane.keys(CR)
        pane.expect("04-acknowledged", failures)
        # corefile 2 in the record template view: the template's labels, two fields typed
        pane.keys(CMD + "CO2" + CR + "TE0|card.tpl" + CR + "OB2" + CR + CR + "Ann" + CR + "Paris")
        pane.expect("05-record", failures)
        # a shell command's output is shown off the screen; RETURN brings the screen back
        pane.keys(CMD + "CO1" + CR + "SHecho shell says hi" + CR)
        pane.expect("06-shell", failures)
        pane.keys(CR)
        pane.expect("07-back", failures)
        # EMIT of corefile 1 to standard output, shown the same way
        pane.keys("EM1" + CR)
        pane.expect("08-emitted", failures)
        pane.keys(CR)
        pane.expect("07-back", failures)
        # suspended by the terminal's suspend key, continued by SIGCONT
        pane.keys("\x01")
        shown, ok = pane.waitfor(lambda s: "core 1" not in s)
        if not ok:
            failures.append("suspend: the screen was not left:\n" + shown)
        for p in zekpids(work):
            os.kill(p, 18)  # SIGCONT
        pane.expect("07-back", failures)
        # a driver program: its keys switch to corefile 3, its error output never reaches the screen
        pane.keys("RU./driver.sh" + CR)
        time.sleep(0.6)  # past the driver's error output
        pane.expect("09-driven", failures)
        for p in zekpids(work):
            for driver in children(p):
                os.kill(driver, 9)  # its end gives the keys back to the keyboard
        pane.keys("CO1" + CR)
        pane.expect("07-back", failures)
        pane.resize(100, 30)
        pane.expect("10-resized", failures)
        pane.keys("OVnotes.txt" + CR + "BY" + CR)
        pane.expect("11-not-saved", failures)
        pane.keys(CR)
        aftercheck(pane, "session", failures)
        saved = readfile(work, "notes.txt", "rb")
        if saved != b"Dear diary,\nthe CAFe'\xe9 was closed today.\nTomorrow then.\n":
            failures.append("session: notes.txt holds %r" % saved)
    finally:
        tmux("kill-session", "-t", "session", check=False)
        shutil.rmtree(work, ignore_errors=True)


def zekslink(zek, work):
    """The zeks link beside the binary, or one made in `work`."""
    zeks = os.path.join(os.path.dirname(os.path.abspath(zek)), "zeks")
    if not os.path.exists(zeks):
        zeks = os.path.join(work, "zeks")
        os.symlink(os.path.abspath(zek), zeks)
    return zeks


def status(screen, field):
    """A field of the status line: "col" gives the cursor column, "line" the line number."""
    words = screen.split("\n")[1].split()
    return words[words.index(field) + 1].split("/")[0] if field in words else None


def terminalkeys(zek, failures):
    work = tempfile.mkdtemp(prefix="zekkeys-")
    text = b"one two three\n" + b"".join(b"line %d\n" % n for n in range(2, 41))
    try:
        with open(os.path.join(work, "notes.txt"), "wb") as f:
            f.write(text)
        pane = Pane("keys", work, wrapper(zekslink(zek, work), ["notes.txt"]))
        pane.waitfor(lambda s: "notes.txt" in s)
        pane.keys(CR)
        # tmux sends each named key as the terminal's own sequence
        moves = [(["End"], "col", "14"), (["Home"], "col", "1"), (["C-Right", "C-Right"], "col", "9"),
                 (["C-Left"], "col", "5"), (["NPage"], "line", "21"), (["PPage"], "line", "1"),
                 (["F2", "F5", "F10", "F12", "S-Left", "C-Up", "M-Right", "S-F3", "BTab"], "col", "5"),
                 (["IC"], "Insert", None), (["IC"], "Typing", None)]
        for names, field, want in moves:
            tmux("send-keys", "-t", "keys", *names)
            shown, ok = pane.waitfor(lambda s: (status(s, field) == want) if want else field in s.split("\n")[1])
            if not ok:
                failures.append("keys %s: %s is not %s:\n%s" % (" ".join(names), field, want, shown))
        # zek's own ESC keys, typed quickly and slowly: ESC C line end, ESC D line start
        pane.keys(ESC + "C")
        if not pane.waitfor(lambda s: status(s, "col") == "14")[1]:
            failures.append("ESC C typed quickly did not move to the line end")
        pane.keys(ESC)
        time.sleep(0.3)
        pane.keys("D")
        if not pane.waitfor(lambda s: status(s, "col") == "1")[1]:
            failures.append("ESC D typed slowly did not move to the line start")
        before, _ = pane.waitfor(lambda s: False, 0.3)
        # the help view: F1 and ESC ? open it, q and ESC leave it; the screen is as it was
        for opener, closer in ((["F1"], "q"), (["Escape", "?"], ESC), (["F1"], "F1")):
            tmux("send-keys", "-t", "keys", *opener)
            shown, ok = pane.waitfor(lambda s: "every key and command" in s and "this help" in s)
            if not ok:
                failures.append("help did not open with %s:\n%s" % (" ".join(opener), shown))
                continue
            tmux("send-keys", "-t", "keys", "NPage", "End", "Home")
            tmux("send-keys", "-t", "keys", closer) if closer == "F1" else pane.keys(closer)
            shown, ok = pane.waitfor(lambda s: s == before)
            if not ok:
                failures.append("help left with %r: the screen differs:\n--- before\n%s--- after\n%s" % (closer, before, shown))
        # Delete rubs out the character under the cursor; then CHANGE and SAVE confirm
        tmux("send-keys", "-t", "keys", "C-Right", "DC")
        pane.keys(CMD + "BE" + CR + "CHine|INE" + CR)
        pane.expect("12-changed", failures)
        pane.keys("SAcopy.txt" + CR)
        pane.expect("13-saved", failures)
        pane.keys("BY" + CR)
        aftercheck(pane, "keys", failures)
        want = text.replace(b"two", b"wo", 1).replace(b"ine", b"INE")
        if readfile(work, "copy.txt", "rb") != want:
            failures.append("keys: copy.txt holds %r" % readfile(work, "copy.txt", "rb"))
    finally:
        tmux("kill-session", "-t", "keys", check=False)
    # A UTF-8 terminal's letters: "é" is typed as its Latin-1 character, "ő" is refused with a word.
    try:
        pane = Pane("utf8", work, wrapper(zekslink(zek, work), ["accents.txt"]))
        pane.waitfor(lambda s: "accents.txt" in s)
        pane.keys(b"\r" + "caf\u00e9 \u0151".encode("utf-8"))
        shown, ok = pane.waitfor(lambda s: "café" in s and "U+0151 cannot be typed" in s)
        pane.keys("!")
        shown2, ok2 = pane.waitfor(lambda s: "café !" in s)
        if not ok or not ok2:
            failures.append("utf8: the typed letters are not shown as expected:\n" + shown + shown2)
        pane.keys(CMD + "SA*" + CR + "BY" + CR)
        aftercheck(pane, "utf8", failures)
        if readfile(work, "accents.txt", "rb") != b"caf\xe9 !\n":
            failures.append("utf8: accents.txt holds %r" % readfile(work, "accents.txt", "rb"))
    finally:
        tmux("kill-session", "-t", "utf8", check=False)
    # A terminal that cannot place the cursor: said, and the run goes on as for an unknown one.
    try:
        pane = Pane("dumb", work, wrapper(zekslink(zek, work), ["notes.txt"], errors="", term="dumb"))
        pane.waitfor(lambda s: "Command" in s)
        pane.keys("BY\r")
        aftercheck(pane, "TERM=dumb", failures)
        if "needs a terminal that can move the cursor (TERM=dumb cannot)" not in pane.history():
            failures.append("TERM=dumb: no message:\n" + pane.history())
    finally:
        tmux("kill-session", "-t", "dumb", check=False)
        shutil.rmtree(work, ignore_errors=True)


def protocolmode(zek, failures):
    """What the protocol mode writes to the terminal stays there when zek ends."""
    root = os.path.dirname(HERE)
    work = tempfile.mkdtemp(prefix="zekdemo-")
    try:
        with open(os.path.join(root, "README.md"), encoding="utf-8") as f:
            readme = f.read()
        block = readme.split("After the editor's echo of its start-up command", 1)[1].split("\n\n")[1]
        sentences = [l.strip() for l in block.split("\n") if l.strip() and l.strip() != "..."]
        with open(os.path.join(work, "demo.sh"), "w") as f:
            f.write("cd %s && exec %s -p examples/grammar/demo.prc\n" % (root, os.path.abspath(zek)))
        pane = Pane("demo", work, wrapper("sh", ["demo.sh"]), cols=100, rows=50)
        aftercheck(pane, "demo", failures)
        shown = pane.history()
        missing = [l for l in sentences if l not in shown]
        if missing or shown.count("$$$") != 1:
            failures.append("demo: after the end the terminal lacks %r:\n%s" % (missing or "$$$", shown))
        # The exercise driver: questions and answers on the terminal, read back after the end.
        with open(os.path.join(work, "run.sh"), "w") as f:
            f.write("cd %s && EXERCISE_SEED=123457 EXERCISE_ROUNDS=2 %s -d examples/grammar/exercise.py >/dev/null\n"
                    % (root, os.path.abspath(zek)))
        pane = Pane("exercise", work, wrapper("sh", ["run.sh"], errors=""), cols=100, rows=40)
        for n, answer in enumerate(("Their children watched your cat recently.", "The king see the storys now.")):
            shown, ok = pane.waitfor(lambda s: "Question %d:" % (n + 1) in s and s.rstrip().endswith(">"), 15)
            if not ok:
                failures.append("exercise: no question %d:\n%s" % (n + 1, shown))
                break
            pane.keys(answer + "\r")
        aftercheck(pane, "exercise", failures)
        shown = pane.history()
        for line in ("Question 1: Did their children watch your cat recently?", "Right!",
                     '"storys" is misspelt: "stories"', "Goodbye."):
            if line not in shown:
                failures.append("exercise: after the end the terminal lacks %r:\n%s" % (line, shown))
    finally:
        for name in ("demo", "exercise"):
            tmux("kill-session", "-t", name, check=False)
        shutil.rmtree(work, ignore_errors=True)


# Keys for the random run: editing keys, printable and Latin-1 text, control bytes (all but the
# suspend key ^A and the two command keys, which come only with the commands below).
EDITKEYS = [CR, "\b", "\x7f", ESC + "[A", DOWN, RIGHT, ESC + "[D", INSERT, "\t", "\x11", "\x10", "\x0c",
            ESC + "[s", ESC + "[j", ESC + "[d", "\x15", ESC + "[g", ESC + "\x04", "\x05", "\x04", ESC + "[W"]
COMMANDS = ["OB2", "OB1", "OB0", "OB5", "CO3", "CO1", "FEnotes.txt", "FEmissing.txt", "FI0|e", "WI20|60",
            "WI5|3", "GE", "EV1+2*3", "EV1/0", "MA5|30", "WS10", "WS80", "CL", "BE", "EN", "ID", "AS2", "PO3"]


def randomkeys(zek, seed, failures, seconds=6.0):
    rng = random.Random(seed)
    work = tempfile.mkdtemp(prefix="zekrandom-")
    try:
        with open(os.path.join(work, "notes.txt"), "wb") as f:
            f.write(b"one two three\n\xe9t\xe9 " * 20 + b"\n")
        # Random keys on the command line can make any command, SHELL too: no search path.
        pane = Pane("random", work, wrapper(os.path.abspath(zek), ["notes.txt"],
                                            "ZEK_SCREEN=1 PATH=/nonexistent HOME=" + work))
        end = time.time() + seconds
        while time.time() < end:
            r = rng.random()
            if r < 0.1:
                pane.keys(CMD + rng.choice(COMMANDS) + CR + CR)
            elif r < 0.15:
                pane.resize(rng.randint(20, 140), rng.randint(6, 50))
            elif r < 0.55:
                pane.keys("".join(rng.choice(EDITKEYS) for _ in range(rng.randint(1, 8))))
            else:
                data = bytes(b for b in rng.randbytes(rng.randint(1, 12)) if b not in (1, 3, 0x1f))
                pane.keys(data)
            time.sleep(0.01)
        # An interrupt opens the command line whatever a half-typed key sequence is waiting for.
        # The interrupt's command key is taken by a waiting message, if there is one, which the
        # first RETURN then answers; ^C opens the command line again. A shell started by random
        # keys ends at ^D.
        pids = zekpids(work)
        for _ in range(6):
            for p in pids:
                try:
                    os.kill(p, 2)  # SIGINT
                except ProcessLookupError:
                    pass
            time.sleep(0.2)
            pane.keys(CR + CMD + "BY" + CR + CR * 30 + "\x04")
            if pane.dead(2):
                break
        aftercheck(pane, "random (seed %d)" % seed, failures)
    finally:
        tmux("kill-session", "-t", "random", check=False)
        shutil.rmtree(work, ignore_errors=True)


def fatalsignals(zek, failures):
    """A signal that ends zek still gives the terminal back."""
    for name, number in (("TERM", 15), ("ABRT", 6)):
        work = tempfile.mkdtemp(prefix="zekfatal-")
        try:
            pane = Pane("fatal", work, wrapper(os.path.abspath(zek), ["notes.txt"], "ZEK_SCREEN=1"))
            pane.keys(CR + "typed")
            pane.waitfor(lambda s: "typed" in s)
            for p in zekpids(work):
                os.kill(p, number)
            aftercheck(pane, "SIG" + name, failures, str(128 + number))
        finally:
            tmux("kill-session", "-t", "fatal", check=False)
            shutil.rmtree(work, ignore_errors=True)


def hangup(zek, failures):
    work = tempfile.mkdtemp(prefix="zekhangup-")
    locked = os.path.join(work, "ro")
    try:
        with open(os.path.join(work, "notes.txt"), "w") as f:
            f.write("first\n")
        os.mkdir(locked)
        with open(os.path.join(locked, "locked.txt"), "w") as f:
            f.write("locked\n")
        os.chmod(locked, 0o555)
        pane = Pane("hangup", work, wrapper(os.path.abspath(zek), ["notes.txt"], "ZEK_SCREEN=1"))
        pane.waitfor(lambda s: "first" in s)
        pane.keys(CR + "X" + CMD + "CO2" + CR + CR + "unnamed" + CMD + "CO3" + CR + "FEro/locked.txt" + CR + CR + "Y")
        shown, ok = pane.waitfor(lambda s: "Yocked" in s)
        if not ok:
            failures.append("hangup: the keys were not typed:\n" + shown)
        pids = zekpids(work)
        tmux("kill-pane", "-t", "hangup")
        end = time.time() + 10
        while any(os.path.exists("/proc/%d" % p) for p in pids) and time.time() < end:
            time.sleep(0.05)
        copies = {"notes.txt.zek-save": "Xirst\n", "zek-core2.zek-save": "unnamed\n", "notes.txt": "first\n"}
        for name, want in copies.items():
            got = readfile(work, name)
            if got != want:
                failures.append("hangup: %s holds %r, not %r" % (name, got, want))
        err = readfile(work, "stderr") or ""
        if os.geteuid() != 0:  # the superuser writes even where the directory forbids it
            if readfile(work, "ro/locked.txt.zek-save") is not None or \
                    "corefile 3 not saved: ro/locked.txt.zek-save: Permission denied" not in err:
                failures.append("hangup: the copy in the locked directory: %r" % err)
        if "corefile 1 saved in notes.txt.zek-save" not in err:
            failures.append("hangup: standard error %r" % err)
    finally:
        os.chmod(locked, 0o755)
        tmux("kill-session", "-t", "hangup", check=False)
        shutil.rmtree(work, ignore_errors=True)


def main():
    global UPDATE
    args = [a for a in sys.argv[1:] if a != "--update"]
    UPDATE = len(args) != len(sys.argv) - 1
    if not args:
        print(__doc__)
        return 2
    zek = args[0]
    seed = int(args[1]) if len(args) > 1 else int(time.time())
    if shutil.which("tmux") is None:
        print("screen: skipped: tmux is not installed")
        return SKIP
    try:
        tmux("new-session", "-d", "-s", "probe", "-x", "80", "-y", "24", "sleep 5")
        tmux("kill-session", "-t", "probe")
    except RuntimeError as e:
        print("screen: skipped: tmux cannot run here: %s" % e)
        return SKIP
    parts = [("session", lambda f: session(zek, f)), ("terminal keys", lambda f: terminalkeys(zek, f))]
    if not UPDATE:
        parts += [("protocol mode", lambda f: protocolmode(zek, f)),
                  ("random keys, seed %d" % seed, lambda f: randomkeys(zek, seed, f)),
                  ("fatal signals", lambda f: fatalsignals(zek, f)),
                  ("hangup", lambda f: hangup(zek, f))]
    passed = failed = 0
    try:
        for name, run in parts:
            failures = []
            run(failures)
            for f in failures:
                print("FAIL %s: %s" % (name, f))
            passed, failed = (passed + 1, failed) if not failures else (passed, failed + 1)
    finally:
        tmux("kill-server", check=False)
    print("screen: %d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

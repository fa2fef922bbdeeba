#!/usr/bin/env python3
"""The README's command examples, run against the built program.

Every command the README shows (code lines that begin with make, build/, printf or "$ ", the
lines of the start-up table, and inline commands that begin with zek, build/ or printf) must
be one this test runs or names as not runnable: a command added to the README, or changed,
fails here until it is run. The outputs the README shows (the demo's sentences, the exercise's
transcript, the files of the first session) are taken from the README itself and compared.

Usage: readme.py ZEK   (the binary; the zeks link beside it is used for screen mode)
"""
import json
import os
import pty
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
README = os.path.join(ROOT, "README.md")


def commands(text):
    """The README's commands, as written, with the text that follows each code line."""
    found = []
    for line in text.split("\n"):
        code = re.match(r"    (make .*|make|build/.*|printf .*|\$ .*|zek\b.*)$", line)
        if code:
            found.append(re.sub(r"\s{2,}.*$", "", code.group(1)).strip())
    for span in re.findall(r"`([^`]+)`", text):
        if re.match(r"(zek |build/|printf )", span):
            found.append(span)
    return found


def block_after(text, marker):
    """The indented block that follows the paragraph holding `marker`."""
    rest = text.split(marker, 1)[1]
    lines = rest.split("\n\n", 1)[1].split("\n")
    block = []
    for line in lines:
        if not line.startswith("    ") and line.strip():
            break
        block.append(line[4:])
    while block and not block[-1].strip():
        block.pop()
    return block


def run(args, cwd, stdin=b"", env=None, timeout=60):
    return subprocess.run(args, cwd=cwd, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          env=dict(os.environ, **(env or {})), timeout=timeout)


def onterminal(args, cwd, keys, waitfor, seconds=20):
    """Runs args on a pseudo-terminal (TERM=xterm, 80 by 24); types each key string once the
    output holds the text paired with it; returns the exit status and the output."""
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(cwd)
        os.environ.update(TERM="xterm", LINES="24", COLUMNS="80", LANG="C.UTF-8")
        os.execv(args[0], args)
    out = b""
    deadline = time.time() + seconds
    steps = list(zip(waitfor, keys))
    while time.time() < deadline:
        if steps and steps[0][0].encode() in out:
            os.write(fd, steps.pop(0)[1].encode("latin-1"))
        ready, _, _ = select.select([fd], [], [], 0.1)
        if ready:
            try:
                data = os.read(fd, 65536)
            except OSError:
                break
            if not data:
                break
            out += data
    else:
        os.kill(pid, signal.SIGKILL)
    _, status = os.waitpid(pid, 0)
    os.close(fd)
    return os.waitstatus_to_exitcode(status), out


class Check:
    def __init__(self, zek, text):
        self.zek = zek
        self.zeks = os.path.join(os.path.dirname(zek), "zeks")
        self.text = text
        self.failures = []

    def fail(self, what, detail):
        self.failures.append("%s: %s" % (what, detail))

    def demo(self, command):
        r = run([self.zek, "-p", "examples/grammar/demo.prc"], ROOT)
        got = re.split(r"\r?\n", r.stdout.decode("latin-1"))
        pos = 0
        for want in block_after(self.text, "After the editor's echo of its start-up command"):
            if want.strip() == "...":
                continue
            try:
                pos = got.index(want, pos) + 1
            except ValueError:
                self.fail(command, "the output lacks %r (in order); it is %r" % (want, got[-20:]))
                return
        if r.returncode != 0:
            self.fail(command, "exit status %d" % r.returncode)

    def genra(self, command):
        """genra beside zek: the sentences the quick start shows, and a clean check."""
        genra = os.path.join(os.path.dirname(self.zek), "genra")
        r = run([genra, "generate", "-n", "5"], ROOT)
        want = block_after(self.text, "prints five sentences")[1:]
        got = r.stdout.decode("latin-1").splitlines()
        if r.returncode != 0 or got != want:
            self.fail(command, "status %d, output %r instead of %r" % (r.returncode, got, want))
        r = run([genra, "check"], ROOT)
        if r.returncode != 0 or r.stdout:
            self.fail("build/genra check", "status %d, output %r" % (r.returncode, r.stdout[:300]))

    def serve(self, command):
        """The learner's server as the README starts it (on a free port rather than 8080, which
        may be taken): the page, a question from the API, and a clean stop on SIGTERM."""
        genra = os.path.join(os.path.dirname(self.zek), "genra")
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            port = s.getsockname()[1]
        server = subprocess.Popen([genra, "serve", "--port", str(port)], cwd=ROOT,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        base = "http://127.0.0.1:%d" % port
        try:
            page = None
            for _ in range(100):
                try:
                    page = urllib.request.urlopen(base + "/", timeout=5).read().decode("utf-8")
                    break
                except OSError:
                    time.sleep(0.1)
            if page is None or "<html" not in page.lower():
                self.fail(command, "no page at %s/" % base)
                return
            request = urllib.request.Request(base + "/api/question", data=b"{}", method="POST",
                                             headers={"Content-Type": "application/json"})
            reply = json.loads(urllib.request.urlopen(request, timeout=5).read())
            if not reply.get("session") or not reply.get("question", "").endswith("?"):
                self.fail(command, "the API's question is %r" % reply)
        finally:
            server.send_signal(signal.SIGTERM)
            if server.wait(timeout=10) != 0:
                self.fail(command, "exit status %d after SIGTERM" % server.returncode)

    def firstsession(self, command):
        """The keys the README lists after "Then type:", typed into zeks at a terminal; then the
        same session as the script the README gives. Both leave Jello in notes.txt and copy.txt."""
        keys = []
        for line in block_after(self.text, "Then type:"):
            typed = re.split(r"\s{2,}", line.strip())
            typed = typed[:2] if typed[0] == "Ctrl-C" else typed[:1]
            for token in " ".join(typed).split():
                keys.append({"<RETURN>": "\r", "Ctrl-C": "\x03"}.get(token, token))
        for how in ("keys", "script"):
            work = tempfile.mkdtemp(prefix="zekreadme-")
            try:
                subprocess.run(["sh", "-c", "printf 'hello\\nworld\\n' > notes.txt"], cwd=work, check=True)
                if how == "keys":
                    # each key once the screen is up; then BYE ends the run
                    status, out = onterminal([self.zeks, "notes.txt"], work, ["".join(keys)], ["notes.txt"])
                else:
                    script = re.search(r"`(printf '\\rJ[^`]*)`", self.text).group(1)
                    status = run(["sh", "-c", script.replace("build/zek", self.zek)], work).returncode
                for name in ("notes.txt", "copy.txt"):
                    with open(os.path.join(work, name), "rb") as f:
                        if f.read() != b"Jello\nworld\n":
                            self.fail("first session (%s)" % how, "%s does not hold Jello and world" % name)
                if status != 0:
                    self.fail("first session (%s)" % how, "exit status %s" % status)
            except OSError as e:
                self.fail("first session (%s)" % how, str(e))
            finally:
                shutil.rmtree(work, ignore_errors=True)

    def undo(self, command):
        """The undo example: the two lines as the README writes them, run in a scratch folder."""
        lines = block_after(self.text, "An undo that does not fit the store")
        work = tempfile.mkdtemp(prefix="zekreadme-")
        try:
            for line in lines:
                script = re.sub(r"\s{2,}#.*$", "", line.strip()).replace("build/zek", self.zek)
                run(["sh", "-c", script], work)
            with open(os.path.join(work, "same.txt"), "rb") as f:
                if f.read() != b"red\ngreen\n":
                    self.fail(command, "same.txt does not hold the text as it was before the CHANGE")
        except OSError as e:
            self.fail(command, str(e))
        finally:
            shutil.rmtree(work, ignore_errors=True)

    def welcome(self, command):
        status, out = onterminal([self.zeks, "examples/welcome.txt"], ROOT, ["\x1b?", "q", "BY\r"],
                                 ["Welcome to zek", "every key and command", "Welcome to zek"])
        for want in (b"Welcome to zek", b"every key and command", b"F1 (or ESC ?)"):
            if want not in out:
                self.fail(command, "the screen never showed %r" % want)
        if status != 0:
            self.fail(command, "exit status %s" % status)

    def exercise(self, command):
        transcript = block_after(self.text, "zek's own front-end output is not needed")
        answers = [l[2:] for l in transcript if l.startswith("> ")]
        work = tempfile.mkdtemp(prefix="zekreadme-")
        try:
            with open(os.path.join(work, "answers"), "w") as f:
                f.write("\n".join(answers) + "\n\n")
            line = transcript[0][2:].replace("build/zek", self.zek).replace(">/dev/null", "")
            r = run(["sh", "-c", line], ROOT, env={"EXERCISE_ANSWERS": os.path.join(work, "answers")})
            want = "\n".join(transcript[1:]) + "\n"
            got = r.stderr.decode("latin-1").replace("> \n", ">\n")
            if got != want:
                self.fail(command, "the transcript differs:\n--- README\n%s--- got\n%s" % (want, got))
        finally:
            shutil.rmtree(work, ignore_errors=True)

    def help(self, command):
        for option in ("-h", "--help"):
            r = run([self.zek, option], ROOT)
            if r.returncode != 0 or b"To start zek" not in r.stdout or b"zeks" not in r.stdout:
                self.fail(command, "%s: status %d, %r" % (option, r.returncode, r.stdout[-200:]))

    def unknownoption(self, command):
        r = run([self.zek, "-x"], ROOT)
        if r.returncode != 2 or b"-x" not in r.stderr or b"-h" not in r.stderr:
            self.fail(command, "status %d, %r" % (r.returncode, r.stderr))

    def dashfile(self, command):
        work = tempfile.mkdtemp(prefix="zekreadme-")
        try:
            with open(os.path.join(work, "-x"), "w") as f:
                f.write("a file called -x\n")
            r = run([self.zek, "./-x"], work, stdin=b"EM1\rBY\r")
            if r.returncode != 0 or b"a file called -x" not in r.stdout:
                self.fail(command, "status %d, %r" % (r.returncode, r.stdout[-300:]))
        finally:
            shutil.rmtree(work, ignore_errors=True)

    def driverhere(self, command):
        # an empty answer ends the exercise at once
        r = run([self.zek, "-d", "exercise.py"], os.path.join(ROOT, "examples", "grammar"),
                env={"EXERCISE_ANSWERS": "/dev/null"})
        if r.returncode != 0 or b"Goodbye." not in r.stderr:
            self.fail(command, "status %d, %r" % (r.returncode, r.stderr[-300:]))


# Each README command, by the text it is written with, and what runs it. A command written with
# a placeholder (FILE, DRIVER, ...) is listed with None and the reason.
RUNNERS = [
    (r"make && build/zeks examples/welcome\.txt", Check.welcome),
    (r"make test", None),  # the test suite this test belongs to
    (r"build/zek -p examples/grammar/demo\.prc", Check.demo),
    (r"(\$ )?build/genra (generate -n 5|check)", Check.genra),
    (r"build/genra serve", Check.serve),
    (r"printf 'hello\\nworld\\n' > notes\.txt", Check.firstsession),
    (r"build/zeks notes\.txt", None),  # run by the first session above
    (r"printf '\\rJ\\003OVnotes\.txt\\rSAcopy\.txt\\rBY\\r' \| build/zek notes\.txt", None),  # likewise
    (r"\$ EXERCISE_SEED=\d+ EXERCISE_ROUNDS=\d+ build/zek -d examples/grammar/exercise\.py >/dev/null",
     Check.exercise),
    (r"printf 'red\\ngreen\\n' > colours\.txt", Check.undo),
    (r"printf '\\003CHe\|E.* \| build/zek colours\.txt", None),  # run by the undo example above
    (r"zek -h, zek --help", Check.help),
    (r"zek -x", Check.unknownoption),
    (r"zek \./-x", Check.dashfile),
    (r"zek -d exercise\.py", Check.driverhere),
    (r"zek|zek FILE|zek -p PROCEDURE|zek -d DRIVER|zek -d program|ZEK_SCREEN=1 zek FILE", None),  # placeholders
]


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    zek = os.path.abspath(sys.argv[1])
    with open(README, encoding="utf-8") as f:
        text = f.read()
    check = Check(zek, text)
    done = set()
    for command in commands(text):
        runner = next((r for r in RUNNERS if re.fullmatch(r[0], command)), None)
        if runner is None:
            check.fail(command, "a README command this test does not run: add it to RUNNERS")
            continue
        if runner[1] is None or runner[0] in done:
            continue
        done.add(runner[0])
        before = len(check.failures)
        runner[1](check, command)
        print("%s %s" % ("ok  " if len(check.failures) == before else "FAIL", command), flush=True)
    for f in check.failures:
        print("FAIL " + f)
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())

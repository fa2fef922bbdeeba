#!/usr/bin/env python3
"""End-to-end runner: drives the real zek binary with key scripts and compares what it leaves.

A case is a folder under tests/e2e/cases/ holding:
  keys         keystrokes in a readable notation (newlines are ignored, see KEYNAMES below)
  args         optional: command-line arguments, one per line
  files/       optional: copied into an empty working directory before the run
  expect/      optional: files that must exist afterwards, byte for byte
  absent       optional: names of files that must not exist afterwards, one per line
  stdout       optional: the exact standard output
  stdout-has   optional: lines that must appear in standard output, in this order
  stderr       optional: the exact standard error
  status       optional: the expected exit status (default 0)
  env          optional: NAME=value lines added to the environment
  setup        optional: a shell script run in the working directory first (big inputs are
               made here rather than stored); ZEK_EXAMPLES names the examples folder
  check        optional: a shell script run in the working directory afterwards; it must
               exit with 0 (what it prints is shown when it does not)
  limits       optional: "fsize=BYTES" lines: a file-size limit for the run (SIGXFSZ ignored)
  signals      optional: "SECONDS SIGNAME" lines: signals sent to zek at those times
  tty          optional: run with a real terminal (a pseudo-terminal) as standard input and
               output; the keys (or a signal) must end the session; only status, expect, absent
               and check are compared

Usage: run.py ZEK [CASE ...]
"""
import os
import pty
import re
import select
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
CASES = os.path.join(HERE, "cases")
TIMEOUT = 20

KEYNAMES = {
    "CR": b"\r", "LF": b"\n", "ESC": b"\x1b", "TAB": b"\t", "BS": b"\x08", "DEL": b"\x7f",
    "SP": b" ", "LT": b"<", "GT": b">", "NUL": b"\x00",
    # common editing keys in their default ANSI form
    "UP": b"\x1b[A", "DOWN": b"\x1b[B", "RIGHT": b"\x1b[C", "LEFT": b"\x1b[D",
}


def translate(text):
    """Turns the key notation into bytes: <CR>, <ESC>, <C-x>, <xHH>, <M-x> (ESC x); newlines vanish."""
    out = bytearray()
    i = 0
    while i < len(text):
        ch = text[i]
        if ch == "\n":
            i += 1
            continue
        if ch == "<":
            end = text.find(">", i + 1)
            if end < 0:
                raise ValueError("unclosed < in keys at %d" % i)
            name = text[i + 1:end]
            if name in KEYNAMES:
                out += KEYNAMES[name]
            elif re.fullmatch(r"C-.", name):
                out.append(ord(name[2]) & 31)
            elif re.fullmatch(r"M-.", name):
                out += b"\x1b" + name[2].encode("latin-1")
            elif re.fullmatch(r"x[0-9A-Fa-f]{2}", name):
                out.append(int(name[1:], 16))
            else:
                raise ValueError("unknown key name <%s>" % name)
            i = end + 1
            continue
        out += ch.encode("latin-1")
        i += 1
    return bytes(out)


def readlines(path):
    with open(path, encoding="latin-1") as f:
        return [line.rstrip("\n") for line in f if line.rstrip("\n") != ""]


def compare(folder, work, status, stdout, stderr):
    """What differs from the case's expectations after a run; stdout and stderr may be None."""
    problems = []
    want_status = 0
    if os.path.exists(os.path.join(folder, "status")):
        want_status = int(open(os.path.join(folder, "status")).read().strip())
    if status != want_status:
        problems.append("exit status %d, expected %d; stderr: %r" %
                        (status, want_status, (stderr or b"")[-500:]))
    if stdout is not None and os.path.exists(os.path.join(folder, "stdout")):
        want = open(os.path.join(folder, "stdout"), "rb").read()
        if stdout != want:
            problems.append("stdout differs:\n  got      %r\n  expected %r" % (stdout, want))
    if stdout is not None and os.path.exists(os.path.join(folder, "stdout-has")):
        got = re.split(r"\r?\n", stdout.decode("latin-1"))
        pos = 0
        for line in readlines(os.path.join(folder, "stdout-has")):
            try:
                pos = got.index(line, pos) + 1
            except ValueError:
                problems.append("stdout lacks (in order) the line %r; got %r" % (line, got))
                break
    if stderr is not None and os.path.exists(os.path.join(folder, "stderr")):
        want = open(os.path.join(folder, "stderr"), "rb").read()
        if stderr != want:
            problems.append("stderr differs:\n  got      %r\n  expected %r" % (stderr, want))
    expect = os.path.join(folder, "expect")
    if os.path.isdir(expect):
        for root, _, names in os.walk(expect):
            for n in names:
                rel = os.path.relpath(os.path.join(root, n), expect)
                got_path = os.path.join(work, rel)
                want = open(os.path.join(root, n), "rb").read()
                if not os.path.exists(got_path):
                    problems.append("file %s was not written" % rel)
                    continue
                got = open(got_path, "rb").read()
                if got != want:
                    problems.append("file %s differs:\n  got      %r\n  expected %r" % (rel, got, want))
    if os.path.exists(os.path.join(folder, "check")):
        checked = subprocess.run(["/bin/sh", os.path.join(folder, "check")], cwd=work,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if checked.returncode != 0:
            problems.append("check failed: %r" % checked.stdout[-800:])
    if os.path.exists(os.path.join(folder, "absent")):
        for rel in readlines(os.path.join(folder, "absent")):
            if os.path.exists(os.path.join(work, rel)):
                problems.append("file %s should not exist" % rel)
    return problems


def runtty(zek, args, keys, work, env, signals=()):
    """Runs zek on a pseudo-terminal that becomes its controlling terminal; returns its exit
    status, or None when it did not end in time."""
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(work)
        env = dict(env, TERM=env.get("TERM") or "xterm")
        try:
            os.execve(zek, [zek] + [a.decode("latin-1") for a in args], env)
        finally:
            os._exit(127)
    deadline = time.time() + TIMEOUT
    written = False
    start = time.time()
    pending = sorted(signals)
    while time.time() < deadline:
        if not written and time.time() > start + 0.5:
            os.write(fd, keys)
            written = True
        while pending and time.time() > start + pending[0][0]:
            os.kill(pid, pending.pop(0)[1])
        ready, _, _ = select.select([fd], [], [], 0.1)
        if ready:
            try:
                if not os.read(fd, 65536):
                    break
            except OSError:
                break
    else:
        os.kill(pid, signal.SIGKILL)
        os.waitpid(pid, 0)
        os.close(fd)
        return None
    _, status = os.waitpid(pid, 0)
    os.close(fd)
    return os.waitstatus_to_exitcode(status)


def runcase(zek, name):
    folder = os.path.join(CASES, name)
    problems = []
    with open(os.path.join(folder, "keys"), encoding="latin-1") as f:
        keys = translate(f.read())
    args = []
    if os.path.exists(os.path.join(folder, "args")):
        # arguments are passed as the bytes the file holds, one per line
        with open(os.path.join(folder, "args"), "rb") as f:
            args = [line.rstrip(b"\n") for line in f if line.rstrip(b"\n")]
    env = dict(os.environ)
    env.pop("LINES", None)
    env.pop("COLUMNS", None)
    if os.path.exists(os.path.join(folder, "env")):
        for line in readlines(os.path.join(folder, "env")):
            k, _, v = line.partition("=")
            env[k] = v
    work = tempfile.mkdtemp(prefix="zek-e2e-")
    try:
        if os.path.isdir(os.path.join(folder, "files")):
            shutil.copytree(os.path.join(folder, "files"), work, dirs_exist_ok=True)
        if os.path.exists(os.path.join(folder, "setup")):
            examples = os.path.join(os.path.dirname(os.path.dirname(HERE)), "examples")
            subprocess.run(["/bin/sh", os.path.join(folder, "setup")], cwd=work, check=True,
                           env=dict(os.environ, ZEK_EXAMPLES=examples))
        limits = []
        if os.path.exists(os.path.join(folder, "limits")):
            for line in readlines(os.path.join(folder, "limits")):
                k, _, v = line.partition("=")
                limits.append({"fsize": resource.RLIMIT_FSIZE}[k.strip()])
                limits.append(int(v))
        signals = []
        if os.path.exists(os.path.join(folder, "signals")):
            for line in readlines(os.path.join(folder, "signals")):
                when, name = line.split()
                signals.append((float(when), getattr(signal, name)))

        def confine():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            for i in range(0, len(limits), 2):
                resource.setrlimit(limits[i], (limits[i + 1], resource.RLIM_INFINITY))

        if os.path.exists(os.path.join(folder, "tty")):
            status = runtty(zek, args, keys, work, env, signals)
            if status is None:
                return ["timed out after %d s" % TIMEOUT]
            return problems + compare(folder, work, status, None, None)
        proc = subprocess.Popen([os.fsencode(zek)] + args, stdin=subprocess.PIPE, cwd=work, env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, preexec_fn=confine,
                                start_new_session=True)
        start = time.time()

        def send():
            for when, sig in signals:
                time.sleep(max(0.0, start + when - time.time()))
                if proc.poll() is None:
                    proc.send_signal(sig)
        sender = threading.Thread(target=send, daemon=True)
        sender.start()
        try:
            stdout, stderr = proc.communicate(keys, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            # the whole group: a driver program left behind would hold the pipes open
            os.killpg(proc.pid, signal.SIGKILL)
            proc.communicate()
            return ["timed out after %d s" % TIMEOUT]
        problems += compare(folder, work, proc.returncode, stdout, stderr)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return problems


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    zek = os.path.abspath(sys.argv[1])
    names = sys.argv[2:] or sorted(d for d in os.listdir(CASES) if os.path.isdir(os.path.join(CASES, d)))
    failed = 0
    for name in names:
        problems = runcase(zek, name)
        if problems:
            failed += 1
            print("FAIL %s" % name, flush=True)
            for p in problems:
                print("    " + p)
        else:
            print("ok   %s" % name, flush=True)
    print("%d cases, %d failed" % (len(names), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

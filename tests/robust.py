#!/usr/bin/env python3
"""Robustness: random bytes of every value fed to zek's key source must neither crash nor hang.

Each run gets a few kilobytes of random keys (NUL, 255, prefix keys, long digit runs after a
numeric-code prefix, control keys, command lines) in an empty scratch directory and must end
with status 0 within the time limit once its input runs out. When run as root the editor runs as
an unprivileged user with an empty search path, so that random shell or file commands cannot
reach anything outside the scratch directory.

Usage: robust.py ZEK [SECONDS] [SEED]
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

PER_RUN_TIMEOUT = 20


def randomkeys(rng, size):
    out = bytearray()
    while len(out) < size:
        kind = rng.random()
        if kind < 0.45:
            out.append(rng.randrange(256))
        elif kind < 0.60:
            out += bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz0123456789 .,-|*") for _ in range(rng.randrange(1, 12)))
        elif kind < 0.70:
            # a numeric key code, often far too long
            out += b"\x1b[" + bytes(rng.choice(b"0123456789") for _ in range(rng.randrange(1, 40))) + b"~"
        elif kind < 0.78:
            out += rng.choice([b"\x1b", b"\x1b\x1b", b"\x1b[", b"\x1b[\x1b", b"\x00", b"\xff"])
        elif kind < 0.86:
            out += rng.choice([b"\r", b"\n", b"\x08", b"\x7f", b"\x1b[A", b"\x1b[B", b"\x1b[C", b"\x1b[D"])
        else:
            # a command line with a random name and parameters
            out += b"\x03" + bytes(rng.choice(b"ABCDEFGHIJKLMNOPQRSTUVWXYZ") for _ in range(2))
            out += bytes(rng.randrange(32, 127) for _ in range(rng.randrange(0, 20))) + b"\r"
    return bytes(out)


def sandbox():
    """Returns (preexec function, environment) that confine one run."""
    env = {"PATH": "/nonexistent", "HOME": "/nonexistent", "TERM": "dumb"}
    if os.geteuid() != 0:
        return None, env

    def drop():
        os.setgroups([])
        os.setgid(65534)
        os.setuid(65534)

    return drop, env


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    zek = os.path.abspath(sys.argv[1])
    preexec, env = sandbox()
    if preexec is not None:
        # The unprivileged user may not be able to reach the build folder: run a copy.
        home = tempfile.mkdtemp(prefix="zek-robust-bin-")
        os.chmod(home, 0o755)
        copy = os.path.join(home, "zek")
        shutil.copy2(zek, copy)
        os.chmod(copy, 0o755)
        zek = copy
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 8.0
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else int(time.time())
    rng = random.Random(seed)
    deadline = time.time() + seconds
    runs = 0
    failures = []
    while time.time() < deadline or runs < 3:
        keys = randomkeys(rng, rng.randrange(200, 6000))
        work = tempfile.mkdtemp(prefix="zek-robust-")
        os.chmod(work, 0o777)
        try:
            proc = subprocess.run([zek], input=keys, cwd=work, env=env, preexec_fn=preexec,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                  timeout=PER_RUN_TIMEOUT)
            if proc.returncode != 0:
                failures.append((keys, "exit status %d: %r" % (proc.returncode, proc.stderr[-800:])))
        except subprocess.TimeoutExpired:
            failures.append((keys, "no end within %d s" % PER_RUN_TIMEOUT))
        finally:
            shutil.rmtree(work, ignore_errors=True)
        runs += 1
        if failures:
            break
    if preexec is not None:
        shutil.rmtree(os.path.dirname(zek), ignore_errors=True)
    print("robustness: %d runs, seed %d" % (runs, seed))
    for keys, why in failures:
        path = os.path.join(tempfile.gettempdir(), "zek-robust-failure.keys")
        with open(path, "wb") as f:
            f.write(keys)
        print("FAIL: %s (keys saved in %s)" % (why, path))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

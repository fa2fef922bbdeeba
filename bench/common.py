"""Shared helpers of the benchmarks: timing a command over several runs, with peak memory."""
import os
import statistics
import subprocess
import tempfile
import time


TIME = "/usr/bin/time"


def run(argv, cwd, stdin_bytes=b"", env=None):
    """Runs argv once; returns (seconds, peak resident kilobytes of the command itself).

    The peak comes from /usr/bin/time when it is there: the rusage of a child forked from this
    interpreter would count the interpreter's own pages."""
    report = None
    if os.path.exists(TIME):
        fd, report = tempfile.mkstemp(prefix="zek-bench-time-")
        os.close(fd)
        argv = [TIME, "-f", "%M", "-o", report] + list(argv)
    start = time.perf_counter()
    proc = subprocess.Popen(argv, cwd=cwd, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, env=env)
    proc.stdin.write(stdin_bytes)
    proc.stdin.close()
    _, status, usage = os.wait4(proc.pid, 0)
    seconds = time.perf_counter() - start
    peak = usage.ru_maxrss
    if report:
        try:
            with open(report) as f:
                peak = int(f.read().split()[-1])
        except (ValueError, IndexError):
            pass
        os.remove(report)
    return seconds, peak


def median_run(argv, cwd, runs, stdin_bytes=b"", prepare=None, env=None):
    """Median seconds and the largest peak memory over `runs` runs; `prepare` runs before each."""
    times = []
    peak = 0
    for _ in range(runs):
        if prepare:
            prepare()
        seconds, kb = run(argv, cwd, stdin_bytes, env)
        times.append(seconds)
        peak = max(peak, kb)
    return statistics.median(times), peak


def alternate(cwd, runs, *commands):
    """Median seconds and largest peak memory of each command, the commands run in turn `runs`
    times over, so that a slow spell of the machine falls on all of them alike rather than on
    whichever was running then. A command is (argv, stdin_bytes, prepare, env); the last three
    may be left off."""
    times = [[] for _ in commands]
    peaks = [0] * len(commands)
    for _ in range(runs):
        for i, command in enumerate(commands):
            argv, stdin_bytes, prepare, env = tuple(command) + (None, b"", None, None)[len(command):]
            if prepare:
                prepare()
            seconds, kb = run(argv, cwd, stdin_bytes, env)
            times[i].append(seconds)
            peaks[i] = max(peaks[i], kb)
    return [(statistics.median(t), p) for t, p in zip(times, peaks)]

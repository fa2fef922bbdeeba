"""Shared helpers of the benchmarks: timing a command over several runs, with peak memory."""
import os
import statistics
import subprocess
import time


def run(argv, cwd, stdin_bytes=b"", env=None):
    """Runs argv once; returns (seconds, peak resident kilobytes)."""
    start = time.perf_counter()
    proc = subprocess.Popen(argv, cwd=cwd, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, env=env)
    proc.stdin.write(stdin_bytes)
    proc.stdin.close()
    _, status, usage = os.wait4(proc.pid, 0)
    seconds = time.perf_counter() - start
    proc.returncode = status
    return seconds, usage.ru_maxrss


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

#!/usr/bin/env python3
"""A load test of genra serve on loopback, bounded in time: LEARNERS simulated learners (the
serve_load program) answer questions as fast as they can for SECONDS, while the memory of the
server's processes is sampled every second. It fails on any error and on memory that keeps
growing; the rounds a second and the latencies are reported, not judged (they depend on the
machine and on what else runs).

Usage: load.py BUILD/genra BUILD/serve_load LEARNERS SECONDS [REPORT.json]
"""
import json
import os
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from common import Server, check, finish  # noqa: E402

GENRA, LOAD = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
LEARNERS, SECONDS = int(sys.argv[3]), float(sys.argv[4])
REPORT = sys.argv[5] if len(sys.argv) > 5 else None


def rss(pids):
    """Resident memory of the processes, in kB."""
    total = 0
    for pid in pids:
        try:
            with open("/proc/%d/status" % pid) as f:
                total += next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))
        except (OSError, StopIteration):
            pass
    return total


def main():
    server = Server(GENRA, "--rate", "0", "--sessions", "0", "--threads", str(max(128, LEARNERS + 16)))
    samples, done = [], threading.Event()

    def sample():
        while not done.wait(1.0):
            samples.append(rss([server.process.pid] + server.workers()))

    sampler = threading.Thread(target=sample)
    sampler.start()
    try:
        run = subprocess.run([LOAD, str(server.port), str(LEARNERS), str(SECONDS)], capture_output=True,
                             timeout=SECONDS + 120)
    finally:
        done.set()
        sampler.join()
        status, said = server.stop()
    check(run.returncode == 0, "serve_load ran: %s %s" % (run.returncode, run.stderr.decode()[-300:]))
    result = json.loads(run.stdout.decode().strip().splitlines()[-1]) if run.returncode == 0 else {}
    check(result.get("errors", 1) == 0, "no request failed: %s" % result.get("first_error"))
    check(result.get("rounds", 0) > 0, "rounds were made")
    check(status == 0 and "starting another" not in said, "no worker died, and the server stopped cleanly: %r" % said)
    # Flat memory: after the first fifth of the run (the threads and buffers made), the rest
    # grows by less than a tenth and 16 MB.
    if len(samples) >= 5:
        settled = samples[len(samples) // 5:]
        growth = max(settled) - settled[0]
        check(growth < settled[0] / 10 + 16384, "memory flat: %d kB to %d kB" % (settled[0], max(settled)))
    result["rss_kb_first"] = samples[0] if samples else 0
    result["rss_kb_last"] = samples[-1] if samples else 0
    result["rss_kb_max"] = max(samples) if samples else 0
    print(json.dumps(result))
    print("%d learners, %.0f s: %.0f rounds/s; round p50 %.1f ms, p99 %.1f ms; request p50 %.1f ms, p99 %.1f ms; "
          "memory %d kB -> %d kB (max %d)" % (LEARNERS, result.get("seconds", 0), result.get("rounds_per_second", 0),
                                              result.get("round_p50_ms", 0), result.get("round_p99_ms", 0),
                                              result.get("request_p50_ms", 0), result.get("request_p99_ms", 0),
                                              result["rss_kb_first"], result["rss_kb_last"], result["rss_kb_max"]))
    if REPORT:
        with open(REPORT, "w") as f:
            json.dump(dict(result, samples_kb=samples), f)
    finish("load")


if __name__ == "__main__":
    main()

"""What the tests of genra serve share: starting and stopping servers on loopback, requests,
session tokens made as the server makes them, and the tally of checks."""
import base64
import hashlib
import hmac
import http.client
import json
import os
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EXERCISE = os.path.join(ROOT, "examples", "grammar", "exercise.manifest")
SECRET = "a test secret of the learners' server"
SKIP = 77

failures = []
checks = [0]


def check(ok, what):
    checks[0] += 1
    if not ok:
        failures.append(what)
        print("FAIL " + what, flush=True)
    return ok


def finish(name):
    print("%s: %d checks, %d failed" % (name, checks[0], len(failures)))
    sys.exit(1 if failures else 0)


class Server:
    """A genra serve on a free loopback port, stopped by stop() (SIGTERM)."""

    def __init__(self, genra, *args, secret=SECRET, grammar=EXERCISE, cwd=None):
        env = dict(os.environ)
        env.pop("GENRA_SECRET", None)
        if secret is not None:
            env["GENRA_SECRET"] = secret
        command = [genra, "serve", "--port", "0"] + list(args) + ([grammar] if grammar else [])
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, cwd=cwd)
        line = self.process.stdout.readline().decode()
        if "http://" not in line:
            self.process.wait(30)
            raise RuntimeError("genra serve did not start: " + line + self.process.stderr.read().decode())
        self.port = int(line.split("http://")[1].split("/")[0].rsplit(":", 1)[1])

    def workers(self):
        """The worker processes' ids."""
        found = []
        for pid in os.listdir("/proc"):
            try:
                with open("/proc/%s/stat" % pid) as f:
                    if int(f.read().rsplit(")", 1)[1].split()[1]) == self.process.pid:
                        found.append(int(pid))
            except (OSError, ValueError, IndexError):
                pass
        return found

    def state(self):
        """What the server process is doing, for a failure's message: its state and where it waits."""
        said = []
        for name in ("stat", "wchan"):
            try:
                with open("/proc/%d/%s" % (self.process.pid, name)) as f:
                    said.append(f.read().strip()[:200])
            except OSError as e:
                said.append(str(e))
        return " | ".join(said)

    def stop(self):
        """Stops the server; its exit status and what it said on standard error."""
        self.process.send_signal(signal.SIGTERM)
        try:
            status = self.process.wait(20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            status = self.process.wait()
        return status, self.process.stderr.read().decode()


def request(port, method, path, body=None, headers=None, raw=None):
    """One request on a new connection: (status, headers, body as JSON or text)."""
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    data = raw if raw is not None else (json.dumps(body).encode() if body is not None else None)
    connection.request(method, path, body=data, headers=headers or {"Content-Type": "application/json"})
    response = connection.getresponse()
    text = response.read().decode("utf-8", "replace")
    found = dict((k.lower(), v) for k, v in response.getheaders())
    connection.close()
    try:
        return response.status, found, json.loads(text)
    except ValueError:
        return response.status, found, text


def fnv(text):
    h = 14695981039346656037
    for b in text.encode("latin-1"):
        h = ((h ^ b) * 1099511628211) % (1 << 64)
    return "%016x" % h


def token(issued, seed, asked, right, answered, digest, secret=SECRET):
    """A session token as the server signs it."""
    payload = "1.%d.%d.%d.%d.%d.%s" % (issued, seed, asked, right, answered, digest)
    mac = hmac.new(secret.encode(), payload.encode(), hashlib.sha256).digest()
    return payload + "." + base64.urlsafe_b64encode(mac).decode().rstrip("=")


def fields(session):
    """The fields of a token: issued, seed, asked, right, answered, digest."""
    f = session.split(".")
    return int(f[1]), int(f[2]), int(f[3]), int(f[4]), int(f[5]), f[6]

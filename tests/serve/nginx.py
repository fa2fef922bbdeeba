#!/usr/bin/env python3
"""Two genra serve behind nginx, round-robin on loopback, as two machines behind a load
balancer would be: learners' sessions whose requests alternate between the two servers go on
as if one server answered them all. nginx runs in the foreground with its own configuration,
pid and temporary files in a scratch folder (no system service).

Usage: nginx.py BUILD/genra
Exits 77 (skipped) only where nginx is not installed.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from common import SKIP, Server, check, finish, request  # noqa: E402

GENRA = os.path.abspath(sys.argv[1])
NGINX = shutil.which("nginx") or ("/usr/sbin/nginx" if os.path.exists("/usr/sbin/nginx") else None)

# The deployment of docs/serve.md, with the scratch folder's paths and the test's ports.
CONFIG = """
daemon off;
master_process off;
worker_processes 1;
pid {scratch}/nginx.pid;
error_log {scratch}/error.log;
events {{ worker_connections 256; }}
http {{
    access_log off;
    client_body_temp_path {scratch}/body;
    proxy_temp_path {scratch}/proxy;
    fastcgi_temp_path {scratch}/fastcgi;
    uwsgi_temp_path {scratch}/uwsgi;
    scgi_temp_path {scratch}/scgi;
    upstream genra {{
        server 127.0.0.1:{one};
        server 127.0.0.1:{two};
    }}
    server {{
        listen 127.0.0.1:{port};
        client_max_body_size 16k;
        location / {{
            proxy_pass http://genra;
            proxy_set_header X-Forwarded-For $proxy_add_x_forwarded_for;
            add_header X-Upstream $upstream_addr always;
        }}
    }}
}}
"""


def freeport():
    import socket
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    if NGINX is None:
        print("skipped: nginx is not installed")
        sys.exit(SKIP)
    scratch = tempfile.mkdtemp(prefix="genra-nginx-")
    one = Server(GENRA, "--workers", "1", "--trust-proxy")
    two = Server(GENRA, "--workers", "1", "--trust-proxy")
    port = freeport()
    with open(os.path.join(scratch, "nginx.conf"), "w") as f:
        f.write(CONFIG.format(scratch=scratch, one=one.port, two=two.port, port=port))
    nginx = subprocess.Popen([NGINX, "-p", scratch, "-c", os.path.join(scratch, "nginx.conf")],
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    try:
        for _ in range(100):
            try:
                if request(port, "GET", "/")[0] == 200:
                    break
            except OSError:
                time.sleep(0.1)
        upstreams = set()
        for learner in range(3):
            status, headers, body = request(port, "POST", "/api/question", {})
            check(status == 200, "learner %d gets a question through nginx: %s" % (learner, status))
            session, served = body["session"], [headers.get("x-upstream")]
            for n in range(4):
                status, headers, reply = request(port, "POST", "/api/answer", {"session": session, "answer": "the cat"})
                served.append(headers.get("x-upstream"))
                check(status == 200 and reply["score"]["asked"] == n + 1,
                      "learner %d, answer %d: %s %s" % (learner, n + 1, status, reply))
                session = reply["session"]
                status, headers, q = request(port, "POST", "/api/question", {"session": session})
                served.append(headers.get("x-upstream"))
                check(status == 200 and q["score"]["asked"] == n + 1, "learner %d, question %d" % (learner, n + 2))
                session = q["session"]
            check(all(a != b for a, b in zip(served, served[1:])), "the requests alternate: %s" % served)
            upstreams.update(served)
        check(upstreams == {"127.0.0.1:%d" % one.port, "127.0.0.1:%d" % two.port}, "both servers answered: %s" % upstreams)
        # Limits hold through the proxy: an overlong body is refused by nginx or by genra.
        status, _, _ = request(port, "POST", "/api/answer", raw=b"{" + b" " * 40000 + b"}")
        check(status == 413, "an overlong body through nginx: 413, not %s" % status)
    finally:
        nginx.terminate()
        try:
            nginx.wait(10)
        except subprocess.TimeoutExpired:
            nginx.kill()
        for s in (one, two):
            s.stop()
        shutil.rmtree(scratch, ignore_errors=True)
    finish("nginx")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""genra serve's API on loopback: a learner's rounds, every status code and limit, hostile
answers, forged, expired and replayed sessions, sessions that go from worker to worker and from
server to server, a worker that dies, the page's files, and the command line.

Usage: api.py BUILD/genra
"""
import json
import os
import shutil
import signal
import socket
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from common import (EXERCISE, ROOT, SECRET, Server, check, failures, fields, finish, fnv, request,  # noqa: E402
                    token)

GENRA = os.path.abspath(sys.argv[1])


def question(port, session=None):
    status, _, body = request(port, "POST", "/api/question", {"session": session} if session else {})
    check(status == 200 and body.get("question", "").endswith("?"), "a question: %s %s" % (status, body))
    return body


def answer(port, session, text):
    return request(port, "POST", "/api/answer", {"session": session, "answer": text})


def rounds(port):
    """A right answer, a wrong one, the score, and a token that comes back."""
    q = question(port)
    check(q["score"] == {"right": 0, "asked": 0}, "a new session starts at nought: %s" % q)
    status, headers, first = answer(port, q["session"], "x")
    check(status == 200 and not first["right"] and first["score"] == {"right": 0, "asked": 1},
          "a wrong answer counts: %s" % first)
    check(headers.get("content-type", "").startswith("application/json") and headers.get("cache-control") == "no-store",
          "the API's answers are JSON, not cached: %s" % headers)
    good = first["good_answer"]
    check(good[:1].isupper() and good.endswith("."), "the good answer is a sentence: " + good)
    # The question's token again, with the good answer: a replay shows the feedback but the
    # question still counts once.
    status, _, replay = answer(port, q["session"], good.upper().replace(".", " !"))
    check(status == 200 and replay["right"] and replay["score"] == {"right": 1, "asked": 1},
          "case, marks and blanks are no mistakes, and a replayed question counts once: %s" % replay)
    check(all(w["kind"] == "right" for w in replay["words"]) and replay["problems"] == [], "all words right: %s" % replay)
    status, _, again = answer(port, replay["session"], good)
    check(status == 200 and again["score"] == {"right": 1, "asked": 1}, "an answered token counts no more: %s" % again)
    q2 = question(port, again["session"])
    check(q2["score"] == {"right": 1, "asked": 1}, "the score goes on to the next question: %s" % q2)
    # A wrong word, a missing one and one too many, each with its place.
    words = good.rstrip(".").split()
    wrong = " ".join(["zebra"] + words[1:-1] + ["thing", "more"]) if len(words) > 2 else "zebra"
    status, _, bad = answer(port, q["session"], wrong)
    kinds = [p["kind"] for p in bad["problems"]]
    check(status == 200 and not bad["right"] and "wrong" in kinds and "extra" in kinds,
          "a wrong word and an extra one: %s" % bad)
    check(all(p["explanation"] and "(" not in p["explanation"] for p in bad["problems"]),
          "explanations in words, no codes: %s" % bad["problems"])
    check(bad["words"][0]["word"] == "zebra" and bad["words"][0]["kind"] in ("wrong", "extra") and
          [w["word"] for w in bad["words"] if w["kind"] != "missing"] == wrong.split(),
          "the words in sentence order: %s" % bad["words"])
    # Letters Latin-1 holds reach the analysis and come back as they were written.
    status, _, accents = answer(port, q["session"], "Thé çafé über Straße")
    check(status == 200 and [w["word"] for w in accents["words"] if w["kind"] != "missing"] == ["Thé", "çafé", "über", "Straße"],
          "Latin-1 letters reach the analysis: %s" % accents)
    return q


def statuses(port):
    q = question(port)
    s = q["session"]
    expect = [
        ("POST", "/api/answer", "{", 400, "malformed JSON"),
        ("POST", "/api/answer", "[1, 2]", 400, "an array"),
        ("POST", "/api/answer", "\"text\"", 400, "a string"),
        ("POST", "/api/answer", json.dumps({"session": s}), 400, "no answer"),
        ("POST", "/api/answer", json.dumps({"answer": "the cat"}), 400, "no session"),
        ("POST", "/api/answer", json.dumps({"session": s, "answer": 7}), 400, "a number as the answer"),
        ("POST", "/api/answer", json.dumps({"session": None, "answer": "x"}), 400, "null as the session"),
        ("POST", "/api/question", json.dumps({"session": 12}), 400, "a number as the session"),
        ("POST", "/api/answer", b"{\"session\": \"\xff\xfe\", \"answer\": \"x\"}", 400, "no UTF-8"),
        ("POST", "/api/answer", "{\"session\": \"" + s + "\", \"answer\": \"\\ud800\"}", 400, "a lone surrogate"),
        ("POST", "/api/answer", "[" * 3000 + "]" * 3000, 400, "deep nesting"),
        ("POST", "/api/answer", json.dumps({"session": "nonsense", "answer": "x"}), 404, "a made-up session"),
        ("POST", "/api/answer", json.dumps({"session": s[:-3] + "AAA", "answer": "x"}), 404, "a changed signature"),
        ("POST", "/api/answer", json.dumps({"session": s.replace(".0.", ".1.", 1), "answer": "x"}), 404, "a changed field"),
        ("POST", "/api/answer", json.dumps({"session": "x" * 5000, "answer": "x"}), 404, "an overlong session"),
        ("POST", "/api/question", json.dumps({"session": "1.2.3"}), 404, "a made-up session for a question"),
        ("POST", "/api/answer", json.dumps({"session": s, "answer": "a " * 120}), 413, "an answer over 199 letters"),
        ("POST", "/api/answer", json.dumps({"session": s, "answer": "a" * 20000}), 413, "a body over its limit"),
        ("POST", "/api/answer", json.dumps({"session": s, "answer": "   "}), 422, "an empty answer"),
        ("POST", "/api/answer", json.dumps({"session": s, "answer": "?!. ,"}), 422, "marks alone"),
        ("POST", "/api/answer", json.dumps({"session": s, "answer": "the ŁÓDŹ cat"}), 422, "letters Latin-1 lacks"),
        ("POST", "/api/answer", json.dumps({"session": s, "answer": "\u0003SH rm -rf ."}), 422, "Ctrl-C then SH"),
        ("POST", "/api/answer", json.dumps({"session": s, "answer": "\u001b[2J\u001bg"}), 422, "ESC sequences"),
        ("POST", "/api/answer", json.dumps({"session": s, "answer": "the\u0085cat"}), 422, "a C1 control"),
        ("GET", "/api/answer", None, 405, "GET of the API"),
        ("DELETE", "/api/question", None, 405, "DELETE of the API"),
        ("PUT", "/api/answer", "{}", 405, "PUT with a body"),
        ("POST", "/", "{}", 405, "POST to the page"),
        ("GET", "/nothing", None, 404, "an unknown path"),
        ("POST", "/api/nothing", "{}", 404, "an unknown API path"),
        ("GET", "/exercise.css/../../etc/passwd", None, 404, "a path outside the page"),
        ("GET", "/exercisexcss", None, 404, "a path like a page's"),
    ]
    for method, path, body, status, what in expect:
        raw = body.encode() if isinstance(body, str) else body
        got, headers, reply = request(port, method, path, raw=raw)
        check(got == status, "%s: %s %s gives %d, not %s %s" % (what, method, path, status, got, reply))
        check(isinstance(reply, dict) and reply.get("error"), "%s: an error in words: %s" % (what, reply))
        if status == 405:
            check(headers.get("allow") in ("POST", "GET, HEAD"), "%s: 405 says what is allowed" % what)
    _, _, letters = answer(port, s, "the ŁÓDŹ cat")
    check("Ł" in letters["error"] and "Ź" in letters["error"], "the letters refused are named: %s" % letters)
    # Brace notation, "|" and "~" are words like any other: nothing is run, nothing is written.
    for hostile in ["~{C}SHtouch braced~", "{C}SHtouch braced{CR}", "| BY", "~ ~ ~", "$(touch braced)"]:
        got, _, reply = answer(port, s, hostile)
        check(got == 200 and "problems" in reply, "an answer with %r is only words: %s %s" % (hostile, got, reply))
    # Forged tokens: another key, an expired one, one from the future, another exercise's run.
    issued, seed, asked, right, answered, digest = fields(s)
    now = int(time.time())
    forged = [
        (token(now, seed, 5, 5, 0, digest, secret="another secret of sixteen"), "unknown session", "another key"),
        (token(now - 4 * 3600, seed, 0, 0, 0, digest), "expired", "an old session"),
        (token(now + 3600, seed, 0, 0, 0, digest), "unknown session", "a session from the future"),
        (token(now, seed, 0, 0, 0, "0123456789abcdef"), "another exercise", "another run's digest"),
        (token(now, seed + 2, 0, 0, 0, digest), "another exercise", "another seed"),
    ]
    for session, said, what in forged:
        got, _, reply = answer(port, session, "the cat")
        check(got == 404 and said in reply.get("error", ""), "%s: 404 %s, not %s %s" % (what, said, got, reply))
    # A token the server would have made is taken: the format is all there is to a session.
    got, _, reply = answer(port, token(now, seed, 3, 2, 0, digest), "the cat")
    check(got == 200 and reply["score"]["asked"] == 4, "a well-made token is a session: %s %s" % (got, reply))
    # Raw bytes: a request line of garbage, a body sent in chunks over the limit, a slow client.
    for raw in [b"\x00\xff\x1b[2J GARBAGE\r\n\r\n", b"POST /api/answer HTTP/1.1\r\nHost: x\r\nContent-Length: 99999999999999999999\r\n\r\n",
                b"POST /api/answer HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n" +
                b"".join(b"1000\r\n" + b"a" * 4096 + b"\r\n" for _ in range(4)) + b"0\r\n\r\n"]:
        with socket.create_connection(("127.0.0.1", port), timeout=10) as c:
            c.sendall(raw)
            reply = c.recv(4096)
        check(reply.startswith(b"HTTP/1.1 4"), "raw bytes get a 4xx: %r -> %r" % (raw[:40], reply[:60]))
    slow = socket.create_connection(("127.0.0.1", port), timeout=20)
    slow.sendall(b"POST /api/answer HTTP/1.1\r\nHost: x\r\n")
    started = time.time()
    check(question(port)["session"], "others are served while a client is slow")
    try:
        closed = slow.recv(100) is not None
    except OSError:
        closed = True
    check(closed and time.time() - started < 15, "a client that stops sending is let go")
    slow.close()
    got, _, reply = request(port, "HEAD", "/")
    check(got == 200, "HEAD of the page: %s" % got)


def pages(port):
    for path, kind, inside in [("/", "text/html", "<label for=\"answer\">"), ("/exercise.css", "text/css", "max-width"),
                               ("/exercise.js", "text/javascript", "/api/answer")]:
        status, headers, body = request(port, "GET", path)
        check(status == 200 and headers.get("content-type", "").startswith(kind) and inside in body,
              "the page's %s: %s %s" % (path, status, headers.get("content-type")))
        check("default-src 'self'" in headers.get("content-security-policy", ""), "%s fetches nothing from elsewhere" % path)
    _, _, html = request(port, "GET", "/")
    check("http://" not in html and "https://" not in html, "the page names no other site")


def workers(server):
    """Two workers answer; a session made on one is answered by the other; a worker that dies
    is replaced and nothing is lost."""
    seen = {}
    for _ in range(200):
        _, headers, body = request(server.port, "POST", "/api/question", {})
        seen.setdefault(headers.get("x-genra-worker"), body["session"])
        if len(seen) == 2:
            break
    check(sorted(seen) == ["1", "2"], "both workers answer: %s" % list(seen))
    if len(seen) == 2:
        for made in ("1", "2"):
            for _ in range(200):
                status, headers, body = answer(server.port, seen[made], "x")
                if headers.get("x-genra-worker") != made:
                    break
            check(status == 200 and headers.get("x-genra-worker") != made and body["score"]["asked"] == 1,
                  "a session of worker %s answered by the other: %s %s" % (made, status, headers.get("x-genra-worker")))
    before = server.workers()
    check(len(before) == 2, "two worker processes: %s" % before)
    q = question(server.port)
    os.kill(before[0], signal.SIGKILL)
    deadline = time.time() + 10
    while time.time() < deadline and (len(server.workers()) != 2 or before[0] in server.workers()):
        time.sleep(0.05)
    after = server.workers()
    check(len(after) == 2 and before[0] not in after,
          "a worker that died is replaced: %s -> %s (server: %s)" % (before, after, server.state()))
    for _ in range(20):
        status, _, body = answer(server.port, q["session"], "x")
        check(status == 200, "answers go on after a worker died: %s" % status)


def servers(genra, scratch):
    """Servers that share the key share the learners; another key or another exercise does not."""
    one = Server(genra, "--workers", "1")
    two = Server(genra, "--workers", "1")
    other = Server(genra, "--workers", "1", secret="another secret, long enough")
    changed = os.path.join(scratch, "changed")
    shutil.copytree(os.path.dirname(EXERCISE), changed)
    qa = os.path.join(changed, "exercise.qa")
    text = open(qa).read()
    with open(qa, "w") as f:  # R_3 becomes the statement with the adverb last, as ANSWER is
        f.write(text.replace("ADV/_pre_ timeadv STATEMENT[Num, Ten] OBJECT %", "STATEMENT[Num, Ten] OBJECT ADV/_pre_ timeadv %"))
    grammar = Server(genra, "--workers", "1", grammar=os.path.join(changed, "exercise.manifest"))
    try:
        q = question(one.port)
        status, _, body = answer(two.port, q["session"], "x")
        check(status == 200 and body["score"]["asked"] == 1, "a second server with the key goes on: %s %s" % (status, body))
        status, _, body = answer(other.port, q["session"], "x")
        check(status == 404, "a server with another key does not know the session: %s" % status)
        status, _, body = answer(grammar.port, q["session"], "x")
        check(status == 404 and "another exercise" in body.get("error", ""),
              "a server with another exercise says so: %s %s" % (status, body))
    finally:
        for s in (one, two, other, grammar):
            status, said = s.stop()
            check(status == 0, "SIGTERM stops a server cleanly: %s %s" % (status, said))


def limits(genra):
    s = Server(genra, "--workers", "2", "--rate", "5", "--sessions", "3")
    try:
        got = [request(s.port, "POST", "/api/question", {})[0] for _ in range(5)]
        check(got[:3] == [200, 200, 200] and got[3:] == [429, 429], "three new sessions a minute: %s" % got)
        status, headers, body = request(s.port, "POST", "/api/question", {})
        check(headers.get("retry-after") == "60" and "sessions" in body.get("error", ""), "a 429 says when: %s" % body)
        statuses = [request(s.port, "GET", "/exercise.css")[0] for _ in range(40)]
        check(statuses.count(429) > 0 and statuses[0] == 200, "requests past the rate: 429 %s" % statuses)
        time.sleep(1.2)
        check(request(s.port, "GET", "/exercise.css")[0] == 200, "the allowance comes back with time")
    finally:
        s.stop()


def command_line(genra, scratch):
    def run(args, env=None):
        import subprocess
        e = dict(os.environ, **(env or {}))
        e.pop("GENRA_SECRET", None) if env is None else None
        done = subprocess.run([genra, "serve"] + args, capture_output=True, timeout=60, env=e)
        return done.returncode, done.stderr.decode()
    short = os.path.join(scratch, "short")
    with open(short, "w") as f:
        f.write("too short\n")
    for args, env, status, said in [
        (["--port", "70000"], None, 2, "--port takes a number from 0 to 65535"),
        (["--workers", "0"], None, 2, "--workers takes a number from 1 to 64"),
        (["--secret-file", short], None, 2, "at least 16 characters"),
        (["--secret-file", "/nonexistent"], None, 1, "cannot read the secret file"),
        (["--port", "0"], {"GENRA_SECRET": "short"}, 2, "at least 16 characters"),
        (["--web", scratch, "--port", "0"], {"GENRA_SECRET": SECRET}, 1, "cannot read the page's file"),
        (["--port", "0", os.path.join(ROOT, "examples", "grammar")], {"GENRA_SECRET": SECRET}, 1,
         "an exercise needs a QUESTION root"),
        (["--host", "192.0.2.1", "--port", "0"], {"GENRA_SECRET": SECRET}, 1, "cannot listen on 192.0.2.1"),
        (["--frob"], None, 2, "unknown option --frob"),
    ]:
        got, err = run(args, env)
        check(got == status and said in err, "serve %s: %d and %r, not %d %r" % (args, status, said, got, err[-300:]))
    # Without a key the server makes one and says so.
    s = Server(genra, "--workers", "1", secret=None)
    status, said = s.stop()
    check("no GENRA_SECRET" in said and status == 0, "a server without a key says so: %r" % said)
    # The address in use is refused.
    a = Server(genra, "--workers", "1")
    got, err = run(["--port", str(a.port)], {"GENRA_SECRET": SECRET})
    a.stop()
    check(got == 1 and "cannot listen" in err, "a port in use: %s %r" % (got, err))


def main():
    scratch = tempfile.mkdtemp(prefix="genra-serve-")
    try:
        server = Server(GENRA, "--workers", "2", "--rate", "0", "--sessions", "0", cwd=scratch)
        try:
            rounds(server.port)
            statuses(server.port)
            pages(server.port)
            workers(server)
            check(not os.path.exists(os.path.join(scratch, "braced")), "no answer ran a command")
        finally:
            status, said = server.stop()
            check(status == 0 and server.workers() == [], "the server and its workers stop: %s %r" % (status, said))
            check("ended by signal 9; starting another" in said, "the dead worker was told of: %r" % said)
        servers(GENRA, scratch)
        limits(GENRA)
        command_line(GENRA, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    finish("api")


if __name__ == "__main__":
    main()

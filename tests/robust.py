#!/usr/bin/env python3
"""Robustness: random keys, commands, scripts, full stores and interrupts must neither crash nor hang zek.

Modes, each with its share of the time:
  bytes      random bytes of every value: NUL, 255, prefix keys, overlong numeric key codes.
  commands   real command names (from editor/commands.cpp) with parameters of each kind: edge
             numbers, 48- and 60-character file names, "*", empty parameters, extra "|"; waiting
             messages answered with RETURN or rubout at random; editing keys in between.
  scripts    procedure files (PROCEDURE, -p) and FUNCTION strings in the brace notation: nested
             conditions, counted loops, function-key calls, self-calls, runaway loops.
  store      a line of hundreds of KB and a store filled to (nearly) its limit, then editing keys,
             CHANGE, reformat, split and join, typing, sort, find over stored control bytes.
  interrupt  cases of the other modes with SIGINT at random moments between their keys.
Small files in the scratch directory give the commands something to act on. Once its keys are
written a run ends at the end of its input, or by an interrupt and BYE; an editor still running
gets more interrupts (a runaway script must yield to them) and counts as hung after some seconds.
A signal, a non-zero exit status or a sanitizer report is a failure too. As root the editor runs
as an unprivileged user with an empty search path, and written files are limited in size.

Usage: robust.py ZEK [SECONDS] [SEED] [MODE]
  SECONDS (default 15) is shared by the modes. Run i of a mode uses seed SEED+i (SEED defaults to
  the time). A failing run prints its mode and seed and keeps its keys, events and files in a
  folder; `robust.py ZEK 0 SEED MODE` runs it again.
"""
import os, queue, random, re, resource, shutil, signal, subprocess, sys, tempfile, threading, time

HERE = os.path.dirname(os.path.abspath(__file__))
SHARES = {"bytes": 0.2, "commands": 0.25, "scripts": 0.2, "store": 0.15, "interrupt": 0.2}
SANITIZER = (b"ERROR: AddressSanitizer", b"runtime error:", b"LeakSanitizer")
INT = "INT"  # an event: SIGINT to the editor
LEAVE = b"\x03BY\r" + b"\r" * 20  # after an interrupt: leave, answering every "not saved"
ENDWAITS = (0.3,) + (0.1,) * 9 + (0.5, 1.0, 2.0, 4.0)  # seconds before each further interrupt, then hung
with open(os.path.join(HERE, "..", "editor", "commands.cpp")) as _f:
    TABLE = [c for c in re.findall(r'\{"([^"]+)", [^,"]*, "([^"]*)"', _f.read()) if c[0] != "**"]

N48, N60 = "f" * 44 + ".txt", "g" * 56 + ".txt"
NAMES = ["t.txt", "r.txt", "l.txt", "b.txt", "e.txt", "tp", "p.zek", "./d.sh", "c.txt", "m.tpl", N48, N60, N48[:47], "*",
         "", "none.txt", "sub", "sub/s.txt", ".", "new.txt", "out.txt"]
NUMBERS = ["0", "1", "-1", "2", "199999", "200000", "200001", "2147483647", "2147483648",
           "-2147483648", "*", "", "-", "--5", "1-"]
STRINGS = ["", "a", "e", "the", " ", "*", "{C}", "{E}", "{A}e", "{W}", "{N}a", "x" * 60, "{C}BE{M}",
           "{$}2{<}{^}ab{>}{%}", "\\r", "{!}", "{", "}{",
           # expressions, merge templates, check patterns and field conditions
           "2+3*4", "1+", "((((((((((((((((((((((((((1", "1'99", "-" * 40 + "1", "#1*#2", "#60", "#2`3{M}#1",
           "1x0", "x1", "$#2=a\\b", "$#9=", "$#1>m", "1/0", "\xe9\xff"]
EDIT = [b"\r", b"\x08", b"\x7f", b"\x1b[A", b"\x1b[B", b"\x1b[C", b"\x1b[D", b"\x18", b"\x0b", b"\x1a",
        b"\x10", b"\x11", b"\x06", b"\x1b[h3 ", b"\x1b[s", b"\x1b[j", b"\x1b[\x08", b"\x1b\x04", b"\x1b[W",
        b"\x15", b"\x1b\x14", b"\x07", b"\x1b[t", b"\x1b\x02", b"\x1b[n", b"\x1b[p", b"\x1b[m", b"\x0c",
        b"\x1b[L", b"\x1b[R", b"\x12", b"\x1b[l", b"\x1b[c", b"\x1b[r", b"\x1b[k.", b"\x1bn", b"\x0e",
        b"\x1b[g\x1b[C\x1b[B\x7f\r", b"\x1bP", b"\x1bR", b"\x1bN", b"\x1bX1 ", b"\x1bz", b"\x17", b"\t",
        b"\x16", b"\x1bD", b"\x1bC", b"\x1b1", b"\x1b[200~", b"\x1b[15~",
        # the register, merge and check keys
        b"\x1b#", b"\x1b+", b"\x1b-", b"\x1b*", b"\x1b/", b"\x1b&", b"\x1b%", b"\x1b=", b"\x1b@", b"\x1bM",
        b"\x1bF", b"\x1b$", b"\x1b\x0e\r",
        # starred blocks and rectangles
        b"\x05", b"\x04", b"\x14", b"\x02", b"\x1b[\x05", b"\x1b[\x04", b"\x1b[\x14", b"\x1b[\x02",
        b"\x1b[\x062 ", b"\x1b[\x0f", b"\x1b[\x03", b"\x1b[\x0d", b"\x1b[\x13"]
SCRIPTCMDS = ["FI0{!}e{M}", "FI1{!}the{M}", "FI4{!}a{M}", "AS3{M}", "AS16{M}", "AS9{!}t.txt{M}", "PO2{!}3{M}",
              "BE{M}", "EN{M}", "FEt.txt{M}", "APl.txt{M}", "CHe{!}ee{M}", "CO2{M}", "CO1{M}", "CL{M}",
              "PRp1.zek{M}", "PRp0.zek{M}", "FU1{!}z{M}", "SC0{!}a{M}", "SAs.txt{M}", "JOs.txt{M}",
              "TE0{!}tp{M}", "OB1{M}", "OB0{M}", "AD2{!}3{M}", "CO18{M}FEc.txt{M}CO1{M}", "CO17{M}FEc.txt{M}CO1{M}",
              "FEr.txt{!}1{!}200000{!}1x0{M}", "APr.txt{!}1{!}9{!}x1{M}", "TE2{!}m.tpl{M}", "ME#1 #2{M}{M}",
              "EX#2*#1{M}", "EV1+2*3{M}{M}", "VI1{M}{M}", "VI0{M}{M}", "FI5{!}#2>3{M}", "FI6{!}1x{M}"]
STORECMDS = [b"SO0|5|1|200000", b"SO1|3", b"SO0|-3|*|*", b"SO1|15|2|200001", b"SK1", b"SK2", b"SAout.txt", b"JOout.txt", b"CL", b"FI0|zzq", b"FI1|zz", b"FI3|zz",
             b"FI2|e", b"SC1|zz", b"EN", b"BE", b"MA1|30", b"MA5|2000", b"JU1", b"HY3", b"AU1", b"UP", b"EM1",
             b"ME#1#1#1#1#1#1{M}#2", b"TE2|m.tpl", b"EV1+1", b"FEr.txt|1|200000|1x"]
# Random bytes become words: letters, blanks, punctuation; TEXT also ends lines (1 byte in 64).
_LETTERS = (b"etaoinshrdlucmfwypvbgkqjxz" * 8)[:200] + b".,;:!?" * 2
LINE = bytes.maketrans(bytes(range(256)), _LETTERS + b" " * 44)
TEXT = bytes.maketrans(bytes(range(256)), _LETTERS + b" " * 40 + b"\n" * 4)


def words(rng, n, table=LINE):
    return rng.randbytes(n).translate(table)


def pick(rng, table):
    """Calls one of the (weight, function) pairs."""
    return rng.choices([f for _, f in table], [w for w, _ in table])[0]()


def randomkeys(rng, size):
    out = bytearray()
    while len(out) < size:
        kind = rng.random()
        if kind < 0.45:
            out.append(rng.randrange(256))
        elif kind < 0.60:
            out += bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz0123456789 .,-|*") for _ in range(rng.randrange(1, 12)))
        elif kind < 0.70:  # a numeric key code, often far too long
            out += b"\x1b[" + bytes(rng.choice(b"0123456789") for _ in range(rng.randrange(1, 40))) + b"~"
        elif kind < 0.78:
            out += rng.choice([b"\x1b", b"\x1b\x1b", b"\x1b[", b"\x1b[\x1b", b"\x00", b"\xff"])
        elif kind < 0.86:
            out += rng.choice([b"\r", b"\n", b"\x08", b"\x7f", b"\x1b[A", b"\x1b[B", b"\x1b[C", b"\x1b[D"])
        else:  # a command line with a random name and parameters
            out += b"\x03" + bytes(rng.choice(b"ABCDEFGHIJKLMNOPQRSTUVWXYZ") for _ in range(2))
            out += bytes(rng.randrange(32, 127) for _ in range(rng.randrange(0, 20))) + b"\r"
    return bytes(out)


# A case: (files of the scratch directory, arguments, events, whether it ends by interrupt and BYE).
def bytes_case(rng):
    return {}, [], [randomkeys(rng, rng.randrange(200, 6000))], rng.random() < 0.3


def fixtures(rng):
    return {"t.txt": b"The quick brown fox.\nA second line, with 12 and 3.5 in it.\n\n   an indented line\nlast\n",
            "r.txt": b"\\rab|12|x|\n\\rcd|3|yy|\n\\r|||\n\\m1+2*3\n\\hh\n\\aa\ntext\n",
            "l.txt": b"short\n" + words(rng, rng.randrange(2000, 60000)) + b"\nend\n",
            "b.txt": bytes(range(256)) + b"\n\x04a\x04\x04\n\t\tx\r\n\x00\xff\n", "e.txt": b"",
            "tp": b"Num: #1/3/j Flag: #2/1/b\n", "p.zek": b"ab\n~{C}~FI0|the\n\n", N48: b"x\n", N60: b"y\n",
            "c.txt": b"#1>2\n$#2=1\\x\n1+\n#9\n#3:#1+#2\n#2:1/0\n\n$#\n",
            "m.tpl": (b"#1 #2 `#3 #99\n" * 400)[:5000],
            "d.sh": b"#!/bin/sh\nprintf 'xy\\r\\003AS1\\rAS3\\rPO1\\r\\r'\n", "sub/s.txt": b"in sub\n"}


def answers(rng):
    return rng.choice([b"", b"", b"\r", b"\x7f", b"\r\r", b"\x7f\r"])


def editkeys(rng, n):
    return b"".join(rng.choice(EDIT) if rng.random() < 0.7 else words(rng, rng.randrange(1, 30)) for _ in range(n))


def param(rng, name, kind):
    if kind == "c" and "SHELL" in name:
        return rng.choice(["", ":", "exit 3", "echo x >o.txt"])  # "" reads a shell's commands from our keys
    if kind == "c" and name == "CDIRECTORY":
        return rng.choice(["", "sub", ".", "none"])
    if kind == "c":
        return rng.choice(STRINGS) if rng.random() < 0.8 else "".join(chr(rng.randrange(32, 127)) for _ in range(20))
    if kind in "defk":
        return {"d": rng.choice("0123456789 "), "e": "", "f": rng.choice(NAMES), "k": rng.choice("BFTQb")}[kind].strip()
    k = rng.random()
    return rng.choice(NUMBERS) if k < 0.6 else str(rng.randrange(-3, 700)) if k < 0.85 else "9" * rng.randrange(10, 50)


def command(rng):
    """Ctrl-C, two letters of a real command name, parameters of its kinds (some left out or extra), RETURN."""
    name, kinds = rng.choice(TABLE)
    while name in ("BYE", "GOODBYE") and rng.random() < 0.9:
        name, kinds = rng.choice(TABLE)
    params = [param(rng, name, kinds[i]) for i in range(0, len(kinds) - 1, 2)]
    if rng.random() < 0.2:
        params = params[:rng.randrange(len(params) + 1)]
    params += [""] * (rng.random() < 0.1) * rng.randrange(1, 3)
    head = name[:2] if rng.random() < 0.9 else name[:2].lower()
    return b"\x03" + head.encode() + "|".join(params).encode() + b"\r"


def commands_case(rng):
    keys = b""
    for _ in range(rng.randrange(3, 40)):
        keys += command(rng) + answers(rng)
        if rng.random() < 0.25:
            keys += b"\r" + editkeys(rng, rng.randrange(1, 12))
    args = rng.choice([[]] * 6 + [["t.txt"], [N60], [N48], ["new.txt"], ["-p", "p.zek"], ["-d", "./d.sh"]])
    return fixtures(rng), args, [keys], rng.random() < 0.5


def script(rng, depth):
    """Keys in the brace notation: counted loops, conditions, commands, function keys, nesting to `depth`."""
    sub = (lambda: script(rng, depth - 1)) if depth else (lambda: rng.choice(["a", "{M}", ""]))
    test = lambda: rng.choice(["{?}", "{&}", "{=}%d " % rng.randrange(3),
                               "{-}%d %s{M}" % (rng.randrange(3), rng.choice(["", "a", "e"]))])
    count = lambda: rng.choice(["0", "1", "3", "20", "100000000", "9" * 11, ""])
    pieces = [(20, lambda: "{$}%s{<}{^}%s{>}{%%}" % (count(), sub())),
              (15, lambda: test() + sub() + rng.choice(["", "{:}" + sub()]) + "{.}"),
              (5, lambda: "{<}%s{>}" % sub()),  # no test: runs until an interrupt
              (15, lambda: "{C}" + rng.choice(SCRIPTCMDS)), (10, lambda: rng.choice(["{M}", "{/}"])),
              (7, lambda: "{[}%d" % rng.randrange(10)),
              (8, lambda: rng.choice(["{<}", "{>}", "{^}", "{%}", "{$}", "{.}", "{:}", "{?}", "{&}", "{-}", "{=}"])),
              (20, lambda: rng.choice(["ab", "x", "{[}[s", "{[}[j", "{K}", "{Z}", "{R}", "{F}", " ", "{H}", "{W}q"]))]
    return "".join(pick(rng, pieces) for _ in range(rng.randrange(1, 4)))


def scripts_case(rng):
    files = fixtures(rng)
    for i in range(3):  # a "~" left open carries the notation on; without any, braces are plain keys
        files["p%d.zek" % i] = "\n".join(rng.choice(["~%s~", "ab~%s~", "~%s", "%s"]) % script(rng, rng.randrange(4))
                                         for _ in range(rng.randrange(1, 6))).encode() + b"\n"
    actions = [(35, lambda: b"\x03FU%d|%s\r" % (rng.randrange(10), script(rng, rng.randrange(2)).encode())),
               (25, lambda: rng.choice([b"\r", b"\x03", b""]) + b"\x1b%d" % rng.randrange(10)),
               (25, lambda: b"\x03PRp%d.zek\r" % rng.randrange(3)),
               (15, lambda: b"\r" + editkeys(rng, rng.randrange(1, 6)))]
    keys = b"".join(pick(rng, actions) + answers(rng) for _ in range(rng.randrange(2, 10)))
    return files, (["-p", "p0.zek"] if rng.random() < 0.2 else []), [keys], rng.random() < 0.5


def store_case(rng):
    # long.txt stays under 500 KB: hundreds of splits and joins of it must fit the time of a run.
    files = dict(fixtures(rng), **{"big.txt": words(rng, rng.randrange(1500000, 3990000), TEXT),
                                   "long.txt": words(rng, rng.randrange(100000, 500000)) + b"\n",
                                   "mid.txt": words(rng, rng.randrange(10000, 1000000), TEXT)})
    head = words(rng, rng.choice([1, 50, 999, 1000, 1001, 2000]))  # then a line leaving (nearly) no room
    room = rng.randrange(rng.choice([1, 20, 5000]))
    files["full.txt"] = head + b"\n" + words(rng, 3999000 - len(head) - room) + b"\n"
    if rng.random() < 0.2:
        files["mid.txt"] = files["mid.txt"].replace(b"q", b"\x04")
    name = lambda: rng.choice([b"big", b"long", b"mid", b"full", b"full", b"l"])
    moves = [b"\x12", b"\x1b[s", b"\x1b[j", b"\x1b\x02", b"\x1b[t", b"\x1bC", b"\x1bD", b"\x1b\x04", b"\x15", b"\x0b",
             b"\x1a", b"\x1b[A", b"\x1b[B", b"\x11", b"\x1b[\x08", b"\x06", b"\x1b[h1 ", b"\x1b[h300 ", b"\x1b[h200001 ",
             b"\x05", b"\x04", b"\x14", b"\x02", b"\x1b[\x05", b"\x1b[\x02", b"\x1b[\x14", b"\x1b[\x0f",
             b"\x1b[\x069 ", b"\x1b[\x0d", b"\x1b[\x04", b"\x1bM", b"\x1bF", b"\x1b@", b"\x1b=", b"\x1b\x0e\r"]
    steps = [(20, lambda: b"\x03CO%d\r%s%s.txt\r" % (rng.randrange(20), rng.choice([b"FE", b"AP", b"IN"]), name())),
             (25, lambda: b"\x03CH%s|%s\r" % (rng.choice([b"e", b" ", b"{C}", b"the", b"a{A}b", b"q"]),
                                             rng.choice([b"", b"ee", b"x" * 44, b"x" * 44, b"{C}"]))),
             (10, lambda: b"\x03PO%s|%s\r" % (rng.choice([b"1", b"2", b"-1", b"*", b"199999"]),
                                             rng.choice([b"1", b"-1", b"100000", b"499999", b"2147483647"]))),
             (10, lambda: b"\x03" + rng.choice(STORECMDS) + b"\r"),
             (35, lambda: b"\r" + b"".join(rng.choice(moves + [
                 b"\x17" + words(rng, rng.randrange(1, 3000)), b"x" * rng.randrange(1, 500),
                 b"\x7f" * rng.randrange(1, 50)]) for _ in range(rng.randrange(1, 12))))]
    keys = b"FE%s.txt\r" % name() + b"".join(pick(rng, steps) + answers(rng) for _ in range(rng.randrange(3, 14)))
    return files, [], [keys], rng.random() < 0.5


def interrupt_case(rng):
    """A case of another mode, its keys cut at random places by pauses and interrupts."""
    make = rng.choice([bytes_case, commands_case, commands_case, scripts_case, scripts_case, store_case])
    files, args, (keys,), bye = make(rng)
    events, last = [], 0
    for cut in sorted(rng.randrange(len(keys) + 1) for _ in range(rng.randrange(1, 8))):
        events += [keys[last:cut], rng.choice([0.0, 0.001, 0.01, 0.03]), INT]
        last = cut
    return files, args, events + [keys[last:], 0.02] + [INT] * rng.randrange(2), bye


MODES = {"bytes": bytes_case, "commands": commands_case, "scripts": scripts_case, "store": store_case,
         "interrupt": interrupt_case}


def writefiles(folder, files):
    for name, data in files.items():
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), mode=0o777, exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        os.chmod(path, 0o777 if name.endswith(".sh") else 0o666)


def interrupt(proc):
    """Sends SIGINT once the editor catches (or ignores) it: one arriving during start-up would end it."""
    for _ in range(400):
        try:
            with open("/proc/%d/status" % proc.pid) as f:
                masks = re.findall(r"Sig(?:Cgt|Ign):\s*(\w+)", f.read())
            if proc.poll() is not None or any(int(m, 16) & 2 for m in masks):
                break
        except OSError:
            break
        time.sleep(0.005)
    proc.send_signal(signal.SIGINT)


def feed(proc, events):
    """Writes the queued events to the editor: keys, pauses (float), INT; None closes its input."""
    while True:
        event = events.get()
        try:
            if isinstance(event, bytes):
                proc.stdin.write(event)
                proc.stdin.flush()
            elif isinstance(event, float):
                time.sleep(event)
            elif event == INT:
                interrupt(proc)
            else:
                return proc.stdin.close()
        except (OSError, ValueError):
            pass  # the editor has ended or stopped reading


def run(zek, options, slow, case):
    """Runs one case; returns None, or why it failed."""
    files, args, events, bye = case
    work = tempfile.mkdtemp(prefix="zek-robust-")
    try:
        os.chmod(work, 0o777)
        writefiles(work, files)
        with tempfile.TemporaryFile() as err:
            proc = subprocess.Popen([zek] + args, cwd=work, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                    stderr=err, start_new_session=True, **options)
            queued = queue.Queue()
            for event in events + ([INT, LEAVE] if bye else []) + [None]:
                queued.put(event)
            threading.Thread(target=feed, args=(proc, queued), daemon=True).start()
            status = None
            for wait in ENDWAITS:
                try:
                    status = proc.wait(wait * slow)
                    break
                except subprocess.TimeoutExpired:
                    interrupt(proc)
            try:
                os.killpg(proc.pid, signal.SIGKILL)  # the editor if hung, and any driver or shell left behind
            except OSError:
                pass
            if status is None:
                proc.wait()
                return "still running after %d interrupts" % len(ENDWAITS)
            err.seek(0)
            text = err.read()[-1500:]
        if status < 0:
            return "killed by signal %d: %r" % (-status, text)
        return "exit status %d: %r" % (status, text) if status or any(s in text for s in SANITIZER) else None
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    if len(sys.argv) < 2 or (len(sys.argv) > 4 and sys.argv[4] not in MODES):
        print(__doc__)
        return 2
    zek = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 15.0
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else int(time.time())
    modes = sys.argv[4:5] or list(MODES)
    with open(zek, "rb") as f:
        slow = 3 if b"__asan_init" in f.read() else 1
    env = {"PATH": "/nonexistent", "HOME": "/nonexistent", "TERM": "dumb"}
    env.update((k, v) for k, v in os.environ.items() if k.endswith("SAN_OPTIONS"))
    # Written files stay small; SIGXFSZ stays ignored in the editor (no restore), so a write just fails.
    hard = resource.getrlimit(resource.RLIMIT_FSIZE)[1]
    limit = 64 << 20 if hard == resource.RLIM_INFINITY else min(hard, 64 << 20)
    resource.setrlimit(resource.RLIMIT_FSIZE, (limit, hard))
    options = {"env": env, "restore_signals": False}
    home = tempfile.mkdtemp(prefix="zek-robust-bin-")
    if os.geteuid() == 0:
        # The unprivileged user may not be able to reach the build folder: run a copy.
        options.update(user=65534, group=65534, extra_groups=[])
        os.chmod(home, 0o755)
        zek = shutil.copy2(zek, os.path.join(home, "zek"))
    failed = 0
    for mode in modes:
        start, runs = time.time(), 0
        while runs == 0 or time.time() < start + seconds * (SHARES[mode] if len(modes) > 1 else 1):
            case = MODES[mode](random.Random(seed + runs))
            why = run(zek, options, slow, case)
            runs += 1
            if why:
                failed, (files, args, events, bye), s = failed + 1, case, seed + runs - 1
                kept = os.path.join(tempfile.gettempdir(), "zek-robust-%s-%d" % (mode, s))
                shutil.rmtree(kept, ignore_errors=True)
                writefiles(kept, {"files/" + name: data for name, data in files.items()} | {
                    "keys": b"".join(e for e in events if isinstance(e, bytes)),
                    "events": ("args %r, ends by interrupt and BYE: %r\n" % (args, bye)
                               + "".join("%r\n" % e for e in events)).encode()})
                print("FAIL %s seed %d: %s\n  case kept in %s; again: robust.py ZEK 0 %d %s"
                      % (mode, s, why, kept, s, mode))
                break
        print("robustness %s: %d runs from seed %d in %.1f s" % (mode, runs, seed, time.time() - start))
    shutil.rmtree(home, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

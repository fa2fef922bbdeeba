#!/usr/bin/env python3
"""Robustness of genra's description-file readers and generation: attribute, terminals,
lexicon, syntax, morphology, tables and stored-tree files must neither crash nor hang zek,
whatever they hold, nor may generating, storing and recovering from them.

Each run writes files of each kind, valid ones and then, mostly, mutated ones: flipped bytes,
truncation, repeated lines, quotes, braces and "|" deleted or added, %INCLUDE of missing,
self-including, too deeply nested, directory and device files, %define macros (self- and
mutually referencing, long names and texts), NUL and other binary bytes, long lines and
identifiers; some are random bytes, some are large (300 attribute types, 300 values of a type,
200 terminals, entries of 2000 characters or 30 compounds). The keys load them with ATTRIBUTE,
TMNLS, LEXICON, QADDLEX and TSTINPUT (any file with any command), between RM_QFILES with random
codes, QDISPLAY, QFREQ with random leaf descriptions, RANDOM SEED and PSEED, answering waiting
messages at random. Syntax files hold rules of every construct (choices, guards, variables,
attachments, transformations, PRESELECT, QUESTION/ANSWER/R_n roots, rules that recurse without
end); morphology files rules whose expressions and guards call rules (themselves too), tables
and neighbours; the keys generate, set passes, store in every style, recover the stored file
(whole, cut or mutated) and compare responses. LT rules files (rule numbers out of range and
repeated, clauses, LSPs and right sides of every form, overlong fields, missing "%") are loaded with
LXTRANSF and run with RXTRANSF and resumelx over the lexicon; lexicons hold _ilt_ entries with
their own LSPs and right sides, which generation runs apply. Tag info, morph error and phonology tables files (rows past the variant
table's bounds, unknown names, repeated and empty symbols) are loaded with TGINFO, MRPHERROR and
IPA, and responses are analysed with every analysis key and root sets: empty, of 199 characters,
60 words against short sentences, words of 100 letters, bytes above 127, against 20 roots (a user
file that defines them all). Semantic transformations files (both forms, templates, attach
fields, endless re-analyses, malformed items) are loaded with SMTRANSF and expressions analysed
with ESC H (100 deep, past 2000 characters, unbalanced, unknown functors), their preselection
lines loaded as a user file. Then EMIT 7 and BYE.

A run fails on a signal, a non-zero exit status, a sanitizer report, no end within 20 seconds
(60 for a sanitizer build), or no "$$$" of the EMIT on standard output (the editor stopped
answering). As root the editor runs as an unprivileged user with an empty search path.

Usage: robust_genra.py ZEK [SECONDS] [SEED]
  SECONDS defaults to 10. Run i uses seed SEED+i (SEED defaults to the time). A failing run
  prints its seed and keeps its files and keys in a folder; `robust_genra.py ZEK 0 SEED` runs it again.
"""
import os, random, re, shutil, signal, subprocess, sys, tempfile, time

SANITIZER = (b"ERROR: AddressSanitizer", b"runtime error:", b"LeakSanitizer")
TIMEOUT = 20
IDCHARS = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_%\xe9\xe0\xe7\xd4"
INCLUDES = ["i0.inc", "i4.inc", "s.inc", "none.inc", "sub", "/dev/zero", "a.att", "l.lex", "", "n" * 100]
LOADS = {b"AT": ["a.att"] * 6 + ["t.tmn", "r0", "i0.inc"], b"TM": ["t.tmn"] * 6 + ["a.att", "r1", "s.inc"],
         b"LE": ["l.lex"] * 6 + ["m.lex", "r2", "t.tmn"], b"QA": ["m.lex"] * 3 + ["l.lex", "r2", "s.inc"],
         b"TS": ["a.att", "t.tmn", "l.lex", "m.lex", "r0", "r1", "r2", "i0.inc", "s.inc"],
         b"LX": ["x.ltr"] * 6 + ["l.lex", "r0", "s.inc"]}


def ident(rng, n=0):
    n = n or rng.choice([1, 2, 3, 5, 8, 8, 12, 31, 32, 39, 40, 41, 70])
    return rng.choice("abcdefghijklmnopqrstuvwxyz") + "".join(rng.choice(IDCHARS) for _ in range(n - 1))


def grammar(rng):
    """Attribute types (name, values) and terminal names, now and then beyond the tables' bounds."""
    ntypes = rng.choice([1, 3, 6, 8, 253, 254, 300]) if rng.random() < 0.15 else rng.randrange(1, 8)
    types = [("T%d%s" % (t, ident(rng)), ["v%d_%d%s" % (t, k, ident(rng, 2)) for k in range(rng.randrange(1, 7))])
             for t in range(ntypes)]
    if rng.random() < 0.1:
        types.append(("many", ["m%d" % k for k in range(rng.choice([252, 253, 254, 300]))]))
    nterms = rng.choice([127, 128, 129, 200]) if rng.random() < 0.1 else rng.randrange(1, 12)
    return types, ["TT%d%s" % (i, ident(rng, rng.choice([1, 1, 2, 3, 38, 45]))) for i in range(nterms)]


def att_file(rng, types):
    out = []
    for name, values in types:
        items = [("%d " % rng.randrange(300) if rng.random() < 0.2 else "") + v +
                 "".join(" < " + rng.choice(values) for _ in range(rng.random() < 0.3 and rng.randrange(1, 4)))
                 for v in values]
        out.append("%s ( %s )" % (name, " , ".join(items)))
    return "\n".join(out) + rng.choice(["\n%\n", "\n", "\n% trailing ( junk\n", "%"])


def compound(rng, types):
    parts = []
    for _ in range(rng.choice([1] * 8 + [2, 2, 3, 20, 21, 25])):
        t, values = rng.choice(types)
        parts.append(rng.choice(["", "", "", "<", ">"]) + (t if rng.random() < 0.25 else rng.choice(values)))
    return ".".join(parts)


def lex_file(rng, types, terms):
    lines = []
    for _ in range(rng.choice([0, 1, 3, 10, 30, 100, 300])):
        word = '"%s"' % rng.choice([ident(rng)] * 20 + ["a b", "x" * 2000, "_ilt_", "^,", ""])
        comps = [compound(rng, types) for _ in range(rng.choice([0, 1, 2, 2, 3, 3] * 6 + [24, 25, 26, 30, 50]))]
        freq = rng.choice(["5", "12", "0", "", "12345", "9" * 30, "-3", "x y", "7 8"])
        extra = [rng.choice(["$STEM", "", '"mice"', "adult:\"hen\"", "?", "*"] * 5 + ["z" * 2000])
                 for _ in range(rng.choice([0, 2, 2, 9]))]
        fields = [word, rng.choice(terms + ["NOSUCH", ""]), ", ".join(comps), freq] + extra
        lines.append("|".join(fields[:rng.choice([1, 2, 3, 4, 9, 99])]) + rng.choice(["|", "|", "", "||"]))
        if rng.random() < 0.1:  # an inline transformation: LSPs over the lexicon and a right side
            lsps = " ".join("_lsp_ " + lsp(rng, types, terms, [])[:3000] for _ in range(rng.choice([0, 1, 1, 2, 3])))
            lines.append("_ilt_ | %s | %s | %s | %s _rhs_ %s |" % (rng.choice(terms), ", ".join(comps[:3]), freq, lsps,
                                                                  ltr_rhs(rng, types, [])))
        if rng.random() < 0.05:
            lines.append(rng.choice(["", "   ", "{ a comment }", "\\r" + lines[-1]]))
    return "\n".join(lines * rng.choice([1] * 9 + [10])) + "\n"


def lsp(rng, types, terms, variables):
    """A lexical search pattern: word pattern, class, attributes and field patterns; mostly
    well formed."""
    odd = rng.random() < 0.15
    names = variables * 3 + [v for _, values in types for v in values]
    attrs = lambda: ", ".join(".".join(rng.choice(names) for _ in range(rng.choice([1, 1, 1, 2, 21 if odd else 1])))
                              for _ in range(rng.choice([1, 1, 2, 3])))
    fields = [rng.choice(['"%s*"' % ident(rng, 1), "?", "?", '"*"'] + (['"' + "w" * 1100 + '"', "", ident(rng)] if odd else [])),
              rng.choice(terms * 4 + ["?"] + (["NOSUCH", '"q"', ""] if odd else [])),
              rng.choice([attrs(), "?", "?", ", ".join(variables) or "?"] + ([rng.choice(types)[0], "nosuch", attrs() + " .", "<" + attrs()] if odd else []))]
    fields += [rng.choice(["?", "$STEM", '"mice"', "a*, b*", ""] + (["_is_", "%"] if odd else [])) for _ in range(rng.choice([0, 0, 1, 3]))]
    return " | ".join(fields[:rng.choice([1, 2, 2, 3, 3, 3, 9])])


def ltr_rhs(rng, types, variables):
    """A right side: field references with removals, variables, morph expressions, literals."""
    pieces = ["!1", "!1.2", "!3", "!3-%s" % rng.choice(types)[0], "!3.1-%s" % rng.choice(rng.choice(types)[1]), "!4",
              "[$M1]", '[! "s"]', "[#5.2]", '"|"', "|", "w"] * 4 + variables * 4 + [
              "!9.9", "!", "!x", "[ ! ", "[" + "x" * 120 + "]", '"' + "z" * 1100 + '"', "_ilt_"]
    return " ".join(rng.choice(pieces) for _ in range(rng.choice([0, 1, 3, 3, 6, 6, 12])))


def ltr_file(rng, types, terms):
    """LT rules: numbers out of range and repeated, common attribute clauses with good and bad
    variables, one to three LSPs, right sides of every reference form; text between rules."""
    rules = []
    for _ in range(rng.choice([0, 1, 3, 6, 12])):
        variables = ["V%d" % i for i in range(rng.choice([0, 0, 1, 2]))]
        clause = ""
        if variables:
            clause = "( %s )" % " , ".join("%s : %s" % (v, rng.choice(types)[0]) for v in variables)
            if rng.random() < 0.15:
                clause = rng.choice(["( V0 gender )", "( : x )", "( V0 : ", "(", "( V0 : nosuch )", "( V0 : %s )" % types[0][1][0]])
        # Two LSPs of any class over a large lexicon take long: a second one names a word.
        lsps = [lsp(rng, types, terms, variables)] + [ident(rng) + " | " + lsp(rng, types, terms, variables).split(" | ", 1)[-1]
                                                      for _ in range(rng.choice([0, 0, 0, 1, 2]))]
        rules.append("RULE %s %s %s %s %s %s" % (
            rng.choice(["1", "2", "3", "5"] * 4 + ["0", "499", "500", "x", ""]), clause,
            rng.choice([" _and_ ", " _lsp_ "]).join(lsps), rng.choice(["_makes_", "_rhs_"] * 5 + [""]),
            ltr_rhs(rng, types, variables), rng.choice(["%"] * 8 + ["", '"%"'])))
        if rng.random() < 0.1:
            rules.append(rng.choice(["junk", "% %", "{ comment }", "RULE"]))
    return "\n".join(rules) + "\n"


RULES = ["ROOT", "NP", "VP", "DEEP", "SELF", "QUESTION", "ANSWER", "R_3", "R_20"]


def syn_file(rng, types, terms):
    """Rules of every construct over the grammar's names; some recurse without end."""
    names = terms + RULES

    def comp():
        return compound(rng, types) if rng.random() < 0.97 else ident(rng)

    def node():
        out = rng.choice(["", "", "FLATTEN:", "TR:", "nosuch:"]) + rng.choice(names)
        if rng.random() < 0.5:
            out += " [ %s ]" % " , ".join(rng.choice([comp(), "v", "_pre_ tag", comp() + " _pre_ tag"])
                                          for _ in range(rng.randrange(1, 4)))
        for _ in range(rng.choice([0, 0, 1, 2])):
            out += rng.choice([" / 5 = a*", ' / "w*"', " / $ 3", " / + 7", " / @ 9 : young [ ! %s ]" % comp(),
                               " / _pre_ tag", " / 0 = x", " / @ x"])
        return out

    def rhs(depth=0):
        items = []
        for _ in range(rng.randrange(0, 5)):
            r = rng.random()
            if r < 0.15 and depth < 22:
                items.append("( " + " | ".join(rhs(depth + 1) for _ in range(rng.randrange(1, 4))) + " )")
            elif r < 0.25:
                items.append("%s v : %s ;" % (rng.choice(["INHERIT", "CHOOSE"]), comp()))
            elif r < 0.3:
                items.append("SELECT v : _pre_ tag ;")
            else:
                items.append(node())
        return " ".join(items)

    rules = []
    for name in RULES + [rng.choice(terms)]:
        body = rhs()
        if rng.random() < 0.3:
            body = "< %s : %s > %s" % (comp(), body, rhs())
        if name in ("DEEP", "SELF"):
            body += " " + name + " " + name  # endless
        rules.append("%s = %s %%" % (name, body))
    rules.append("TR = TRANSFORMATION PRIORITY %d %s : %s ; * : %%" % (
        rng.choice([1, 5, 999, 1000]), rng.choice(["* NP *", "NP VP", "*", "ROOT"]), rng.choice(["2 1", "1 ROOT", "", "3 NEW [ - %s ]" % comp()])))
    rules.append("PRESELECT = tag : %s ; other %%" % node())
    return "\n".join(rng.sample(rules, len(rules))) + "\n"


def mor_file(rng, types):
    """Morphology rules whose expressions use every operator, call rules (themselves too),
    tables and fields, under guards on neighbours."""
    out = []
    for r in range(rng.randrange(1, 8)):
        out.append("RULE M%d" % r)
        for _ in range(rng.randrange(0, 4)):
            guard = rng.choice(["*", compound(rng, types), "-1.%s" % compound(rng, types), "( a | b ) , c", '"w*"',
                                "<5=x>", "_pre_ tag", "_is_ %s _pre_ tag" % compound(rng, types), "9.*", ""])
            expr = " ".join(rng.choice(["!", "-", "&", '"s"', "#5", "#9", "$M%d" % rng.randrange(8), "$NOSUCH",
                                        "T(%s)" % ",".join(t for t, _ in rng.sample(types, min(len(types), 2))),
                                        "Q(x)", "|"]) for _ in range(rng.randrange(0, 6)))
            out.append("%s : %s ;" % (guard, expr))
    return "\n".join(out) + "\n"


def tag_file(rng):
    """Tag info: names with the field of their links, now and then malformed."""
    items = [rng.choice(["%s ( %s )" % (ident(rng), rng.choice(["9", "9", "5", "0", "99999", "1" * 30, "x"])),
                         "( 9 )", ident(rng), "%s ( 9" % ident(rng), ")", ",", "%s ( 9 9 )" % ident(rng)])
             for _ in range(rng.choice([0, 1, 3, 8, 60]))]
    return " ".join(items) + "\n"


def mer_file(rng, types, terms):
    """Morph error rows: a terminal and attribute names, now and then past the variant table's
    bounds (11 and more types, types of more than 20 values, more than 39 pairs) or naming
    nothing known."""
    rows = []
    for _ in range(rng.randrange(0, 6)):
        names = []
        for _ in range(rng.choice([1, 2, 3, 4, 11, 12, 40, 45])):
            t, values = rng.choice(types)
            names.append(t if rng.random() < 0.5 else rng.choice(values))
        names.append(rng.choice(["", "", "bogus"]))
        rows.append("%s ( %s )" % (rng.choice(terms + ["NOSUCH"]), rng.choice([" ", " , "]).join(names)))
    return "\n".join(rows) + rng.choice(["\n", " %s ( %s" % (rng.choice(terms), types[0][0]), " ) ("])


def ipa_file(rng):
    """Phonology tables: one-character symbols (the characters that random IPA forms are made
    of) with few, many, empty and repeated spellings."""
    tables = []
    for c in rng.sample(IDCHARS, rng.randrange(1, 20)) + rng.choice([[], ["a"], ["", "ab"]]):
        spellings = ['"%s"' % rng.choice(["", c, c * 2, ident(rng, 3), "a|b", "\xe9"])
                     for _ in range(rng.choice([0, 1, 2, 3, 30]))]
        tables.append('"%s" ( %s )' % (c, ", ".join(spellings)))
    return "\n".join(tables) + rng.choice(["\n", ' "z" ( "z"', " %"])


def sem_expr(rng, types, depth=0):
    """A semantic expression over the grammar's names: nested terms, "0", unknown functors,
    bracketed suffixes and lists; now and then 100 deep, past 2000 characters or unbalanced."""
    r = rng.random()
    if depth == 0 and r < 0.15:
        return rng.choice([
            "not(" * 100 + "x" + ")" * 100, "f(" * 260 + "x" + ")" * 260, "a" * 2001, "x[" + "y" * 1999 + "]",
            "g((a, b)", "g(a))", "g[a, b(c)", "g]a", "a|b", "", "   ", "\xe9(\xff, 0)", "g(a,,b)", "g(,)"])
    t, values = rng.choice(types)
    name = rng.choice(values * 4 + [t, "0", "0", ident(rng)])
    if rng.random() < 0.15:
        name += "[%s]" % ", ".join(rng.choice([ident(rng), "a b", "", "[x]", "y" * 600]) for _ in range(rng.randrange(4)))
    if depth < 6 and rng.random() < 0.5:
        name += "(%s)" % " , ".join(sem_expr(rng, types, depth + 1) for _ in range(rng.randrange(1, 4)))
    return name


def sem_file(rng, types, terms):
    """Semantic transformations: patterns of both forms, templates with "#", ":" lists and "@"
    attach fields, re-analyses (some of the expression itself, so without end), and, unless the
    file is to be clean, malformed items."""
    clean, items = rng.random() < 0.6, []
    for _ in range(rng.choice([0, 1, 3, 8, 20])):
        n = lambda: rng.choice([1, 1, 1, 1, 2, 2, 3, 0, 99])
        good = ["tag : %s [ #%d . #%d ]" % (rng.choice(terms), n(), n()), 'tag : %s / "@%d"' % (rng.choice(terms), n()),
                "& #%d" % n(), "& %s ( #2 , #1 )" % rng.choice(rng.choice(types)[1]), "& #1", "#%d" % n(), "@%d #1" % n(),
                "tag : %s [ %s ]" % (rng.choice(terms), compound(rng, types))]
        prototypes = [rng.choice(good + ([] if clean else ["( bad", "&", "x" * 30])) for _ in range(rng.randrange(1, 4))]
        pattern = rng.choice([sem_expr(rng, types, 3)] * 3 + ["0", "0", rng.choice(types)[0]] +
                             ([] if clean else ["x." * 1001, "(", "g(a"]))
        items.append(rng.choice(["", "$ "]) + pattern + (" : " if clean else rng.choice([" : ", " : ", " "]))
                     + " , ".join(prototypes) + (" %" if clean else rng.choice([" %", " %", " %", ""])))
    return "\n".join(items) + "\n"


def sem_step(rng, types):
    """Load a semantic transformations file, analyse expressions of a fetched file with ESC H,
    and now and then load the preselection lines of corefile 14 as a user file and generate."""
    answer = lambda: rng.choice([b"", b"\r", b"\x7f"])
    keys = b"\x03SM" + rng.choice([b"sm.sem", b"sm.sem", b"sm.sem", b"r0", b"s.syn", b"none"]) + b"\r" + answer()
    keys += b"\x03CO2\r\x03FEex%d.txt\r\r" % rng.randrange(2)
    for _ in range(rng.randrange(1, 5)):
        keys += b"\x03PO%d\r\r\x1bH" % rng.randrange(1, 8) + answer()
    if rng.random() < 0.4:
        keys += b"\x03CO14\r\x03SAp%d.pre\r" % rng.randrange(3) + answer() + b"\x03USp%d.pre\r" % rng.randrange(3)
        keys += answer() + b"\r\x1bg" + answer()
    return keys + rng.choice([b"\x03CO14\r\x03CL\r", b""]) + b"\x03CO1\r\r"


def response(rng, words):
    """A learner's response: grammar words and their near misses, and the edge cases."""
    near = lambda w: rng.choice([w, w, w[:-1], w + "s", w[::-1], w.upper()]) if w else "x"
    return rng.choice([
        " ".join(near(rng.choice(words)) for _ in range(rng.randrange(1, 13))), "", "   ",
        ("w" * 100 + " ") * rng.randrange(1, 3), " ".join("w%d" % i for i in range(60)),
        ("ab " * 70)[:199], "x" * 300, "".join(chr(rng.randrange(128, 255)) for _ in range(rng.randrange(1, 40))),
        " ".join(near(rng.choice(words)) + chr(rng.randrange(128, 255)) for _ in range(5))]).encode("latin-1", "replace")


def randbytes(rng, n):
    """Random input of token characters, identifiers, blanks, line ends and raw bytes."""
    pieces = [lambda: rng.choice('"{}|()<>,.%[]/$+@=:;*?- \t\r\n\n\n'), lambda: ident(rng),
              lambda: chr(rng.randrange(256)), lambda: rng.choice(["%INCLUDE", "%define", "INHERIT", "_ilt_", "%"])]
    return "".join(rng.choice(pieces)() for _ in range(n)).encode("latin-1")


def flip(rng, data):
    data = bytearray(data)
    for _ in range(rng.randrange(1, 20) if data else 0):
        data[rng.randrange(len(data))] = rng.randrange(256)
    return bytes(data)


def mutate(rng, data):
    for _ in range(rng.randrange(1, 6)):
        pos, lines = rng.randrange(len(data) + 1), data.split(b"\n")
        at, insert = rng.randrange(len(lines)), lambda piece: data[:pos] + piece + data[pos:]
        name = ident(rng, rng.choice([1, 4, 49, 60])).replace("%", "q").encode("latin-1")
        data = rng.choice([
            lambda: flip(rng, data), lambda: data[:pos],
            lambda: b"\n".join(lines[:at] + [lines[at]] * rng.randrange(2, 60) + lines[at + 1:]),
            lambda: data.replace(rng.choice([b'"', b"{", b"}", b"|", b"(", b")", b","]), b"", rng.choice([1, 3, -1])),
            lambda: insert(bytes(rng.choice(b'"{}|()<>,.%') for _ in range(rng.randrange(1, 6)))),
            lambda: b"\n".join(lines[:at] + [b'%%INCLUDE "%s"' % rng.choice(INCLUDES).encode() + rng.choice(
                [b"", b' "x"'])] + lines[at:]),
            lambda: b"\n".join(lines[:at] + [b"%define " + name + b" " + rng.choice(  # then references to it
                [b"%" + name, b"a %" + name + b" b", b"%M2", b'"w"|', b"{", b"x" * 1500, b"%define M2 %M1",
                 b'%INCLUDE "s.inc"'])] + lines[at:]) + b" %" + name + b"\n" + b"%M1 %M2\n" * rng.randrange(3),
            lambda: insert(bytes(rng.choice([0, 0, 255, 1, 25, 19, 13, 9, 128, rng.randrange(256)])
                                 for _ in range(rng.randrange(1, 30)))),
            lambda: insert(rng.choice([b"w", b"9", b"%", b" ", b'"', b"{", b"x|"]) * rng.choice([40, 1000, 5000, 100000])),
            lambda: insert(randbytes(rng, rng.randrange(1, 40)))])()
    return data[:1 << 20]  # read six times over when it includes itself


ANALYSIS_FILES = {
    "g.att": "cat ( noun, verb, det ) number ( sing, plur ) person ( first, second, third ) tense ( pres, past, fut )\n"
             "many ( %s )\n" % ", ".join("m%d" % i for i in range(30)),
    "g.tmn": "N V DET\n",
    "g.lex": '"the"|DET|det|5||||||"D@"|\n"dog"|N|noun, number, many|5|$N||||young: "puppy"; big: "wolf"/X|"dog"|\n'
             '"puppy"|N|noun, number|0|$N||||adult: "dog"|\n"bark"|V|verb, number, person, tense|5|$V|\n',
    "g.mor": 'RULE N plur : ! "s" ; * : ! ;\nRULE V past : ! "ed" ; third , sing : ! "s" ; * : ! ;\n',
    "g.syn": "ROOT = DET N [ sing ] V [ sing, third, pres ] %\nQUESTION = ROOT %\nANSWER = ROOT %\n"
             + "".join("R_%d = DET N [ %s ] V [ %s, third, pres ] %%\n" % (n, "sing plur".split()[n % 2], "sing plur".split()[n % 2])
                       for n in range(3, 21)),
    "g.tag": "young ( 9 ) big ( 9 ) adult ( 9 )\n",
    "g.ipa": '"d" ( "d" ) "o" ( "o", "aw", "" ) "g" ( "g", "gg" ) "D" ( "th" ) "@" ( "e", "a", "" )\n',
}


def analysis_case(rng):
    """A grammar with twenty roots whose tables load cleanly (or nearly), and the responses of
    the edge cases analysed against every root, one root and root sets."""
    files = dict(ANALYSIS_FILES)
    files["g.mer"] = rng.choice(["N ( number many ) V ( number person tense )",
                                 "V ( number person tense many cat ) N ( many ) DET ( sing plur first second )",
                                 "N ( %s )" % " ".join(["number", "many", "sing"] * 14)])
    files = {k: v.encode("latin-1") for k, v in files.items()}
    for name in ("g.tag", "g.ipa", "g.mer"):
        if rng.random() < 0.3:
            files[name] = mutate(rng, files[name])
    words = ["the", "dog", "dogs", "bark", "barks", "puppy", "dawg", "thee", "barked"]
    for i in range(6):
        files["resp%d.txt" % i] = response(rng, words)
    keys = b"".join(b"\x03%s\r" % c for c in (b"ATg.att", b"TMg.tmn", b"LEg.lex", b"SYg.syn", b"MOg.mor", b"MRg.mer",
                                               b"TGg.tag", b"IPg.ipa", b"MP21|10", b"RA%d" % rng.randrange(1, 99999, 2)))
    keys += b"\r\x1bg"
    for _ in range(rng.randrange(3, 12)):
        keys += rng.choice([b"", b"", b"\x03QR" + rng.choice([b"", b"0", b"3,5 x7", b"1 2 3 4 5 6 7 8 9 10 11 12 13 14"]) + b"\r\r"])
        keys += b"\x03FEresp%d.txt\r\r" % rng.randrange(6) + rng.choice(
            [b"\x1bK", b"\x1bK", b"\x1b\x0b%d\r" % rng.choice([0, 1, 2, 20, 21]), b"\x1bL"])
        keys += rng.choice([b"", b"\r"]) + b"\x03CO7\r\x03CL\r\x03CO1\r\r"
        if rng.random() < 0.5:
            keys += b"\x03CO15\r\x03CL\r\x03CO1\r\r"
    return files, keys + ending(b"\x03EM15|1|200000|0\r\x03EM7|1|200000|0\r")


def lt_case(rng):
    """A small sound grammar, LT rules over it (sometimes mutated) run one after the other, and
    _ilt_ entries that generation applies, nested and failing ones too."""
    files = {k: ANALYSIS_FILES[k] for k in ("g.att", "g.tmn", "g.mor")}
    types = [("cat", ["noun", "verb", "det"]), ("number", ["sing", "plur"]), ("person", ["first", "second", "third"]),
             ("tense", ["pres", "past", "fut"])]
    terms = ["N", "V", "DET"]
    words = ['"%s"|%s|%s|%d|$%s|' % (ident(rng, 4), t, ", ".join(rng.sample(["noun", "verb", "det", "number", "sing", "plur",
             "person", "third", "tense", "past"], rng.randrange(1, 5))), rng.randrange(0, 9), t[0]) for t in terms * 10]
    ilts = ["_ilt_ | %s | %s | 5 | %s _rhs_ %s |" % (rng.choice(terms), rng.choice(["noun", "verb", "sing", "det"]), " ".join(
        "_lsp_ " + lsp(rng, types, terms, []) for _ in range(rng.choice([0, 1, 1, 2]))), ltr_rhs(rng, types, []))
        for _ in range(rng.randrange(1, 6))]
    files["g.lex"] = "\n".join(words * rng.choice([1, 1, 10]) + ilts) + "\n"
    files["g.syn"] = "ROOT = %s %%\n" % " ".join(rng.choice(["N", "V", "DET", "N[sing]", "V[verb]"]) for _ in range(rng.randrange(1, 6)))
    files["x.ltr"] = ltr_file(rng, types, terms)
    files = {k: v.encode("latin-1") for k, v in files.items()}
    if rng.random() < 0.3:
        files["x.ltr"] = mutate(rng, files["x.ltr"])
    keys = b"".join(b"\x03%s\r" % c for c in (b"ATg.att", b"TMg.tmn", b"LEg.lex", b"SYg.syn", b"MOg.mor", b"LXx.ltr"))
    for _ in range(rng.randrange(1, 8)):
        keys += rng.choice([b"\x03RX%d\r\r\x1bl" % rng.choice([1, 2, 3, 5, 0, 500]), b"\x1bl",
                            b"\x03CO2\r\x03RA%d\r\r\x1bg" % rng.randrange(1, 99999, 2), b"\x03CO1\r\x03CL\r\r"])
    return files, keys + ending(b"\x03EM7|1|200000|0\r")


def case(rng):
    """The files of a run and its keys."""
    if rng.random() < 0.15:
        return analysis_case(rng)
    if rng.random() < 0.15:
        return lt_case(rng)
    types, terms = grammar(rng)
    files = {"a.att": att_file(rng, types), "t.tmn": " ".join(terms) + rng.choice(["\n", " { ok }\n"]),
             "l.lex": lex_file(rng, types, terms), "m.lex": lex_file(rng, types, terms), "sub/x": "x\n",
             "s.inc": '%INCLUDE "s.inc"\n' + att_file(rng, [rng.choice(types)])}
    files["s.syn"] = syn_file(rng, types, terms)
    files["u.syn"] = syn_file(rng, types, terms)
    files["mo.mor"] = mor_file(rng, types)
    files["tb.tbl"] = "T ( %s ) Q ( %s )\n" % (", ".join('"e%d"' % k for k in range(rng.choice([0, 1, 6, 40]))),
                                              ", ".join(["$M1", "#5", "!"] * rng.randrange(3)))
    files["st.st"] = ("$u\n$t 0\nN|G|ROOT|%s|0|\"\"||\nS|G|%s||0|\"w\"|LEX_0|\n$L\n{LEX_0} \"w\"|%s|%s|0001|\n%%%%\n"
                      % (compound(rng, types), rng.choice(terms), rng.choice(terms), compound(rng, types)))
    files["x.ltr"] = ltr_file(rng, types, terms)
    files["tg.tag"] = tag_file(rng)
    files["mr.mer"] = mer_file(rng, types, terms)
    files["ip.ipa"] = ipa_file(rng)
    files["sm.sem"] = sem_file(rng, types, terms)
    for i in range(2):
        files["ex%d.txt" % i] = "\n".join(sem_expr(rng, types) for _ in range(rng.randrange(1, 8))) + "\n"
    if rng.random() < 0.2:  # twenty roots to analyse against
        files["u.syn"] += "".join("%s = ROOT ROOT %%\n" % r for r in ["QUESTION", "ANSWER"] + ["R_%d" % n for n in range(3, 21)])
    for i in range(7):  # i0 includes i1 ... i6 includes i0: one too deep
        files["i%d.inc" % i] = '%%INCLUDE "i%d.inc"\n%s %s\n' % ((i + 1) % 7, rng.choice(terms), compound(rng, types))
    files = {k: v.encode("latin-1") for k, v in files.items()}
    for name in ("a.att", "t.tmn", "l.lex", "m.lex", "s.inc", "i0.inc", "s.syn", "u.syn", "mo.mor", "tb.tbl", "st.st",
                 "tg.tag", "mr.mer", "ip.ipa", "x.ltr"):
        if rng.random() < (0.3 if name.endswith((".syn", ".tag", ".mer", ".ipa", ".ltr")) else 0.7):
            files[name] = mutate(rng, files[name])
    if rng.random() < 0.3:
        files["sm.sem"] = mutate(rng, files["sm.sem"])
    for i in range(3):
        files["r%d" % i] = randbytes(rng, rng.choice([0, 10, 200, 3000]))
    answer = lambda: rng.choice([b"", b"", b"\r", b"\x7f", b"\r\r", b"\x7f\r", b"\r\x7f"])
    words = [w for w in re.findall(r'^"([^"]*)"', files["l.lex"].decode("latin-1"), re.M) if w] or ["w"]
    for i in range(4):  # responses are fetched: typed bytes above 127 would be ESC keys
        files["resp%d.txt" % i] = response(rng, words)
    # An analysis adds hundreds of lines to corefile 7: like an exercise, the keys mostly clear it.
    analyse = lambda: b"\x03FEresp%d.txt\r\r" % rng.randrange(4) + rng.choice(
        [b"\x1bK", b"\x1bK", b"\x1b\x0b%d\r" % rng.choice([0, 1, 2, 3, 20, 21, 99999]), b"\x1bL"]) + answer() + rng.choice(
        [b"", b"\x03CO7\r\x03CL\r\x03CO15\r\x03CL\r\x03CO1\r\r", b"\x03CO7\r\x03CL\r\x03CO15\r\x03CL\r\x03CO1\r\r"])
    qf = lambda: rng.choice(["", "N", "%s[%s]" % (rng.choice(terms), compound(rng, types)), "%s/$%d" % (
        rng.choice(terms), rng.randrange(6)), '%s/+%d/"%s*"' % (rng.choice(terms), rng.randrange(99999), ident(rng)),
        "%s/%d=x*,?/@2:tg[%s]" % (rng.choice(terms), rng.randrange(-1, 12), compound(rng, types)), "NOSUCH/3",
        "".join(chr(rng.randrange(32, 127)) for _ in range(rng.randrange(1, 80)))])
    steps = [(30, lambda: b"\x03ATa.att\r\x03TMt.tmn\r" + answer() + b"\x03LEl.lex\r" + answer() +
              b"\x03SYs.syn\r\x03MOmo.mor\r\x03TBtb.tbl\r" + answer() + b"\r\x1bg" + answer()),
             (40, lambda: (lambda c: b"\x03" + c + rng.choice(LOADS[c]).encode() + b"\r")(rng.choice(list(LOADS)))),
             (8, lambda: b"\x03RM" + rng.choice([b"at", b"le", b"tm", b"at,le", b"all", b"Tm , Le", b"xx", b"",
                                                 b"a;b", b",,", b"lx,sy,gp", b"1"]) + b"\r"),
             (15, lambda: b"\x03QD" + rng.choice([b"0", b"7", b"7", b"3", b"8", b"-1", b"99999999999"]) + b"\r"),
             (15, lambda: b"\x03QF" + qf().encode("latin-1") + b"\r" + answer() + answer()),
             (4, lambda: b"\x03RA" + rng.choice([b"0", b"1", b"7", b"-3", b"2147483647"]) + b"\r"),
             (4, lambda: b"\x03PS" + rng.choice([b"0", b"7", b"25", b"-1", b"19"]) + b"\r"),
             (25, lambda: b"\x03" + rng.choice([b"SYs.syn", b"USu.syn", b"MOmo.mor", b"TBtb.tbl", b"SYl.lex",
                                                 b"MOr0", b"TBs.syn"]) + b"\r" + answer()),
             (30, lambda: b"\r\x1bg" * rng.randrange(1, 4) + answer()),
             (6, lambda: b"\x03MP" + rng.choice([b"0|7", b"21|22|23", b"22|5", b"-1|5", b"0|0", b"3|5|6|9|9"]) + b"\r" + answer()),
             (10, lambda: b"\x03CO3\r\x03ST" + rng.choice([b"0", b"1", b"2"]) + b"|0\r\x03SAst%d.st\r" % rng.randrange(3)
              + answer() + b"\x03CO1\r"),
             (10, lambda: b"\x03RE" + rng.choice([b"st.st", b"st0.st", b"st1.st", b"st2.st", b"l.lex", b"r0", b"",
                                                 b"none"]) + b"\r" + answer()),
             (6, lambda: b"\x03QE%d|{C}QD0{M}\r" % rng.randrange(21) + b"\r" + rng.choice([b"x y", b""]) + b"\x1bk"
              + b"\x1bm" + rng.choice([b"0", b"1", b"3", b"25"]) + b"\r" + answer()),
             (5, lambda: b"\x03QD" + rng.choice([b"1", b"2", b"4", b"5", b"6"]) + b"\r" + answer()),
             (3, lambda: b"\x03QT" + rng.choice([b"0", b"1", b"2"]) + b"\r" + b"\r\x1b[P" + answer()),
             (12, lambda: b"\x03" + rng.choice([b"TGtg.tag", b"MRmr.mer", b"IPip.ipa", b"MP21|5", b"MP21|9|5", b"TGmr.mer",
                                                 b"MRip.ipa", b"IPl.lex", b"MRr1"]) + b"\r" + answer()),
             (6, lambda: b"\x03QR" + rng.choice([b"", b"3,5 x7", b"0", b"1 2 3", b"99999999999", b"x", b"2 3 20 19 18 17 16"])
              + b"\r" + answer()),
             (15, analyse),
             (15, lambda: b"\x03LXx.ltr\r" + answer() + b"".join(b"\x03RX%d\r\r\x1bl" % rng.choice([1, 2, 3, 5, 0, 499, 500])
                                                               + answer() for _ in range(rng.randrange(1, 4)))
              + b"\x03CO7\r\x03CL\r\x03CO1\r\x03CL\r\r"),
             (5, lambda: b"\x03RX" + rng.choice([b"1", b"2", b"-1", b"99999999999"]) + b"\r\r\x1bl" + answer()),
             (20, lambda: b"".join(b"\x03%s\r\r" % c for c in (b"ATa.att", b"TMt.tmn", b"LEl.lex", b"SYs.syn", b"USu.syn",
                                                                b"MOmo.mor", b"MRmr.mer", b"TGtg.tag", b"IPip.ipa", b"MP21|5"))
              + b"\x03QR" + rng.choice([b"", b"", b"0", b"1 2 3 4 5 6 7 8 9 10 11 12 13 14 15"]) + b"\r\r\x1bg"
              + b"".join(analyse() for _ in range(rng.randrange(1, 5))))]
    steps.append((15, lambda: sem_step(rng, types)))
    keys = b"".join(rng.choices([s for _, s in steps], [w for w, _ in steps])[0]() + answer()
                    for _ in range(rng.randrange(2, 14)))
    return files, keys + ending(b"\x03EM7|1|200000|0\r")


def ending(emits):
    """The keys that end a run: RETURNs to answer what may wait, the EMITs, BYE. Random answers
    can leave a key short or over (a FETCH that also says the store is full waits once more), so
    that the EMIT keys land in a parameter; the editor must still answer one of three tries."""
    return (b"\r" * 6 + emits) * 3 + b"\x03BY\r" + b"\r" * 6


def writefiles(folder, files):
    for name, data in files.items():
        os.makedirs(os.path.dirname(os.path.join(folder, name)), mode=0o777, exist_ok=True)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        os.chmod(f.name, 0o666)


def run(zek, options, timeout, files, keys):
    """Runs one case; returns None, or why it failed."""
    work = tempfile.mkdtemp(prefix="zek-robust-genra-")
    try:
        os.chmod(work, 0o777)
        writefiles(work, files)
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            proc = subprocess.Popen([zek], cwd=work, stdin=subprocess.PIPE, stdout=out, stderr=err,
                                    start_new_session=True, **options)
            try:
                proc.communicate(keys, timeout=timeout)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
                return "no end within %d s" % timeout
            err.seek(0), out.seek(0)
            text, answered = err.read()[-1500:], re.search(rb"(^|\n)\$\$\$\r?\n", out.read())
        if proc.returncode < 0:
            return "killed by signal %d: %r" % (-proc.returncode, text)
        if proc.returncode or any(s in text for s in SANITIZER):
            return "exit status %d, standard error ends %r" % (proc.returncode, text)
        return None if answered else "no $$$ from EMIT on standard output"
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    zek, seconds = os.path.abspath(sys.argv[1]), float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else int(time.time())
    print("robustness genra: seed %d" % seed, flush=True)
    env = {"PATH": "/nonexistent", "HOME": "/nonexistent", "TERM": "dumb"}
    options = {"env": env | {k: v for k, v in os.environ.items() if k.endswith("SAN_OPTIONS")}}
    with open(zek, "rb") as f:
        timeout = TIMEOUT * (3 if b"__asan_init" in f.read() else 1)
    home = tempfile.mkdtemp(prefix="zek-robust-genra-bin-")
    if os.geteuid() == 0:  # the unprivileged user may not reach the build folder: run a copy
        options.update(user=65534, group=65534, extra_groups=[])
        os.chmod(home, 0o755)
        zek = shutil.copy2(zek, os.path.join(home, "zek"))
    start, runs, failed = time.time(), 0, 0
    while runs == 0 or time.time() < start + seconds and failed < 20:
        s = seed + runs
        files, keys = case(random.Random(s))
        why = run(zek, options, timeout, files, keys)
        runs += 1
        if why:
            failed, kept = failed + 1, os.path.join(tempfile.gettempdir(), "zek-robust-genra-%d" % s)
            shutil.rmtree(kept, ignore_errors=True)
            writefiles(kept, {"files/" + name: data for name, data in files.items()} | {"keys": keys})
            print("FAIL seed %d: %s\n  case kept in %s (in files/: zek < ../keys); again: robust_genra.py ZEK 0 %d"
                  % (s, why, kept, s), flush=True)
    print("robustness genra: %d runs from seed %d in %.1f s, %d failed" % (runs, seed, time.time() - start, failed))
    shutil.rmtree(home, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

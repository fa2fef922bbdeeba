// Parameter entry: each key is accepted or refused by the command's template, key by key;
// then defaults are appended and the line is parsed into param[] and the string buffers.
#include "editor/getparam.h"

#include <cstring>

#include "editor/check.h"
#include "editor/commands.h"
#include "editor/editor.h"
#include "editor/file.h"
#include "editor/float.h"
#include "editor/merger.h"
#include "editor/scan.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/sysutils.h"
#include "editor/terminal_xq.h"
#include "genra/uninstall.h"

namespace zek {

int param[MAXPARAMS];
int paramcount = 0;
char curfile[NAMELEN + 1];
char termstring[NAMELEN + 1];
char picstring[NAMELEN + 1];
char mathstring[NAMELEN + 1];
char pstring[PSTRINGSIZE];
int sptr = 1;
int tptr = 0;
int done = 0;

char* destination[NUMDEST];
int ctrltype[NUMDEST];

void initgetparam() {
    memset(param, 0, sizeof param);
    paramcount = 0;
    curfile[0] = termstring[0] = picstring[0] = mathstring[0] = 0;
    memset(pstring, 0, sizeof pstring);
    sptr = 1;
    tptr = 0;
    done = 0;
    char* buffers[NUMDEST] = {curfile, scanpattern, mrgstring, expression, sysstring,
                              fn[0], fn[1], fn[2], fn[3], fn[4], fn[5], fn[6], fn[7], fn[8], fn[9],
                              termstring, picstring, mathstring, recboolcheck, targetstring,
                              listfile, listinitfile, q_error};
    const int translated[NUMDEST] = {0, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1};
    for (int i = 0; i < NUMDEST; i++) {
        destination[i] = buffers[i];
        ctrltype[i] = translated[i];
    }
    resettrans();
}

void prmptpar(int n) { putstring(modename(n), 'm'); }

// The template of the command being entered, as (kind, qualifier) pairs. A pair whose kind is
// not one of c..k (or an odd last character) ends the template.
static const char* templ() { return commands[cmdptr].paramtype; }
static bool validpair(int at) {
    const char* t = templ();
    if (at < 0 || static_cast<size_t>(at) + 1 >= strlen(t)) return false;
    return t[at] >= 'c' && t[at] <= 'k';
}
static char kind() { return templ()[tptr]; }
static char qualifier() { return templ()[tptr + 1]; }

void disprompt() {
    if (validpair(tptr)) prmptpar(kind() - 96);
}

static char lastchar() { return sptr > 1 ? pstring[sptr - 1] : 0; }
static bool firstofparam() { return sptr == 1 || lastchar() == '|'; }

static void append(char ch) {
    if (sptr < PSTRINGSIZE - 1) {
        pstring[sptr++] = ch;
        pstring[sptr] = 0;
    }
}

static void adch() {
    if (sptr - 1 >= PLINEMAX) return;
    append(static_cast<char>(holdch));
    putcmdlett(holdch);
}
static void adfirst() {
    if (firstofparam()) adch();
}
static void adnostar() {
    if (lastchar() != '*') adch();
}
static void addig() {
    if (holdch > qualifier()) return;
    adfirst();
}
static void delop() {
    if (sptr <= 1) {
        del = 2;
        return;
    }
    char removed = pstring[--sptr];
    pstring[sptr] = 0;
    backspace();
    if (removed == '|' && tptr >= 2) {
        tptr -= 2;
        disprompt();
    }
}
static void barop() {
    if (!validpair(tptr + 2)) return;
    append('|');
    putcmdlett('|');
    tptr += 2;
    disprompt();
}
static void retop() {
    append('|');
    done = 1;
}

// Actions by kind (c..k) and key class (RETURN, other, digit, name, delete, minus, star, bar).
using ACTION = void (*)();
static const ACTION N = noop;
static const ACTION PARAMTABLE[9][8] = {
    /* c */ {retop, adch, adch, adch, delop, adch, adch, barop},
    /* d */ {retop, N, addig, N, delop, N, N, barop},
    /* e */ {retop, N, N, N, delop, N, N, barop},
    /* f */ {retop, N, adnostar, adnostar, delop, adnostar, adfirst, barop},
    /* g */ {retop, N, adnostar, N, delop, N, adfirst, barop},
    /* h */ {retop, N, adnostar, N, delop, adfirst, adfirst, barop},
    /* i */ {retop, N, adch, N, delop, N, N, barop},
    /* j */ {retop, N, adch, N, delop, adfirst, N, barop},
    /* k */ {retop, N, N, adfirst, delop, N, N, barop},
};

void add_defaults() {
    int bars = 0;
    for (int i = 1; i < sptr; i++) {
        if (pstring[i] == '|') bars++;
    }
    if (bars < 1) bars = 1;
    const char* d = commands[cmdptr].defstr;
    for (int skipped = 0; skipped < bars && *d != 0; d++) {
        if (*d == '|') skipped++;
    }
    for (; *d != 0; d++) append(*d);
}

static int parsepos = 1;  // position in pstring of the field being parsed

static int fieldend() {
    int p = parsepos;
    while (p < sptr && pstring[p] != '|') p++;
    return p;
}

static char* stringbuffer(char code) {
    if (code == '0') {
        int n = param[1];
        return (n >= 0 && n <= 9) ? fn[n] : nullptr;
    }
    int i = code - '1';
    return (i >= 0 && i < NUMDEST) ? destination[i] : nullptr;
}

static bool translatedcode(char code) {
    if (code == '0') return true;
    int i = code - '1';
    return i >= 0 && i < NUMDEST && ctrltype[i] != 0;
}

void gstr() {
    char code = qualifier();
    char* buf = stringbuffer(code);
    int end = fieldend();
    if (buf == nullptr) return;
    if (kind() == 'f' && parsepos < end && pstring[parsepos] == '*') {
        snprintf(buf, NAMELEN + 1, "%s", cur().filname);
        return;
    }
    int n = 0;
    bool translate = translatedcode(code);
    resettrans();
    for (int p = parsepos; p < end && n < NAMELEN; p++) {
        unsigned char ch = static_cast<unsigned char>(pstring[p]);
        if (translate) {
            n += transchar(ch, buf + n);
        } else {
            buf[n++] = static_cast<char>(ch);
        }
    }
    buf[n] = 0;
}

// Line number of the first (U) or last (L) starred line, or 1 / 200000 without stars.
static int starredline(bool upper) {
    COREFILE& c = cur();
    int a = c.starA ? distance(c.header, c.starA) : 0;
    int b = c.starB ? distance(c.header, c.starB) : 0;
    if (a == 0 && b == 0) return upper ? 1 : 200000;
    if (a == 0) a = b;
    if (b == 0) b = a;
    return upper ? (a < b ? a : b) : (a > b ? a : b);
}

void gint() {
    int end = fieldend();
    int& target = param[paramcount < MAXPARAMS ? paramcount : MAXPARAMS - 1];
    if (parsepos < end && pstring[parsepos] == '*') {
        target = starredline(qualifier() != 'L');
        return;
    }
    long value = 0;
    bool negative = false;
    for (int p = parsepos; p < end; p++) {
        char ch = pstring[p];
        if (ch == '-') negative = true;
        if (ch >= '0' && ch <= '9' && value < 100000000) value = value * 10 + (ch - '0');
    }
    target = static_cast<int>(negative ? -value : value);
}

static void parse() {
    parsepos = 1;
    paramcount = 1;
    for (tptr = 0; validpair(tptr); tptr += 2) {
        int end = fieldend();
        int& target = param[paramcount < MAXPARAMS ? paramcount : MAXPARAMS - 1];
        switch (kind()) {
            case 'c':
            case 'f': gstr(); break;
            case 'd': target = (parsepos < end) ? pstring[parsepos] - '0' : 0; break;
            case 'g':
            case 'h':
            case 'i':
            case 'j': gint(); break;
            case 'k': {
                char ch = parsepos < end ? pstring[parsepos] : 0;
                if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
                target = (ch >= 'A' && ch <= 'Z') ? ch - 'A' + 1 : 0;
                break;
            }
            default: break;
        }
        parsepos = end < sptr ? end + 1 : end;
        if (paramcount < MAXPARAMS - 1) paramcount++;
    }
}

void getparam() {
    del = 0;
    done = 0;
    sptr = 1;
    tptr = 0;
    pstring[1] = 0;
    disprompt();
    while (del == 0 && done == 0) {
        cmdcur();
        fetchchar();
        rmcmdcur();
        if (type > OP_DELETE) continue;
        if (!validpair(tptr)) {
            // a command without parameters: only RETURN and delete mean anything
            if (type == OP_RETURN) retop();
            if (type == OP_DELETE) delop();
            continue;
        }
        int cls = type;
        if (holdch == '-') cls = 6;
        if (holdch == '*') cls = 7;
        if (holdch == '|') cls = 8;
        PARAMTABLE[kind() - 'c'][cls - 1]();
    }
    if (del == 2) return;
    add_defaults();
    parse();
}

// Control notation.
static bool transon = true;
static bool ctrlmode = false;

void resettrans() {
    transon = true;
    ctrlmode = false;
}

static int controlcode(int ch) {
    switch (ch) {
        case '!': return 124;
        case '$': return 254;
        case '%': return 247;
        case '&': return 214;
        case '(': return 123;
        case ')': return 125;
        case '-': return 217;
        case '.': return 246;
        case '/': return 127;
        case ':': return 245;
        case '<': return 251;
        case '=': return 211;
        case '>': return 252;
        case '?': return 241;
        case '^': return 253;
        case '`': return 126;
        default: return ch & 31;
    }
}

int transchar(int ch, char* dest) {
    if (transon) {
        if (ch == '{') {
            ctrlmode = true;
            return 0;
        }
        if (ch == '}') {
            ctrlmode = false;
            return 0;
        }
        if (ctrlmode) ch = controlcode(ch);
    }
    if (ch == 0) return 0;  // a 0 would end the string and lose what follows
    *dest = static_cast<char>(ch);
    return 1;
}

static bool inbraces = false;

static int specialchar(int code) {
    switch (code) {
        case 124: return '!';
        case 254: return '$';
        case 247: return '%';
        case 214: return '&';
        case 123: return '(';
        case 125: return ')';
        case 217: return '-';
        case 246: return '.';
        case 127: return '/';
        case 245: return ':';
        case 251: return '<';
        case 211: return '=';
        case 252: return '>';
        case 241: return '?';
        case 253: return '^';
        case 126: return '`';
        default: return (code >= 1 && code <= 31) ? code + 64 : 0;
    }
}

int untranschar(int ch, char* dest) {
    ch &= 255;
    if (ch == 0) return 0;
    int n = 0;
    int shown = specialchar(ch);
    if (shown != 0) {
        if (!inbraces) dest[n++] = '{';
        inbraces = true;
        dest[n++] = static_cast<char>(shown);
    } else {
        if (inbraces) dest[n++] = '}';
        inbraces = false;
        dest[n++] = static_cast<char>(ch);
    }
    return n;
}

int untransdone(char* dest) {
    if (!inbraces) return 0;
    inbraces = false;
    *dest = '}';
    return 1;
}

void untransstring(const char* src, char* dst, int size) {
    inbraces = false;
    int n = 0;
    char piece[4];
    for (const char* s = src; *s != 0; s++) {
        bool wasin = inbraces;
        int k = untranschar(static_cast<unsigned char>(*s), piece);
        // The piece must fit with the brace it may leave open and the terminator.
        if (n + k + (inbraces ? 1 : 0) + 1 > size) {
            inbraces = wasin;
            break;
        }
        memcpy(dst + n, piece, static_cast<size_t>(k));
        n += k;
    }
    char closing;
    if (untransdone(&closing) && n + 1 < size) dst[n++] = closing;
    dst[n] = 0;
}

}  // namespace zek

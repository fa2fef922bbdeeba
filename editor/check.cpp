// Record checks: the unit position ring, field conditions, expression conditions, the check
// lines of corefile 18 and their bit patterns. They read the current corefile through the
// text pointer and leave it where they found it.
#include "editor/check.h"

#include <cstring>

#include "editor/float.h"
#include "editor/linutils.h"
#include "editor/merger.h"
#include "editor/scan.h"
#include "editor/utilptr.h"

namespace zek {

char recboolcheck[49];

long boolcheck = 0;
long boolerror = 0;
int numchecks = 0;
char boolstring[33];
int cmperr = 0;

LINE* findlptr[RINGSIZE];
int findcptr[RINGSIZE];
int findbufptr = 1;
int findbotptr = 0;
static bool ringfields = false;  // the ring holds field starts (else word starts)

static long filterrequired = 0;
static long filtermask = 0;

void initcheck() {
    recboolcheck[0] = 0;
    boolcheck = boolerror = 0;
    numchecks = 0;
    boolstring[0] = 0;
    cmperr = 0;
    for (int i = 0; i < RINGSIZE; i++) {
        findlptr[i] = nullptr;
        findcptr[i] = 1;
    }
    findbufptr = 1;
    findbotptr = 0;
    ringfields = false;
    filterrequired = filtermask = 0;
}

namespace {

struct textpos {
    LINE* l;
    int c;
    int d;
};
textpos savepos() { return {lp, cp, dist}; }
void restorepos(const textpos& p) {
    lp = p.l;
    cp = p.c;
    dist = p.d;
}

// Keeps the current corefile's cursor on a line and column for the life of the scope.
struct cursorat {
    COREFILE& c;
    LINE* line;
    int col;
    cursorat(LINE* l, int column) : c(cur()), line(c.lnptr), col(c.curcol) {
        c.lnptr = l;
        c.curcol = column;
    }
    ~cursorat() {
        c.lnptr = line;
        c.curcol = col;
    }
    cursorat(const cursorat&) = delete;
    cursorat& operator=(const cursorat&) = delete;
};

void store(LINE* l, int c) {
    findbotptr = (findbotptr + 1) % RINGSIZE;
    findlptr[findbotptr] = l;
    findcptr[findbotptr] = c;
}

}  // namespace

void checksetup() {
    if (ptrend()) return;
    textpos saved = savepos();
    int kind = cur().lnptr->object;
    ringfields = kind != OBJ_TEXT && kind != OBJ_EMPTY;
    if (ringfields) cp = 1;
    findbufptr = 1;
    findbotptr = 0;
    if (ringfields) {
        // Each field starts after the previous field's bar; the line's end ends the record.
        int len = linechars(lp);
        const unsigned char* t = textbase + lp->index;
        int col = 1;
        for (int count = 0; count < RINGSIZE - 1; count++) {
            store(lp, col);
            while (col <= len && t[col - 1] != '|') col++;
            if (++col > len) break;
        }
    } else {
        for (int count = 0; count < RINGSIZE - 1 && !ptrend(); count++) {
            store(lp, cp);
            nextword();
        }
    }
    restorepos(saved);
}

void checkupdate() {
    textpos saved = savepos();
    lp = findlptr[findbotptr];
    cp = findcptr[findbotptr];
    if (lp != nullptr) {
        nextword();
        if (!ptrend()) store(lp, cp);
    }
    findbufptr = (findbufptr + 1) % RINGSIZE;
    restorepos(saved);
}

// Compares the unit at the text pointer with `s` in byte order: its text runs to the bar (or
// the line's end) of a field, to a separator of a word.
static int compareunit(const char* s) {
    int len = linechars(lp);
    const unsigned char* t = textbase + lp->index;
    const unsigned char* q = reinterpret_cast<const unsigned char*>(s);
    for (int i = cp - 1;; i++, q++) {
        int u = -1;
        if (i < len) {
            unsigned char ch = t[i];
            bool ends = ringfields ? ch == '|' : (charkind[ch] & CK_SEPARATOR) != 0;
            if (!ends) u = ch;
        }
        int v = *q != 0 ? *q : -1;
        if (u != v) return u < v ? -1 : 1;
        if (u == -1) return 0;
    }
}

static bool alternative(int op, const char* s) {
    if (op == '=') return match(s) == 1;
    int order = compareunit(s);
    return op == '>' ? order > 0 : order < 0;
}

int recstrmatch(const char* pattern) {
    cmperr = 0;
    textpos saved = savepos();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pattern);
    if (*p == '$') p++;
    bool field = false;
    int op = 0;
    char alt[50];
    int altlen = 0;
    int result = 0;
    bool malformed = false;
    for (;; p++) {
        int ch = *p;
        if (op != 0) {
            if (ch == '\\' || ch == 0) {
                alt[altlen] = 0;
                if (alternative(op, alt)) {
                    result = 1;
                    break;
                }
                altlen = 0;
                if (ch == 0) break;
            } else if (altlen < 49) {
                alt[altlen++] = static_cast<char>(ch);  // further characters are dropped
            }
            continue;
        }
        if (ch == 0) {
            malformed = true;  // no comparison was given
            break;
        }
        if (ch == '#') {
            if (field) {
                malformed = true;
                break;
            }
            long n = 0;
            while (p[1] >= '0' && p[1] <= '9') {
                if (n < 1000) n = n * 10 + (p[1] - '0');
                p++;
            }
            int units = findbotptr - findbufptr + 1;
            if (units < 0) units += RINGSIZE;
            if (n < 1 || n > units) {
                malformed = true;
                break;
            }
            int at = static_cast<int>((findbufptr + n - 1) % RINGSIZE);
            lp = findlptr[at];
            cp = findcptr[at];
            field = true;
        } else if (!field) {
            malformed = true;
            break;
        } else if (ch == '=' || ch == '>' || ch == '<') {
            op = ch;
        }
        // between the field number and the operator other characters are ignored
    }
    if (malformed) {
        cmperr = 1;
        result = 0;
    }
    restorepos(saved);
    return result;
}

int recmathmatch(const char* pattern) {
    cursorat at(lp, cp);
    int result = 0;
    if (mrgevaluate(pattern, static_cast<int>(strlen(pattern))) == 0) result = popfp() != 0 ? 1 : 0;
    fperror = 0;
    return result;
}

void makecheck(const char* pat, long* chk, long* mask) {
    long required = 0;
    long care = 0;
    for (const char* p = pat; *p != 0; p++) {
        required = required * 2 + (*p == '0' ? 0 : 1);
        care = care * 2 + ((*p == '0' || *p == '1') ? 0 : 1);
    }
    *chk = required;
    *mask = care;
}

void multicheck() {
    numchecks = 0;
    boolcheck = boolerror = 0;
    const COREFILE& k = core[CHECKCORE];
    for (const LINE* l = k.header->down; l != k.header && numchecks < MAXCHECKS; l = l->down) {
        if (l->object != OBJ_TEXT && l->object != OBJ_EMPTY) continue;
        int len = linechars(l);
        const char* text = len > 0 ? reinterpret_cast<const char*>(textbase + l->index) : "";
        int bit;
        if (len > 0 && text[0] == '$') {
            char pattern[49];
            int n = len < 48 ? len : 48;
            memcpy(pattern, text, static_cast<size_t>(n));
            pattern[n] = 0;
            bit = recstrmatch(pattern);
            boolerror *= 2;
        } else if (mrgevaluate(text, len) != 0) {
            bit = 0;
            boolerror = boolerror * 2 + 1;
        } else {
            bit = popfp() != 0 ? 1 : 0;
            boolerror *= 2;
        }
        fperror = 0;
        boolcheck = boolcheck * 2 + bit;
        numchecks += 1;
    }
}

void getboolstring(long num, int len) {
    if (len < 0) len = 0;
    if (len > MAXCHECKS) len = MAXCHECKS;
    for (int i = 0; i < len; i++) boolstring[i] = ((num >> (len - 1 - i)) & 1) ? '1' : '0';
    boolstring[len] = 0;
}

void extchk() {
    setptr();
    int view = cur().viewtype;
    if (view == 1 || view == 2) cp = 1;
    checksetup();
    multicheck();
    redisplay = 19;
}

int recordtest(int firstloop) {
    if (ptrend()) return 0;
    if (scanunit == 5) {
        if (lp->object != OBJ_RECORD) return 0;
        // The record under test decides the ring's mode, wherever the cursor stands.
        cursorat at(lp, cur().curcol);
        if (scanpattern[0] == '$') {
            checksetup();
            return recstrmatch(scanpattern);
        }
        return recmathmatch(scanpattern);
    }
    long required, mask;
    makecheck(scanpattern, &required, &mask);
    cursorat at(lp, cp);
    if (firstloop || lp->object == OBJ_RECORD) {
        checksetup();
    } else {
        checkupdate();
    }
    multicheck();
    return (boolcheck | mask) == required ? 1 : 0;
}

bool filterprepare() {
    if (recboolcheck[0] == 0) return false;
    makecheck(recboolcheck, &filterrequired, &filtermask);
    return true;
}

bool filterpasses() {
    cursorat at(cur().lnptr, 1);
    setptr();
    checksetup();
    multicheck();
    return (boolcheck | filtermask) == filterrequired;
}

}  // namespace zek

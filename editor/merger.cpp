// Merging records into templates. The expansion is written into the free end of the character
// array, from where a text merge claims it line by line for corefile 16 without copying again.
#include "editor/merger.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "editor/build.h"
#include "editor/corutils.h"
#include "editor/float.h"
#include "editor/linutils.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/tabs.h"

namespace zek {

char mrgstring[49];
const char* mrgptr = "";
int mrglen = 0;
int mrgcnt = 0;
long mrgavail = 0;
char terminate = ' ';
int mrgnumfields = 0;
long fieldptr[MRGFIELDS + 1];
int mrgflen[MRGFIELDS + 1];

constexpr int MERGECORE = 16;   // receives text merges
constexpr int ASSIGNCORE = 17;  // holds the assignment lines
constexpr long NUMCAP = 1000000;

static int missingfield = 0;  // the reference that stopped the last expansion

void initmerger() {
    mrgstring[0] = 0;
    mrgptr = "";
    mrglen = mrgcnt = 0;
    mrgavail = 0;
    terminate = ' ';
    mrgnumfields = 0;
    missingfield = 0;
}

static int firstnonblank(const LINE* l) {
    int len = linechars(l);
    for (int i = 0; i < len; i++) {
        if (textbase[l->index + i] != ' ') return i + 1;
    }
    return 0;
}

void mrgsetup() {
    const COREFILE& c = cur();
    const LINE* l = c.lnptr;
    bool record = l->object == OBJ_RECORD;
    bool text = !record;
    int col = record ? 1 : c.curcol;
    mrgnumfields = 0;
    while (mrgnumfields < MRGFIELDS) {
        int len = linechars(l);
        const unsigned char* t = textbase + l->index;
        if (text) {
            while (col <= len && t[col - 1] == ' ') col++;
        }
        if (col > len) {
            // In the text view the paragraph goes on: a next text line that starts at the
            // left margin.
            if (record || c.viewtype != 0) break;
            const LINE* next = l->down;
            if (next == c.header || next->object != OBJ_TEXT || firstnonblank(next) != lmargin) break;
            l = next;
            col = 1;
            continue;
        }
        int start = col;
        while (col <= len && t[col - 1] != static_cast<unsigned char>(terminate)) col++;
        mrgnumfields += 1;
        fieldptr[mrgnumfields] = l->index + start - 1;
        mrgflen[mrgnumfields] = col - start;
        if (col <= len) col++;  // the terminator
    }
}

int mrggetnum() {
    long n = 0;
    while (mrgcnt < mrglen && mrgptr[mrgcnt] >= '0' && mrgptr[mrgcnt] <= '9') {
        if (n < NUMCAP) n = n * 10 + (mrgptr[mrgcnt] - '0');
        mrgcnt++;
    }
    return static_cast<int>(n);
}

// Template bytes that stand for themselves: all but a reference's '#', the separator '`' and
// the free mark.
static bool copied(char ch) {
    auto b = static_cast<unsigned char>(ch);
    return b != '#' && b != '`' && b != FREEPOS;
}

// A template read into pieces: a run of bytes copied as they stand (`field` 0), a field
// reference (`field` its number), or one byte written alone (`field` -1: a '#' without digits,
// or '?' for the free mark). A merge of many records reads its template once, not once a record.
struct piece {
    int from = 0;  // the run's first byte in the template, or the byte written alone
    int length = 0;
    int field = 0;
};
static std::string plannedfor;  // the template the pieces were read from
static std::vector<piece> pieces;

static void readtemplate() {
    if (plannedfor.size() == static_cast<size_t>(mrglen) && memcmp(plannedfor.data(), mrgptr, plannedfor.size()) == 0) {
        return;
    }
    plannedfor.assign(mrgptr, static_cast<size_t>(mrglen));
    pieces.clear();
    mrgcnt = 0;
    while (mrgcnt < mrglen) {
        int run = mrgcnt;
        while (run < mrglen && copied(mrgptr[run])) run++;
        if (run > mrgcnt) {
            pieces.push_back({mrgcnt, run - mrgcnt, 0});
            mrgcnt = run;
            continue;
        }
        unsigned char ch = static_cast<unsigned char>(mrgptr[mrgcnt++]);
        if (ch == '#' && mrgcnt < mrglen && mrgptr[mrgcnt] >= '0' && mrgptr[mrgcnt] <= '9') {
            pieces.push_back({0, 0, std::max(mrggetnum(), 0)});
            if (pieces.back().field == 0) pieces.back().field = -2;  // #0: no such field
            continue;
        }
        if (ch == '`') continue;  // separates a reference from digits that follow it
        pieces.push_back({ch == FREEPOS ? '?' : ch, 1, -1});  // 255 marks free cells, never text
    }
}

// Expands into textbase[avail .. end).
static int expand(long end) {
    terminate = cur().lnptr->object == OBJ_RECORD ? '|' : ' ';
    mrgavail = avail;
    mrgsetup();
    readtemplate();
    for (const piece& p : pieces) {
        if (p.field == 0) {
            long n = p.length;
            long room = end > mrgavail ? end - mrgavail : 0;
            bool cut = n > room;
            if (cut) n = room;
            memcpy(textbase + mrgavail, mrgptr + p.from, static_cast<size_t>(n));
            mrgavail += n;
            if (cut) return 4;
        } else if (p.field == -1) {
            if (mrgavail >= end) return 4;
            textbase[mrgavail++] = static_cast<unsigned char>(p.from);
        } else {
            int n = p.field == -2 ? 0 : p.field;
            if (n < 1 || n > mrgnumfields) {
                missingfield = n;
                fperror = 3;
                return 3;
            }
            long length = mrgflen[n];
            if (mrgavail + length > end) return 4;
            memmove(textbase + mrgavail, textbase + fieldptr[n], static_cast<size_t>(length));
            mrgavail += length;
        }
    }
    return 0;
}

int merge() { return expand(TEXTSIZE); }

int mrgevaluate(const char* templ, int len) {
    mrgptr = templ;
    mrglen = len;
    if (merge() != 0) {
        fperror = 1;
        return fperror;
    }
    dijkstra(reinterpret_cast<const char*>(textbase + avail), static_cast<int>(mrgavail - avail));
    return fperror;
}

void domerge() {
    long start = avail;
    int rc = expand(hiaddr > avail ? hiaddr : avail);
    long end = mrgavail;
    int saved = corenum;
    corenum = MERGECORE;
    COREFILE& c = cur();
    // Each piece up to a carriage return becomes a line where it stands; the carriage
    // returns become free cells. A final carriage return ends the last line.
    long seg = start;
    bool added = false;
    while (seg < end) {
        const void* cr = memchr(textbase + seg, '\r', static_cast<size_t>(end - seg));
        long p = cr != nullptr ? static_cast<const unsigned char*>(cr) - textbase : end;
        avail = seg;
        int length = static_cast<int>(p - seg);
        if (length == 0) {
            allocln(OBJ_EMPTY, 0);
        } else {
            allocln(OBJ_TEXT, length);
            linkphys();
        }
        added = true;
        if (p < end) {
            textbase[p] = FREEPOS;
            avail = p + 1;
        }
        seg = p + 1;
    }
    if (added) {
        c.curcol = 1;
        c.disln = c.lnptr;
    }
    corenum = saved;
    if (saved == MERGECORE) redisplay = 1;
    if (rc == 3) {
        char text[64];
        snprintf(text, sizeof text, "Merge stopped: no field %d", missingfield);
        progress(text);
    } else if (rc == 4) {
        diserr("Warning: operation may not have been completed");
    }
}

void mrgtext() {
    mrgptr = mrgstring;
    mrglen = static_cast<int>(strnlen(mrgstring, sizeof mrgstring));
    domerge();
}

void mrgrec() {
    if (mrgbufptr == nullptr) return;
    mrgptr = mrgbufptr;
    mrglen = static_cast<int>(strlen(mrgbufptr));
    domerge();
}

void mrgexp() {
    if (mrgevaluate(expression, static_cast<int>(strnlen(expression, sizeof expression))) == 0) {
        reg() = popfp();
    }
    redisplay = 11;
}

// The number of fields of a record line: its bars, and text after the last one.
static int recordfields(const LINE* l) {
    int len = linechars(l);
    const unsigned char* t = textbase + l->index;
    int bars = 0;
    for (int i = 0; i < len; i++) bars += t[i] == '|';
    return bars + (len > 0 && t[len - 1] != '|' ? 1 : 0);
}

// Types `text` into the cursor's field with record typing; refused characters are dropped.
static void typefield(const char* text) {
    for (const char* p = text; *p != 0; p++) {
        holdch = static_cast<unsigned char>(*p);
        if (xbldrec()) cur().curcol += 1;
    }
}

// Whether `value` fits field n whole: every character accepted by the field's type, and no
// more of them than the field's width. A value that would be cut or lose characters is not
// written; "****" says so instead.
static bool fits(int n, const char* value) {
    int f = n <= MAXFIELDS ? n : MAXFIELDS;
    if (static_cast<int>(strlen(value)) > maxfieldlen[f]) return false;
    for (const char* p = value; *p != 0; p++) {
        if (!fieldaccepts(n, static_cast<unsigned char>(*p))) return false;
    }
    return true;
}

void mrgassign() {
    COREFILE& c = cur();
    if (c.lnptr->object != OBJ_RECORD) return;
    bool changed = false;
    const COREFILE& a = core[ASSIGNCORE];
    for (const LINE* l = a.header->down; l != a.header; l = l->down) {
        if (l->object != OBJ_TEXT) continue;
        const char* t = reinterpret_cast<const char*>(textbase + l->index);
        int len = l->length;
        if (len < 3 || t[0] != '#') continue;
        int i = 1;
        long n = 0;
        while (i < len && t[i] >= '0' && t[i] <= '9') {
            if (n < NUMCAP) n = n * 10 + (t[i] - '0');
            i++;
        }
        if (i == 1 || n < 1 || i >= len || t[i] != ':') continue;
        if (n > recordfields(c.lnptr)) continue;
        bool ok = mrgevaluate(t + i + 1, len - i - 1) == 0;
        char value[40];
        if (ok) snprintf(value, sizeof value, "%.8g", popfp());
        fperror = 0;
        c.curcol = locatefield(c.lnptr, static_cast<int>(n)) + 1;
        // Record typing writes before a bar: a last field without its bar takes no new value.
        const unsigned char* r = textbase + c.lnptr->index;
        int end = c.curcol;
        while (end <= c.lnptr->length && r[end - 1] != '|') end++;
        bool hasbar = end <= c.lnptr->length;
        if (ok && hasbar && fits(static_cast<int>(n), value)) {
            erasefield();
            typefield(value);
        } else {
            typefield("****");
        }
        changed = true;
    }
    if (changed) c.edited = 1;  // the key itself does not mark the corefile
    redisplay = 1;
}

}  // namespace zek

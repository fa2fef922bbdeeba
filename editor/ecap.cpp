// Typing into text, decimal tabs, automatic wrap, split and join, copy from above, flip and
// line drawing.
#include "editor/ecap.h"

#include <cstring>

#include "editor/build.h"
#include "editor/corutils.h"
#include "editor/cursors.h"
#include "editor/display.h"
#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/reformat.h"
#include "editor/rubout.h"
#include "editor/scrin.h"
#include "editor/stars.h"
#include "editor/tabs.h"
#include "editor/termutils_xq.h"
#include "editor/terminal_xq.h"

namespace zek {

int autowrapflag = 0;
int dectabflag = 0;
int dtstate = 0;
int lddel = 0;
unsigned char flip[256];

// Stub bits of the box characters 15..30 (left 1, down 2, right 4, up 8), and the box
// character for each set of stubs.
static const unsigned char stubs[16] = {8, 4, 2, 1, 0, 5, 10, 15, 9, 12, 3, 6, 13, 7, 11, 14};
static const unsigned char asc[16] = {32, 18, 17, 25, 16, 20, 26, 28, 15, 23, 21, 29, 24, 27, 30, 22};

static void initflip() {
    for (int c = 0; c < 256; c++) flip[c] = static_cast<unsigned char>(c);
    for (int c = 'A'; c <= 'Z'; c++) {
        flip[c] = static_cast<unsigned char>(c + 32);
        flip[c + 32] = static_cast<unsigned char>(c);
    }
    // Cycles through the accented forms of one letter, capitals first, then small letters.
    static const int cycles[][13] = {
        {192, 193, 194, 195, 196, 197, 224, 225, 226, 227, 228, 229, 0},
        {200, 201, 202, 203, 232, 233, 234, 235, 0},
        {204, 205, 206, 207, 236, 237, 238, 239, 0},
        {210, 211, 212, 213, 214, 242, 243, 244, 245, 246, 0},
        {217, 218, 219, 220, 249, 250, 251, 252, 0},
        {199, 231, 0},
    };
    for (const auto& cycle : cycles) {
        int n = 0;
        while (cycle[n] != 0) n++;
        for (int i = 0; i < n; i++) flip[cycle[i]] = static_cast<unsigned char>(cycle[(i + 1) % n]);
    }
}

void initecap() {
    autowrapflag = 0;
    dectabflag = 0;
    dtstate = 0;
    lddel = 0;
    initflip();
}

static bool textline(const LINE* l) { return l->object == OBJ_TEXT || l->object == OBJ_EMPTY; }
static int linelen(const LINE* l) { return textline(l) || l->linked ? l->length : 0; }

static bool numberchar(unsigned char ch) {
    return (ch >= '0' && ch <= '9') || ch == '-' || ch == '+' || ch == '(' || ch == '$';
}

// Typing at a tab stop with decimal tabs on: numbers grow to the left of the tab column.
static void decbldtxt() {
    COREFILE& c = cur();
    extline();
    if (c.lnptr->length < c.curcol) return;
    touchline(c.lnptr);
    textbase[curptr()] = holdch;
    if (numberchar(holdch)) {
        long cursor = curptr();
        long start = cursor;
        long first = c.lnptr->index;
        while (start > first && numberchar(textbase[start - 1])) start--;
        if (start > first) {
            // shift the run one column left, over the character before it
            memmove(textbase + start - 1, textbase + start, static_cast<size_t>(cursor - start + 1));
            textbase[cursor] = ' ';
        } else {
            // the run reaches column 1 and cannot move: the character stays where it was typed
            dtstate = 0;
            c.curcol += 1;
        }
    } else {
        dtstate = 0;
        c.curcol += 1;
    }
    redisplay = 5;
}

void xbldtxt() {
    COREFILE& c = cur();
    if (c.curcol > linelen(c.lnptr) || mode != 2) {
        extline();
        redisplay = 4;
        if (c.curcol == rmargin && c.lnptr->length == c.curcol) ringbell();
    } else {
        if (!cadd(' ')) return;
        cinsert(1);
        redisplay = 5;
        if (c.lnptr->length == rmargin) ringbell();
    }
    if (c.lnptr->length < c.curcol) return;  // the array is exhausted: nothing can be stored
    touchline(c.lnptr);
    textbase[curptr()] = holdch;
    if (c.curcol == rightcol) ringbell();
}

// Refills the paragraph of the typed line so that its last word moves below the margin.
static void autowrap() {
    COREFILE& c = cur();
    LINE* typed = c.lnptr;
    allocln(OBJ_EMPTY, 0);  // the temporary line that ends the paragraph
    LINE* temporary = c.lnptr;
    c.lnptr = typed;
    c.curcol = 1;
    reformat();
    c.lnptr = temporary->up;
    c.curcol = c.lnptr->length;
    LINE* last = c.lnptr;
    c.lnptr = temporary;
    removeline();
    c.lnptr = last;
    if (outofreach(c.disln, c.lnptr, depth)) c.disln = c.lnptr;
    redisplay = 1;
}

void bldtxt() {
    COREFILE& c = cur();
    if (dectabflag == 1 && dtstate == 1) {
        decbldtxt();
        return;
    }
    xbldtxt();
    if (autowrapflag == 1 && c.curcol > rmargin && c.curcol == c.lnptr->length && holdch != ' ') {
        autowrap();
    }
    c.curcol += 1;
}

void swautowrap() { autowrapflag = param[1] ? 1 : 0; }
void decimaltab() { dectabflag = param[1] ? 1 : 0; }

// Types `count` characters from `chars` at the cursor through bldtxt; the caller has copied them
// out of the array, since typing may move the line.
static void retype(const unsigned char* chars, int count) {
    for (int i = 0; i < count; i++) {
        holdch = chars[i];
        bldtxt();
    }
}

void splitline() {
    COREFILE& c = cur();
    // The cut-off text must fit again; collecting may trim the line, so measure it after.
    if (!roomfor(linelen(c.lnptr) >= c.curcol ? linelen(c.lnptr) - c.curcol + 1 : 0)) return;
    LINE* l = c.lnptr;
    int len = linelen(l);
    int cut = len - c.curcol + 1;
    unsigned char* tail = nullptr;
    if (cut > 0) {
        touchline(l);
        tail = new unsigned char[static_cast<size_t>(cut)];
        memcpy(tail, textbase + curptr(), static_cast<size_t>(cut));
        // the cut-off characters leave the line (they are not kept for recovery)
        memset(textbase + curptr(), FREEPOS, static_cast<size_t>(cut));
        l->length -= cut;
        c.charcount -= cut;
    }
    allocln(OBJ_EMPTY, 0);
    c.curcol = 1;
    if (tail != nullptr) {
        retype(tail, cut);
        delete[] tail;
    }
    c.curcol = 1;
    c.edited = 1;
    redisplay = 1;
    mwd();
}

void joinline() {
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    LINE* below = l->down;
    if (below == c.header) return;
    // The joined line may have to move to the array's end with both texts.
    if (!roomfor(static_cast<long>(linelen(l)) + linelen(below))) return;
    c.lnptr = below;
    delstar();
    int count = linelen(below);
    bool wasempty = below->object == OBJ_EMPTY;
    unsigned char* chars = nullptr;
    if (count > 0) {
        chars = new unsigned char[static_cast<size_t>(count)];
        memcpy(chars, textbase + below->index, static_cast<size_t>(count));
    }
    removeline();  // frees its characters and the line count
    c.lnptr = l;
    if (wasempty) {
        redisplay = 1;
        delete[] chars;
        return;
    }
    detrline();
    c.curcol = l->length + 1;
    retype(chars, count);
    delete[] chars;
    c.edited = 1;
    redisplay = 1;
    mwd();
}

// The character of the line above in the cursor column, a blank when that line is shorter.
static unsigned char charabove() {
    const COREFILE& c = cur();
    const LINE* above = c.lnptr->up;
    if (c.curcol > linelen(above)) return ' ';
    return textbase[above->index + c.curcol - 1];
}

void repchar() {
    COREFILE& c = cur();
    if (c.lnptr->up == c.header) return;
    holdch = charabove();
    bldtxt();
    redisplay = 4;
}

void repline() {
    COREFILE& c = cur();
    if (c.lnptr->up == c.header) return;
    int steps = linelen(c.lnptr->up) - c.curcol + 1;
    // A wrap may move the cursor to another line: copying stops there. Growing the line may
    // move it to the array's end, which the held line follows.
    heldline here(c.lnptr);
    for (int i = 0; i < steps && c.lnptr == here; i++) {
        holdch = charabove();
        bldtxt();
    }
    redisplay = 5;
}

// The most lines one key may add; a longer digit run would only exhaust the memory.
constexpr int MAXNEWLINES = 200000;

void manynulines() {
    int n = gnum();
    if (n <= 0) n = 1;
    if (n > MAXNEWLINES) n = MAXNEWLINES;
    int perline = (cur().viewtype == 1 || cur().viewtype == 2) ? numfields : 0;
    COREFILE& c = cur();
    LINE* here = c.lnptr;
    int savedcol = c.curcol;
    for (int i = 0; i < n; i++) {
        if (full || inadequate(1, perline)) {
            garbage();
            if (full || inadequate(1, perline)) break;
        }
        c.lnptr = here;
        allocln(OBJ_EMPTY, 0);
        makeobject();
        if (reserve == nullptr) {
            garbage();
            if (full) break;
        }
    }
    c.lnptr = here;
    c.curcol = savedcol;
    redisplay = 6;
}

void flipchar() {
    COREFILE& c = cur();
    if (c.curcol > linelen(c.lnptr)) return;
    long p = curptr();
    unsigned char old = textbase[p];
    touchline(c.lnptr);
    textbase[p] = flip[old];
    if (old < 128) c.curcol += 1;
    redisplay = 5;
}

// Line drawing.

void ldenter() {
    COREFILE& c = cur();
    c.viewtype = 3;
    cureditmask = editmask[3];
    lddel = 0;
}

void ldexit() {
    COREFILE& c = cur();
    c.viewtype = 0;
    cureditmask = editmask[0];
}

void lddelin() { lddel = 1; }
void lddelout() { lddel = 0; }

static int stubsof(unsigned char ch) {
    if (ch >= 15 && ch <= 30 && ch != 19) return stubs[ch - 15];
    return 0;
}

// Adds (drawing) or takes away (erasing) the stub `d` at the cursor's cell.
static void ldmod(int d) {
    COREFILE& c = cur();
    if (!textline(c.lnptr)) return;
    extline();
    if (c.lnptr->length < c.curcol) return;
    long p = curptr();
    int bits = stubsof(textbase[p]);
    bits = lddel ? (bits & ~d) : (bits | d);
    touchline(c.lnptr);
    textbase[p] = asc[bits & 15];
}

void ldright() {
    if (full) return;
    COREFILE& c = cur();
    ldmod(4);
    c.curcol += 1;
    ldmod(1);
    redisplay = 5;
    c.edited = 1;
}

void ldleft() {
    if (full) return;
    COREFILE& c = cur();
    if (c.curcol <= 1) return;
    ldmod(1);
    c.curcol -= 1;
    ldmod(4);
    redisplay = 5;
    c.edited = 1;
}

// Draws or erases down or up: a stub out of this cell, the line step (which adds a line at
// either end of the text), a stub into the new cell; then the two rows are redrawn, or the
// window when the step scrolled it.
static void ldvertical(bool down) {
    if (full) return;
    COREFILE& c = cur();
    ldmod(down ? 2 : 8);
    redisplay = 0;
    if (down) {
        downline();
    } else {
        upline();
    }
    ldmod(down ? 8 : 2);
    redisplay = (redisplay == 0 || redisplay == 5) ? (down ? 20 : 21) : 1;
    c.edited = 1;
}

void lddown() { ldvertical(true); }
void ldup() { ldvertical(false); }

}  // namespace zek

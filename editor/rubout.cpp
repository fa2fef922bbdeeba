// Rubout and deletion, the 80-character recover ring and the operations that type it back.
#include "editor/rubout.h"

#include <cstring>

#include "editor/build.h"
#include "editor/corutils.h"
#include "editor/ecap.h"
#include "editor/editor.h"
#include "editor/linutils.h"
#include "editor/scrin.h"

namespace zek {

char delbuf[DELBUFSIZE];
int delptr = 0;

void initrubout() {
    memset(delbuf, ' ', sizeof delbuf);
    delptr = 0;
}

void savechar(int c) {
    if (c == '|' && cur().lnptr->object == OBJ_RECORD) return;
    delbuf[delptr] = static_cast<char>(c);
    delptr = (delptr + 1) % DELBUFSIZE;
}

static unsigned char at(int col) { return textbase[cur().lnptr->index + col - 1]; }

void rubtxt() {
    detrline();
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    int len = linechars(l);
    if (len > 0 || c.curcol != 1) {
        if (c.curcol >= len + 2) {
            c.curcol -= 1;
        } else if (c.curcol == len + 1) {
            c.curcol -= 1;
            cremove(1);
        } else {
            cremove(1);
        }
        redisplay = 5;
        return;
    }
    if (l->down == c.header) return;  // the last line stays
    removeline();  // the cursor and, if needed, the window top move to the next line
    redisplay = 6;
}

void rubrec() {
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    if (l->object == OBJ_EMPTY) return;
    findfield();
    char kind = fieldnum <= MAXFIELDS ? ftype[fieldnum] : 'c';
    bool onbar = c.curcol <= linechars(l) && at(c.curcol) == '|';
    if (onbar || kind == 'g' || c.curcol > linechars(l)) {
        if (c.curcol >= 2) c.curcol -= 1;
        return;
    }
    cremove(1);
    redisplay = 7;
}

void rubfield() {
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    if (l->object == OBJ_EMPTY) return;
    findfield();
    if (fieldnum <= MAXFIELDS && ftype[fieldnum] == 'g') return;
    c.curcol = static_cast<int>(recptr - l->index) + 1;
    savechar('\\');
    erasefield();
    redisplay = 7;
}

void copyfield() {
    LINE* l = cur().lnptr;
    if (l->object == OBJ_EMPTY) return;
    findfield();
    savechar('\\');
    long end = l->index + linechars(l);
    for (long p = recptr; p < end && textbase[p] != '|'; p++) savechar(textbase[p]);
}

static bool letterat(int col) {
    const LINE* l = cur().lnptr;
    return col >= 1 && col <= linechars(l) && (charkind[at(col)] & CK_LETTER);
}

void delwordend() {
    detrline();
    COREFILE& c = cur();
    // Measured first and removed in one step: a word of a million letters costs one move.
    int end = c.curcol;
    while (letterat(end)) end++;
    while (end <= linechars(c.lnptr) && !letterat(end)) end++;
    cremove(end - c.curcol);
    redisplay = 5;
}

void delword() {
    COREFILE& c = cur();
    if (c.lnptr == c.header || c.curcol > linechars(c.lnptr) || !letterat(c.curcol)) return;
    while (letterat(c.curcol - 1)) c.curcol -= 1;
    savechar('\\');
    delwordend();
}

void deline() {
    COREFILE& c = cur();
    int len = linechars(c.lnptr);
    if (c.curcol > len) return;
    cremove(len - c.curcol + 1);
    redisplay = 6;
}

void copytxt() {
    COREFILE& c = cur();
    savechar(c.curcol <= linechars(c.lnptr) ? at(c.curcol) : ' ');
    c.curcol += 1;
}

static int takeback() {
    delptr = (delptr + DELBUFSIZE - 1) % DELBUFSIZE;
    return static_cast<unsigned char>(delbuf[delptr]);
}

// Types one character in insert mode at the cursor without moving the cursor.
static void insertkept(int ch, PROCPTR typer) {
    int saved = mode;
    mode = 2;
    holdch = static_cast<unsigned char>(ch);
    typer();
    mode = saved;
}

void rectxt() { insertkept(takeback(), xbldtxt); }

static void typerec() { xbldrec(); }
void recrec() { insertkept(takeback(), typerec); }

static void recoverword(PROCPTR typer) {
    if (memchr(delbuf, '\\', sizeof delbuf) == nullptr) return;
    for (int i = 0; i < DELBUFSIZE; i++) {
        int ch = takeback();
        if (ch == '\\') break;
        insertkept(ch, typer);
    }
}

void recword() { recoverword(xbldtxt); }
void recfield() { recoverword(typerec); }

void rubmath() {
    COREFILE& c = cur();
    if (c.curcol <= linechars(c.lnptr)) {
        cremove(1);
    } else if (c.curcol > 1) {
        c.curcol -= 1;
    }
    redisplay = 12;
}

}  // namespace zek

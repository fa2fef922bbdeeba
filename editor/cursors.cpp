// Cursor motion by character, line, field, record, page and word, and the window following it.
#include "editor/cursors.h"

#include "editor/build.h"
#include "editor/corutils.h"
#include "editor/display.h"
#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/tabs.h"
#include "editor/terminal_xq.h"
#include "editor/utilptr.h"

namespace zek {

int greenx = 0;
int greeny = 0;
int curtabnode = 0;

void initcursors() {
    greenx = greeny = 0;
    curtabnode = 0;
}

static bool structured(const LINE* l) { return l->object != OBJ_TEXT && l->object != OBJ_EMPTY; }

void fixcursor() {
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    int view = c.viewtype;
    if ((view == 1 || view == 2 || view == 7) && l->object == OBJ_RECORD && c.curcol > l->length) {
        c.curcol = l->length;
    }
    if (c.curcol < 1) c.curcol = 1;
    if (l->object == OBJ_MATH) {
        if (c.curcol == 1 && c.curflag == 2) c.curflag = 1;
        curtabnode = 0;  // no formula nodes are recognised
    }
}

void mwd() {
    COREFILE& c = cur();
    if (currentrow() > windowend && c.disln != c.header) {
        c.disln = c.disln->down;
        redisplay = 2;
    }
}

void curright() { cur().curcol += 1; }

void curleft() {
    COREFILE& c = cur();
    if (c.curcol >= 2) c.curcol -= 1;
}

void begline() { cur().curcol = 1; }

void endline() {
    detrline();
    COREFILE& c = cur();
    c.curcol = c.lnptr->length + 1;
}

// The common end of a line step: column, cursor kind and the graphics state.
static void arrived() {
    COREFILE& c = cur();
    if (structured(c.lnptr)) c.curcol = 1;
    c.curflag = 1;
    if (c.lnptr->object == OBJ_PICTURE) redisplay = 1;
}

void downline() {
    COREFILE& c = cur();
    if (c.lnptr->down == c.header) {
        allocln(OBJ_EMPTY, 0);
        makeobject();
        redisplay = 5;
        c.edited = 1;
    } else {
        c.lnptr = c.lnptr->down;
    }
    arrived();
    mwd();
}

void upline() {
    COREFILE& c = cur();
    if (c.lnptr->up == c.header) {
        c.lnptr = c.header;
        allocln(OBJ_EMPTY, 0);
        makeobject();
        c.edited = 1;
        c.disln = c.lnptr;
        redisplay = 3;
    } else {
        if (c.lnptr == c.disln) {
            c.disln = c.disln->up;
            redisplay = 3;
        }
        c.lnptr = c.lnptr->up;
    }
    arrived();
}

void downrec() {
    downline();
    int view = cur().viewtype;
    if (view == 2 || view == 6) redisplay = 1;
}

void uprec() {
    upline();
    int view = cur().viewtype;
    if (view == 2 || view == 6) redisplay = 1;
}

void downfield() {
    COREFILE& c = cur();
    const LINE* l = c.lnptr;
    if (l->object == OBJ_EMPTY || l->object == OBJ_PICTURE) return;
    // the next bar before the record's last character
    for (int col = c.curcol; col < l->length; col++) {
        if (textbase[l->index + col - 1] == '|') {
            c.curcol = col + 1;
            return;
        }
    }
}

void upfield() {
    COREFILE& c = cur();
    const LINE* l = c.lnptr;
    if (c.curcol <= 1 || l->object == OBJ_EMPTY || l->object == OBJ_PICTURE) return;
    int col = c.curcol > l->length + 1 ? l->length + 1 : c.curcol;
    // back to the bar that ends the previous field (or the record's start)
    col -= 1;
    while (col >= 1 && textbase[l->index + col - 1] != '|') col--;
    if (col < 1) {
        c.curcol = 1;
        return;
    }
    // then back to the bar before that field
    col -= 1;
    while (col >= 1 && textbase[l->index + col - 1] != '|') col--;
    c.curcol = col < 1 ? 1 : col + 1;
}

void retrn() {
    if (crinsert == 0 && mode == 2) {
        insline();
    } else if (crinsert == 2) {
        if (currentrow() == windowend) {
            downpage();
        } else {
            downline();
        }
    } else {
        downline();
    }
    COREFILE& c = cur();
    c.curcol = structured(c.lnptr) ? 1 : lmargin;
}

// Moves the window a page (depth lines) down or up, never onto the header; the cursor line
// becomes the top line.
static void pagestep(bool down) {
    COREFILE& c = cur();
    for (int i = 0; i < depth; i++) {
        LINE* next = down ? c.disln->down : c.disln->up;
        if (next == c.header) break;
        c.disln = next;
    }
    c.lnptr = c.disln;
    redisplay = 1;
}

void downpage() { pagestep(true); }
void up_page() { pagestep(false); }

void gotobottom() {
    COREFILE& c = cur();
    LINE* l = c.header;
    for (int i = 0; i < depth && l->up != c.header; i++) l = l->up;
    if (l == c.header) l = c.header->down;
    c.lnptr = c.disln = l;
    c.curcol = 1;
    redisplay = 1;
}

void xnextword() {
    setptr();
    while (!(peepkind() & CK_SEPARATOR)) nextc();
    while (!(peepkind() & CK_LETTER)) nextc();
    setcur();
}

void xprevword() {
    setptr();
    if (ptrend()) return;
    // back over the rest of this word, the gap before it, and the previous word
    while (!ptrend() && !(peepkind() & CK_SEPARATOR)) prevc();
    while (!ptrend() && !(peepkind() & CK_LETTER)) prevc();
    while (!ptrend() && !(peepkind() & CK_SEPARATOR)) prevc();
    if (ptrend()) {
        COREFILE& c = cur();
        c.lnptr = c.header->down;
        c.curcol = 1;
        if (c.disln != c.lnptr) {
            c.disln = c.lnptr;
            redisplay = 1;
        }
        setptr();
        if (!(peepkind() & CK_LETTER) || ptrend()) {
            while (!(peepkind() & CK_LETTER)) nextc();
            setcur();
        }
        return;
    }
    nextc();
    setcur();
}

void xnextnumx() {
    setptr();
    while (peepc() == ' ') nextc();
    while (!ptrend() && (peepkind() & CK_NUMBER)) nextc();
    nextc();
    setcur();
}

// The mathematics cursor. No formula nodes are recognised (the node tests report none), so
// the character cursor moves by single columns and the table-cell cursor by cells.
static int tablerows = 1;
static int tablecols = 1;

static int cursorbyte() {
    const COREFILE& c = cur();
    const LINE* l = c.lnptr;
    if (c.curcol > linechars(l)) return -1;
    return textbase[l->index + c.curcol - 1];
}

static void sizetable() {
    tableinfo t;
    bool table = zek::measuretable(t);
    tablerows = table ? t.numrows : 1;
    tablecols = table ? t.numcols : 1;
}

void greencur() {
    COREFILE& c = cur();
    if (c.curflag == 1 && cursorbyte() == 245) {
        c.curflag = 3;
        greenx = greeny = 0;
        sizetable();
    } else if (c.curflag == 3) {
        c.curflag = 1;
    }
    redisplay = 12;
}

void downm() {
    COREFILE& c = cur();
    if (c.curflag == 2) {
        c.curflag = 1;
    } else if (c.curflag == 3) {
        if (greeny < tablerows - 1) greeny++;
    } else if (cursorbyte() == 246) {
        c.curflag = 2;
        c.curcol += 1;
    }
    redisplay = 12;
}

void upm() {
    COREFILE& c = cur();
    if (c.curflag == 2 && c.curcol > 1) {
        c.curcol -= 1;
        c.curflag = 1;
    } else if (c.curflag == 3) {
        if (greeny > 0) greeny--;
    } else if (c.curflag == 1 && c.curcol > 1) {
        c.curcol -= 1;
        c.curflag = 2;
    }
    redisplay = 12;
}

void leftm() {
    COREFILE& c = cur();
    if (c.curflag == 2) {
        if (c.curcol > 1) c.curcol -= 1;
    } else if (c.curflag == 3) {
        if (greenx >= 1) greenx--;
    } else if (c.curcol > 1) {
        c.curcol -= 1;
    }
    redisplay = 12;
}

void rightm() {
    COREFILE& c = cur();
    if (c.curflag == 3) {
        if (greenx < tablecols - 1) greenx++;
    } else if (c.curcol <= c.lnptr->length || c.lnptr->object == OBJ_EMPTY) {
        if (c.curcol <= c.lnptr->length) c.curcol += 1;
    }
    redisplay = 12;
}

static void rowstep(int direction) {
    COREFILE& c = cur();
    if (c.curflag == 3) {
        if (direction > 0 && greeny < tablerows - 1) greeny++;
        if (direction < 0 && greeny > 0) greeny--;
    }
    redisplay = 12;
}

void downrow() { rowstep(1); }
void uprow() { rowstep(-1); }

}  // namespace zek

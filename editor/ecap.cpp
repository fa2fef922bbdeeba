// Typing into text, decimal tabs, automatic wrap, split and join, copy from above, flip and line drawing.
#include "editor/ecap.h"

#include "editor/corutils.h"
#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/scrin.h"
#include "editor/tabs.h"
#include "editor/termutils_xq.h"
#include "editor/terminal_xq.h"

namespace zek {

int autowrapflag = 0;
int dectabflag = 0;
int dtstate = 0;

void initecap() {
    autowrapflag = 0;
    dectabflag = 0;
    dtstate = 0;
}

void xbldtxt() {
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    if (c.curcol > l->length || mode != 2) {
        extline();
        redisplay = 4;
        l = c.lnptr;
        if (c.curcol == rmargin && l->length == c.curcol) ringbell();
    } else {
        if (!cadd(' ')) return;
        cinsert(1);
        redisplay = 5;
        if (c.lnptr->length == rmargin) ringbell();
    }
    l = c.lnptr;
    if (l->length < c.curcol) return;  // the array is exhausted: nothing can be stored
    textbase[curptr()] = holdch;
    if (c.curcol == rightcol) ringbell();
}

void bldtxt() {
    COREFILE& c = cur();
    xbldtxt();
    c.curcol += 1;
}

void swautowrap() { autowrapflag = param[1] ? 1 : 0; }
void decimaltab() { dectabflag = param[1] ? 1 : 0; }
void splitline() {}
void joinline() {}
void repchar() {}
void repline() {}
void manynulines() {}
void flipchar() {}
void ldenter() {}
void ldexit() {}
void lddelin() {}
void lddelout() {}
void ldleft() {}
void ldright() {}
void ldup() {}
void lddown() {}

}  // namespace zek

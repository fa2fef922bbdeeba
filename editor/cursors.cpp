// Cursor motion by character, line, field, record, page and word, and the window following it.
#include "editor/cursors.h"

#include "editor/corutils.h"
#include "editor/display.h"
#include "editor/terminal_xq.h"

namespace zek {

int greenx = 0;
int greeny = 0;
int curtabnode = 0;

void initcursors() {
    greenx = greeny = 0;
    curtabnode = 0;
}

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
    if (currentrow() > windowend) {
        c.disln = c.disln->down;
        redisplay = 2;
    }
}
void retrn() {}
void downline() {}
void upline() {}
void curleft() {}
void curright() {}
void downrec() {}
void uprec() {}
void downfield() {}
void upfield() {}
void up_page() {}
void downpage() {}
void leftm() {}
void rightm() {}
void downm() {}
void upm() {}
void downrow() {}
void uprow() {}
void greencur() {}
void begline() {}
void endline() {}
void xnextword() {}
void xprevword() {}
void xnextnumx() {}
void gotobottom() {}

}  // namespace zek

// The text pointer `lp`/`cp` and its steps; `dist` counts the lines moved since `setptr`.
#include "editor/utilptr.h"

#include "editor/linutils.h"
#include "editor/terminal_xq.h"

namespace zek {

LINE* lp = nullptr;
int cp = 1;
int dist = 0;

void setptr() {
    const COREFILE& c = cur();
    lp = c.lnptr;
    dist = 0;
    cp = c.curcol;
    if (lp != c.header && cp > lp->length + 1) cp = lp->length + 1;
}

int peepc() {
    if (lp == cur().header) return ENDCORE;
    if (cp > lp->length || lp->object == OBJ_PICTURE || lp->object == OBJ_EMPTY) return LINEEND;
    return static_cast<signed char>(textbase[lp->index + cp - 1]);
}

int peepkind() {
    if (ptrend()) return charkind[ENDCORE];
    int ch = peepc() & 255;
    return ch == ENDCORE ? 0 : charkind[ch];
}

void nextc() {
    if (lp == cur().header) return;
    if (cp > lp->length || lp->object == OBJ_EMPTY || lp->object == OBJ_PICTURE) {
        lp = lp->down;
        dist += 1;
        cp = 1;
    } else {
        cp += 1;
    }
}

void prevc() {
    if (lp == cur().header) return;
    if (cp <= 1) {
        lp = lp->up;
        dist -= 1;
        cp = (lp == cur().header) ? 1 : lp->length + 1;
    } else {
        cp -= 1;
    }
}

void setcur() {
    COREFILE& c = cur();
    if (lp == c.header) return;
    int row = distance(c.disln, c.lnptr) + dist;
    if (row < 0 || row >= depth || (c.viewtype == 2 && dist != 0)) {
        c.disln = lp;
        redisplay = 1;
    }
    c.lnptr = lp;
    c.curcol = cp;
}

}  // namespace zek

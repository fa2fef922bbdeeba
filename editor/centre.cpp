// Flush left, flush right, centre and align the current line between the margins.
#include "editor/centre.h"

#include <cstring>

#include "editor/corutils.h"
#include "editor/linutils.h"
#include "editor/scrin.h"
#include "editor/tabs.h"

namespace zek {

int lrcswitch = 0;
static unsigned char alignchar = 0;

// Moves the text of the current line `s` columns right (filling with blanks) or left.
void rightshift(int s) {
    COREFILE& c = cur();
    int len = c.lnptr->length;
    if (avail + s > hiaddr) return;  // no room for the shift
    for (int i = 0; i < s; i++) {
        if (!cadd(' ')) return;
    }
    LINE* l = c.lnptr;
    memmove(textbase + l->index + s, textbase + l->index, static_cast<size_t>(len));
    memset(textbase + l->index, ' ', static_cast<size_t>(s));
}

void leftshift(int s) {
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    int len = l->length;
    touchline(l);
    memmove(textbase + l->index, textbase + l->index + s, static_cast<size_t>(len - s));
    memset(textbase + l->index + len - s, FREEPOS, static_cast<size_t>(s));
    l->length -= s;
    c.charcount -= s;
}

void centre() {
    detrline();
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    if (l->object != OBJ_TEXT) return;
    int left = findnb();
    if (left == 0) return;  // a blank line stays as it is
    int right = l->length;
    int s = 0;
    switch (lrcswitch) {
        case 0: s = lmargin - left; break;
        case 1: {
            int twice = lmargin + rmargin - left - right;
            s = twice >= 0 ? twice / 2 : -((-twice + 1) / 2);
            break;
        }
        case 2: s = rmargin - right; break;
        default:
            for (int col = left; col <= right; col++) {
                if (textbase[l->index + col - 1] == alignchar) {
                    s = rmargin - col;
                    break;
                }
            }
            break;
    }
    if (s < 1 - left) s = 1 - left;
    if (s > 0) {
        int before = l->length;
        rightshift(s);
        if (c.lnptr->length == before) return;
    }
    if (s < 0) leftshift(-s);
    if (s != 0) redisplay = 5;
}

void flushleft() {
    lrcswitch = 0;
    centre();
}

void fcenter() {
    lrcswitch = 1;
    centre();
}

void flushright() {
    lrcswitch = 2;
    centre();
}

void falign() {
    glett();
    alignchar = holdch;
    lrcswitch = 3;
    centre();
}

}  // namespace zek

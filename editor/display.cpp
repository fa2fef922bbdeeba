// Turns the request left in `redisplay` into text-zone sequences for the current view.
#include "editor/display.h"

#include <cstdio>

#include "editor/build.h"
#include "editor/cursors.h"
#include "editor/editor.h"
#include "editor/float.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/tabs.h"
#include "editor/terminal_xq.h"

namespace zek {

long disrecptr = 0;

static bool editable() { return (curviewmask & cureditmask) != 0; }

int currentrow() {
    const COREFILE& c = cur();
    return windowtop + distance(c.disln, c.lnptr);
}

void display() {
    if (redisplay == 11) {
        putfloat();
        fperror = 0;
        redisplay = 0;
    } else if (redisplay == 19) {
        putbool();
        redisplay = 0;
    }
    curviewmask = viewmaskof(cur().lnptr->object);
    switch (cur().viewtype) {
        case 0:
        case 1:
        case 3:
        case 5: distxt(); break;
        case 2:
        case 7: disrec(); break;
        case 4: disgraph(); break;
        case 6: dismath(); break;
        default: redisplay = 0; break;
    }
}

void distxt() {
    COREFILE& c = cur();
    if (c.curcol <= pshift || c.curcol > rightcol) {
        // the first of swidth, swidth + shiftc, swidth + 2 shiftc, ... that reaches the cursor
        rightcol = swidth;
        if (c.curcol > swidth) rightcol += (c.curcol - swidth + shiftc - 1) / shiftc * shiftc;
        pshift = rightcol - swidth;
        redisplay = 8;
    }
    if (visible) {
        int row = currentrow();
        bool inwindow = row >= windowtop && row <= windowend;
        switch (redisplay) {
            case 1:
            case 2:
            case 3:
            case 10: wrtext(c.disln, windowtop); break;
            case 4: putch(holdch); break;
            case 5:
            case 7:
            case 9:
                if (inwindow) wrline(c.lnptr, row);
                break;
            case 6:
                if (inwindow) wrtext(c.lnptr, row);
                break;
            case 8:
                prtabs();
                wrtext(c.disln, windowtop);
                break;
            case 20:
                if (inwindow) wrline(c.lnptr, row);
                if (row + 1 >= windowtop && row + 1 <= windowend) wrline(c.lnptr->down, row + 1);
                break;
            case 21:
                if (inwindow) wrline(c.lnptr, row);
                if (row - 1 >= windowtop && row - 1 <= windowend) wrline(c.lnptr->up, row - 1);
                break;
            default: break;
        }
    }
    redisplay = 0;
}

void wrline(LINE* line, int row) {
    if (!drawingshown()) return;
    const COREFILE& c = cur();
    char left = pshift != 0 ? '-' : ' ';
    char right = left;
    int obj = line->object;
    if (obj != OBJ_TEXT && obj != OBJ_EMPTY) {
        if (obj == OBJ_RECORD) right = 'r';
        if (obj == OBJ_PICTURE) right = 'p';
        if (obj == OBJ_MATH) right = 'm';
        left = '\\';
    }
    bool haschars = obj != OBJ_PICTURE && obj != OBJ_EMPTY && line != c.header;
    int count = haschars ? line->length - pshift : 0;
    if (count < 0) count = 0;
    if (count > swidth) {
        count = swidth;
        if (obj == OBJ_TEXT) right = '+';
    }
    if (line == c.starA || line == c.starB) left = '*';
    composer().str("$TF").num(row).ch(',').ch(left).ch(right).send();
    if (redisplay >= 9 && redisplay <= 19) return;
    if (count > 0) {
        putstg(line->index + pshift, count, row);
    } else {
        composer().str("$TL").num(row).send();
    }
}

void wrtext(LINE* line, int row) {
    const COREFILE& c = cur();
    for (int r = row; r <= windowend; r++) {
        wrline(line, r);
        if (line != c.header) line = line->down;
    }
}

void disrec() {
    curviewmask = viewmaskof(cur().lnptr->object);
    if (visible) {
        switch (redisplay) {
            case 1:
            case 2:
            case 3:
            case 5:
            case 6: wrecord(); break;
            case 4: putch(holdch); break;
            case 7: wfield(); break;
            case 9:
            case 10: wflag(); break;
            default: break;
        }
    }
    redisplay = 0;
}

void wrecord() {
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    bool canedit = editable();
    if (canedit) {
        xqtransmit("$TL2");
        wflag();
    } else {
        wrline(l, 2);
    }
    long start = l->index;
    long end = start + linechars(l);
    disrecptr = start;
    fieldnum = 1;
    // A line that is not editable leaves disrecptr where it is: its outline has numfields
    // empty fields, and an empty line none.
    while (disrecptr < end && fieldnum <= MAXFIELDS) {
        disfield();
        fieldnum += 1;
        if (!canedit && fieldnum > numfields) break;
    }
}

void disfield() {
    const LINE* l = cur().lnptr;
    int f = fieldnum >= 1 && fieldnum <= MAXFIELDS ? fieldnum : MAXFIELDS;
    int n = snprintf(xqmsg, sizeof xqmsg, "$TR%d,%d,%d,", frow[f], fcol[f], maxfieldlen[f]);
    if (editable()) {
        long end = l->index + l->length;
        int room = static_cast<int>(sizeof xqmsg) - n - 1;
        int k = 0;
        while (disrecptr < end && textbase[disrecptr] != '|') {
            if (k < room) xqmsg[n + k++] = static_cast<char>(outtran[textbase[disrecptr]]);
            disrecptr++;
        }
        if (disrecptr < end) disrecptr++;  // past the bar
        xqmsg[n + k] = 0;
    }
    xqtransmit(xqmsg);
}

void wfield() {
    findfield();
    disrecptr = recptr;
    disfield();
}

void wflag() {
    const COREFILE& c = cur();
    char star = (c.lnptr == c.starA || c.lnptr == c.starB) ? '*' : ' ';
    char edit = editable() ? ' ' : 'I';
    snprintf(xqmsg, sizeof xqmsg, "$Tf%c%c", star, edit);
    xqtransmit(xqmsg);
}

void disgraph() {
    COREFILE& c = cur();
    if (c.lnptr->object == OBJ_PICTURE) {
        if (visible && (redisplay == 1 || redisplay == 9)) wflag();
    } else if (visible) {
        wrline(c.lnptr, 2);
    }
    redisplay = 0;
}

void dismath() {
    COREFILE& c = cur();
    if (visible) {
        switch (redisplay) {
            case 1:
            case 2:
            case 3:
            case 6:
                if (editable()) {
                    wflag();
                } else {
                    wrline(c.lnptr, 2);
                }
                break;
            case 9:
            case 10: wflag(); break;
            default: break;
        }
    }
    redisplay = 0;
}

void discur() {
    const COREFILE& c = cur();
    curviewmask = viewmaskof(c.lnptr->object);
    bool canedit = editable();
    switch (c.viewtype) {
        case 2:
        case 7:
            if (canedit) {
                findfield();
                long cursor = c.lnptr->index + c.curcol - 1;
                postcur(fcol[fieldnum <= MAXFIELDS ? fieldnum : MAXFIELDS] + static_cast<int>(cursor - recptr),
                        frow[fieldnum <= MAXFIELDS ? fieldnum : MAXFIELDS]);
            } else {
                postcur(1, 2);
            }
            return;
        case 4:
        case 6:
            if (!canedit) postcur(1, 2);
            return;
        case 5: {
            char text[48];
            if (c.curflag == 3) {
                snprintf(text, sizeof text, "GREEN %d %d", greeny, greenx);
            } else {
                snprintf(text, sizeof text, "%s", c.curflag == 2 ? "BLUE" : "RED");
            }
            putstring(text, 'M');
            break;
        }
        default: break;
    }
    // the row is counted from the window's top line: only where the cursor is drawn
    if (drawingshown()) postcur(canedit ? c.curcol - pshift + 1 : 1, currentrow());
}

void shift() {
    int n = param[1];
    if (n >= 70) {
        diserr("Overlap must be less than 70");
        del = 2;
        return;
    }
    if (n <= 0) n = 1;
    overlap = n;
    shiftc = swidth - overlap;
    if (shiftc < 1) shiftc = 1;
    rightcol = swidth;
    pshift = 0;
    redisplay = 1;
}

}  // namespace zek

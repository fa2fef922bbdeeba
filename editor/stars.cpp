// Starred blocks: marking lines, deleting a block to corefile 0, recovering it, copying it and
// moving whole corefiles. Moves relink line headers; only the copy duplicates characters.
#include "editor/stars.h"

#include <unistd.h>

#include <cstring>
#include <vector>

#include "editor/build.h"
#include "editor/corutils.h"
#include "editor/graphics.h"
#include "editor/linutils.h"
#include "editor/scrout.h"

namespace zek {

LINE* first = nullptr;
LINE* last = nullptr;
int lines_ = 0;
long charcount = 0;
int b_curline = 0;
int b_disln = 0;
int b_star = 0;

void clrstars() {
    COREFILE& c = cur();
    c.starA = c.starB = nullptr;
    c.starcount = 0;
    c.nextstar = 'A';
}

int delstar() {
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    int removed = 0;
    if (l != nullptr && c.starA == l) {
        c.starA = nullptr;
        c.nextstar = 'A';
        c.starcount -= 1;
        removed = 1;
    }
    if (l != nullptr && c.starB == l) {
        c.starB = nullptr;
        c.nextstar = 'B';
        c.starcount -= 1;
        removed = 1;
    }
    if (removed) redisplay = 9;
    return removed;
}

void makestars() {
    COREFILE& c = cur();
    if (delstar()) return;
    if (c.starcount < 2) c.starcount += 1;
    if (c.nextstar == 'A') {
        c.starA = c.lnptr;
        c.nextstar = 'B';
    } else {
        c.starB = c.lnptr;
        c.nextstar = 'A';
    }
    redisplay = 10;
}

void locatestars() {
    const COREFILE& c = cur();
    if (c.starA == nullptr || c.starB == nullptr) {
        first = last = c.starA != nullptr ? c.starA : c.starB;
        return;
    }
    // Outward from mark A, one line up and one down in step, until one walk meets mark B.
    LINE* up = c.starA;
    LINE* down = c.starA;
    bool babove = false;
    for (;;) {
        if (up != c.header) up = up->up;
        if (down != c.header) down = down->down;
        if (up == c.starB) {
            babove = true;
            break;
        }
        if (down == c.starB) break;
        if (down == c.header) {
            babove = true;  // B is not below A: it lies above
            break;
        }
        if (up == c.header) break;  // B is not above A
    }
    if (babove) {
        first = c.starB;
        last = c.starA;
    } else {
        first = c.starA;
        last = c.starB;
    }
}

void findinfo() {
    const COREFILE& c = cur();
    lines_ = 0;
    charcount = 0;
    b_curline = b_disln = b_star = 0;
    for (LINE* l = first;; l = l->down) {
        lines_++;
        charcount += linechars(l);
        if (l == c.lnptr) b_curline = 1;
        if (l == c.disln) b_disln = 1;
        if (l == c.starA || l == c.starB) b_star = 1;
        if (l == last || l->down == c.header) break;
    }
}

void detach() { unlinkrun(corenum, first, last, lines_, charcount); }

void attach() { linkrun(corenum, cur().lnptr, first, last, lines_, charcount); }

// The block that arrived in the current corefile stays starred: A on its last line, B on its
// first.
static void starblock() {
    COREFILE& c = cur();
    c.starA = last;
    c.starB = first == last ? nullptr : first;
    c.starcount = first == last ? 1 : 2;
    c.nextstar = 'B';
}

// A corefile left without lines gets one empty line of its view's kind.
static void refill() {
    COREFILE& c = cur();
    c.lnptr = c.header;
    allocln(OBJ_EMPTY, 0);
    makeobject();
    c.disln = c.lnptr;
    c.curcol = 1;
}

void moveblock(int source, int dest) {
    int saved = corenum;
    corenum = source;
    COREFILE& s = cur();
    if (s.starcount == 0 || (s.starA == nullptr && s.starB == nullptr)) {
        corenum = saved;
        diserr("no stars set in source corefile!");
        return;
    }
    locatestars();
    findinfo();
    LINE* before = first->up;
    LINE* after = last->down;
    detach();
    if (s.lncount == 0) {
        refill();
    } else {
        LINE* replacement = before != s.header ? before : after;
        if (b_disln) s.disln = replacement;
        if (b_curline) s.lnptr = replacement;
    }
    clrstars();
    corenum = dest;
    attach();
    starblock();
    redisplay = 1;
    corenum = saved;
}

void delete_() { moveblock(corenum, 0); }
void recover() { moveblock(0, corenum); }

// Copies the lines first..last into corefile 0 after its current line; false, with nothing
// changed, when the store cannot hold them.
static bool copyblock() {
    if (inadequate(lines_, charcount)) return false;
    std::vector<LINE*> source;
    for (LINE* l = first;; l = l->down) {
        source.push_back(l);
        if (l == last) break;
    }
    int saved = corenum;
    corenum = 0;
    LINE* copyfirst = nullptr;
    for (LINE* l : source) {
        int length = linechars(l);
        if (l->object == OBJ_PICTURE) {
            allocln(OBJ_PICTURE, 0);
            copypic(l, cur().lnptr);
        } else if (length == 0) {
            allocln(OBJ_EMPTY, 0);
        } else {
            memmove(textbase + avail, textbase + l->index, static_cast<size_t>(length));
            allocln(l->object, length);
            linkphys();
        }
        if (copyfirst == nullptr) copyfirst = cur().lnptr;
    }
    first = copyfirst;
    last = cur().lnptr;
    starblock();
    cur().lnptr = first->up;  // corefile 0's current line stays where the copy was put
    corenum = saved;
    return true;
}

void copyop() {
    COREFILE& c = cur();
    if (c.starcount == 0 || (c.starA == nullptr && c.starB == nullptr)) {
        diserr("no stars set in source corefile!");
        return;
    }
    detrfile();
    locatestars();
    findinfo();
    if (!copyblock()) {
        if (!full) garbage();
        locatestars();
        findinfo();
        if (full || !copyblock()) {
            diserr("inadequate free space for block copy");
            return;
        }
    }
    if (corenum != 0) {
        clrstars();
        redisplay = 10;
    } else {
        redisplay = 1;
    }
}

void gnr_moveblock() {
    COREFILE& c = cur();
    if (corenum == 8) return;  // the corefile would receive itself
    first = c.header->down;
    last = c.header->up;
    lines_ = c.lncount;
    charcount = c.charcount;
    detach();
    refill();
    clrstars();
    int saved = corenum;
    corenum = 8;
    COREFILE& d = cur();
    LINE* keep = d.lnptr;
    d.lnptr = d.header->up;
    attach();
    d.lnptr = keep;
    corenum = saved;
    redisplay = 1;
}

void gnr_sleep() { sleep(3); }

}  // namespace zek

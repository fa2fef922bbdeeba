// Rectangles: the part of the starred lines between two marked columns. One rectangle is
// stored for the whole program; every operation that adds text checks the space first, so it
// either completes or leaves the text as it was.
#include "editor/cstars.h"

#include <cstring>
#include <vector>

#include "editor/corutils.h"
#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/stars.h"
#include "editor/tabs.h"
#include "editor/terminal_xq.h"

namespace zek {

std::vector<char> rptr;  // rrows x rcols characters, row by row; empty when nothing is stored
int rrows = 0;
int rcols = 0;
int cfirst = 0;
int clast = 0;

void initcstars() {
    rptr.clear();
    rrows = rcols = 0;
}

void clrcstars() {
    COREFILE& c = cur();
    c.cstarA = c.cstarB = 0;
    c.cstarcount = 0;
    c.cnextstar = 'A';
}

void makecstars() {
    COREFILE& c = cur();
    int col = c.curcol;
    if (c.cstarA == col || c.cstarB == col) {
        if (c.cstarA == col) {
            c.cstarA = 0;
            c.cnextstar = 'A';
        } else {
            c.cstarB = 0;
            c.cnextstar = 'B';
        }
        c.cstarcount -= 1;
    } else {
        if (c.cstarcount < 2) c.cstarcount += 1;
        if (c.cnextstar == 'A') {
            c.cstarA = col;
            c.cnextstar = 'B';
        } else {
            c.cstarB = col;
            c.cnextstar = 'A';
        }
    }
    prtabs();
}

void clearallstars() {
    clrstars();
    clrcstars();
    prtabs();
    mode = 1;
    prmptpar(mode);
    redisplay = 10;
}

static bool haslines() {
    const COREFILE& c = cur();
    return c.starA != nullptr || c.starB != nullptr;
}

// The rectangle's rows (the starred block) and columns; false with the message when the
// corefile lacks a line or a column mark.
static bool rectangle() {
    const COREFILE& c = cur();
    if (!haslines() || (c.cstarA == 0 && c.cstarB == 0)) {
        diserr("No rectangle defined");
        return false;
    }
    locatestars();
    findinfo();
    if (c.cstarA == 0 || c.cstarB == 0) {
        cfirst = clast = c.cstarA != 0 ? c.cstarA : c.cstarB;
    } else {
        cfirst = c.cstarA < c.cstarB ? c.cstarA : c.cstarB;
        clast = c.cstarA < c.cstarB ? c.cstarB : c.cstarA;
    }
    return true;
}

// The lines of the starred block, in order.
static std::vector<LINE*> blocklines() {
    std::vector<LINE*> out;
    for (LINE* l = first;; l = l->down) {
        out.push_back(l);
        if (l == last || l->down == cur().header) break;
    }
    return out;
}

static bool xcopyrect() {
    rptr.clear();
    rrows = rcols = 0;
    long size = static_cast<long>(lines_) * (clast - cfirst + 1);
    if (size > hiaddr) {
        diserr("Inadequate memory for stored rectangle");
        return false;
    }
    rcols = clast - cfirst + 1;
    rrows = lines_;
    rptr.assign(static_cast<size_t>(size), ' ');
    int row = 0;
    for (LINE* l : blocklines()) {
        int n = linechars(l);
        for (int col = cfirst; col <= clast && col <= n; col++) {
            rptr[static_cast<size_t>(row) * rcols + (col - cfirst)] = static_cast<char>(textbase[l->index + col - 1]);
        }
        row++;
    }
    return true;
}

// Runs `work` with the current line and column set to each of `targets`, the cursor put back
// afterwards (its line held, since growing a line may move it).
template <typename Work>
static void oneach(const std::vector<LINE*>& targets, int col, Work work) {
    COREFILE& c = cur();
    heldline line(c.lnptr);
    heldline top(c.disln);
    int column = c.curcol;
    for (LINE* l : targets) {
        heldline target(l);
        c.lnptr = target;
        c.curcol = col;
        work(c);
    }
    c.lnptr = line;
    c.disln = top;
    c.curcol = column;
}

static void xcloserect() {
    oneach(blocklines(), cfirst, [](COREFILE& c) {
        int n = linechars(c.lnptr);
        if (n < cfirst) return;
        cremove((clast < n ? clast : n) - cfirst + 1);
    });
}

static void clearsrect() {
    for (LINE* l : blocklines()) {
        int n = linechars(l);
        if (n >= cfirst) touchline(l);
        for (int col = cfirst; col <= clast && col <= n; col++) textbase[l->index + col - 1] = ' ';
    }
}

// Whether `characters` more (and `count` headers) fit, collecting first if need be; shows the
// message when they do not.
static bool space(int count, long characters) {
    if (!inadequate(count, characters)) return true;
    garbage();
    if (!inadequate(count, characters)) return true;
    diserr("Inadequate space for this operation");
    return false;
}

// The `count` lines from the current line down, adding empty lines at the end of the text.
static std::vector<LINE*> rowsfromcursor(int count) {
    COREFILE& c = cur();
    std::vector<LINE*> out;
    heldline keep(c.lnptr);
    LINE* l = c.lnptr;
    for (int i = 0; i < count; i++) {
        if (l == c.header) {
            c.lnptr = c.header->up;
            allocln(OBJ_EMPTY, 0);
            c.edited = 1;
            l = c.lnptr;
        }
        out.push_back(l);
        l = l->down;
    }
    c.lnptr = keep;
    return out;
}

// The room a change needs when every line it touches has to move to the end of the array.
static long worstcase(const std::vector<LINE*>& targets, int reach, int added) {
    long need = 0;
    for (const LINE* l : targets) {
        int n = linechars(l);
        need += (n > reach ? n : reach) + added;
    }
    return need;
}

// Pads the current line with blanks up to column `col` - 1.
static void padto(int col) {
    COREFILE& c = cur();
    while (linechars(c.lnptr) < col - 1) {
        if (!cadd(' ')) return;
    }
}

static void xrestorerect(const std::vector<LINE*>& targets, int col) {
    for (size_t row = 0; row < targets.size() && static_cast<int>(row) < rrows; row++) {
        LINE* l = targets[row];
        touchline(l);
        memcpy(textbase + l->index + col - 1, rptr.data() + row * static_cast<size_t>(rcols), static_cast<size_t>(rcols));
    }
}

// The lines from the cursor line down that already exist, at most the rectangle's rows.
static std::vector<LINE*> existingrows(COREFILE& c) {
    std::vector<LINE*> rows;
    for (LINE* l = c.lnptr; l != c.header && static_cast<int>(rows.size()) < rrows; l = l->down) rows.push_back(l);
    return rows;
}

// Opens a gap of the stored rectangle's width at the cursor column in `rrows` lines, then puts
// the store there.
static bool xinsertrect() {
    COREFILE& c = cur();
    int col = c.curcol;
    // Count the lines the gap needs before adding any, so that a refusal leaves none behind.
    std::vector<LINE*> known = existingrows(c);
    int existing = static_cast<int>(known.size());
    long need = worstcase(known, col - 1, rcols) + static_cast<long>(rrows - existing) * (col - 1 + rcols);
    if (!space(rrows, need)) return false;
    std::vector<LINE*> targets = rowsfromcursor(rrows);
    oneach(targets, col, [col](COREFILE& cf) {
        padto(col);
        for (int i = 0; i < rcols; i++) cadd(' ');
        cf.curcol = col;
        cinsert(rcols);
    });
    // The lines may have moved while they grew: find them again from the cursor.
    xrestorerect(existingrows(c), col);
    c.edited = 1;
    return true;
}

static bool rectangledefined() {
    if (rrows > 0 && rcols > 0 && !rptr.empty()) return true;
    diserr("No rectangle stored");
    return false;
}

void deleterect() {
    if (!rectangle() || !xcopyrect()) return;
    xcloserect();
    cur().edited = 1;
    redisplay = 1;
}

void insertrect() {
    if (!rectangledefined() || !xinsertrect()) return;
    redisplay = 1;
}

void copyrect() {
    if (!rectangle() || !xcopyrect() || !xinsertrect()) return;
    redisplay = 1;
}

void cpclrrect() {
    if (!rectangle() || !xcopyrect()) return;
    clearsrect();
    cur().edited = 1;
    redisplay = 1;
}

static bool xoverwrect() {
    COREFILE& c = cur();
    int col = c.curcol;
    std::vector<LINE*> known = existingrows(c);
    int existing = static_cast<int>(known.size());
    long reach = col + rcols - 1;
    long need = worstcase(known, static_cast<int>(reach), 0) + static_cast<long>(rrows - existing) * reach;
    if (!space(rrows, need)) return false;
    std::vector<LINE*> targets = rowsfromcursor(rrows);
    oneach(targets, col, [col](COREFILE&) { padto(col + rcols); });
    xrestorerect(existingrows(c), col);
    c.edited = 1;
    return true;
}

void overwrect() {
    if (!rectangledefined() || !xoverwrect()) return;
    redisplay = 1;
}

void cpclrovrect() {
    if (!rectangle() || !xcopyrect()) return;
    clearsrect();
    if (!xoverwrect()) return;
    redisplay = 1;
}

void insertcols() {
    COREFILE& c = cur();
    int n = gnum();
    if (n <= 0) n = 1;
    if (!haslines()) {
        diserr("No starred lines defined");
        return;
    }
    locatestars();
    findinfo();
    std::vector<LINE*> targets = blocklines();
    if (!space(lines_, worstcase(targets, 0, n))) return;
    int col = c.curcol;
    oneach(targets, col, [col, n](COREFILE& cf) {
        detrline();
        if (linechars(cf.lnptr) < col) return;
        for (int i = 0; i < n; i++) cadd(' ');
        cf.curcol = col;
        cinsert(n);
        memset(textbase + curptr(), ' ', static_cast<size_t>(n));
    });
    c.edited = 1;
    redisplay = 1;
}

}  // namespace zek

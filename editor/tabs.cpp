// Margins, tab stops, the tab test used everywhere, and the ruler sent as "$mt".
#include "editor/tabs.h"

#include <cstring>
#include <initializer_list>

#include "editor/corutils.h"
#include "editor/ecap.h"
#include "editor/getparam.h"
#include "editor/terminal_xq.h"

namespace zek {

int lmargin = 1;
int rmargin = 72;
char tabs[TABCOLS];

void inittabs() {
    lmargin = 1;
    rmargin = 72;
    memset(tabs, 0, sizeof tabs);
    for (int c = 1; c <= 137; c += 8) tabs[c] = 1;
}

int tabcol(int c) {
    if (c < lmargin) return 0;
    if (c == lmargin || c >= rmargin) return 1;
    if (c > 144) return c % 8 == 0 ? 1 : 0;
    return tabs[c];
}

void tabcur() {
    COREFILE& c = cur();
    c.curcol += 1;
    if (c.curcol < lmargin) c.curcol = lmargin;  // no tab column lies left of the margin
    while (!tabcol(c.curcol)) c.curcol += 1;
    dtstate = 1;
}

void tabset() {
    int col = cur().curcol;
    if (lmargin < col && col < rmargin && col <= 144) {
        tabs[col] = tabs[col] ? 0 : 1;
        prtabs();
    }
}

void settabs() {
    int n = param[1];
    if (n >= 144) return;
    if (n <= 0) {
        memset(tabs, 0, sizeof tabs);
    } else {
        for (int c = 1; c < TABCOLS; c += n) tabs[c] = 1;
    }
    prtabs();
}

void marginchk() {
    if (param[1] != 0) lmargin = param[1];
    if (param[2] != 0) rmargin = param[2];
    if (rmargin < lmargin) rmargin = lmargin;
}

void marleft() {
    int col = cur().curcol;
    if (col <= rmargin && col != lmargin) {
        lmargin = col;
        prtabs();
    }
}

void maright() {
    int col = cur().curcol;
    if (col >= lmargin && col != rmargin) {
        rmargin = col;
        prtabs();
    }
}

void prtabs() {
    char ruler[MAXCOLS + 8];
    int n = 0;
    for (int col = pshift + 1; col <= rightcol && n < MAXCOLS; col++) {
        char ch = (tabcol(col) && col < rmargin) ? '!' : '.';
        if (col == lmargin) ch = '<';
        if (col == rmargin) ch = (rmargin == lmargin) ? '+' : '>';
        ruler[n++] = ch;
    }
    ruler[n] = 0;
    const COREFILE& c = cur();
    for (int mark : {c.cstarA, c.cstarB}) {
        if (mark > pshift && mark <= rightcol && mark - pshift - 1 < n) ruler[mark - pshift - 1] = '*';
    }
    putstring(ruler, 't');
}

}  // namespace zek

// The editor loop: one key at a time through edittable, with the repeat limit, the store-full
// refusal and the view check, then the common follow-up of every operation.
#include "editor/editor.h"

#include <cstdio>

#include "editor/build.h"
#include "editor/centre.h"
#include "editor/check.h"
#include "editor/compute.h"
#include "editor/cstars.h"
#include "editor/cursors.h"
#include "editor/display.h"
#include "editor/ecap.h"
#include "editor/getparam.h"
#include "editor/graphics.h"
#include "editor/journal.h"
#include "editor/merger.h"
#include "editor/prcmnd.h"
#include "editor/reformat.h"
#include "editor/rubout.h"
#include "editor/scan.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/stars.h"
#include "editor/tabs.h"
#include "editor/terminal_xq.h"
#include "editor/view.h"
#include "genra/uninstall.h"

#ifndef ZEK_BUILD_DATE
#define ZEK_BUILD_DATE "Jan 01 2026"
#endif
#ifndef ZEK_BUILD_TIME
#define ZEK_BUILD_TIME "00:00:00"
#endif

namespace zek {

int editmask[8];
int cureditmask = 1;
// Views that edit each line kind: text and empty lines in 0, 3, 5, 6; records in 1, 2, 7;
// pictures in 4; mathematics in 5, 6; kinds 4 and 6 in none.
const int viewmask[7] = {105, 134, 16, 96, 0, 105, 0};
int curviewmask = 0;
int curopmask = 0;
int repflag = 1;
int overflg = 0;
int mode = 1;
int crinsert = 1;
int fetchstyle = 1;
int octflag = 0;
int lfonly = 1;

int viewmaskof(int object) { return (object >= 0 && object <= 6) ? viewmask[object] : 0; }

void noop() {}

namespace {

constexpr int L = SE_LINE, E = SE_EDITED, F = SE_FULL;
constexpr int ALL = 255;
constexpr int NOT27 = 255 & ~(4 | 128);  // every view but 2 and 7
constexpr PROCPTR N = noop;

struct row {
    int number;
    int sideffects;
    int replimit;
    int cmpmask;
    PROCPTR ops[8];
};

// Views: txt, rec/txt, rec/tmp, lin/txt, lin/gr, mat/txt, mat/gr, page.
const row rows[] = {
    {1, L | F, 20, NOT27, {retrn, retrn, downfield, ldexit, N, retrn, retrn, viewterm}},
    {2, E | F, 200, 0, {bldtxt, bldrec, bldrec, N, N, bldmath, bldmath, bldrec}},
    {3, E | F, 200, 0, {bldtxt, bldrec, bldrec, N, N, bldmath, bldmath, bldrec}},
    {4, E | F, 200, 0, {bldtxt, bldrec, bldrec, N, grops, bldmath, bldmath, bldrec}},
    {5, E, 20, 0, {rubtxt, rubrec, rubrec, lddelin, rubgraph, rubmath, rubmath, rubrec}},
    {10, L | F, 20, ALL, {nuline, nuline, nuline, N, nuline, nuline, nuline, N}},
    {OP_UNDO, L, 200, ALL, {undo, undo, undo, undo, undo, undo, undo, undo}},
    {11, F, 80, 0, {copytxt, copytxt, copytxt, N, pickpoint, copytxt, copytxt, copytxt}},
    {17, 0, 80, 0, {curleft, curleft, curleft, ldleft, picleft, leftm, leftm, curleft}},
    {18, L, 20, NOT27, {downline, downrec, downfield, lddown, picdown, downrec, downm, downfield}},
    {19, 0, 80, 0, {curright, curright, curright, ldright, picright, rightm, rightm, curright}},
    {20, L, 20, NOT27, {upline, uprec, upfield, ldup, picup, uprec, upm, upfield}},
    {21, L, 200, ALL, {prcmnd, prcmnd, prcmnd, N, prcmnd, prcmnd, prcmnd, N}},
    {22, 0, 200, 0, {inmode, inmode, inmode, N, N, inmode, inmode, inmode}},
    {23, E | F, 200, 0, {reformat, upfield, upfield, N, remember, upm, upm, upfield}},
    {24, 0, 200, 0, {extchk, extchk, extchk, N, N, extchk, extchk, N}},
    {25, 0, 200, ALL, {makestars, makestars, makestars, N, N, makestars, makestars, N}},
    {26, L | E, 200, ALL, {recover, recover, recover, N, N, recover, recover, N}},
    {27, L | E, 200, ALL, {delete_, delete_, delete_, N, droppoint, delete_, delete_, N}},
    {28, L, 3, ALL, {up_page, up_page, uprec, N, upline, up_page, uprec, N}},
    {29, 0, 200, 0, {uclcsw, uclcsw, uclcsw, N, N, uclcsw, uclcsw, uclcsw}},
    {30, L, 3, ALL, {downpage, downpage, downrec, N, downline, downpage, downrec, N}},
    {31, 0, 200, ALL, {find, find, find, N, N, N, N, N}},
    {32, L, 200, ALL, {resfind, resfind, resfind, N, nextitem, resfind, resfind, N}},
    {33, 0, 200, 0, {tabset, N, N, N, addpic, N, N, N}},
    {34, 0, 200, ALL, {tabcur, downfield, N, ldexit, N, downm, downm, N}},
    {35, L | E | F, 200, ALL, {copyop, copyop, copyop, N, copyop, copyop, copyop, N}},
    {OP_REDO, L, 200, ALL, {redo, redo, redo, redo, redo, redo, redo, redo}},
    {37, E | F, 200, 0, {qcompsingle, N, N, N, N, N, N, N}},
    {38, 0, 200, 0, {show, show, show, show, show, show, show, N}},
    {39, 0, 200, 0, {qglobpre, N, N, N, N, N, N, N}},
    {40, L | E | F, 200, 0, {recword, recfield, recfield, N, N, N, N, recfield}},
    {41, 0, 200, 0, {wildtxt, wildrec, wildrec, N, N, N, N, N}},
    {42, 0, 200, 0, {compute0, compute0, compute0, N, N, N, N, N}},
    {43, 0, 200, 0, {compute0, compute0, compute0, N, N, N, N, N}},
    {44, 0, 200, 0, {compute0, compute0, compute0, N, N, N, N, N}},
    {45, 0, 200, 0, {compute0, compute0, compute0, N, N, N, N, N}},
    {46, 0, 200, 0, {compute0, compute0, compute0, N, N, N, N, N}},
    {47, F, 200, 0, {mrgexp, mrgexp, mrgexp, N, N, N, N, N}},
    {48, F, 200, 0, {mrgtext, mrgtext, mrgtext, N, N, N, N, N}},
    {49, 0, 200, 0, {reginc, reginc, reginc, N, N, N, N, N}},
    {50, 0, 200, 0, {regclear, regclear, regclear, N, N, N, N, N}},
    {51, F, 200, 0, {N, mrgassign, mrgassign, N, N, N, N, N}},
    {52, F, 200, 0, {regdis, regdis, regdis, N, N, N, N, N}},
    {53, E | F, 200, 0, {N, N, N, N, N, bldmath, bldmath, N}},
    {54, E | F, 200, 0, {N, N, N, N, N, recmath, recmath, N}},
    {55, 0, 200, 0, {N, N, N, N, N, preview, preview, N}},
    {56, 0, 200, 0, {silent, silent, silent, N, silent, silent, silent, N}},
    {57, 0, 200, 0, {N, N, N, N, N, greencur, greencur, N}},
    {58, E, 200, 0, {N, N, N, N, N, instabrow, instabrow, N}},
    {59, E, 200, 0, {N, N, N, N, N, instabcol, instabcol, N}},
    {60, 0, 200, 0, {N, N, N, N, N, downrow, downrow, N}},
    {61, 0, 200, 0, {N, N, N, N, N, uprow, uprow, N}},
    {62, 0, 200, 0, {regshow, regshow, regshow, N, N, N, N, N}},
    {63, 0, 200, ALL, {resnumber, resnumber, resnumber, N, N, resnumber, resnumber, N}},
    {64, 0, 200, ALL, {rescheck, rescheck, rescheck, N, N, rescheck, rescheck, N}},
    {65, E | F, 80, 0, {rectxt, recrec, recrec, N, previtem, N, N, recrec}},
    {66, 0, 200, 0, {begline, begline, N, N, N, N, N, N}},
    {67, E | F, 200, 0, {N, mrgrec, mrgrec, N, N, N, N, N}},
    {68, 0, 200, 0, {endline, endline, N, N, N, N, N, N}},
    {69, E, 3, 0, {deline, N, N, N, N, N, N, N}},
    {70, 0, 3, 0, {marleft, N, N, N, N, N, N, N}},
    {71, 0, 3, 0, {maright, N, N, N, N, N, N, N}},
    {72, E | F, 200, 0, {flushleft, N, N, N, N, N, N, N}},
    {73, E | F, 200, 0, {flushright, N, N, N, N, N, N, N}},
    {74, E | F, 200, 0, {fcenter, N, N, N, N, N, N, N}},
    {75, L | E | F, 200, 0, {splitline, N, N, N, N, N, N, N}},
    {76, E | F, 200, 0, {joinline, N, N, N, N, N, N, N}},
    {77, E | F, 80, 0, {repchar, N, N, N, N, N, N, N}},
    {78, E | F, 200, 0, {repline, copyfield, copyfield, N, N, N, N, copyfield}},
    {79, E, 200, 0, {delword, rubfield, rubfield, N, N, N, N, rubfield}},
    {80, E, 200, 0, {delwordend, N, N, N, N, N, N, N}},
    {81, L, 200, 0, {xnextword, N, N, N, N, N, N, N}},
    {82, L, 200, 0, {xprevword, N, N, N, N, N, N, N}},
    {83, 0, 200, 0, {makecstars, N, N, N, N, N, N, N}},
    {84, E, 200, 0, {deleterect, N, N, N, N, N, N, N}},
    {85, E | F, 200, 0, {insertrect, N, N, N, N, N, N, N}},
    {86, E | F, 200, 0, {copyrect, N, N, N, N, N, N, N}},
    {87, E | F, 200, 0, {insertcols, N, N, N, N, N, N, N}},
    {88, E | F, 200, 0, {overwrect, N, N, N, N, N, N, N}},
    {89, E, 200, 0, {cpclrrect, N, N, N, N, N, N, N}},
    {90, E | F, 200, 0, {cpclrovrect, N, N, N, N, N, N, N}},
    {91, 0, 200, 0, {clearallstars, clearallstars, clearallstars, N, N, N, N, N}},
    {92, 0, 200, 0, {flipchar, flipchar, flipchar, N, N, N, N, flipchar}},
    {93, E | F, 200, 0, {manynulines, N, N, N, N, N, N, N}},
    {94, 0, 200, 0, {ldenter, N, N, lddelout, N, N, N, N}},
    {95, L, 200, 0, {xnextnumx, N, N, N, N, N, N, N}},
    {96, E | F, 200, 0, {falign, N, N, N, N, N, N, N}},
    {97, 0, 200, 0, {generate, N, N, N, N, N, N, N}},
    {98, 0, 200, ALL, {resumelx, resumelx, resumelx, N, N, N, N, N}},
    {99, 0, 200, 0, {qcompare, N, N, N, N, N, N, N}},
    {100, 0, 200, 0, {gnr_moveblock, N, N, N, N, N, N, N}},
    {101, 0, 200, 0, {gnr_sleep, N, N, N, N, N, N, N}},
    {102, 0, 200, 0, {disp_sent, N, N, N, N, N, N, N}},
    {103, 0, 200, 0, {qnewcompare, N, N, N, N, N, N, N}},
    {104, 0, 200, 0, {qenummorph, N, N, N, N, N, N, N}},
    {105, 0, 200, 0, {scantext, N, N, N, N, N, N, N}},
    {106, 0, 200, 0, {qmakepre, N, N, N, N, N, N, N}},
};

// Numbers without a row (0, 6..9, 13..16) are noop in every view.
edtable buildtable(int number) {
    for (const row& r : rows) {
        if (r.number != number) continue;
        edtable e{r.sideffects, r.replimit, r.cmpmask, {}};
        for (int v = 0; v < 8; v++) e.operatn[v] = r.ops[v];
        return e;
    }
    return edtable{0, 200, 0, {N, N, N, N, N, N, N, N}};
}

}  // namespace

edtable edittable[NUMOPS];

// The run of identical keys that the repeat limit counts.
static int opcount = 0;
static int prevtype = 0;

void initeditor() {
    for (int i = 0; i < NUMOPS; i++) edittable[i] = buildtable(i);
    for (int v = 0; v < 8; v++) editmask[v] = 1 << v;
    cureditmask = editmask[cur().viewtype & 7];
    curviewmask = curopmask = 0;
    repflag = 1;
    overflg = 0;
    mode = 1;
    crinsert = 1;
    fetchstyle = 1;
    octflag = 0;
    lfonly = 1;
    opcount = 0;
    prevtype = 0;
}

void editstep() {
    txtcur();
    fetchchar();
    rmtxtcur();
    int op = (type >= 0 && type < NUMOPS) ? type : 0;
    if (op == prevtype) {
        opcount += 1;
    } else {
        opcount = 0;
    }
    prevtype = op;
    const edtable& entry = edittable[op];
    COREFILE& c = cur();
    curviewmask = viewmaskof(c.lnptr->object);
    curopmask = entry.cmpmask;
    if (!(opcount < entry.replimit || repflag == 1)) return;
    if (full && (entry.sideffects & SE_FULL)) return;
    if (((curviewmask | curopmask) & cureditmask) == 0) return;

    // typing and rubout on one line make one step of the undo journal
    stepbegin(op == OP_OTHER || op == OP_DIGIT || op == OP_NAME || op == OP_DELETE || op == 53);
    entry.operatn[cur().viewtype & 7]();

    COREFILE& after = cur();  // the operation may have changed the current corefile
    fixcursor();
    display();
    if (entry.sideffects & SE_EDITED) after.edited = 1;
    if (entry.sideffects & SE_LINE) after.curline = linenumber(corenum, after.lnptr);
    collectifneeded();
    stepend();
    putstats();
    discur();
}

void editor() {
    opcount = 0;
    prevtype = 0;
    while (overflg == 0) editstep();
}

void identify() {
    char text[80];
    snprintf(text, sizeof text, "%s date: %s; time: %s", "XQZEK", ZEK_BUILD_DATE, ZEK_BUILD_TIME);
    diserr(text);
}

void option() {
    int n = param[1];
    if (n == 11) setundolimit(param[2]);
    if (n < 0 || n > 10) return;
    if (n <= 2) {
        crinsert = n;
    } else if (n == 3) {
        repflag = 1;
    } else if (n == 4) {
        repflag = 0;
    } else if (n == 5) {
        fetchstyle = 1;
    } else if (n == 6) {
        fetchstyle = 2;
    } else if (n == 7) {
        octflag = 0;
    } else if (n == 8) {
        octflag = 1;
    } else if (n == 9) {
        lfonly = 1;
    } else {
        lfonly = 0;
    }
}

void silent() {
    visible = visible ? 0 : 1;
    if (!visible) return;
    clrtextzone();
    putfname();
    prtabs();
    prmptpar(mode);
    if (cur().viewtype == 2) writetemplate(1);
    redisplay = 1;
}

}  // namespace zek

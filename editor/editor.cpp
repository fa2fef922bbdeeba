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
    const char* help;  // what the key does, for the help view (in the text view)
};

// Views: txt, rec/txt, rec/tmp, lin/txt, lin/gr, mat/txt, mat/gr, page.
const row rows[] = {
    {1, L | F, 20, NOT27, {retrn, retrn, downfield, ldexit, N, retrn, retrn, viewterm}, "next line, at the left margin (record template: the next field)"},
    {2, E | F, 200, 0, {bldtxt, bldrec, bldrec, N, N, bldmath, bldmath, bldrec}, "type the character: overtype, or insert in insert mode"},
    {3, E | F, 200, 0, {bldtxt, bldrec, bldrec, N, N, bldmath, bldmath, bldrec}, "type the digit"},
    {4, E | F, 200, 0, {bldtxt, bldrec, bldrec, N, grops, bldmath, bldmath, bldrec}, "type the letter"},
    {5, E, 20, 0, {rubtxt, rubrec, rubrec, lddelin, rubgraph, rubmath, rubmath, rubrec}, "rubout: remove the character under the cursor (past the end the last one; an empty line goes)"},
    {10, L | F, 20, ALL, {nuline, nuline, nuline, N, nuline, nuline, nuline, N}, "a new empty line after the cursor line"},
    {OP_UNDO, L, 200, ALL, {undo, undo, undo, undo, undo, undo, undo, undo}, "undo: take back the last change of this corefile"},
    {11, F, 80, 0, {copytxt, copytxt, copytxt, N, pickpoint, copytxt, copytxt, copytxt}, "copy the character at the cursor into the recover ring"},
    {17, 0, 80, 0, {curleft, curleft, curleft, ldleft, picleft, leftm, leftm, curleft}, "cursor left"},
    {18, L, 20, NOT27, {downline, downrec, downfield, lddown, picdown, downrec, downm, downfield}, "cursor down"},
    {19, 0, 80, 0, {curright, curright, curright, ldright, picright, rightm, rightm, curright}, "cursor right"},
    {20, L, 20, NOT27, {upline, uprec, upfield, ldup, picup, uprec, upm, upfield}, "cursor up"},
    {21, L, 200, ALL, {prcmnd, prcmnd, prcmnd, N, prcmnd, prcmnd, prcmnd, pagecmnd}, "open the command line"},
    {22, 0, 200, 0, {inmode, inmode, inmode, N, N, inmode, inmode, inmode}, "switch between typing (overtype) and insert mode"},
    {23, E | F, 200, 0, {reformat, upfield, upfield, N, remember, upm, upm, upfield}, "reformat the paragraph from the cursor line (records: up a field)"},
    {24, 0, 200, 0, {extchk, extchk, extchk, N, N, extchk, extchk, N}, "check the record by the checks of corefile 18"},
    {25, 0, 200, ALL, {makestars, makestars, makestars, N, N, makestars, makestars, N}, "star the cursor line: two starred lines bound a block"},
    {26, L | E, 200, ALL, {recover, recover, recover, N, N, recover, recover, N}, "recover: the block held in corefile 0 after the cursor line"},
    {27, L | E, 200, ALL, {delete_, delete_, delete_, N, droppoint, delete_, delete_, N}, "delete the starred block into corefile 0"},
    {28, L, 3, ALL, {up_page, up_page, uprec, N, upline, up_page, uprec, N}, "page up"},
    {29, 0, 200, 0, {uclcsw, uclcsw, uclcsw, N, N, uclcsw, uclcsw, uclcsw}, "capitals lock: letters typed as capitals, or not"},
    {30, L, 3, ALL, {downpage, downpage, downrec, N, downline, downpage, downrec, N}, "page down"},
    {31, 0, 200, ALL, {find, find, find, N, N, N, N, N}, "find from the cursor, by SCANSET's unit and pattern"},
    {32, L, 200, ALL, {resfind, resfind, resfind, N, nextitem, resfind, resfind, N}, "find the next match"},
    {33, 0, 200, 0, {tabset, N, N, N, addpic, N, N, N}, "set or clear a tab stop at the cursor"},
    {34, 0, 200, ALL, {tabcur, downfield, N, ldexit, N, downm, downm, N}, "to the next tab stop (records: the next field)"},
    {35, L | E | F, 200, ALL, {copyop, copyop, copyop, N, copyop, copyop, copyop, N}, "copy the starred block into corefile 0"},
    {OP_REDO, L, 200, ALL, {redo, redo, redo, redo, redo, redo, redo, redo}, "redo: do again what undo took back"},
    {37, E | F, 200, 0, {qcompsingle, N, N, N, N, N, N, N}, "analyse the text from the cursor against root n only (digits, then a key)"},
    {38, 0, 200, 0, {show, show, show, show, show, show, show, N}, "write the store's state to test.file"},
    {39, 0, 200, 0, {qglobpre, N, N, N, N, N, N, N}, "run the global preselection"},
    {40, L | E | F, 200, 0, {recword, recfield, recfield, N, N, N, N, recfield}, "recover a word from the recover ring (records: a field)"},
    {41, 0, 200, 0, {wildtxt, wildrec, wildrec, N, N, N, N, N}, "type wildcard variable n (digits, then a key)"},
    {42, 0, 200, 0, {compute0, compute0, compute0, N, N, N, N, N}, "evaluate the cursor line into the register"},
    {43, 0, 200, 0, {compute0, compute0, compute0, N, N, N, N, N}, "add the cursor line's value to the register"},
    {44, 0, 200, 0, {compute0, compute0, compute0, N, N, N, N, N}, "subtract the cursor line's value from the register"},
    {45, 0, 200, 0, {compute0, compute0, compute0, N, N, N, N, N}, "multiply the register by the cursor line's value"},
    {46, 0, 200, 0, {compute0, compute0, compute0, N, N, N, N, N}, "divide the register by the cursor line's value"},
    {47, F, 200, 0, {mrgexp, mrgexp, mrgexp, N, N, N, N, N}, "evaluate the EXPRESSION template into the register"},
    {48, F, 200, 0, {mrgtext, mrgtext, mrgtext, N, N, N, N, N}, "merge the MERGE template with the record into corefile 16"},
    {49, 0, 200, 0, {reginc, reginc, reginc, N, N, N, N, N}, "add 1 to the register"},
    {50, 0, 200, 0, {regclear, regclear, regclear, N, N, N, N, N}, "clear the register"},
    {51, F, 200, 0, {N, mrgassign, mrgassign, N, N, N, N, N}, "apply the assignments of corefile 17 to the record"},
    {52, F, 200, 0, {regdis, regdis, regdis, N, N, N, N, N}, "type the last shown value at the cursor"},
    {53, E | F, 200, 0, {N, N, N, N, N, bldmath, bldmath, N}, "mathematics views: a sign of the formula"},
    {54, E | F, 200, 0, {N, N, N, N, N, recmath, recmath, N}, "mathematics views: recover"},
    {55, 0, 200, 0, {N, N, N, N, N, preview, preview, N}, "mathematics views: preview"},
    {56, 0, 200, 0, {silent, silent, silent, N, silent, silent, silent, N}, "screen output off / on"},
    {57, 0, 200, 0, {N, N, N, N, N, greencur, greencur, N}, "mathematics views: the other cursor"},
    {58, E, 200, 0, {N, N, N, N, N, instabrow, instabrow, N}, "mathematics views: insert a table row"},
    {59, E, 200, 0, {N, N, N, N, N, instabcol, instabcol, N}, "mathematics views: insert a table column"},
    {60, 0, 200, 0, {N, N, N, N, N, downrow, downrow, N}, "mathematics views: down a row"},
    {61, 0, 200, 0, {N, N, N, N, N, uprow, uprow, N}, "mathematics views: up a row"},
    {62, 0, 200, 0, {regshow, regshow, regshow, N, N, N, N, N}, "show the register"},
    {63, 0, 200, ALL, {resnumber, resnumber, resnumber, N, N, resnumber, resnumber, N}, "count the matches from the cursor (into the result register)"},
    {64, 0, 200, ALL, {rescheck, rescheck, rescheck, N, N, rescheck, rescheck, N}, "test for a match at the cursor (into the result register)"},
    {65, E | F, 80, 0, {rectxt, recrec, recrec, N, previtem, N, N, recrec}, "recover a character from the recover ring"},
    {66, 0, 200, 0, {begline, begline, N, N, N, N, N, N}, "to the line start"},
    {67, E | F, 200, 0, {N, mrgrec, mrgrec, N, N, N, N, N}, "merge the TEMPLATE 2 file with the record into corefile 16"},
    {68, 0, 200, 0, {endline, endline, N, N, N, N, N, N}, "to the line end"},
    {69, E, 3, 0, {deline, N, N, N, N, N, N, N}, "delete to the line end"},
    {70, 0, 3, 0, {marleft, N, N, N, N, N, N, N}, "left margin at the cursor"},
    {71, 0, 3, 0, {maright, N, N, N, N, N, N, N}, "right margin at the cursor"},
    {72, E | F, 200, 0, {flushleft, N, N, N, N, N, N, N}, "flush the line left"},
    {73, E | F, 200, 0, {flushright, N, N, N, N, N, N, N}, "flush the line right"},
    {74, E | F, 200, 0, {fcenter, N, N, N, N, N, N, N}, "centre the line"},
    {75, L | E | F, 200, 0, {splitline, N, N, N, N, N, N, N}, "split the line at the cursor"},
    {76, E | F, 200, 0, {joinline, N, N, N, N, N, N, N}, "join the next line to this one"},
    {77, E | F, 80, 0, {repchar, N, N, N, N, N, N, N}, "copy the character above the cursor"},
    {78, E | F, 200, 0, {repline, copyfield, copyfield, N, N, N, N, copyfield}, "copy the rest of the line above (records: the field into the recover ring)"},
    {79, E, 200, 0, {delword, rubfield, rubfield, N, N, N, N, rubfield}, "delete the word (records: the field)"},
    {80, E, 200, 0, {delwordend, N, N, N, N, N, N, N}, "delete to the word's end"},
    {81, L, 200, 0, {xnextword, N, N, N, N, N, N, N}, "to the next word"},
    {82, L, 200, 0, {xprevword, N, N, N, N, N, N, N}, "to the previous word"},
    {83, 0, 200, 0, {makecstars, N, N, N, N, N, N, N}, "rectangles: mark the cursor column"},
    {84, E, 200, 0, {deleterect, N, N, N, N, N, N, N}, "rectangles: cut the rectangle out and store it"},
    {85, E | F, 200, 0, {insertrect, N, N, N, N, N, N, N}, "rectangles: insert the stored rectangle at the cursor"},
    {86, E | F, 200, 0, {copyrect, N, N, N, N, N, N, N}, "rectangles: store a copy and insert it at the cursor"},
    {87, E | F, 200, 0, {insertcols, N, N, N, N, N, N, N}, "rectangles: insert n blank columns (digits, then a key)"},
    {88, E | F, 200, 0, {overwrect, N, N, N, N, N, N, N}, "rectangles: overwrite with the stored rectangle"},
    {89, E, 200, 0, {cpclrrect, N, N, N, N, N, N, N}, "rectangles: store and blank the rectangle"},
    {90, E | F, 200, 0, {cpclrovrect, N, N, N, N, N, N, N}, "rectangles: store, blank, and overwrite at the cursor"},
    {91, 0, 200, 0, {clearallstars, clearallstars, clearallstars, N, N, N, N, N}, "clear every star and column mark"},
    {92, 0, 200, 0, {flipchar, flipchar, flipchar, N, N, N, N, flipchar}, "flip the case or accent of the character"},
    {93, E | F, 200, 0, {manynulines, N, N, N, N, N, N, N}, "insert n new lines (digits, then a key)"},
    {94, 0, 200, 0, {ldenter, N, N, lddelout, N, N, N, N}, "line drawing: arrows draw, rubout erases, RETURN leaves"},
    {95, L, 200, 0, {xnextnumx, N, N, N, N, N, N, N}, "past the next number"},
    {96, E | F, 200, 0, {falign, N, N, N, N, N, N, N}, "align the line on a character (the next key)"},
    {97, 0, 200, 0, {generate, N, N, N, N, N, N, N}, "generate: the sentences go to corefile 7"},
    {98, 0, 200, ALL, {resumelx, resumelx, resumelx, N, N, N, N, N}, "lexical transformation: write the next matching entries"},
    {99, 0, 200, 0, {qcompare, N, N, N, N, N, N, N}, "compare the text from the cursor with the sentences; run the matching QERROR keys"},
    {100, 0, 200, 0, {gnr_moveblock, N, N, N, N, N, N, N}, "move the whole corefile into corefile 8"},
    {101, 0, 200, 0, {gnr_sleep, N, N, N, N, N, N, N}, "wait three seconds"},
    {102, 0, 200, 0, {disp_sent, N, N, N, N, N, N, N}, "copy generated sentence n into this corefile (digits, then a key)"},
    {103, 0, 200, 0, {qnewcompare, N, N, N, N, N, N, N}, "analyse the text from the cursor against the root set (report in corefile 15)"},
    {104, 0, 200, 0, {qenummorph, N, N, N, N, N, N, N}, "every morphological variant of the tree's words into corefile 7"},
    {105, 0, 200, 0, {scantext, N, N, N, N, N, N, N}, "word and sentence length tables into corefile 7"},
    {106, 0, 200, 0, {qmakepre, N, N, N, N, N, N, N}, "a preselection rule for the semantic expression at the cursor, into corefile 14"},
};

// Numbers without a row (0, 6..9, 13..16) are noop in every view.
edtable buildtable(int number) {
    for (const row& r : rows) {
        if (r.number != number) continue;
        edtable e{r.sideffects, r.replimit, r.cmpmask, {}, r.help};
        for (int v = 0; v < 8; v++) e.operatn[v] = r.ops[v];
        return e;
    }
    return edtable{0, 200, 0, {N, N, N, N, N, N, N, N}, nullptr};
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

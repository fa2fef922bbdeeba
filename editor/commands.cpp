// The command table and the small commands that work directly on editor state: CORE, KEY,
// FONT, WINDOW, ASK and the POSITION check.
#include "editor/commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "editor/build.h"
#include "editor/check.h"
#include "editor/cursors.h"
#include "editor/display.h"
#include "editor/dxio_xq.h"
#include "editor/ecap.h"
#include "editor/editor.h"
#include "editor/file.h"
#include "editor/float.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/reformat.h"
#include "editor/scan.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/sort.h"
#include "editor/sysutils.h"
#include "editor/tabs.h"
#include "editor/terminal_xq.h"
#include "editor/view.h"
#include "genra/input_base.h"
#include "genra/morphology.h"
#include "genra/uninstall.h"

namespace zek {

int cmdptr = 0;

namespace {
constexpr int W = CF_WARN, N = CF_NAME, L = CF_LINE, R = CF_NORESULT, F = CF_FULL;
constexpr PROCPTR no = noop;
constexpr const char* SCANPROMPT = "0:char; 1:word; 2:line; 3:sent; 4:up; 5:rec; 6:check; 7: pattern";
}  // namespace

const CMDSPEC commands[NUMCOMMANDS] = {
    {"FETCH", W | N | L, "f1gUgLcC", "|1|200000||", fpr, fetchfile, ""},
    {"GOODBYE", 0, "e ", "|", no, goodbye, ""},
    {"OVERWRITE", 0, "f1gUgL", "|1|200000|", fpw, ovrwritefile, ""},
    {"JOIN", 0, "f1gUgL", "|1|200000|", fpw, join, ""},
    {"FIND", L | R, "d7c2", "||", findchk, find, SCANPROMPT},
    {"SCANSET", 0, "d7c2", "||", findchk, no, SCANPROMPT},
    {"DELETE", 0, "f1", "|", fpw, deletefile, ""},
    {"SORT", L | F, "d3j gUgL", "|15|1|200000|", sortchk, sort,
     "0:ascending; 1:descending | keylength | startline | endline"},
    {"HYPHENS", 0, "d3", "|", no, hyphenset, "degree of hyphenation"},
    {"JUSTIFY", 0, "d1", "|", no, justset, "0:no justification   1:right justify"},
    {"SAVE", 0, "f1gUgL", "|1|200000|", faw, savefile, ""},
    {"CLEAR", W | N | L, "e ", "|", no, clrfile, ""},
    {"POSITION", L, "hUj ", "||", positchk, positn, ""},
    {"ADVANCE", L, "j j ", "||", no, advance, ""},
    {"APPEND", F, "f1gUgLcC", "|1|200000||", fpr, appendfile, ""},
    {"INSERT", F, "f1gUgLcC", "|1|200000||", fpr, insrtfile, ""},
    {"GENERATE DISPLAY", 0, "e ", "|", no, gendis, ""},
    {"BEGIN", L, "e ", "|", no, wrwholescreen, ""},
    {"FUNCTION", 0, "d9c0", "||", no, no, ""},
    {"TEMPLATE", W, "d4f1", "||", fpr, setspecs, "0,1:record template; 2:merge template"},
    {"PROCEDURE", R, "f1", "|", fpr, loadfile, ""},
    {"NAME", N, "f1", "|", no, nmeset, ""},
    {"MARGINS", 0, "i i ", "||", marginchk, prtabs, ""},
    {"EVALUATE", 0, "cB", "|", no, evaluate, ""},
    {"VIEW", F, "d2", "|", no, view, ""},
    {"OBJECT", W, "d7", "|", no, objset, "0:txt 1:rec/txt 2:rec/tmp 3:lin/txt 4:lin/gr 5:mat/txt 6:mat/gr 7:page"},
    {"CORE", N | L, "i ", "|", no, coreset, ""},
    {"RUN", W, "f1", "|", fpx, runprog, ""},
    {"SHELL", 0, "c5", "|", no, calsys, ""},
    {"UNIX SHELL", 0, "c5", "|", no, calsys, ""},
    {"CDIRECTORY", 0, "c5", "|", no, changedir, "enter directory string; <return> displays current directory"},
    {"ASK", R, "i f1", "||", no, ask, ""},
    {"KEY", 0, "i i ", "||", no, inkeyset, "enter key and operation"},
    {"FONT", 0, "i i ", "||", no, outkeyset, "enter key and output Value"},
    {"EDITOR OPTION", 0, "i i ", "||", no, option, "0,1,2 RETN opt; 3,4 rpt lim; 5,6 FE opt; 7,8 TAB opt; 9,10 SA opt"},
    {"TAB", 0, "i ", "|", no, settabs, "enter tab interval"},
    {"EXPRESSION", 0, "c4", "|", no, no, ""},
    {"MERGE", 0, "c3", "|", no, no, ""},
    {"IDENTIFY", 0, "e ", "|", no, identify, ""},
    {"WINDOW", 0, "i i ", "|200000|", no, window, ""},
    {"EMIT", 0, "i gUgLd1", "|1|200000||", no, emit, "corefile | firstline | lastline |0:zek output, 1:driver input"},
    {"SKEY", 0, "d2", "|", no, skey, "0: ASCII; 1: French unaccented; 2: accents"},
    {"SWITCH", 0, "d2", "|", no, swinput, "0: to keybd/suspend; 1: to driver; 2: to keybd/abort"},
    {"ATTRIBUTE", 0, "f1", "|", fpr, qreadattr, "attribute file"},
    {"SYNTAX", 0, "f1", "|", fpr, qreadsyn, "syntax file"},
    {"MORPHOLOGY", 0, "f1", "|", fpr, qreadmorph, "morphology file"},
    {"LEXICON", 0, "f1", "|", fpr, qreadlex, "lexicon file"},
    {"TBLS", 0, "f1", "|", fpr, qreadtables, "tables file"},
    {"TMNLS", 0, "f1", "|", fpr, qreadterm, "terminals file"},
    {"USER", 0, "f1", "|", fpr, qreaduser, "user file"},
    {"IPA", 0, "f1", "|", fpr, qreadipa, "ipa tables file"},
    {"MRPHERROR", 0, "f1", "|", fpr, qreadmerror, "morph errors file"},
    {"SMTRANSF", 0, "f1", "|", fpr, qreadsem, "semantic transf file"},
    {"TGINFO", 0, "f1", "|", fpr, qreadtag, "tag info file"},
    {"LXTRANSF", 0, "f1", "|", fpr, qreadtrans, "lexical transf file"},
    {"RM_QFILES", 0, "cA", "|", no, rm_qfiles, "remove GENRA files"},
    {"RXTRANSF", 0, "i ", "|", no, lextrans, "transformation number"},
    {"QADDLEX", 0, "f1", "|", fpr, addlex, "lexicon file"},
    {"MPASSES", 0, "i i i i i ", "0|0|0|0|0|", no, setmorphpasses, "set morphology passes"},
    {"QDISPLAY", 0, "i ", "|", no, qdisplay, "0: 1: 2: ..."},
    {"QFREQ", 0, "cA", "|", no, qfreq, "vary lexical frequency"},
    {"QROOTSET", 0, "cA", "|", no, qroot, "set error-test roots"},
    {"RANDOM SEED", 0, "i ", "|", no, rnset, "odd integer"},
    {"PSEED", 0, "i ", "|", no, rnprint, "print random seed"},
    {"TSTINPUT", 0, "f1", "|", fpr, testinput, "test file"},
    {"QERROR", 0, "i cG", "||", no, qerrorinput, "error function string"},
    {"STORE", 0, "d2d1", "||", no, qstoretree, "leafnodes(0),fulltrees(1),indenttrees(2)|core(0),driver(1)"},
    {"RECOVER", 0, "cA", "||", no, qrestoretree, "stored tree filename"},
    {"QTALK", 0, "d22", "|", no, qtalk, "specify root number"},
    {"AUTOWRAP", 0, "d1", "|", swautowrap, no, "1: on, 0: off"},
    {"BYE", 0, "e ", "|", no, goodbye, ""},
    {"CHANGE", L | F, "c2cD", "||", changechk, change, "scan pattern | replacement pattern"},
    {"DIRECTORY", 0, "k1", "|", no, directory, "B: brief, F: full, T: top"},
    {"DTAB", 0, "d1", "|", decimaltab, no, "1: on, 0: off"},
    {"END", L, "e ", "||", no, gotobottom, ""},
    {"LIST", 0, "fEgUgLi fF", "|1|200000|1|||", no, list, "file | fromline | toline | numcopies | initfile"},
    {"NEWNAME", 0, "f1fD", "||", fpw, newname, "current file name | new file name"},
    {"UPDATE", 0, "e ", "|", no, update, ""},
    {"WSHIFT", 0, "i ", "|", shift, no, "enter overlap"},
    {"**", 0, "", "|", no, no, ""},
};

void coreset() {
    int n = param[1];
    if (n > 18 || n < 0 || n == corenum) return;
    clrtextzone();
    corenum = n;
    cureditmask = editmask[cur().viewtype & 7];
    if (cur().viewtype == 2) writetemplate(1);
    redisplay = 1;
    cur().curflag = 1;
    prtabs();
}

void inkeyset() {
    int key = param[1];
    int op = param[2];
    if (key < 0 || key >= 624 || op < 0 || op >= 128) {
        diserr("Invalid Key Assignment");
        return;
    }
    intran[key] = op;
}

void outkeyset() {
    int code = param[1];
    int value = param[2];
    if (code < 0 || code >= 256 || value < 0 || value >= 256) {
        diserr("Invalid Font Assignment");
        return;
    }
    outtran[code] = value;
}

void window() {
    if (!setgeometry(param[1], param[2])) return;
    COREFILE& c = cur();
    if (distance(c.disln, c.lnptr) >= depth) c.disln = c.lnptr;
    int saved = visible;
    visible = 1;
    gendis();
    visible = saved;
}

void positchk() {
    if (param[2] == 0) param[2] = cur().curcol;
}

// The character at the cursor, a blank beyond the end of the line.
static int cursorchar() {
    const COREFILE& c = cur();
    const LINE* l = c.lnptr;
    if (c.curcol > linechars(l)) return ' ';
    return textbase[l->index + c.curcol - 1];
}

static int starredlines() {
    const COREFILE& c = cur();
    if (c.starA == nullptr && c.starB == nullptr) return 0;
    if (c.starA == nullptr || c.starB == nullptr) return 1;
    int a = distance(c.header, c.starA);
    int b = distance(c.header, c.starB);
    return (a > b ? a - b : b - a) + 1;
}

// Sends the text of the current line from the cursor, up to a separator when `toseparator`.
static void sendcursortext(bool toseparator) {
    const COREFILE& c = cur();
    const LINE* l = c.lnptr;
    char text[4096];
    int n = 0;
    if (l->object != OBJ_EMPTY && l->object != OBJ_PICTURE) {
        for (int col = c.curcol; col <= l->length && n < static_cast<int>(sizeof text) - 1; col++) {
            unsigned char ch = textbase[l->index + col - 1];
            if (toseparator && (charkind[ch] & CK_SEPARATOR)) break;
            text[n++] = static_cast<char>(ch);
        }
    }
    text[n] = 0;
    todriverf("%s\n", text);
}

// Sends corefile 15 (trailing blanks removed first): its line count, then up to 1000 lines.
static void sendcorefile15() {
    int saved = corenum;
    corenum = 15;
    detrfile();
    const COREFILE& c = cur();
    todriverf("%d\n", c.lncount);
    int count = 0;
    for (const LINE* l = c.header->down; l != c.header && count < 1000; l = l->down, count++) {
        bool owns = l->object != OBJ_EMPTY && l->object != OBJ_PICTURE;
        int len = owns ? l->length : 0;
        todriverf("%.*s\n", len, owns ? reinterpret_cast<const char*>(textbase + l->index) : "");
    }
    corenum = saved;
}

void ask() {
    int n = param[1];
    int& reg = vl_result[loopdepth];
    const COREFILE& c = cur();
    switch (n) {
        case 0: progtrans = 0; break;
        case 1: progtrans = 1; break;
        case 3: reg = c.curline; break;
        case 4: reg = c.curcol; break;
        case 5: reg = starredlines(); break;
        case 6: reg = findnb(); break;
        case 7: reg = cursorchar(); break;
        case 9: reg = mayread(curfile); break;
        case 10: reg = maywrite(curfile); break;
        case 11: reg = maycreate(curfile, false); break;
        case 15: reg = corenum; break;
        case 16: reg = c.lncount; break;
        default: break;
    }
    del = 0;
    if (progtrans != 1 || progstate != 1) return;
    switch (n) {
        case 0:
        case 1: break;
        case 7: todriverf("%c\n", cursorchar()); break;
        case 8: todriverf("%f\n", fptop()); break;
        case 12: sendcursortext(true); break;
        case 13: sendcursortext(false); break;
        case 14: sendcorefile15(); break;
        default:
            if (n >= 2 && n <= 16) todriverf("%d\n", reg);
            break;
    }
    todriverflush();
}

}  // namespace zek

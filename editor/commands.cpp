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
    {"FETCH", W | N | L, "f1gUgLcC", "|1|200000||", fpr, fetchfile, "", "empty the corefile and read the file's lines first to last (a check pattern keeps the records that pass)"},
    {"GOODBYE", 0, "e ", "|", no, goodbye, "", "leave zek (asking about each corefile not saved)"},
    {"OVERWRITE", 0, "f1gUgL", "|1|200000|", fpw, ovrwritefile, "", "write lines first to last over an existing file"},
    {"JOIN", 0, "f1gUgL", "|1|200000|", fpw, join, "", "add lines first to last to the end of an existing file"},
    {"FIND", L | R, "d7c2", "||", findchk, find, SCANPROMPT, "search from the cursor by unit and pattern"},
    {"SCANSET", 0, "d7c2", "||", findchk, no, SCANPROMPT, "set the unit and pattern of ESC n and Ctrl-N"},
    {"DELETE", 0, "f1", "|", fpw, deletefile, "", "remove the file"},
    {"SORT", L | F, "d3j gUgL", "|15|1|200000|", sortchk, sort,
     "0:ascending; 1:descending | keylength | startline | endline",
     "sort lines first to last by their first keylength characters"},
    {"HYPHENS", 0, "d3", "|", no, hyphenset, "degree of hyphenation", "how much a reformat hyphenates (0 none to 3 most)"},
    {"JUSTIFY", 0, "d1", "|", no, justset, "0:no justification   1:right justify", "1: a reformat widens the gaps so that lines end at the right margin"},
    {"SAVE", 0, "f1gUgL", "|1|200000|", faw, savefile, "", "write lines first to last to a new file"},
    {"CLEAR", W | N | L, "e ", "|", no, clrfile, "", "empty the corefile"},
    {"POSITION", L, "hUj ", "||", positchk, positn, "", "the cursor to a line and column"},
    {"ADVANCE", L, "j j ", "||", no, advance, "", "move the cursor by lines and columns"},
    {"APPEND", F, "f1gUgLcC", "|1|200000||", fpr, appendfile, "", "read the file's lines after the last line"},
    {"INSERT", F, "f1gUgLcC", "|1|200000||", fpr, insrtfile, "", "read the file's lines after the cursor line"},
    {"GENERATE DISPLAY", 0, "e ", "|", no, gendis, "", "draw the whole screen again"},
    {"BEGIN", L, "e ", "|", no, wrwholescreen, "", "to the first line"},
    {"FUNCTION", 0, "d9c0", "||", no, no, "", "set function-key string n (ESC n)"},
    {"TEMPLATE", W, "d4f1", "||", fpr, setspecs, "0,1:record template; 2:merge template", "read a record template (0, 1) or a merge template (2) from a file"},
    {"PROCEDURE", R, "f1", "|", fpr, loadfile, "", "run the file's bytes as typed keys"},
    {"NAME", N, "f1", "|", no, nmeset, "", "give the corefile a file name without reading anything"},
    {"MARGINS", 0, "i i ", "||", marginchk, prtabs, "", "set the left and right margins"},
    {"EVALUATE", 0, "cB", "|", no, evaluate, "", "evaluate an expression; the value shows on the command line"},
    {"VIEW", F, "d2", "|", no, view, "", "0: the settings page, 1: the corefiles, 2: the generator's files"},
    {"OBJECT", W, "d7", "|", no, objset, "0:txt 1:rec/txt 2:rec/tmp 3:lin/txt 4:lin/gr 5:mat/txt 6:mat/gr 7:page", "the corefile's view"},
    {"CORE", N | L, "i ", "|", no, coreset, "", "select corefile n (0 to 18)"},
    {"RUN", W, "f1", "|", fpx, runprog, "", "start a driver program whose output is read as keys"},
    {"SHELL", 0, "c5", "|", no, calsys, "", "run a shell command (empty: an interactive shell)"},
    {"UNIX SHELL", 0, "c5", "|", no, calsys, "", "run a shell command (empty: an interactive shell)"},
    {"CDIRECTORY", 0, "c5", "|", no, changedir, "enter directory string; <return> displays current directory", "change the working directory (empty: show it)"},
    {"ASK", R, "i f1", "||", no, ask, "", "put the answer to question n into the result register"},
    {"KEY", 0, "i i ", "||", no, inkeyset, "enter key and operation", "bind a key index to an operation number"},
    {"FONT", 0, "i i ", "||", no, outkeyset, "enter key and output Value", "show a character code as another character"},
    {"EDITOR OPTION", 0, "i i ", "||", no, option, "0,1,2 RETN opt; 3,4 rpt lim; 5,6 FE opt; 7,8 TAB opt; 9,10 SA opt", "set an option (11|n: keep n thousand bytes of undo history)"},
    {"TAB", 0, "i ", "|", no, settabs, "enter tab interval", "add tab stops every n columns (0 clears them)"},
    {"EXPRESSION", 0, "c4", "|", no, no, "", "set the expression template of ESC @"},
    {"MERGE", 0, "c3", "|", no, no, "", "set the merge template of ESC M"},
    {"IDENTIFY", 0, "e ", "|", no, identify, "", "show the build"},
    {"WINDOW", 0, "i i ", "|200000|", no, window, "", "set the screen's rows and columns"},
    {"EMIT", 0, "i gUgLd1", "|1|200000||", no, emit, "corefile | firstline | lastline |0:zek output, 1:driver input", "write a corefile's lines to standard output (0) or the driver (1), then $$$"},
    {"SKEY", 0, "d2", "|", no, skey, "0: ASCII; 1: French unaccented; 2: accents", "the collating order of SORT"},
    {"SWITCH", 0, "d2", "|", no, swinput, "0: to keybd/suspend; 1: to driver; 2: to keybd/abort", "keys from the keyboard or from the driver program"},
    {"ATTRIBUTE", 0, "f1", "|", fpr, qreadattr, "attribute file", "load the attribute types and values"},
    {"SYNTAX", 0, "f1", "|", fpr, qreadsyn, "syntax file", "load the grammar's rules"},
    {"MORPHOLOGY", 0, "f1", "|", fpr, qreadmorph, "morphology file", "load the morphology rules"},
    {"LEXICON", 0, "f1", "|", fpr, qreadlex, "lexicon file", "load a lexicon"},
    {"TBLS", 0, "f1", "|", fpr, qreadtables, "tables file", "load the morphology tables"},
    {"TMNLS", 0, "f1", "|", fpr, qreadterm, "terminals file", "load the terminals"},
    {"USER", 0, "f1", "|", fpr, qreaduser, "user file", "load a user file: rules that override the syntax file's"},
    {"IPA", 0, "f1", "|", fpr, qreadipa, "ipa tables file", "load the phonology tables"},
    {"MRPHERROR", 0, "f1", "|", fpr, qreadmerror, "morph errors file", "load the morph errors"},
    {"SMTRANSF", 0, "f1", "|", fpr, qreadsem, "semantic transf file", "load the semantic transformations"},
    {"TGINFO", 0, "f1", "|", fpr, qreadtag, "tag info file", "load the tag info"},
    {"LXTRANSF", 0, "f1", "|", fpr, qreadtrans, "lexical transf file", "load the lexical transformation rules"},
    {"RM_QFILES", 0, "cA", "|", no, rm_qfiles, "remove GENRA files", "remove loaded kinds of description files"},
    {"RXTRANSF", 0, "i ", "|", no, lextrans, "transformation number", "select a lexical transformation rule (ESC l runs it)"},
    {"QADDLEX", 0, "f1", "|", fpr, addlex, "lexicon file", "add a file's entries to the lexicon"},
    {"MPASSES", 0, "i i i i i ", "0|0|0|0|0|", no, setmorphpasses, "set morphology passes", "the lexicon fields run as morphology passes"},
    {"QDISPLAY", 0, "i ", "|", no, qdisplay, "0: 1: 2: ...", "show what is loaded (0), or list it into corefile 7 (3 to 8)"},
    {"QFREQ", 0, "cA", "|", no, qfreq, "vary lexical frequency", "change the frequency of the entries a leaf selects"},
    {"QROOTSET", 0, "cA", "|", no, qroot, "set error-test roots", "the roots the response analysis compares"},
    {"RANDOM SEED", 0, "i ", "|", no, rnset, "odd integer", "set the random seed (0: from the clock)"},
    {"PSEED", 0, "i ", "|", no, rnprint, "print random seed", "write the random seed into a corefile"},
    {"TSTINPUT", 0, "f1", "|", fpr, testinput, "test file", "list a file's tokens into corefile 7"},
    {"QERROR", 0, "i cG", "||", no, qerrorinput, "error function string", "keys to run when the response equals sentence k"},
    {"STORE", 0, "d2d1", "||", no, qstoretree, "leafnodes(0),fulltrees(1),indenttrees(2)|core(0),driver(1)", "store the last run's trees"},
    {"RECOVER", 0, "cA", "||", no, qrestoretree, "stored tree filename", "read stored trees back"},
    {"QTALK", 0, "d22", "|", no, qtalk, "specify root number", "send a root's sentence to the driver program"},
    {"AUTOWRAP", 0, "d1", "|", swautowrap, no, "1: on, 0: off", "1: reformat as you type past the right margin"},
    {"BYE", 0, "e ", "|", no, goodbye, "", "leave zek (asking about each corefile not saved)"},
    {"CHANGE", L | F, "c2cD", "||", changechk, change, "scan pattern | replacement pattern", "replace every match from the cursor to the end"},
    {"DIRECTORY", 0, "k1", "|", no, directory, "B: brief, F: full, T: top", "list the working directory"},
    {"DTAB", 0, "d1", "|", decimaltab, no, "1: on, 0: off", "1: numbers typed at a tab stop grow to the left"},
    {"END", L, "e ", "||", no, gotobottom, "", "to the last line"},
    {"LIST", 0, "fEgUgLi fF", "|1|200000|1|||", no, list, "file | fromline | toline | numcopies | initfile", "print a file with the external list program"},
    {"NEWNAME", 0, "f1fD", "||", fpw, newname, "current file name | new file name", "rename a file"},
    {"UPDATE", 0, "e ", "|", no, update, "", "keep the old file as NAME.bak, then offer SAVE under its own name"},
    {"WSHIFT", 0, "i ", "|", shift, no, "enter overlap", "the columns kept in view when the text shifts sideways"},
    {"**", 0, "", "|", no, no, "", nullptr},
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
    if (outofreach(c.disln, c.lnptr, depth)) c.disln = c.lnptr;
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

// diserr and progress on the message line, the status fields sent only when they change, and
// gendis, which sends everything again.
#include "editor/scrout.h"

#include <cstdio>
#include <cstring>

#include "editor/build.h"
#include "editor/check.h"
#include "editor/corutils.h"
#include "editor/display.h"
#include "editor/editor.h"
#include "editor/float.h"
#include "editor/getparam.h"
#include "editor/scrin.h"
#include "editor/screen.h"
#include "editor/tabs.h"
#include "editor/terminal_xq.h"

namespace zek {

int bhelp = 0;
static char later[400];  // the progress messages that wait for the keyboard
int oldcore = -1, oldline = -1, oldcol = -1, oldlncnt = -1, oldcoreview = -1;
const char* const views[8] = {"TEXT    ", "RECORD  ", "RECORD  ", "GRAPHICS",
                              "GRAPHICS", "MATH    ", "MATH    ", "VIEWTAB "};
const char* const fullmsg = "FULL    ";

const char* modename(int n) {
    switch (n) {
        case 0: return "Command ";
        case 1: return "Typing  ";
        case 2: return "Insert  ";
        case 3: return "String  ";
        case 4: return "Digit   ";
        case 5: return "<return>";
        case 6: return "Filename";
        case 11: return "Letter  ";
        default: return "Integer ";
    }
}

void initscrout() {
    bhelp = 0;
    later[0] = 0;
    oldcore = oldline = oldcol = oldlncnt = oldcoreview = -1;
}

int diserr(const char* text) {
    putstring(text, 'e');
    xqtransmit("$e+");
    gcr();
    xqtransmit("$e-");
    bhelp = 1;
    clearhelp();
    return del;
}

void progress(const char* text) {
    putstring(text, 'h');
    bhelp = 1;
}

// Several notices of the start-up share the message line, in the order they were made.
void progresslater(const char* text) {
    size_t used = strlen(later);
    snprintf(later + used, sizeof later - used, "%s%s", used != 0 ? "; " : "", text);
}

void showlater() {
    if (later[0] == 0) return;
    progress(later);
    later[0] = 0;
}

void confirm(const char* text) {
    if (screenmode) putstring(text, 'k');
}

void clearhelp() {
    if (bhelp != 1) return;
    xqtransmit("$mh");
    bhelp = 0;
}

static void sendfield(char letter, int width, int value, int& cache) {
    if (value == cache) return;
    composer().str("$m").ch(letter).num(value, width).send();
    cache = value;
}

void putstats() {
    if (!visible) return;
    const COREFILE& c = cur();
    sendfield('w', 2, corenum, oldcore);
    sendfield('r', 5, c.curline, oldline);
    sendfield('c', 5, c.curcol, oldcol);
    sendfield('l', 0, c.lncount, oldlncnt);
    if (full != 1) {
        if (c.viewtype != oldcoreview) {
            putstring(views[c.viewtype & 7], 'v');
            oldcoreview = c.viewtype;
        }
    } else if (oldcoreview != -2) {
        putstring(fullmsg, 'v');
        oldcoreview = -2;
    }
}

void putfname() { putstring(cur().filname, 'n'); }

void gendis() {
    oldlncnt = oldcoreview = oldcol = oldline = oldcore = -1;
    xqtransmit("$X");
    xqtransmit("$W");
    bhelp = 1;
    clearhelp();
    putstats();
    putfname();
    prtabs();
    prmptpar(mode);
    if (cur().viewtype == 2) writetemplate(1);
    redisplay = 1;
    display();
    if (mode == 0) {
        xqtransmit("$Cx");
        int end = shadow_ptr < static_cast<int>(sizeof shadow_cmdline) ? shadow_ptr
                                                                        : static_cast<int>(sizeof shadow_cmdline) - 1;
        shadow_cmdline[end] = 0;
        snprintf(xqmsg, sizeof xqmsg, "$CL%s", shadow_cmdline);
        xqtransmit(xqmsg);
    }
}

void formatfloat(double value, char* out, int size) {
    snprintf(out, static_cast<size_t>(size), "%.8g", value);
    for (char* p = out; *p != 0; p++) {
        if (*p == 'e') *p = '\'';
    }
}

void putfloat() {
    if (fperror == 1) {
        putstring("FP Syntax Error", 'f');
    } else if (fperror == 2) {
        putstring("FP Overflow Error", 'f');
    } else if (fperror == 0) {
        formatfloat(fptop(), fpresult, sizeof fpresult);
        putstring(fpresult, 'f');
    }
}

void putbool() {
    char text[48];
    if (boolerror != 0) {
        getboolstring(boolerror, numchecks);
        snprintf(text, sizeof text, "ERR %s", boolstring);
        putstring(text, 'b');
        gcr();
    }
    getboolstring(boolcheck, numchecks);
    snprintf(text, sizeof text, "CH %s", boolstring);
    putstring(text, 'b');
}

void putresult() {
    char text[24];
    snprintf(text, sizeof text, "%d", vl_result[loopdepth]);
    putstring(text, 'i');
}

}  // namespace zek

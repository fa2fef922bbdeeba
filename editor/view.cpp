// The views: one record line in corefile 19, shown in the page view through the view's own
// record template. VIEW 1 and 2 show and wait; VIEW 0 is edited and read back on RETURN.
#include "editor/view.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "editor/build.h"
#include "editor/centre.h"
#include "editor/corutils.h"
#include "editor/cursors.h"
#include "editor/display.h"
#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/prcmnd.h"
#include "editor/reformat.h"
#include "editor/scan.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/terminal_xq.h"
#include "genra/uninstall.h"

namespace zek {

const char* const view0string = "c6c7c8c9c:c;c<c=c>c?c3c4c5c@c2d6d1d3d2";
char view0templ[1024];
char view1templ[2048];
char view2templ[1024];
int savecore = 1;
char* savetempl = nullptr;

// The longest record a view builds: 15 strings of 48 characters in their shown form (at
// most four characters each), or 19 file names and 39 numbers.
constexpr long PAGEMAX = 15 * 4 * (NAMELEN + 1) + 64;

// The page as vartorec wrote it: a field the user leaves alone leaves its variable alone.
static std::vector<std::string> written;

static void finish(char* templ, size_t size, size_t n) {
    if (n + 2 > size) n = size - 2;
    templ[n] = 4;  // a record template ends with the byte 4
    templ[n + 1] = 0;
}

void initview() {
    // A view open at a reset shows its own template: the one it saved is the editor's.
    if (tempbufptr == view0templ || tempbufptr == view1templ || tempbufptr == view2templ) tempbufptr = savetempl;
    static const char* const labels0[] = {
        "Function 0:", "Function 1:", "Function 2:", "Function 3:", "Function 4:", "Function 5:",
        "Function 6:", "Function 7:", "Function 8:", "Function 9:", "Merge Template:",
        "Expression Template:", "System String:", "Terminal String:", "Search Pattern:"};
    size_t n = 0;
    for (int i = 0; i < 15; i++) {
        n += static_cast<size_t>(snprintf(view0templ + n, sizeof view0templ - n, "%-21s{#%d/48}\r", labels0[i], i + 1));
    }
    n += static_cast<size_t>(snprintf(view0templ + n, sizeof view0templ - n, "%s",
                                      "Search Type: {#16/1/j c16}Justification: {#17/1/j c34}"
                                      "Hyphenation Level: {#18/1/j c56}Layout: {#19/1/j}"));
    finish(view0templ, sizeof view0templ, n);

    n = 0;
    for (int k = 0; k < 19; k++) {
        char label[16];
        snprintf(label, sizeof label, "Core %d:", k);
        n += static_cast<size_t>(snprintf(view1templ + n, sizeof view1templ - n,
                                          "%-10sFilename: {#%d/48 c46}Lines = {#%d/8 c63}Chars = {#%d/8}\r",
                                          label, k + 1, 20 + 2 * k, 21 + 2 * k));
    }
    n += static_cast<size_t>(snprintf(view1templ + n, sizeof view1templ - n, "Total Chars = {#58/8}"));
    finish(view1templ, sizeof view1templ, n);

    static const char* const labels2[] = {
        "Attributes file:", "Terminals file:", "Syntax (SY) file:", "Syntax (US) file:",
        "Morphology rules file:", "Morphology tables file:", "Lexicon file:", "IP file:", "MR file:",
        "TG file:", "Semantic transfs file:", "Lexical transfs file:"};
    n = 0;
    for (int i = 0; i < 12; i++) {
        n += static_cast<size_t>(snprintf(view2templ + n, sizeof view2templ - n, "%s%-*s{#%d/48}%s", labels2[i],
                                          24 - static_cast<int>(strlen(labels2[i])), "", i + 1, i < 11 ? "\r" : ""));
    }
    finish(view2templ, sizeof view2templ, n);
    savecore = 1;
    savetempl = nullptr;
    written.clear();
}

// Appends a field to a record: the text, then its bar (a bar inside would split it).
static void addfield(std::string& rec, const std::string& text) {
    for (char ch : text) rec += ch == '|' ? '?' : ch;
    rec += '|';
}

static int* digitvar(int k) {
    static int* const vars[4] = {&scanunit, &jmode, &hyphlevel, &lrcswitch};
    return k >= 0 && k < 4 ? vars[k] : nullptr;
}

static char* stringvar(char code) {
    int i = code - '1';
    return i >= 0 && i < NUMDEST ? destination[i] : nullptr;
}

static bool translated(char code) {
    int i = code - '1';
    return i >= 0 && i < NUMDEST && ctrltype[i] != 0;
}

// The record of the page view: every string in its shown form, every digit in decimal.
static std::string pagerecord(const char* types) {
    std::string rec;
    written.clear();
    int digits = 0;
    for (const char* t = types; t[0] != 0 && t[1] != 0; t += 2) {
        std::string field;
        if (t[0] == 'c') {
            const char* s = stringvar(t[1]);
            if (s != nullptr && translated(t[1])) {
                char shown[4 * (NAMELEN + 1)];
                untransstring(s, shown, sizeof shown);
                field = shown;
            } else if (s != nullptr) {
                field = s;
            }
        } else if (t[0] == 'd') {
            int* v = digitvar(digits++);
            if (v != nullptr) field = std::to_string(*v);
        }
        addfield(rec, field);
        written.push_back(rec.substr(rec.size() - field.size() - 1, field.size()));
    }
    return rec;
}

static std::string filesrecord() {
    std::string rec;
    long total = 0;
    for (int n = 0; n < VIEWCORE; n++) addfield(rec, core[n].filname);
    for (int n = 0; n < VIEWCORE; n++) {
        addfield(rec, std::to_string(core[n].lncount));
        addfield(rec, std::to_string(core[n].charcount));
        total += core[n].charcount;
    }
    addfield(rec, std::to_string(total));
    return rec;
}

static std::string generatorrecord() {
    static const char letters[] = "atsumTLpeg@x";
    std::string rec;
    for (const char* l = letters; *l != 0; l++) addfield(rec, genrafilename[*l - '@']);
    return rec;
}

// Puts `rec` as the one record line of corefile 19, which is current.
static void showrecord(const std::string& rec) {
    COREFILE& c = cur();
    memcpy(textbase + avail, rec.data(), rec.size());
    c.lnptr = c.header;
    allocln(OBJ_RECORD, static_cast<int>(rec.size()));
    linkphys();
    c.disln = c.lnptr;
    c.curcol = 1;
    c.curline = 1;
    c.curflag = 1;
    redisplay = 1;
}

// Opens corefile 19 in the page view with the template `templ`.
static void openview(char* templ) {
    savecore = corenum;
    savetempl = tempbufptr;
    corenum = VIEWCORE;
    removefile();
    initfile();
    COREFILE& c = cur();
    c.viewtype = 7;
    cureditmask = editmask[7];
    clrtextzone();
    tempbufptr = templ;
    writetemplate(1);
}

void vartorec(const char* types) { showrecord(pagerecord(types)); }
void makeview1() { showrecord(filesrecord()); }
void makeview2() { showrecord(generatorrecord()); }

void view() {
    int n = param[1];
    if (n < 0 || n > 2 || corenum == VIEWCORE) return;
    if (!roomfor(PAGEMAX)) {
        diserr("files full; command ignored");
        del = 2;
        return;
    }
    openview(n == 0 ? view0templ : n == 1 ? view1templ : view2templ);
    if (n == 0) {
        vartorec(view0string);
        mode = 1;  // the command line closes; the page is edited until RETURN
        return;
    }
    if (n == 1) {
        makeview1();
    } else {
        makeview2();
    }
    display();
    discur();
    prmptpar(5);
    gcr();
    resetcore();
}

void resetcore() {
    COREFILE& v = cur();
    removefile();
    initfile();
    allocln(OBJ_EMPTY, 0);
    v.disln = v.lnptr;
    corenum = savecore >= 0 && savecore < VIEWCORE ? savecore : 1;
    tempbufptr = savetempl;
    clrtextzone();
    int viewtype = cur().viewtype & 7;
    cureditmask = editmask[viewtype];
    writetemplate(viewtype == 2 ? 1 : 0);
    cur().curflag = 1;
    redisplay = 1;
}

void rectovar() {
    const COREFILE& v = core[VIEWCORE];
    const LINE* l = v.header->down;
    std::vector<std::string> fields;
    if (l != v.header && l->object == OBJ_RECORD) {
        std::string field;
        for (int i = 0; i < l->length; i++) {
            char ch = static_cast<char>(textbase[l->index + i]);
            if (ch == '|') {
                fields.push_back(field);
                field.clear();
            } else {
                field += ch;
            }
        }
        if (!field.empty()) fields.push_back(field);
    }
    int k = 0;
    int digits = 0;
    for (const char* t = view0string; t[0] != 0 && t[1] != 0; t += 2, k++) {
        int* v = t[0] == 'd' ? digitvar(digits++) : nullptr;
        if (k >= static_cast<int>(fields.size())) continue;  // a field the page lost: no change
        const std::string& f = fields[static_cast<size_t>(k)];
        if (k < static_cast<int>(written.size()) && f == written[static_cast<size_t>(k)]) continue;
        if (t[0] == 'c') {
            char* s = stringvar(t[1]);
            if (s == nullptr) continue;
            int n = 0;
            resettrans();
            for (char ch : f) {
                if (n >= NAMELEN) break;
                if (translated(t[1])) {
                    n += transchar(static_cast<unsigned char>(ch), s + n);
                } else if (ch != 0) {
                    s[n++] = ch;
                }
            }
            s[n] = 0;
        } else if (v != nullptr) {
            if (f.empty() || f[0] < '0' || f[0] > '9') continue;
            int value = f[0] - '0';
            int highest = t[1] - '0';
            *v = value < highest ? value : highest;
        }
    }
}

void viewterm() {
    // RETURN in the page view ends VIEW 0; a corefile put into the page view by OBJECT 7
    // has nothing to read back.
    if (corenum != VIEWCORE) return;
    rectovar();
    resetcore();
    static const char entercmnd[] = {3, 0};
    pushfn(entercmnd);
}

void pagecmnd() {
    // The VIEW page is left by RETURN alone, which reads it back; any other corefile put into
    // the page view by OBJECT 7 opens the command line as in every other view, so that it can
    // be left again (RETURN does nothing there).
    if (corenum != VIEWCORE) prcmnd();
}

}  // namespace zek

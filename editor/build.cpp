// Objects and structure builders: views, record lines and their fields, the record template,
// and typing into records and mathematics lines.
#include "editor/build.h"

#include <cstdlib>
#include <cstring>

#include "editor/corutils.h"
#include "editor/cursors.h"
#include "editor/display.h"
#include "editor/editor.h"
#include "editor/file.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/scrin.h"
#include "editor/termutils_xq.h"
#include "editor/terminal_xq.h"

namespace zek {

int fieldnum = 1;
long recptr = 0;
int fieldsiz = 0;

int frow[MAXFIELDS + 1];
int fcol[MAXFIELDS + 1];
int maxfieldlen[MAXFIELDS + 1];
char ftype[MAXFIELDS + 1];
int numfields = 10;
char* tempbufptr = nullptr;
char* mrgbufptr = nullptr;
// Parse state of the template: read position, screen row and column, highest field number,
// the last field's width and number.
static const char* tempptr = nullptr;
static int row = 1, col = 1, fields = 0, flen = 5, fnum = 0;

// Which character classes each field type accepts: rows other, digit, letter, y/n, minus;
// columns the type letters b..j.
const int checktable[5][9] = {
    /* other  */ {0, 1, 0, 0, 0, 0, 0, 0, 0},
    /* digit  */ {0, 1, 0, 0, 1, 0, 0, 1, 1},
    /* letter */ {0, 1, 0, 0, 1, 0, 0, 0, 0},
    /* y or n */ {1, 1, 0, 0, 1, 0, 0, 0, 0},
    /* minus  */ {0, 1, 0, 0, 0, 0, 0, 1, 0},
};

void initbuild() {
    fieldnum = 1;
    recptr = 0;
    fieldsiz = 0;
    free(tempbufptr);
    free(mrgbufptr);
    tempbufptr = mrgbufptr = nullptr;
    writetemplate(0);
}

void makerec() {
    touchline(cur().lnptr);
    for (int i = 0; i < numfields; i++) cadd('|');
    cur().lnptr->object = OBJ_RECORD;
}

void makegraph() {
    touchline(cur().lnptr);
    cur().lnptr->object = OBJ_PICTURE;
}

void makeobject() {
    int view = cur().viewtype;
    if (view == 1 || view == 2) {
        makerec();
    } else if (view == 4) {
        makegraph();
    }
}

void objset() {
    int n = param[1];
    COREFILE& c = cur();
    if (n < 0 || n > 7 || n == c.viewtype) return;
    clrtextzone();
    c.viewtype = n;
    cureditmask = editmask[n];
    redisplay = 1;
    if (n == 2) writetemplate(1);
    c.curflag = 1;
    if (c.lnptr->object == OBJ_EMPTY && c.lncount == 1) makeobject();
}

// Template parsing.

int getnum(const char*& q) {
    long n = 0;
    while (*q >= '0' && *q <= '9') {
        if (n < 100000) n = n * 10 + (*q - '0');
        q++;
    }
    return static_cast<int>(n);
}

// A field definition after "#": number, optionally "/" width, optionally "/" type letter.
// Returns 1 when malformed.
int getfieldpar() {
    if (*tempptr < '0' || *tempptr > '9') return 1;
    fnum = getnum(tempptr);
    if (fnum < 1) return 1;
    int width = -1;
    char kind = 0;
    if (*tempptr == '/') {
        tempptr++;
        if (*tempptr >= '0' && *tempptr <= '9') width = getnum(tempptr);
        if (*tempptr == '/') {
            tempptr++;
            if (*tempptr < 'b' || *tempptr > 'j') return 1;
            kind = *tempptr++;
        }
    }
    if (fnum > MAXFIELDS) return 0;  // numbers above the table are ignored
    frow[fnum] = row + 2;
    fcol[fnum] = col + 1;
    if (width >= 0) maxfieldlen[fnum] = width;
    if (kind != 0) ftype[fnum] = kind;
    if (fnum > fields) fields = fnum;
    flen = maxfieldlen[fnum];
    return 0;
}

static void placecursor(int wron) {
    if (wron) postcur(col + 1, row + 2);
}

int writetemplate(int wron) {
    for (int n = 1; n <= MAXFIELDS; n++) {
        maxfieldlen[n] = 5;
        ftype[n] = 'c';
        frow[n] = (n - 1) / 6 + 3;
        fcol[n] = 8 * ((n - 1) % 6) + 2;
    }
    numfields = 10;
    if (tempbufptr == nullptr) return 0;
    row = 1;
    col = 1;
    fields = 0;
    placecursor(wron);
    int error = 0;
    bool inbraces = false;
    tempptr = tempbufptr;
    while (*tempptr != 4 && error == 0) {
        unsigned char ch = static_cast<unsigned char>(*tempptr++);
        if (!inbraces) {
            if (ch == 0) continue;
            if (ch == '\r') {
                if (row < depth - 1) row++;
                col = 1;
                placecursor(wron);
            } else if (ch == '#') {
                error = getfieldpar();
            } else if (ch == '{') {
                inbraces = true;
            } else if (ch == '}') {
                error = 1;
            } else {
                if (wron) putch(ch);
                if (col < swidth) col++;
            }
            continue;
        }
        if (ch == 0 || ch == ' ' || ch == ',') continue;
        if (ch == '#') {
            error = getfieldpar();
        } else if (ch == 'c') {
            int n = getnum(tempptr);
            col = n < swidth ? n : swidth;
            placecursor(wron);
        } else if (ch == 'r') {
            int n = getnum(tempptr);
            row = n < depth - 1 ? n : depth - 1;
            placecursor(wron);
        } else if (ch == '}') {
            inbraces = false;
        } else {
            error = 1;
        }
    }
    numfields = fields;
    return error;
}

void setspecs() {
    settemplate();
    if (del == 2 || param[1] == 2) return;
    if (cur().viewtype == 2) {
        clrtextzone();
        writetemplate(1);
        redisplay = 1;
    } else {
        writetemplate(0);
    }
}

void findfield() {
    const COREFILE& c = cur();
    const LINE* l = c.lnptr;
    long start = l->index;
    long length = linechars(l);
    long cursor = start + c.curcol - 1;
    long end = start + length;
    if (cursor > end) cursor = end;
    int bars = 0;
    recptr = start;
    for (long p = start; p < cursor; p++) {
        if (textbase[p] == '|') {
            bars++;
            recptr = p + 1;
        }
    }
    fieldnum = bars + 1;
}

void fieldlen() {
    const LINE* l = cur().lnptr;
    long length = linechars(l);
    long end = l->index + length;
    long p = recptr;
    while (p < end && textbase[p] != '|') p++;
    fieldsiz = static_cast<int>(p - recptr);
}

// The character class row of checktable for the key just read, or -1 for a "|". A character
// typed back from the recover ring takes the class of its own key, not that of the recover key.
static int recordclass() {
    if (holdch == '|') return -1;
    if (holdch == '-') return 4;
    if (holdch == 'y' || holdch == 'n') return 3;
    int key = type;
    if (key != OP_OTHER && key != OP_DIGIT && key != OP_NAME) {
        key = holdch < 128 ? intran[holdch] : OP_OTHER;
    }
    if (key == OP_DIGIT) return 1;
    if (key == OP_NAME) return 2;
    return 0;
}

int fieldaccepts(int field, int ch) {
    int cls;
    if (ch == '|') return 0;
    if (ch == '-') {
        cls = 4;
    } else if (ch == 'y' || ch == 'n') {
        cls = 3;
    } else {
        int key = ch >= 0 && ch < 128 ? intran[ch] : OP_OTHER;
        cls = key == OP_DIGIT ? 1 : key == OP_NAME ? 2 : 0;
    }
    int f = field >= 1 && field <= MAXFIELDS ? field : MAXFIELDS;
    int kind = ftype[f] - 'b';
    return kind >= 0 && kind <= 8 && checktable[cls][kind] ? 1 : 0;
}

int xbldrec() {
    int cls = recordclass();
    if (cls < 0) return 0;
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    if (l->object != OBJ_RECORD || c.curcol > l->length) return 0;  // the cursor stays inside
    findfield();
    fieldlen();
    int f = fieldnum <= MAXFIELDS ? fieldnum : MAXFIELDS;
    int kind = ftype[f] - 'b';
    if (kind < 0 || kind > 8 || !checktable[cls][kind]) return 0;
    bool insert = mode == 2;
    bool onbar = c.curcol <= l->length && textbase[curptr()] == '|';
    bool isfull = fieldsiz >= maxfieldlen[f];
    if (isfull && onbar) return 0;
    if (!onbar && !insert) {
        touchline(l);
        textbase[curptr()] = holdch;
        redisplay = 4;
        return 1;
    }
    if (isfull) {
        rctrunc();
        ringbell();
    } else {
        if (!cadd(' ')) return 0;
        cinsert(1);
    }
    textbase[curptr()] = holdch;
    redisplay = 7;
    return 1;
}

void bldrec() {
    if (xbldrec()) cur().curcol += 1;
}

// Mathematics lines.

void insmath(const char* string, int length) {
    COREFILE& c = cur();
    // blanks up to the cursor, none under it: the bytes go in at the cursor
    while (c.lnptr->length < c.curcol - 1) {
        if (!cadd(' ')) return;
    }
    for (int i = 0; i < length; i++) {
        if (!cadd(' ')) return;
        cinsert(1);
        textbase[curptr()] = static_cast<unsigned char>(string[i]);
        c.curcol += 1;
    }
    c.curcol -= length;
}

void insnode(int symbol, const char* string) {
    char node[24];
    int n = 0;
    node[n++] = static_cast<char>(246);
    for (const char* s = string; *s != 0 && n < 20; s++) node[n++] = *s;
    node[n++] = static_cast<char>(symbol);
    touchline(cur().lnptr);
    insmath(node, n);
    cur().lnptr->object = OBJ_MATH;
}

static bool nodesymbol(unsigned char b) { return b == 245 || (b >= 247 && b <= 254); }

int skipbars(int num, int ch1, int ch2, int direction, int bflag) {
    (void)bflag;
    const LINE* l = cur().lnptr;
    int length = linechars(l);
    int pos = cur().curcol - 1;
    int level = 0;
    while (num > 0 && pos >= 0 && pos < length) {
        unsigned char b = textbase[l->index + pos];
        bool opens = direction > 0 ? b == 246 : nodesymbol(b);
        bool closes = direction > 0 ? nodesymbol(b) : b == 246;
        if (level == 0 && (b == ch1 || b == ch2)) {
            num--;
        } else if (opens) {
            level++;
        } else if (closes && level > 0) {
            level--;
        }
        if (num > 0) pos += direction;
    }
    return pos + 1;
}

int skipforward(int num, int ch1, int ch2) { return skipbars(num, ch1, ch2, 1, 0); }
int skipback(int num, int ch1, int ch2) { return skipbars(num, ch1, ch2, -1, 0); }

void bldmath() {
    COREFILE& c = cur();
    if (c.curflag == 2) c.curflag = 1;
    if (c.curflag != 1) {
        redisplay = 1;
        return;
    }
    long pos = curptr();
    bool onnode = c.curcol <= c.lnptr->length && c.lnptr->object != OBJ_EMPTY && textbase[pos] == 246;
    if (type == 53 || mode == 2 || onnode) {
        static const char cells2[] = {static_cast<char>(243), static_cast<char>(243), 0};
        static const char cell1[] = {static_cast<char>(243), 0};
        switch (holdch) {
            case '!': insnode(248, cells2); break;
            case '(': insnode(251, ""); break;
            case '{': insnode(250, ""); break;
            case 226: insnode(249, ""); break;
            case 227: insnode(247, ""); break;
            case 228: insnode(252, cells2); break;
            case 229: insnode(245, ""); break;
            case 230: insnode(253, cell1); break;
            case 233: insnode(254, cells2); break;
            default: {
                char one = static_cast<char>(holdch);
                insmath(&one, 1);
                break;
            }
        }
    } else if (c.curcol <= c.lnptr->length && c.lnptr->object != OBJ_EMPTY) {
        touchline(c.lnptr);
        textbase[pos] = holdch;
    } else {
        touchline(c.lnptr);
        extline();
        if (c.lnptr->length >= c.curcol) textbase[curptr()] = holdch;
    }
    rightm();
    redisplay = 1;
}

void recmath() {
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    LINE* below = l->down;
    if (below == c.header || (below->object != OBJ_TEXT && below->object != OBJ_MATH)) return;
    if (!roomfor(static_cast<long>(linechars(l)) + c.curcol + below->length)) return;
    int count = below->length;
    char* chars = new char[static_cast<size_t>(count) + 1];
    memcpy(chars, textbase + below->index, static_cast<size_t>(count));
    c.lnptr = below;
    removeline();
    c.lnptr = l;
    insmath(chars, count);
    delete[] chars;
    redisplay = 1;
}

bool measuretable(tableinfo& t) {
    const COREFILE& c = cur();
    const LINE* l = c.lnptr;
    if (c.curcol > linechars(l)) return false;
    if (textbase[l->index + c.curcol - 1] != 245) return false;
    int start = c.curcol - 1;
    while (start >= 1 && textbase[l->index + start - 1] != 246) start--;
    if (start < 1) return false;
    t.start = start + 1;
    t.numrows = 1;
    t.numcols = 1;
    int cells = 1;
    for (int colno = t.start; colno < c.curcol; colno++) {
        unsigned char b = textbase[l->index + colno - 1];
        if (b == 244) {
            t.numrows++;
            cells = 1;
        } else if (b == 243) {
            cells++;
            if (cells > t.numcols) t.numcols = cells;
        }
    }
    return true;
}

// The table-cell cursor stands on a table of a mathematics line.
static bool tableatcursor(tableinfo& t) {
    const COREFILE& c = cur();
    return c.curflag == 3 && c.lnptr->object == OBJ_MATH && measuretable(t);
}

void instabrow() {
    tableinfo t;
    if (!tableatcursor(t)) return;
    COREFILE& c = cur();
    char newrow[MAXFIELDS + 2];
    int n = 0;
    newrow[n++] = static_cast<char>(244);
    for (int i = 1; i < t.numcols && n < MAXFIELDS; i++) newrow[n++] = static_cast<char>(243);
    int marker = c.curcol;
    insmath(newrow, n);  // the new row goes last, just before the marker
    c.curcol = marker + n;  // the cursor stays on the table's marker
    redisplay = 12;
}

void instabcol() {
    tableinfo t;
    if (!tableatcursor(t)) return;
    COREFILE& c = cur();
    const char cell = static_cast<char>(243);
    int marker = c.curcol;
    // one more cell at the end of every row; from the right, so that columns stay valid
    int inserted = 0;
    for (int colno = marker; colno >= t.start; colno--) {
        bool rowend = colno == marker || textbase[c.lnptr->index + colno - 1] == 244;
        if (!rowend) continue;
        c.curcol = colno;
        insmath(&cell, 1);
        inserted++;
    }
    c.curcol = marker + inserted;
    redisplay = 12;
}

}  // namespace zek

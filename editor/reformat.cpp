// Reformat of paragraphs between the margins, justification and hyphenation. The new lines are
// built in the free end of the character array; only when they are complete do they replace
// the paragraph, whose old lines go to corefile 0.
#include "editor/reformat.h"

#include <cstring>

#include "editor/corutils.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/scrout.h"
#include "editor/stars.h"
#include "editor/tabs.h"

namespace zek {

int hyphlevel = 0;
int jmode = 0;
long bit_p = 1;
const long max_p = 0x40000000;
constexpr long JUSTPATTERN = 0x5ca93659;
constexpr unsigned char SOFTHYPHEN = 173;

const char* const prefixtab[] = {
    "COUNTER", "ELECTRO", "PSEUDO", "EXTRA", "HECTO", "HYDRO", "HYPER", "INTER", "INTRO", "MICRO",
    "MILLI", "MULTI", "ORTHO", "PHONO", "PHOTO", "PROTO", "RADIO", "SUPER", "TRANS", "ULTRA",
    "UNDER", "ANTE", "ANTI", "ARCH", "AUTO", "DEMI", "ENDO", "EQUI", "FORE", "HOMO",
    "HYPO", "HYPH", "KILO", "META", "MONO", "MULT", "OCTA", "OCTO", "OMNI", "OVER",
    "PARA", "PERI", "PHIL", "POLY", "POST", "PROT", "SEMI", "TELE", "VICE", "EVEN",
    "BIO", "COM", "CON", "DIA", "DIS", "EPH", "EPI", "FOR", "HYP", "MAL",
    "MIS", "NEO", "NON", "OCT", "OUT", "PAN", "PAR", "PEL", "PER", "PIL",
    "PRE", "PRO", "REN", "RED", "SUB", "SYM", "SYN", "TRI", "UNI", "PSY",
    "AB", "AD", "BE", "BY", "DE", "DY", "EM", "EN", "EP", "EU",
    "EV", "EX", "EF", "IL", "IM", "IN", "IR", "NE", "PA", "RE",
    "UN", "UP",
};

const char* const suffixtab[] = {
    "TIVELY", "ENTIAL", "ANCIES", "ANCING", "ENCIES", "ENCING", "ENTING", "ENTIST", "EOUSLY", "ICALLY",
    "IOUSLY", "LESSLY", "SCIOUS", "TIONAL", "TIONLY", "ATELY", "ENTLY", "IALLY", "ICANT", "ITELY",
    "IVELY", "METER", "TRACT", "ARIAL", "ENTAL", "GEOUS", "CIOUS", "CEOUS", "TIOUS", "TUOUS",
    "ULOUS", "UROUS", "PRISE", "CIAL", "ICAL", "SIAL", "TIAL", "ANCY", "ISED", "IZED",
    "TIES", "EALY", "CION", "SION", "TION", "EOUS", "IOUS", "TOUS", "INCE", "TIVE",
    "TIAN", "TEEN", "ENCE", "CIES", "MENT", "MINE", "LARY", "RATE", "ABLE", "ABLY",
    "ALLY", "ANCE", "ARIC", "ATIC", "ATOR", "ELLY", "ENCE", "ENLY", "FULL", "GION",
    "HOOD", "IATE", "IBLE", "IBLY", "IENT", "ISER", "ITHM", "ITIC", "IZER", "LESS",
    "LENT", "NESS", "ORIC", "SENT", "SIVE", "TENT", "TIVE", "TURE", "WARD", "WISE",
    "NENT", "STER", "EAL", "IAL", "UAL", "IAN", "EAR", "IED", "IER", "IES",
    "ALY", "ELY", "ILY", "ION", "ARY", "ERY", "OUS", "ICE", "TRY", "TOR",
    "MAN", "IVE", "ACY", "AGE", "ANT", "ARD", "ATE", "ENT", "FUL", "IDE",
    "IFY", "ILT", "INE", "ING", "ISE", "ISH", "ISM", "IST", "ITE", "ITY",
    "IVE", "IZE", "OGY", "OID", "ONE", "ORY", "URE", "USE", "UTE", "FLE",
    "AN", "AR", "AS", "CY", "ED", "EN", "ER", "IA", "IC", "IS",
    "LY", "ON", "OR", "RY", "UM", "US",
};
const int NUMPREFIX = sizeof prefixtab / sizeof prefixtab[0];
const int NUMSUFFIX = sizeof suffixtab / sizeof suffixtab[0];

void initreformat() {
    hyphlevel = 0;
    jmode = 0;
    bit_p = 1;
}

void hyphenset() { hyphlevel = param[1]; }
void justset() { jmode = param[1]; }

// Reading the paragraph as one stream.
static LINE* rlp = nullptr;
static int rcp = 1;
// The stream's character, or PARAEND past the paragraph (a stored byte 4 is only text).
constexpr int PARAEND = -1;
static int c = ' ';
static int lastc = ' ';
static LINE* below = nullptr;

// Writing the new lines.
static LINE dummyheader;
static LINE* newln = nullptr;
static LINE* above = nullptr;
static LINE* rfirst = nullptr;
static LINE* rlast = nullptr;
static long ravail = 0;
static int rcount = 0;
static int rline = 0;
static int numinline = 0;
static int wordsinline = 0;
static int sz = 0;
static int remspace = 0;
static int result = 0;
static bool failed = false;

static int textlen(const LINE* l) { return l->object == OBJ_TEXT ? l->length : 0; }
static unsigned char charat(const LINE* l, int col) { return textbase[l->index + col - 1]; }

static int firstnonblank(const LINE* l) {
    for (int col = 1; col <= textlen(l); col++) {
        if (charat(l, col) != ' ') return col;
    }
    return 0;
}

static void nextstreamline() {
    rlp = rlp->down;
    rcp = lmargin;
}

// Sets c to the next character of the stream without consuming it.
void rpeep() {
    for (;;) {
        if (rlp == below) {
            c = PARAEND;
            return;
        }
        int len = textlen(rlp);
        if (rcp > len) {
            if (lastc == ' ') {
                nextstreamline();
                continue;
            }
            c = ' ';
            return;
        }
        const unsigned char* text = textbase + rlp->index;
        unsigned char ch = text[rcp - 1];
        if (ch == ' ') {
            if (lastc == ' ') {
                rcp++;
                continue;
            }
        } else if (ch == SOFTHYPHEN && rcp == len && rcp > 1 && text[rcp - 2] != ' ') {
            // a word broken by an earlier reformat: rejoin it without the soft hyphen
            nextstreamline();
            continue;
        }
        c = ch;
        return;
    }
}

// Steps past the character rpeep delivered.
void rnext() {
    if (rlp == below) return;
    int len = textlen(rlp);
    if (rcp > len) {
        nextstreamline();
    } else {
        bool hyphenend = c == '-' && rcp == len && rcp > 1 && charat(rlp, rcp - 1) != ' ';
        if (hyphenend) {
            nextstreamline();  // the hyphen is kept and the line end after it skipped
        } else {
            rcp++;
        }
    }
    lastc = c;
}

struct streampos {
    LINE* l;
    int col;
    int ch, last;
};
static streampos savestream() { return {rlp, rcp, c, lastc}; }
static void restorestream(const streampos& p) {
    rlp = p.l;
    rcp = p.col;
    c = p.ch;
    lastc = p.last;
}

// The common case of a word: it starts at the read position and ends inside the same line,
// or at its end without a hyphen to rejoin. Sets *end to the column after it; false when the
// stream rules need the character-by-character path.
// countword and copyword ask for the same word in turn: the last answer is kept.
static const LINE* wordline = nullptr;
static int wordcol = 0;
static int wordend = 0;  // 0: not a word of the common case

static bool wordinline(int* end) {
    if (rlp == below) return false;
    if (rlp == wordline && rcp == wordcol) {
        *end = wordend;
        return wordend != 0;
    }
    int len = textlen(rlp);
    if (rcp > len) return false;
    const unsigned char* text = textbase + rlp->index;
    int col = rcp;
    while (col <= len && text[col - 1] != ' ') col++;
    bool common = col != rcp && !(col > len && (text[len - 1] == '-' || text[len - 1] == SOFTHYPHEN));
    wordline = rlp;
    wordcol = rcp;
    wordend = common ? col : 0;
    *end = col;
    return common;
}

int countword() {
    int end = 0;
    if (wordinline(&end)) return end - rcp;
    streampos start = savestream();
    int n = 0;
    for (rpeep(); c != ' ' && c != PARAEND; rpeep()) {
        n++;
        rnext();
    }
    restorestream(start);
    return n;
}

void rput(int ch) {
    if (failed) return;
    if (ravail >= hiaddr) {
        failed = true;
        return;
    }
    textbase[ravail++] = static_cast<unsigned char>(ch);
    newln->length++;
    rcount++;
}

static void copychars(int count) {
    for (int i = 0; i < count; i++) {
        rpeep();
        if (c == ' ' || c == PARAEND) break;
        rput(c);
        rnext();
    }
}

void copyword() {
    int end = 0;
    if (wordinline(&end) && !failed && ravail + (end - rcp) < hiaddr) {
        int n = end - rcp;
        memcpy(textbase + ravail, textbase + rlp->index + rcp - 1, static_cast<size_t>(n));
        ravail += n;
        newln->length += n;
        rcount += n;
        c = textbase[rlp->index + end - 2];
        lastc = c;
        rcp = end;
        return;
    }
    for (rpeep(); c != ' ' && c != PARAEND; rpeep()) {
        rput(c);
        rnext();
    }
}

void newhdr() {
    if (failed) return;
    if (reserve == nullptr) {
        failed = true;
        return;
    }
    LINE* l = allochdr();
    l->object = OBJ_TEXT;
    l->index = ravail;
    l->length = 0;
    l->up = above;
    l->down = nullptr;
    above->down = l;
    above = l;
    newln = l;
    if (rfirst == nullptr) rfirst = l;
    rlast = l;
    rline++;
    numinline = 0;
    wordsinline = 0;
    if (reserve == nullptr) failed = true;  // the header just handed out was the last
}

static void indent(int blanks) {
    for (int i = 0; i < blanks; i++) rput(' ');
}

// Hyphenation.
static char hbuff[201];
static int hlength = 0;
static int maxpoint = 0;
static int hyphpoint = -1;
static int nohyphen = 0;

int vowel(int ch) { return ch == 'A' || ch == 'E' || ch == 'I' || ch == 'O' || ch == 'U' || ch == 'Y'; }
int together(int ch) { return ch == 'L' || ch == 'S'; }

void savepoint(int point) {
    if (point > hyphpoint && point <= maxpoint) hyphpoint = point;
}

void upcase() {
    for (int i = 0; i < hlength; i++) {
        if (hbuff[i] >= 'a' && hbuff[i] <= 'z') hbuff[i] = static_cast<char>(hbuff[i] - 32);
    }
}

static bool nonletter(int i) {
    unsigned char ch = static_cast<unsigned char>(hbuff[i]);
    return ch <= 64 || ch >= 128;
}

void wordmask() {
    while (hlength > 2 && nonletter(hlength - 1)) hlength--;
    if (hlength >= 2 && hbuff[hlength - 2] == '\'') hlength -= 2;
    hbuff[hlength] = 0;
}

int rule1() {
    int point = 0;
    for (int j = 0; j < hlength && j < maxpoint; j++) {
        if (hbuff[j] == '-') {
            point = j + 1;
            nohyphen = 1;
        }
    }
    return point;
}

int ruleprefix() {
    for (int i = 0; i < NUMPREFIX; i++) {
        size_t n = strlen(prefixtab[i]);
        if (static_cast<int>(n) <= hlength && strncmp(hbuff, prefixtab[i], n) == 0) return static_cast<int>(n);
    }
    return 0;
}

int rulesuffix() {
    for (int i = 0; i < NUMSUFFIX; i++) {
        int n = static_cast<int>(strlen(suffixtab[i]));
        if (n > hlength) continue;
        if (strncmp(hbuff + hlength - n, suffixtab[i], static_cast<size_t>(n)) == 0) return hlength - n;
    }
    return 0;
}

int rule5() {
    int point = 0;
    for (int i = 2; i <= hlength - 3; i++) {
        if (vowel(hbuff[i]) && !vowel(hbuff[i - 1]) && !vowel(hbuff[i + 1]) && i <= maxpoint) point = i;
    }
    return point;
}

int rule6() {
    for (int k = 2, steps = 0; steps < hlength - 3 && k + 1 < hlength; k++, steps++) {
        if (hbuff[k] != 'S' || vowel(hbuff[k + 1])) continue;
        if (vowel(hbuff[k - 1])) return 0;
        int point = hbuff[k - 1] == 'S' ? k + 1 : k;
        return point <= maxpoint ? point : 0;
    }
    return 0;
}

int rule7() {
    int point = 0;
    for (int j = 1, k = 2; k < hlength - 1; j++, k++) {
        if (hbuff[j] == hbuff[k] && !vowel(hbuff[j])) {
            if (together(hbuff[k])) k++;
            if (k < hlength && vowel(hbuff[k])) k--;
            if (k <= maxpoint) point = k;
        }
    }
    return point;
}

int rule8() {
    int point = 0;
    for (int j = 0; j <= hlength - 3; j++) {
        if (hbuff[j] == 'X' && j <= maxpoint) point = j + 1;
    }
    return point;
}

int hyphenate(int hlen, int hmax) {
    nohyphen = 0;
    hlength = hlen;
    maxpoint = hmax;
    hyphpoint = -1;
    if (hlen > 200) return 0;
    if (hlen <= 5) return -1;
    streampos start = savestream();
    int n = 0;
    for (rpeep(); c != ' ' && c != PARAEND && n < 200; rpeep()) {
        hbuff[n++] = static_cast<char>(c);
        rnext();
    }
    restorestream(start);
    hlength = n;
    hbuff[n] = 0;
    upcase();
    wordmask();
    if (hlength > 0) {
        savepoint(rule1());
        if (hyphpoint <= 0 && hyphlevel >= 1) {
            savepoint(ruleprefix());
            savepoint(rule6());
            savepoint(rule8());
            savepoint(rulesuffix());
        }
        if (hyphpoint <= 0 && hyphlevel >= 2) savepoint(rule7());
        if (hyphpoint <= 0 && hyphlevel == 3) savepoint(rule5());
    }
    return hyphpoint;
}

// Justification of the output line being filled: `indentation` leading columns stay.
static int indentation = 0;

void justify() {
    if (jmode != 1 || failed) return;
    int length = newln->length;
    int d = rmargin - length;
    int gaps = numinline < 100 ? numinline : 100;
    if (d <= 0 || gaps == 0) return;
    if (ravail + d >= hiaddr) {
        failed = true;
        return;
    }
    int space_array[100];
    int r = d / gaps;
    int e = d % gaps;
    for (int i = 0; i < gaps; i++) space_array[i] = r;
    while (e > 0) {
        for (int i = 0; i < gaps && e > 0; i++) {
            if ((JUSTPATTERN & bit_p) && space_array[i] < r + 1) {
                space_array[i]++;
                e--;
            }
            bit_p = (bit_p == max_p) ? 1 : bit_p << 1;
        }
    }
    unsigned char* text = textbase + newln->index;
    int src = length - 1;
    int dst = length + d - 1;
    int gap = numinline - 1;
    while (src >= indentation && src < dst) {
        unsigned char ch = text[src--];
        text[dst--] = ch;
        if (ch == ' ') {
            int extra = (gap >= 0 && gap < 100) ? space_array[gap] : 0;
            for (int k = 0; k < extra; k++) text[dst--] = ' ';
            gap--;
        }
    }
    newln->length += d;
    ravail += d;
    rcount += d;
}

// Builds the new lines of the paragraph at the free end; 1 on success.
int refblock() {
    COREFILE& cf = cur();
    LINE* first = cf.lnptr;
    ravail = avail;
    wordline = nullptr;  // the lines of another paragraph may stand in the same headers
    rcount = rline = 0;
    failed = false;
    dummyheader = LINE();
    above = &dummyheader;
    rfirst = rlast = newln = nullptr;

    int nb = firstnonblank(first);
    int firstindent;
    if (cf.curcol > nb) {
        newhdr();
        int keep = cf.curcol - 1 < textlen(first) ? cf.curcol - 1 : textlen(first);
        for (int col = 1; col <= keep; col++) rput(charat(first, col));
        firstindent = lmargin - 1;
    } else {
        firstindent = nb - 1;
    }
    rlp = first;
    rcp = cf.curcol;
    lastc = ' ';
    bool due = true;
    bool firstrefilled = true;
    for (;;) {
        if (failed) break;
        rpeep();
        if (c == PARAEND) break;
        if (c == ' ') {
            rnext();
            continue;
        }
        if (due) {
            newhdr();
            indentation = firstrefilled ? firstindent : lmargin - 1;
            if (indentation < 0) indentation = 0;
            indent(indentation);
            firstrefilled = false;
            due = false;
        }
        if (failed) break;
        sz = countword();
        remspace = rmargin - newln->length - (wordsinline > 0 ? 1 : 0);
        if (sz <= remspace) {
            if (wordsinline > 0) {
                rput(' ');
                numinline++;
            }
            copyword();
            wordsinline++;
            continue;
        }
        result = hyphenate(sz, remspace - 1);
        if (result > 0) {
            if (wordsinline > 0) {
                rput(' ');
                numinline++;
            }
            copychars(result);
            if (!nohyphen) rput(SOFTHYPHEN);
            wordsinline++;
        } else if (wordsinline == 0) {
            copyword();  // alone it overflows the margin
            wordsinline++;
        }
        rpeep();
        if (c != PARAEND) justify();  // a line ended by the paragraph's end is not justified
        due = true;
    }
    if (failed || reserve == nullptr) {
        for (LINE* l = rfirst; l != nullptr;) {
            LINE* next = l->down;
            releaseheader(l);
            l = next;
        }
        rfirst = rlast = nullptr;
        return 0;
    }
    return 1;
}

void reformat() {
    COREFILE& cf = cur();
    LINE* first = cf.lnptr;
    if (first->object != OBJ_TEXT) return;
    detrline();
    LINE* l = first->down;
    while (l != cf.header && l->object == OBJ_TEXT) {
        cf.lnptr = l;
        detrline();
        if (firstnonblank(l) != lmargin) break;
        l = l->down;
    }
    cf.lnptr = first;
    below = l;

    if (!refblock()) {
        garbage();
        if (full || !refblock()) {
            diserr("inadequate free space for reformat");
            return;
        }
    }
    avail = ravail;

    // Old paragraph lines: first .. below->up.
    LINE* lastold = below->up;
    bool topinside = false;
    bool starinside = false;
    int oldlines = 0;
    long oldchars = 0;
    for (LINE* p = first;; p = p->down) {
        if (p == cf.disln) topinside = true;
        if (p == cf.starA || p == cf.starB) starinside = true;
        oldlines++;
        oldchars += textlen(p);
        if (p == lastold) break;
    }
    LINE* before = first->up;
    unlinkrun(corenum, first, lastold, oldlines, oldchars);
    if (starinside) clrstars();

    if (corenum == 0) {
        // Reformatting the hold corefile itself: its old lines are given up.
        for (LINE* p = first; p != nullptr;) {
            LINE* next = p == lastold ? nullptr : p->down;
            if (p->linked) {
                memset(textbase + p->index, FREEPOS, static_cast<size_t>(p->length));
                p->object = OBJ_DEAD;
            } else {
                releaseheader(p);
            }
            p = next;
        }
    } else {
        linkrun(0, core[0].lnptr, first, lastold, oldlines, oldchars);
    }

    // New lines, where the old ones were.
    int newlines = 0;
    long newchars = 0;
    for (LINE* p = rfirst; p != nullptr; p = p->down) {
        newlines++;
        newchars += p->length;
        if (p->length == 0) {
            p->object = OBJ_EMPTY;
        } else {
            cf.lnptr = p;
            linkphys();
        }
    }
    linkrun(corenum, before, rfirst, rlast, newlines, newchars);
    if (topinside) cf.disln = rfirst;
    cf.lnptr = rfirst;
    redisplay = 6;
}

}  // namespace zek

// Find and change: scan units, pattern codes, wildcard lines and the text statistics. Every
// search reads the current corefile through the text pointer.
#include "editor/scan.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "editor/check.h"
#include "editor/corutils.h"
#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/scrin.h"
#include "editor/screen.h"
#include "editor/scrout.h"
#include "editor/syshandler.h"
#include "editor/terminal_xq.h"
#include "editor/utilptr.h"

namespace zek {

char scanpattern[49];
char targetstring[49];
int scanunit = 0;
char peepchar = 0;
int wordlen[21];
int sentlen[101];

// Pattern codes (control codes of the letters in braces).
constexpr unsigned char PC_GAP = 1;       // {A}
constexpr unsigned char PC_ANY = 3;       // {C}
constexpr unsigned char PC_SEPS = 5;      // {E}
constexpr unsigned char PC_NOT = 14;      // {N}
constexpr unsigned char PC_WORDGAP = 23;  // {W}
constexpr int MAXGAP = 19;

void initscan() {
    scanpattern[0] = 0;
    targetstring[0] = 0;
    scanunit = 0;
    peepchar = 0;
    memset(wordlen, 0, sizeof wordlen);
    memset(sentlen, 0, sizeof sentlen);
}

static bool atend() { return ptrend(); }

// The code at the pointer: the stream codes 4 and 10, or the stored byte.
static int here() {
    int ch = peepc() & 255;
    peepchar = static_cast<char>(ch);
    return ch;
}

static int kindhere() {
    here();
    return peepkind();
}

struct textpos {
    LINE* l;
    int c;
    int d;
};
static textpos savepos() { return {lp, cp, dist}; }
static void restorepos(const textpos& p) {
    lp = p.l;
    cp = p.c;
    dist = p.d;
}

// The character at the pointer equals the pattern byte (never at a line end or the end).
static bool equalshere(unsigned char b) {
    if (atend()) return false;
    if (cp > lp->length || lp->object == OBJ_EMPTY || lp->object == OBJ_PICTURE) return false;
    return textbase[lp->index + cp - 1] == b;
}

// Walks the pattern from the pointer; `negated` collects the {N} toggles met on the way.
static bool rawmatch(const unsigned char* p, int& negated) {
    for (; *p != 0; p++) {
        unsigned char code = *p;
        if (code >= 32) {
            if (!equalshere(code)) return false;
            nextc();
        } else if (code == PC_ANY) {
            nextc();  // at the end nothing is consumed, and the code does not fail
        } else if (code == PC_SEPS) {
            if (!(kindhere() & CK_SEPARATOR)) return false;
            while (!atend() && (kindhere() & CK_SEPARATOR)) nextc();
        } else if (code == PC_GAP || code == PC_WORDGAP) {
            unsigned char b = p[1];
            if (b == 0) return false;  // a gap looks for the next pattern byte, and there is none
            int advanced = 0;
            for (;;) {
                while (!equalshere(b)) {
                    if (code == PC_GAP) {
                        if (advanced == MAXGAP || atend()) return false;
                        advanced++;
                    } else {
                        if (atend() || (kindhere() & CK_SEPARATOR)) return false;
                    }
                    nextc();
                }
                textpos at = savepos();
                int subnegated = negated;
                bool ok = rawmatch(p + 1, subnegated);
                restorepos(at);
                if (ok) {
                    negated = subnegated;
                    return true;
                }
                nextc();  // over this b, not counted against the bound
            }
        } else if (code == PC_NOT) {
            negated ^= 1;
        }
        // every other control code is ignored
    }
    return true;
}

int match(const char* pattern) {
    textpos start = savepos();
    int negated = 0;
    bool ok = rawmatch(reinterpret_cast<const unsigned char*>(pattern), negated);
    restorepos(start);
    return (ok != (negated != 0)) ? 1 : 0;
}

// The first occurrence of the n bytes of `pattern` in the `size` bytes at `text`, or nullptr:
// its first byte found with memchr, the rest compared where it stands.
const void* findplain(const unsigned char* text, size_t size, const char* pattern, size_t n) {
    const unsigned char* end = text + size;
    while (static_cast<size_t>(end - text) >= n) {
        const auto* at = static_cast<const unsigned char*>(memchr(text, pattern[0], static_cast<size_t>(end - text) - n + 1));
        if (at == nullptr) return nullptr;
        if (memcmp(at + 1, pattern + 1, n - 1) == 0) return at;
        text = at + 1;
    }
    return nullptr;
}

int fastsearch() {
    // A pattern that starts with a plain character (and negates nothing) can only match where
    // that character stands: the search jumps from one occurrence to the next within a line.
    // A pattern of plain characters only matches inside one line, byte for byte: the search
    // looks for the whole of it at once.
    unsigned char first = static_cast<unsigned char>(scanpattern[0]);
    bool jump = first >= 32 && strchr(scanpattern, PC_NOT) == nullptr;
    size_t patternlength = strlen(scanpattern);
    bool plain = jump && std::all_of(scanpattern, scanpattern + patternlength,
                                     [](char ch) { return static_cast<unsigned char>(ch) >= 32; });
    while (!atend()) {
        if (jump) {
            bool chars = lp->object != OBJ_EMPTY && lp->object != OBJ_PICTURE && cp <= lp->length;
            const void* at = nullptr;
            if (chars) {
                const unsigned char* text = textbase + lp->index;
                size_t rest = static_cast<size_t>(lp->length - cp + 1);
                at = plain ? findplain(text + cp - 1, rest, scanpattern, patternlength) : memchr(text + cp - 1, first, rest);
                if (at != nullptr) cp = static_cast<int>(static_cast<const unsigned char*>(at) - text) + 1;
                if (at != nullptr && plain) return 1;
            }
            if (at == nullptr) {
                cp = lp->length + 1;  // nothing on the rest of this line: on to the next one
                if (lp->object == OBJ_EMPTY || lp->object == OBJ_PICTURE) cp = 1;
                nextc();
                continue;
            }
        }
        if (match(scanpattern)) return 1;
        nextc();
    }
    return 0;
}

void nextwdend() {
    while (!(kindhere() & CK_SEPARATOR)) nextc();
}

void nextlett() {
    while (!(kindhere() & CK_LETTER)) nextc();
}

void nextword() {
    nextwdend();
    nextlett();
}

void nextfldend() {
    while (!atend() && here() != '|' && here() != LINEEND) nextc();
}

void nextline() {
    if (atend()) return;
    lp = lp->down;
    cp = 1;
    dist += 1;
}

void altnextline() { nextline(); }

void nextsent() {
    while (!(kindhere() & CK_SENTENCE)) nextc();
    nextlett();
}

void moveoneunit() {
    switch (scanunit) {
        case 0: nextc(); break;
        case 1: nextword(); break;
        case 3: nextsent(); break;
        case 4: prevc(); break;
        case 6:
            if (cur().viewtype != 0) {
                nextline();
            } else {
                nextword();
            }
            break;
        case 7: altnextline(); break;
        default: nextline(); break;  // 2 and 5
    }
}

int basictest(int firstloop) {
    switch (scanunit) {
        case 5:
        case 6: return recordtest(firstloop);
        case 7: {
            if (atend() || lp->object == OBJ_EMPTY || lp->object == OBJ_PICTURE) {
                return unify(scanpattern, 0, 0, 0);
            }
            return unify(scanpattern, lp->index, 0, lp->length);
        }
        default: return match(scanpattern);
    }
}

// Searches from the pointer by the scan unit; leaves the pointer on the find.
static bool search() {
    if (scanunit == 0) return fastsearch() == 1;
    bool first = true;
    while (!atend()) {
        if (basictest(first ? 1 : 0)) return true;
        first = false;
        moveoneunit();
    }
    return false;
}

// How much of the cursor line the find at the cursor covers: the pattern's match (the line
// pattern of unit 7: the rest of the line); 0 for the record units and a negated pattern.
static int foundlength() {
    setptr();
    if (atend() || lp->object == OBJ_EMPTY || lp->object == OBJ_PICTURE) return 0;
    if (scanunit == 7) return lp->length - cp + 1;
    if (scanunit == 5 || scanunit == 6 || strchr(scanpattern, PC_NOT) != nullptr) return 0;
    const LINE* line = lp;
    int start = cp;
    int negated = 0;
    bool ok = rawmatch(reinterpret_cast<const unsigned char*>(scanpattern), negated);
    int end = lp == line ? cp : line->length + 1;
    return ok && end > start ? end - start : 0;
}

// Screen mode: the found text is highlighted until the next key; a search that found nothing
// says so.
static void showfind(bool success) {
    if (!screenmode) return;
    if (success) {
        composer().str("$Th").num(foundlength()).send();
        return;
    }
    char shown[120];
    untransstring(scanpattern, shown, sizeof shown);
    char text[160];
    snprintf(text, sizeof text, "Nothing more found for \"%s\"", shown);
    confirm(text);
}

static void found() {
    setcur();
    vl_result[loopdepth] = 1;
    if (scanunit == 7) copywild();
}

void find() {
    vl_result[loopdepth] = 0;
    setptr();
    bool success = search();
    if (success) found();
    mode = 1;
    putresult();
    showfind(success);
}

void resfind() {
    vl_result[loopdepth] = 0;
    setptr();
    moveoneunit();
    bool success = search();
    if (success) found();
    putresult();
    showfind(success);
}

void resnumber() {
    int count = 0;
    setptr();
    bool first = true;
    while (!atend()) {
        if (basictest(first ? 1 : 0)) count++;
        first = false;
        moveoneunit();
    }
    vl_result[loopdepth] = count;
    putresult();
}

void rescheck() {
    setptr();
    int ok = basictest(1);
    vl_result[loopdepth] = ok;
    if (ok && scanunit == 7) copywild();
    putresult();
}

void findchk() { scanunit = param[1]; }

void changechk() {
    if (scanpattern[0] == 0) {
        diserr("Empty scan pattern");
        del = 2;
    }
}

// One replacement at the pointer, for a match at or over its line's end: the line is opened
// or closed at the cursor and the replacement written there. False, with nothing changed,
// when the line cannot grow; otherwise the pointer is left where the search goes on.
static long changes = 0;  // replacements made by the CHANGE in progress

static bool replaceone(int replace, int patternlength) {
    COREFILE& c = cur();
    bool atlineend = cp > lp->length || lp->object == OBJ_EMPTY;
    // Growing the match's line may move it (and these lines with it) to the array's end.
    heldline lastln(c.lnptr);
    int lastcol = c.curcol;
    heldline lasttop(c.disln);
    setcur();
    LINE* l = c.lnptr;
    int before = l->object == OBJ_EMPTY ? 0 : l->length;
    if (replace < patternlength) {
        cremove(patternlength - replace);
    } else if (replace > patternlength) {
        int grown = 0;
        while (grown < replace - patternlength && cadd(' ')) grown++;
        if (grown < replace - patternlength) {
            // A line that cannot move to the end of the array cannot grow: shifting its
            // text would lose its last characters. Give the blanks back and stop there.
            l = c.lnptr;
            memset(textbase + l->index + l->length - grown, FREEPOS, static_cast<size_t>(grown));
            l->length -= grown;
            c.charcount -= grown;
            c.lnptr = lastln;
            c.curcol = lastcol;
            c.disln = lasttop;
            return false;
        }
        cinsert(replace - patternlength);
    }
    // the match may have run over the line's end: the line must hold the whole replacement
    while (replace > 0 && c.lnptr->length < c.curcol + replace - 1) {
        if (!cadd(' ')) break;
    }
    int room = c.lnptr->length - c.curcol + 1;
    int n = replace < room ? replace : room;
    if (n > 0) touchline(c.lnptr);
    if (n > 0) memcpy(textbase + curptr(), targetstring, static_cast<size_t>(n));
    c.curcol += replace;
    bool changed = replace > 0 || (c.lnptr->object != OBJ_EMPTY && c.lnptr->length != before);
    if (avail > hiaddr || reserve == nullptr) garbage();
    setptr();
    // A match at a line end cannot take the line end away; nor can an empty replacement
    // that removed nothing make progress: continue after it.
    if (atlineend || !changed) nextc();
    changes++;
    return true;
}

static bool insideline(int patternlength) {
    return lp != cur().header && lp->object != OBJ_EMPTY && lp->object != OBJ_PICTURE &&
           cp + patternlength - 1 <= lp->length;
}

// The positions after line l that are free, up to `wanted` of them.
static long freeafter(const LINE* l, long wanted) {
    long p = l->index + l->length;
    long n = 0;
    while (n < wanted && p + n < TEXTSIZE && textbase[p + n] == FREEPOS) n++;
    return n;
}

// Every match of the pointer's line that lies inside the line, replaced in one rewrite of the
// line, so that a line of a million matches costs one pass. The replacements are made as
// they would be one by one: the cursor follows them, the work stops after the first one that
// takes the array past its soft limit, and at the array's end (`nospace`). Returns whether
// the pointer stands on a further match.
static bool replaceinline(int replace, int patternlength, bool& nospace) {
    COREFILE& c = cur();
    heldline firstln(c.lnptr);
    int firstcol = c.curcol;
    heldline firsttop(c.disln);
    setcur();
    LINE* l = c.lnptr;
    int n = l->length;
    // kept between calls: a change of many lines reuses their room
    static std::vector<int> cols;
    static std::vector<unsigned char> text;
    cols.assign(1, cp);
    bool found;
    for (;;) {
        lp = l;
        cp = cols.back() + patternlength;
        dist = 0;
        found = fastsearch();
        if (!found || lp != l || !insideline(patternlength)) break;
        cols.push_back(cp);
    }
    bool nextonline = found && lp == l;
    int nextcol = cp;

    long k = static_cast<long>(cols.size());
    long grow = replace - patternlength;
    bool shift = false;
    if (grow > 0) {
        bool last = l == lastphys;
        long capacity;
        long end0;
        if (last || freeafter(l, k * grow) >= k * grow) {
            capacity = last ? TEXTSIZE - (l->index + n) : k * grow;
            end0 = last ? l->index + n : -1;  // growth over free positions leaves avail alone
        } else {
            shift = true;
            capacity = avail + n <= TEXTSIZE ? TEXTSIZE - avail - n : -1;
            end0 = avail + n;
        }
        long fits = capacity >= 0 ? capacity / grow : 0;
        long soft = end0 < 0 ? k : (end0 > hiaddr ? 1 : 1 + (hiaddr - end0) / grow);
        if (fits < k) nospace = true;
        k = std::min(k, std::min(fits, soft));
    }
    if (k == 0) {
        c.lnptr = firstln;
        c.curcol = firstcol;
        c.disln = firsttop;
        return false;
    }

    long length = n + k * grow;
    if (text.size() <= static_cast<size_t>(length)) text.resize(static_cast<size_t>(length) + 1);
    const unsigned char* old = textbase + l->index;
    unsigned char* to = text.data();
    int from = 1;
    for (long i = 0; i < k; i++) {
        size_t kept = static_cast<size_t>(cols[static_cast<size_t>(i)] - from);
        memcpy(to, old + from - 1, kept);
        memcpy(to + kept, targetstring, static_cast<size_t>(replace));
        to += kept + static_cast<size_t>(replace);
        from = cols[static_cast<size_t>(i)] + patternlength;
    }
    memcpy(to, old + from - 1, static_cast<size_t>(n - from + 1));
    touchline(l);
    if (shift) {
        shiftline();
        l = c.lnptr;
    }
    changes += k;
    memcpy(textbase + l->index, text.data(), static_cast<size_t>(length));
    if (length < n) memset(textbase + l->index + length, FREEPOS, static_cast<size_t>(n - length));
    if (l->index + length > avail) avail = l->index + length;
    c.charcount += length - n;
    l->length = static_cast<int>(length);
    c.curcol = cols[static_cast<size_t>(k - 1)] + static_cast<int>((k - 1) * grow) + replace;

    if (k < static_cast<long>(cols.size()) || avail > hiaddr || reserve == nullptr) {
        // stopped early, or the collector may trim the lines: look again from the cursor
        if (avail > hiaddr || reserve == nullptr) garbage();
        if (nospace) return false;
        setptr();
        return !full && fastsearch();
    }
    if (nextonline) {
        lp = l;
        cp = nextcol + static_cast<int>(k * grow);
        dist = 0;
    }
    return found;
}

void change() {
    int replace = static_cast<int>(strlen(targetstring));
    int patternlength = static_cast<int>(strlen(scanpattern));
    bool nospace = false;
    changes = 0;
    setptr();
    bool found = fastsearch();
    while (found && !full && !nospace) {
        if (interruptpending()) {
            nospace = true;  // the user stopped it: said like a change cut short
            break;
        }
        if (insideline(patternlength)) {
            found = replaceinline(replace, patternlength, nospace);
        } else if (replaceone(replace, patternlength)) {
            found = fastsearch();
        } else {
            nospace = true;
        }
    }
    if (full || nospace) diserr("Warning: operation may not have been completed");
    redisplay = 1;
    char text[48];
    snprintf(text, sizeof text, "%ld change%s", changes, changes == 1 ? "" : "s");
    confirm(text);
}

void scantext() {
    memset(wordlen, 0, sizeof wordlen);
    memset(sentlen, 0, sizeof sentlen);
    int letters = 0;
    int words = 0;
    setptr();
    while (!atend()) {
        int kind = kindhere();
        if (kind & CK_LETTER) letters++;
        if ((kind & CK_SEPARATOR) && letters != 0) {
            wordlen[letters < 20 ? letters : 20]++;
            words++;
            letters = 0;
        }
        if ((kind & CK_SENTENCE) && words != 0) {
            sentlen[words < 100 ? words : 100]++;
            words = 0;
        }
        nextc();
    }
    char text[32];
    appendline(7, "Word length table", OBJ_TEXT);
    for (int i = 0; i <= 20; i++) {
        if (wordlen[i] == 0) continue;
        snprintf(text, sizeof text, "%3i %5i", i, wordlen[i]);
        appendline(7, text, OBJ_TEXT);
    }
    appendline(7, "***", OBJ_TEXT);
    appendline(7, "Sentence length table", OBJ_TEXT);
    for (int i = 0; i <= 100; i++) {
        if (sentlen[i] == 0) continue;
        snprintf(text, sizeof text, "%3i %5i", i, sentlen[i]);
        appendline(7, text, OBJ_TEXT);
    }
    appendline(7, "***", OBJ_TEXT);
    progress("Data written to corefile 7");
}

}  // namespace zek

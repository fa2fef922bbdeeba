// SORT: a range of lines reordered by a key (the text from the cursor column in the text
// view, the cursor's field in record views) under one of three collating orders. The sort is
// stable and relinks the lines in place; no character moves.
#include "editor/sort.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "editor/build.h"
#include "editor/corutils.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/stars.h"

namespace zek {

int sortdir = 0;
int keylength = 15;
int sortln1 = 1;
int sortln2 = 200000;
int sortpos = 1;
int sorttable = 0;
int unaccented[256];
int accents[256];

static LINE* headptr = nullptr;
static LINE* tailptr = nullptr;
static int fieldno = 1;

void initsort() {
    sortdir = 0;
    keylength = 15;
    sortln1 = 1;
    sortln2 = 200000;
    sortpos = 1;
    sorttable = 0;
    for (int c = 0; c < 256; c++) {
        int w = c;
        if (c >= 'A' && c <= 'Z') w = c + 32;
        if (c == '_') w = ' ';
        if (c < 32 || (c >= 128 && c <= 191)) w = 127;
        unaccented[c] = w;
        accents[c] = (c >= 'A' && c <= 'Z') ? 1 : 2;
    }
    // The Latin-1 letters weigh as their base letter; the others after every ASCII character.
    static const struct {
        const char* codes;
        char base;
    } bases[] = {
        {"\xc0\xc1\xc2\xc3\xc4\xc5\xe0\xe1\xe2\xe3\xe4\xe5", 'a'}, {"\xc7\xe7", 'c'},
        {"\xc8\xc9\xca\xcb\xe8\xe9\xea\xeb", 'e'},                 {"\xcc\xcd\xce\xcf\xec\xed\xee\xef", 'i'},
        {"\xd2\xd3\xd4\xd5\xd6\xf2\xf3\xf4\xf5\xf6", 'o'},         {"\xd9\xda\xdb\xdc\xf9\xfa\xfb\xfc", 'u'},
    };
    for (int c = 192; c < 256; c++) unaccented[c] = 127;
    for (const auto& b : bases) {
        for (const char* p = b.codes; *p != 0; p++) unaccented[static_cast<unsigned char>(*p)] = b.base;
    }
    static const struct {
        const char* codes;
        int weight;
    } marks[] = {
        {"\xc1\xc9\xcd\xd3\xda", 3}, {"\xe1\xe9\xed\xf3\xfa", 4}, {"\xc0\xc8\xcc\xd2\xd9", 5}, {"\xe0\xe8\xec\xf2\xf9", 6},
        {"\xc2\xca\xce\xd4\xdb", 7}, {"\xe2\xea\xee\xf4\xfb", 8}, {"\xc7", 9},                 {"\xe7", 10},
        {"\xc4\xcb\xcf\xd6\xdc", 11}, {"\xe4\xeb\xef\xf6\xfc", 12},
    };
    for (const auto& m : marks) {
        for (const char* p = m.codes; *p != 0; p++) accents[static_cast<unsigned char>(*p)] = m.weight;
    }
}

static int weight(unsigned char ch) {
    switch (sorttable) {
        case 1: return unaccented[ch];
        case 2: return accents[ch];
        default: return ch;
    }
}

void sortchk() {
    sortdir = param[1];
    keylength = param[2];
    sortln1 = param[3];
    sortln2 = param[4];
    sortpos = cur().curcol;
}

void skey() { sorttable = param[1] >= 0 && param[1] <= 2 ? param[1] : 0; }

int appropriate(int object) {
    int view = cur().viewtype;
    if (object == OBJ_EMPTY) return 1;
    if (object == OBJ_RECORD) return view == 1 || view == 2;
    if (object == OBJ_TEXT) return view == 0;
    return 0;
}

int getnumptr() {
    COREFILE& c = cur();
    sortdir = sortdir == 1 ? 2 : 1;
    LINE* l = c.header->down;
    for (int n = 1; n < sortln1 && l != c.header; n++) l = l->down;
    if (l == c.header || !appropriate(l->object)) return 0;
    headptr = l;
    if (c.viewtype != 0) {
        findfield();
        fieldno = fieldnum;
    }
    int count = 0;
    for (int n = sortln1 < 1 ? 1 : sortln1; n <= sortln2 && l != c.header && appropriate(l->object); n++) {
        tailptr = l;
        count++;
        l = l->down;
    }
    return count;
}

static unsigned char at(const LINE* l, long offset) { return textbase[l->index + offset]; }

static int recordview = 0;  // the corefile being sorted is in a record view
// In the text view with a positive key length every key starts at the same column, so each
// line is sorted with the first eight weights of its key, most significant first, beside it:
// keys whose prefixes differ are ordered by that alone.
static bool prefixed = false;
static long keystart = 0;

// Where a line's key starts: the cursor's field in a record view, the sort column otherwise.
static long keyoffset(const LINE* l) {
    if (prefixed) return keystart;
    return recordview ? locatefield(const_cast<LINE*>(l), fieldno) : sortpos - 1;
}

// The weights of the key's first eight characters (0 past its end) as one number.
static unsigned long prefixof(const LINE* l) {
    long n = linechars(l);
    long bound = keystart < keylength ? keylength : LONG_MAX;
    long end = n < bound ? n : bound;
    const unsigned char* t = textbase + l->index;
    unsigned long p = 0;
    if (sorttable == 0 && end - keystart >= 8) {
        // the plain order: the eight bytes themselves, read most significant first
        for (long i = 0; i < 8; i++) p = (p << 8) | t[keystart + i];
        return p;
    }
    for (long i = 0; i < 8; i++) {
        long at = keystart + i;
        p = (p << 8) | (at < end ? static_cast<unsigned long>(weight(t[at])) & 255 : 0);
    }
    return p;
}

// The order of two lines by their keys, which start at k1 and k2.
static int comparekeys(const LINE* l1, long k1, const LINE* l2, long k2) {
    int n1 = linechars(l1);
    int n2 = linechars(l2);
    if (recordview) {
        // The cursor's field, from its start to its bar.
        long p1 = k1, p2 = k2;
        bool end1 = false, end2 = false;
        for (;; p1++, p2++) {
            end1 = p1 >= n1 || at(l1, p1) == '|';
            end2 = p2 >= n2 || at(l2, p2) == '|';
            if (end1 || end2) break;
            int d = weight(at(l1, p1)) - weight(at(l2, p2));
            if (d != 0) return d < 0 ? -1 : 1;
        }
        if (end1 && end2) return 0;
        return end1 ? -1 : 1;
    }
    long start = k1;
    if (keylength < 0) {
        // Leftwards from the key start over |keylength| + 1 characters or to column 1.
        for (long p = start, steps = 0; p >= 0 && steps <= -static_cast<long>(keylength); p--, steps++) {
            int c1 = weight(p < n1 ? at(l1, p) : ' ');
            int c2 = weight(p < n2 ? at(l2, p) : ' ');
            if (c1 != c2) return c1 < c2 ? -1 : 1;
        }
        return 0;
    }
    bool key1 = start < n1, key2 = start < n2;
    if (!key1 || !key2) return key1 == key2 ? 0 : (key1 ? 1 : -1);
    // The key ends at column keylength; a key that starts past it ends with the shorter line.
    long bound = start < keylength ? keylength : LONG_MAX;
    long k = n1 < n2 ? n1 : n2;
    if (bound < k) k = bound;
    for (long p = start; p < k; p++) {
        int d = weight(at(l1, p)) - weight(at(l2, p));
        if (d != 0) return d < 0 ? -1 : 1;
    }
    if (k == bound || n1 == n2) return 0;
    return n1 < n2 ? -1 : 1;
}

// Sorts the `num` lines from h to t. The lines are gathered with their key prefixes into one
// array, put in order by a stable merge sort, and linked again in that order between the lines
// around the range: no character moves. Any stable sort under this comparison gives the same
// order; gathering first keeps the work in a compact array instead of chasing line headers
// across the store.
void zeksort(LINE* h, LINE* t, int num) {
    if (num < 2) return;
    struct item {
        unsigned long prefix;
        LINE* line;
        long key;  // where its key starts, found once
    };
    std::vector<item> order;
    order.reserve(static_cast<size_t>(num));
    long chars = 0;
    for (LINE* l = h;; l = l->down) {
        order.push_back({prefixed ? prefixof(l) : 0, l, keyoffset(l)});
        chars += linechars(l);
        if (l == t) break;
    }
    bool ascending = sortdir == 1;
    std::stable_sort(order.begin(), order.end(), [ascending](const item& a, const item& b) {
        int r;
        if (prefixed && a.prefix != b.prefix) {
            r = a.prefix < b.prefix ? -1 : 1;
        } else {
            r = comparekeys(a.line, a.key, b.line, b.key);
        }
        return ascending ? r < 0 : r > 0;
    });
    LINE* front = h->up;
    unlinkrun(corenum, h, t, num, chars);
    LINE* previous = nullptr;
    for (const item& it : order) {
        if (previous != nullptr) previous->down = it.line;
        it.line->up = previous;
        previous = it.line;
    }
    linkrun(corenum, front, order.front().line, order.back().line, num, chars);
}

void sort() {
    COREFILE& c = cur();
    prefixed = false;
    int n = getnumptr();
    if (n == 0 || keylength == 0) return;
    recordview = c.viewtype != 0;
    if (!recordview && keylength > 0) {
        keystart = sortpos - 1;
        prefixed = true;
    }
    LINE* front = headptr->up;
    zeksort(headptr, tailptr, n);
    prefixed = false;
    linkschanged(corenum);
    c.disln = c.lnptr = front->down;
    c.curcol = 1;
    clrstars();
    c.edited = 1;
    redisplay = 1;
}

}  // namespace zek

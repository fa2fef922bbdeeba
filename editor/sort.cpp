// SORT: a range of lines reordered by a key (the text from the cursor column in the text
// view, the cursor's field in record views) under one of three collating orders. The lines are
// relinked in place by a stable list quicksort that leaves partitions of fewer than 16 lines
// to one insertion pass over the whole range; no character moves.
#include "editor/sort.h"

#include <climits>

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
static int swap = 0;
static int after = 0;
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
        l->linekey = c.viewtype != 0 ? locatefield(l, fieldno) : sortpos - 1;
        tailptr = l;
        count++;
        l = l->down;
    }
    return count;
}

static unsigned char at(const LINE* l, long offset) { return textbase[l->index + offset]; }

int linecmp(LINE* l1, LINE* l2) {
    int n1 = linechars(l1);
    int n2 = linechars(l2);
    if (cur().viewtype != 0) {
        // The cursor's field, from its start to its bar.
        long p1 = l1->linekey, p2 = l2->linekey;
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
    long start = l1->linekey;
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

int compare(LINE* a, LINE* b) {
    int r = linecmp(a, b);
    swap = sortdir == 1 ? r > 0 : r < 0;
    if (r == 0) swap = after;
    return r;
}

static void unlinkline(LINE* l) {
    l->up->down = l->down;
    l->down->up = l->up;
}

static void linkafter(LINE* l, LINE* where) {
    l->up = where;
    l->down = where->down;
    where->down->up = l;
    where->down = l;
}

LINE* getpivot(LINE* h, int n) {
    for (int i = 0; i < n / 2; i++) h = h->down;
    return h;
}

// One partition pass over head..tail: the lines that must follow the pivot move, in order,
// behind the range's last line; the pivot goes between the two parts.
void iqsort(LINE* head, LINE* tail, LINE* pivot, LINE** h1, LINE** t1, int* n1, LINE** h2, LINE** t2, int* n2) {
    after = 0;
    LINE* before = head->up;
    LINE* stop = tail;
    LINE* lastline = tail;
    LINE* moved = nullptr;  // the first line moved behind
    int count1 = 0, count2 = 0;
    for (LINE* l = head;;) {
        LINE* next = l->down;
        bool done = l == stop;
        if (l == pivot) {
            if (lastline == pivot) lastline = pivot->up;
            unlinkline(pivot);
            after = 1;
        } else {
            compare(l, pivot);
            if (swap) {
                if (l != lastline) {
                    unlinkline(l);
                    linkafter(l, lastline);
                }
                lastline = l;
                if (moved == nullptr) moved = l;
                count2++;
            } else {
                count1++;
            }
        }
        if (done) break;
        l = next;
    }
    // The pivot goes before the moved lines, or after the range when none moved.
    linkafter(pivot, moved != nullptr ? moved->up : lastline);
    *n1 = count1;
    *n2 = count2;
    *h1 = count1 > 0 ? before->down : nullptr;
    *t1 = count1 > 0 ? pivot->up : nullptr;
    *h2 = count2 > 0 ? moved : nullptr;
    *t2 = count2 > 0 ? lastline : nullptr;
    if (headptr == head) headptr = count1 > 0 ? *h1 : pivot;
    if (tailptr == tail) tailptr = count2 > 0 ? *t2 : pivot;
}

void zeksort(LINE* h, LINE* t, int num) {
    // The larger part is sorted in this loop, the smaller one first by recursion: the depth
    // stays logarithmic.
    while (num >= 16) {
        LINE *h1, *t1, *h2, *t2;
        int n1, n2;
        LINE* pivot = getpivot(h, num);
        iqsort(h, t, pivot, &h1, &t1, &n1, &h2, &t2, &n2);
        if (n1 <= n2) {
            if (n1 > 0) zeksort(h1, t1, n1);
            h = h2, t = t2, num = n2;
        } else {
            if (n2 > 0) zeksort(h2, t2, n2);
            h = h1, t = t1, num = n1;
        }
    }
}

void isort(LINE* hp, LINE* tp) {
    LINE* stop = tp->down;
    LINE* front = hp->up;
    for (LINE* l = hp->down; l != stop;) {
        LINE* next = l->down;
        LINE* scan = l->up;
        while (scan != front) {
            int r = compare(scan, l);
            if (!swap || r == 0) break;
            scan = scan->up;
        }
        if (scan != l->up) {
            unlinkline(l);
            linkafter(l, scan);
        }
        l = next;
    }
}

void sort() {
    COREFILE& c = cur();
    int n = getnumptr();
    if (n == 0 || keylength == 0) return;
    LINE* front = headptr->up;
    LINE* behind = tailptr->down;
    zeksort(headptr, tailptr, n);
    after = 1;  // equal lines never pass each other in the insertion pass either way
    isort(front->down, behind->up);
    linkschanged(corenum);
    c.disln = c.lnptr = front->down;
    c.curcol = 1;
    clrstars();
    c.edited = 1;
    redisplay = 1;
}

}  // namespace zek

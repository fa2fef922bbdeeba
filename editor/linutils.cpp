// Character primitives on the current line: append, insert, remove, trim, and field location.
#include "editor/linutils.h"

#include <cstring>
#include <initializer_list>

#include "editor/build.h"
#include "editor/rubout.h"
#include "editor/scan.h"
#include "editor/utilptr.h"

namespace zek {

int charkind[256];

void initcharkind() {
    memset(charkind, 0, sizeof charkind);
    for (int c = '0'; c <= '9'; c++) charkind[c] |= CK_LETTER | CK_NUMBER;
    for (int c = 'A'; c <= 'Z'; c++) charkind[c] |= CK_LETTER;
    for (int c = 'a'; c <= 'z'; c++) charkind[c] |= CK_LETTER;
    charkind[static_cast<int>('_')] |= CK_LETTER;
    static const int latin[] = {192, 194, 199, 200, 201, 202, 206, 212, 217, 219,
                                224, 226, 231, 232, 233, 234, 238, 244, 249, 251};
    for (int c : latin) charkind[c] |= CK_LETTER;
    for (int c : {' ', '\n', '!', ',', '.', ':', ';', '?'}) charkind[c] |= CK_SEPARATOR;
    for (int c : {'!', '.', '?'}) charkind[c] |= CK_SENTENCE;
    charkind[4] |= CK_LETTER | CK_SEPARATOR | CK_SENTENCE;
    for (int c : {245, 247, 248, 250, 252, 253, 254}) charkind[c] |= CK_MATH;
    charkind[246] |= CK_NODE;
    charkind[243] |= CK_CELL;
    for (int c : {'!', '#', '&', '\'', '(', ')', '*', '+', '-', '.', '/', '<', '=', '>'})
        charkind[c] |= CK_NUMBER;
}

long curptr() { return cur().lnptr->index + cur().curcol - 1; }
long endptr() { return cur().lnptr->index + cur().lnptr->length; }

int cadd(int chr) {
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    if (l == c.header || l->object == OBJ_PICTURE) return 0;
    touchline(l);
    if (l->object == OBJ_EMPTY) {
        l->index = avail;
        l->object = OBJ_TEXT;
        linkphys();
    } else if (!l->linked || (l != lastphys && (endptr() >= TEXTSIZE || textbase[endptr()] != FREEPOS))) {
        shiftline();
        l = c.lnptr;
        if (!l->linked) return 0;
    }
    long pos = endptr();
    if (pos >= TEXTSIZE) return 0;  // the margin itself is used up: refuse rather than overrun
    // A line that was not moved because the array is exhausted cannot grow over a neighbour.
    if (l != lastphys && textbase[pos] != FREEPOS) return 0;
    textbase[pos] = static_cast<unsigned char>(chr);
    l->length += 1;
    c.charcount += 1;
    if (pos == avail) avail += 1;
    return 1;
}

void cinsert(int num) {
    long from = curptr();
    long end = endptr();
    if (num <= 0 || from >= end) return;
    touchline(cur().lnptr);
    long count = end - from - num;
    if (count > 0) memmove(textbase + from + num, textbase + from, static_cast<size_t>(count));
}

void cremove(int num) {
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    long from = curptr();
    long end = endptr();
    if (num <= 0 || from >= end) return;
    if (from + num > end) num = static_cast<int>(end - from);
    touchline(l);
    for (int i = 0; i < num; i++) savechar(textbase[from + i]);
    memmove(textbase + from, textbase + from + num, static_cast<size_t>(end - from - num));
    memset(textbase + end - num, FREEPOS, static_cast<size_t>(num));
    l->length -= num;
    c.charcount -= num;
}

void erasefield() {
    long from = curptr();
    long end = endptr();
    long p = from;
    while (p < end && textbase[p] != '|') p++;
    cremove(static_cast<int>(p - from));
}

void extline() {
    COREFILE& c = cur();
    // Padding that the array could never hold is not begun: it would only fill the store
    // and be trimmed again by the next collection.
    long missing = static_cast<long>(c.curcol) - c.lnptr->length;
    if (missing > 0 && avail + missing > hiaddr) return;
    while (c.lnptr->length < c.curcol) {
        if (!cadd(' ')) break;
    }
}

void rctrunc() {
    findfield();
    fieldlen();
    long last = recptr + fieldsiz - 1;
    long from = curptr();
    if (last <= from) return;
    touchline(cur().lnptr);
    memmove(textbase + from + 1, textbase + from, static_cast<size_t>(last - from));
}

int findnb() {
    const LINE* l = cur().lnptr;
    if (l->object == OBJ_EMPTY || l->object == OBJ_PICTURE) return 0;
    for (int i = 0; i < l->length; i++) {
        if (textbase[l->index + i] != ' ') return i + 1;
    }
    return 0;
}

void detrline() { trimline(cur().lnptr); }

void trimline(LINE* l) {
    if (!l->linked || l->object == OBJ_PICTURE || l->object == OBJ_DEAD) return;
    while (l->length > 0 && textbase[l->index + l->length - 1] == ' ') {
        textbase[l->index + l->length - 1] = FREEPOS;
        l->length -= 1;
        cur().charcount -= 1;
    }
}

void detrfile() {
    const COREFILE& c = cur();
    for (LINE* l = c.header->down; l != c.header; l = l->down) trimline(l);
}

int locatefield(LINE* ptr, int field) {
    int bars = 0;
    int i = 0;
    for (; i < ptr->length && bars < field - 1; i++) {
        if (textbase[ptr->index + i] == '|') bars++;
    }
    return i;
}

int locateword(LINE* ptr, int field) {
    (void)ptr;
    for (int n = 1; n < field; n++) {
        nextword();
        if (ptrend()) return 0;
    }
    return 1;
}

}  // namespace zek

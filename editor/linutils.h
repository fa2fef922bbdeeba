// Character primitives on the current line, the shared character class table, and field location.
#pragma once

#include "editor/corutils.h"

namespace zek {

// Character classes (`charkind` bits).
constexpr int CK_LETTER = 1;
constexpr int CK_SEPARATOR = 2;
constexpr int CK_SENTENCE = 4;
constexpr int CK_MATH = 8;
constexpr int CK_NODE = 16;
constexpr int CK_CELL = 32;
constexpr int CK_NUMBER = 64;

extern int charkind[256];
void initcharkind();

int cadd(int chr);  // 1 when stored; 0 only when the array itself is exhausted
void cinsert(int num);
void cremove(int num);
void erasefield();
void extline();
void rctrunc();
// The characters a line holds in the array: none for an empty or a picture line.
inline int linechars(const LINE* l) {
    return (l->object == OBJ_EMPTY || l->object == OBJ_PICTURE) ? 0 : l->length;
}

long curptr();
long endptr();
int findnb();
void detrline();
void trimline(LINE* l);  // detrline for line l of the current corefile
void detrfile();
int locatefield(LINE* ptr, int field);
int locateword(LINE* ptr, int field);

}  // namespace zek

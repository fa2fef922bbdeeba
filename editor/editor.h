// The editor loop and the key-operation table: one operation per view for every key number.
#pragma once

#include "editor/corutils.h"

namespace zek {

constexpr int NUMOPS = 107;

// Side-effect bits of a key operation.
constexpr int SE_LINE = 1;     // recompute curline afterwards
constexpr int SE_EDITED = 2;   // mark the corefile edited
constexpr int SE_FULL = 8;     // refused while the store is full

struct edtable {
    int sideffects;
    int replimit;
    int cmpmask;
    PROCPTR operatn[8];
    const char* help = nullptr;  // what the key does, for the help view
};

extern edtable edittable[NUMOPS];
extern int editmask[8];
extern int cureditmask;
extern const int viewmask[7];
extern int curviewmask;
extern int curopmask;
extern int repflag;
extern int overflg;
extern int mode;
extern int crinsert;
extern int fetchstyle;
extern int octflag;
extern int lfonly;

int viewmaskof(int object);  // the views that edit a line of this kind
void initeditor();
void editor();
void editstep();  // one pass of the loop: read a key, check it, run it, follow up
void noop();
void identify();
void option();
void silent();

}  // namespace zek

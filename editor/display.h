// Drawing of the current corefile by redraw request: text rows, records field by field,
// the line flags, the sideways shift, and the cursor placement.
#pragma once

#include "editor/corutils.h"

namespace zek {

extern long disrecptr;

void display();
void discur();
void distxt();
void wrline(LINE* line, int row);
void wrtext(LINE* line, int row);
void disrec();
void wrecord();
void disfield();
void wfield();
void wflag();
void disgraph();
void dismath();
void shift();
int currentrow();  // screen row of the cursor line

}  // namespace zek

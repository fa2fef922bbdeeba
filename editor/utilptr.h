// The text pointer: reads the current corefile as one character stream across lines.
#pragma once

#include "editor/corutils.h"

namespace zek {

constexpr int LINEEND = 10;  // stream code at the end of every line
constexpr int ENDCORE = 4;   // stream code on the header: end of the corefile

extern LINE* lp;
extern int cp;
extern int dist;

void setptr();
int peepc();
void nextc();
void prevc();
void setcur();

}  // namespace zek

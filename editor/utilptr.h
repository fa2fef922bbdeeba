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

// The stream ends only on the header. A byte 4 stored in a line reads as ENDCORE from peepc
// too, so loops that walk the stream test ptrend() for the end and classify characters with
// peepkind(), which gives a stored 4 no class (an ordinary control byte) and the end its own.
inline bool ptrend() { return lp == cur().header; }
int peepkind();

}  // namespace zek

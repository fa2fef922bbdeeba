// Parameter entry on the command line: templates, defaults, parsing, and the control notation.
#pragma once

#include "editor/corutils.h"

namespace zek {

constexpr int MAXPARAMS = 25;

extern int param[MAXPARAMS];
extern int paramcount;
extern char curfile[NAMELEN + 1];

void initgetparam();
void prmptpar(int n);
void disprompt();
void getparam();

}  // namespace zek

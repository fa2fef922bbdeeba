// Record checks: field conditions, expression conditions and check lines.
#pragma once

namespace zek {

extern char recboolcheck[49];

extern long boolcheck;
extern long boolerror;
extern int numchecks;

void initcheck();

void extchk();

}  // namespace zek

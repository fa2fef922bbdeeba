// Record checks: field conditions, expression conditions and check lines.
#pragma once

namespace zek {

extern char recboolcheck[49];

extern long boolcheck;
extern long boolerror;
extern int numchecks;

void initcheck();
// The record tests of the scan units rec (5) and check (6) at the text pointer: 1 when the
// record passes.
int recordtest(int firstloop);

void extchk();

}  // namespace zek

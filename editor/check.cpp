// Record checks: field conditions, expression conditions and check lines.
#include "editor/check.h"

namespace zek {

char recboolcheck[49];

long boolcheck = 0;
long boolerror = 0;
int numchecks = 0;

void initcheck() {
    boolcheck = boolerror = 0;
    numchecks = 0;
}

void extchk() {}
int recordtest(int) { return 0; }

}  // namespace zek

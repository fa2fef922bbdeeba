// Parameter entry on the command line: templates, defaults, parsing, and the control notation.
#include "editor/getparam.h"

#include <cstring>

#include "editor/scrout.h"
#include "editor/terminal_xq.h"

namespace zek {

int param[MAXPARAMS];
int paramcount = 0;
char curfile[NAMELEN + 1];

void initgetparam() {
    memset(param, 0, sizeof param);
    paramcount = 0;
    curfile[0] = 0;
}

void prmptpar(int n) { putstring(modename(n), 'm'); }
void disprompt() {}
void getparam() {}

}  // namespace zek

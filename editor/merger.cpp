// Merging records into templates.
#include "editor/merger.h"

namespace zek {

char mrgstring[49];

void mrgexp() {}
void mrgtext() {}
void mrgassign() {}
void mrgrec() {}

}  // namespace zek

// Merging records into templates.
#include "editor/merger.h"

namespace zek {

void mrgexp() {}
void mrgtext() {}
void mrgassign() {}
void mrgrec() {}

}  // namespace zek

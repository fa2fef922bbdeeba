// Merging records into templates.
#pragma once

namespace zek {

extern char mrgstring[49];

void mrgexp();
void mrgtext();
void mrgassign();
void mrgrec();

}  // namespace zek

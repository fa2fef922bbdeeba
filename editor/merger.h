// Merging records into templates.
#pragma once

namespace zek {

void mrgexp();
void mrgtext();
void mrgassign();
void mrgrec();

}  // namespace zek

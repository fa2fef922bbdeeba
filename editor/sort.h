// Sorting lines or starred blocks by keys.
#pragma once

namespace zek {

void sortchk();

void sort();
void skey();

}  // namespace zek

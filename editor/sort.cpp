// Sorting lines or starred blocks by keys.
#include "editor/sort.h"

namespace zek {

void sortchk() {}

void sort() {}
void skey() {}

}  // namespace zek

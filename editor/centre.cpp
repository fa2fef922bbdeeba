// Flush left, flush right, centre and align the current line.
#include "editor/centre.h"

namespace zek {

void flushleft() {}
void flushright() {}
void fcenter() {}
void falign() {}

}  // namespace zek

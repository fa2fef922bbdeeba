// Flush left, flush right, centre and align the current line.
#pragma once

namespace zek {

void flushleft();
void flushright();
void fcenter();
void falign();

}  // namespace zek

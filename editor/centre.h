// Flush left, flush right, centre and align the current line.
#pragma once

namespace zek {

extern int lrcswitch;

void centre();
void rightshift(int s);
void leftshift(int s);
void flushleft();
void flushright();
void fcenter();
void falign();

}  // namespace zek

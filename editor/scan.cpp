// Find and change: scan units, pattern codes, wildcard lines and the text statistics.
#include "editor/scan.h"

namespace zek {

char targetstring[49];

char scanpattern[49];
int scanunit = 0;

void initscan() {
    scanpattern[0] = 0;
    scanunit = 0;
}

void nextword() {}
void findchk() {}
void changechk() {}

void find() {}
void resfind() {}
void resnumber() {}
void rescheck() {}
void scantext() {}
void change() {}

}  // namespace zek

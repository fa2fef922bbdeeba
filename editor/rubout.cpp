// Rubout and deletion, the 80-character recover ring and the operations that type it back.
#include "editor/rubout.h"
#include <cstring>

#include "editor/corutils.h"

namespace zek {

char delbuf[DELBUFSIZE];
int delptr = 0;

void initrubout() {
    memset(delbuf, ' ', sizeof delbuf);
    delptr = 0;
}

void savechar(int c) {
    if (c == '|' && cur().lnptr->object == OBJ_RECORD) return;
    delbuf[delptr] = static_cast<char>(c);
    delptr = (delptr + 1) % DELBUFSIZE;
}

void rubtxt() {}
void rubrec() {}
void rubfield() {}
void copyfield() {}
void deline() {}
void delword() {}
void delwordend() {}
void rectxt() {}
void recrec() {}
void recword() {}
void recfield() {}
void copytxt() {}
void rubmath() {}

}  // namespace zek

// Objects and structure builders: views, record lines and their fields, the record template,
// and typing into records and mathematics lines.
#include "editor/build.h"

#include "editor/corutils.h"
#include "editor/linutils.h"
#include "editor/file.h"
#include "editor/getparam.h"
#include "editor/scrin.h"

namespace zek {

int fieldnum = 1;
long recptr = 0;
int fieldsiz = 0;

int frow[MAXFIELDS + 1];
int fcol[MAXFIELDS + 1];
int maxfieldlen[MAXFIELDS + 1];
char ftype[MAXFIELDS + 1];
int numfields = 10;
char* tempbufptr = nullptr;
char* mrgbufptr = nullptr;

void initbuild() {
    fieldnum = 1;
    recptr = 0;
    fieldsiz = 0;
    writetemplate(0);
}

void makerec() {
    for (int i = 0; i < numfields; i++) cadd('|');
    cur().lnptr->object = OBJ_RECORD;
}

void makegraph() { cur().lnptr->object = OBJ_PICTURE; }

void makeobject() {
    int view = cur().viewtype;
    if (view == 1 || view == 2) {
        makerec();
    } else if (view == 4) {
        makegraph();
    }
}

int writetemplate(int wron) {
    (void)wron;
    for (int n = 1; n <= MAXFIELDS; n++) {
        maxfieldlen[n] = 5;
        ftype[n] = 'c';
        frow[n] = (n - 1) / 6 + 3;
        fcol[n] = 8 * ((n - 1) % 6) + 2;
    }
    numfields = 10;
    return 0;
}

void findfield() {
    const COREFILE& c = cur();
    const LINE* l = c.lnptr;
    long start = l->index;
    long cursor = start + c.curcol - 1;
    long end = start + l->length;
    if (cursor > end) cursor = end;
    int bars = 0;
    recptr = start;
    for (long p = start; p < cursor; p++) {
        if (textbase[p] == '|') {
            bars++;
            recptr = p + 1;
        }
    }
    fieldnum = bars + 1;
}

void fieldlen() {
    const LINE* l = cur().lnptr;
    long end = l->index + l->length;
    long p = recptr;
    while (p < end && textbase[p] != '|') p++;
    fieldsiz = static_cast<int>(p - recptr);
}

void objset() {}
void setspecs() {
    settemplate();
    if (del == 2 || param[1] == 2) return;
    writetemplate(0);
}
void bldrec() {}
void xbldrec() {}
void bldmath() {}
void recmath() {}
void instabrow() {}
void instabcol() {}

}  // namespace zek

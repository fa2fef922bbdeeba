// Reading and writing corefiles as text files, the file checks, and whole-file reading for
// procedures and templates.
#include "editor/file.h"

#include "editor/getparam.h"
#include "editor/scrin.h"

namespace zek {

int ioerr = 0;
int linetype = 0;
char listfile[49];
char listinitfile[49];
char* loadbufptr = nullptr;
int loadtype = 0;

void initfile_io() {
    ioerr = 0;
    linetype = 0;
    listfile[0] = listinitfile[0] = 0;
    loadtype = 0;
}

void fprs() {
    FILE* f = curfile[0] != 0 ? fopen(curfile, "r") : nullptr;
    if (f == nullptr) {
        del = 2;
        return;
    }
    fclose(f);
}

void fpr() {}
void fpw() {}
void faw() {}
void fpx() {}
void fetchfile() {}
void appendfile() {}
void insrtfile() {}
void savefile() {}
void ovrwritefile() {}
void join() {}
void deletefile() {}
void newname() {}
void update() {}
void list() {}
void emit() {}
void loadfile() {}

}  // namespace zek

// Reading and writing corefiles as text files, the file checks, and whole-file reading for
// procedures and templates.
#pragma once

#include <cstdio>

namespace zek {

extern int ioerr;
extern int linetype;
extern char listfile[49];
extern char listinitfile[49];
extern char* loadbufptr;
extern int loadtype;

void initfile_io();
void fpr();
void fpw();
void faw();
void fpx();
void fprs();
void fetchfile();
void appendfile();
void insrtfile();
void savefile();
void ovrwritefile();
void join();
void deletefile();
void newname();
void update();
void list();
void emit();
void loadfile();
void settemplate();

}  // namespace zek

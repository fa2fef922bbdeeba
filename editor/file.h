// Reading and writing corefiles as text files, the file checks, and whole-file reading for
// procedures and templates.
#pragma once

#include <cstddef>
#include <cstdio>

namespace zek {

extern int ioerr;
extern int linetype;
extern char listfile[49];
extern char listinitfile[49];
extern char* loadbufptr;
extern int loadtype;

void initfile_io();
// The silent forms of the checks (also ASK's answers): 1 when the regular file `name` can be
// read, written, or created (the created empty file stays only when `keep`).
int mayread(const char* name);
int maywrite(const char* name);
int maycreate(const char* name, bool keep);
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

// The emergency copies made when the session ends without the user (a hangup, a termination
// signal, the end of the keyboard input in screen mode): every edited corefile is written to a
// new file beside its own, NAME.zek-save (or NAME.zek-save.2, .3, ... when that exists), and
// zek-coreN.zek-save in the working directory for a corefile without a name. Each copy, or why
// it could not be made, is reported on standard error after "zek: `why`: ".
void savework(const char* why);
// The name of the emergency copy of `file`.
void savename(char* out, size_t size, const char* file);

}  // namespace zek

// Shell commands, directory commands, and the driver program connected through two pipes.
#pragma once

#include <cstdio>

namespace zek {

extern int progstate;  // 0 none, 1 running (keys come from it), 2 suspended
extern int child_pid;
extern FILE* zekinput;   // the program's output, read as keys
extern FILE* zekoutput;  // the program's input, written by ASK, EMIT and others
extern int voluntary;
extern int progtrans;
extern char sysstring[49];

void initsysutils();
bool isdriverinput(FILE* stream);
void suspendprog();
void resumeprog();
void killprog();
// At exit: a running or suspended program is continued, ended and reaped.
void endprog();
void acknowledge();
// Flushes what is buffered for the program; false, after " Write Failed ", when part of it
// had to be dropped because the program did not read it.
bool flushdriver();
int setpipe();
void runprog();
void swinput();
void calsys();
// After text was written on the terminal outside the screen (a shell command, emitted text):
// the key mode again, a pause to read it unless a program drives the editor, the whole screen.
void backtoscreen();
void changedir();
void directory();

// Starts the external listing program without waiting for it; false when it cannot be run.
bool call_listcom(const char* file, int from, int to, int copies, const char* initfile);

}  // namespace zek

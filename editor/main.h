// Start-up: the command line, the load-time state of every module, the queued keys, and exit.
#pragma once

namespace zek {

extern const char* fparam1;
extern const char* fparam2;
extern const char* fparam3;
extern const char* fparam4;
extern int fparnum;

extern const char* const helptext;

void loaddefaults();  // every module's state as it is when the program is loaded
void getfpar();
void queuestartkeys();
int zekmain(int argc, char** argv);

}  // namespace zek

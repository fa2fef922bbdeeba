// The command table: every command's name, parameter template, defaults, flags, checker,
// operation and prompt; and the small commands whose operations live with the table.
#pragma once

#include "editor/corutils.h"

namespace zek {

// Side-effect bits of a command.
constexpr int CF_WARN = 1;       // W: warn when the corefile is not saved
constexpr int CF_NAME = 4;       // N: redraw the file name afterwards
constexpr int CF_LINE = 8;       // L: recompute curline afterwards
constexpr int CF_NORESULT = 16;  // R: leave the result register alone
constexpr int CF_FULL = 32;      // F: refused while the store is full

struct CMDSPEC {
    const char* name;
    int sideffects;
    const char* paramtype;
    const char* defstr;
    PROCPTR checker;
    PROCPTR cmdop;
    const char* prompt;
    const char* help = nullptr;  // what the command does, for the help view
};

constexpr int NUMCOMMANDS = 80;
extern const CMDSPEC commands[NUMCOMMANDS];
extern int cmdptr;

void coreset();
void inkeyset();
void outkeyset();
void window();
void ask();
void positchk();

}  // namespace zek

// The editor's state and the generator set up for a program without a terminal.
#include <cstdio>
#include <cstdlib>

#include "editor/main.h"
#include "editor/scrin.h"
#include "editor/terminal_xq.h"
#include "genra/grammar.h"
#include "genra/uninstall.h"

namespace zek {

// Reading and runs never wait for a key, since what would make them wait is refused
// beforehand: reaching this is a fault of the program.
[[noreturn]] static void nokeys() {
    fputs("genra: the generator waited for a key; this is a fault of genra\n", stderr);
    exit(70);
}

void start_engine() {
    loaddefaults();
    xqout = fopen("/dev/null", "w");  // the sequences meant for a front-end
    inptr = fopen("/dev/null", "r");
    endofinput = nokeys;
    initgenra();
}

}  // namespace zek

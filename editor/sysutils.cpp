// Shell commands, directory commands, and the driver program connected through two pipes.
#include "editor/sysutils.h"

#include <signal.h>
#include <sys/types.h>

#include "editor/scrin.h"
#include "editor/scrout.h"

namespace zek {

int progstate = 0;
int child_pid = 0;
FILE* zekinput = nullptr;
FILE* zekoutput = nullptr;
int voluntary = 0;
int progtrans = 0;
char sysstring[49];

void initsysutils() {
    progstate = 0;
    child_pid = 0;
    zekinput = zekoutput = nullptr;
    voluntary = 0;
    progtrans = 0;
    sysstring[0] = 0;
}

bool isdriverinput(FILE* stream) { return stream != nullptr && stream == zekinput; }

// Signals go only to a program that exists: a process id of 0 would reach the editor's own
// process group.
static void signalprog(int sig) {
    if (progstate != 0 && child_pid > 0) kill(child_pid, sig);
}

void suspendprog() {
    if (progstate == 0) return;
    progstate = 2;
    signalprog(SIGSTOP);
}

void resumeprog() {
    if (progstate != 2) {
        diserr(" No suspended program! ");
        return;
    }
    progstate = 1;
    signalprog(SIGCONT);
    if (voluntary) acknowledge();
}

void acknowledge() {
    if (progstate != 1 || zekoutput == nullptr) return;
    fputc('\n', zekoutput);
    fflush(zekoutput);
}

void killprog() {
    if (progstate == 0) return;
    if (zekinput != nullptr) fclose(zekinput);
    if (zekoutput != nullptr) fclose(zekoutput);
    zekinput = zekoutput = nullptr;
    signalprog(SIGKILL);
    progstate = 0;
    child_pid = 0;
    inptr = stdin;
}

int setpipe() { return 0; }
void runprog() {}
void swinput() {}
void calsys() {}
void changedir() {}
void directory() {}

}  // namespace zek

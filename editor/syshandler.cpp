// The signal handlers. Each handler only records its signal; the work is done by
// runsignals() from the key source, between keys, where the editor's state is consistent.
#include "editor/syshandler.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <initializer_list>

#include "editor/corutils.h"
#include "editor/display.h"
#include "editor/editor.h"
#include "editor/file.h"
#include "editor/float.h"
#include "editor/scrin.h"
#include "editor/screen.h"
#include "editor/scrout.h"
#include "editor/sysutils.h"
#include "editor/termutils_xq.h"
#include "editor/terminal_xq.h"

namespace zek {

volatile sig_atomic_t pendingsignals = 0;
int windresize = 0;

// One flag per signal: a handler may only store to a volatile flag.
enum : int { SIG_SUSPEND, SIG_RESUME, SIG_WINDOW, SIG_PIPE, SIG_INTERRUPT, SIG_HANGUP, SIG_COUNT };
static volatile sig_atomic_t sigflag[SIG_COUNT];
static volatile sig_atomic_t hangupsignal = 0;  // SIGHUP or SIGTERM, whichever came first

static void note(int which) {
    sigflag[which] = 1;
    pendingsignals = 1;
}

bool interruptpending() { return sigflag[SIG_INTERRUPT] != 0; }

void SuspHandler(int) { note(SIG_SUSPEND); }
void ResHandler(int) { note(SIG_RESUME); }
void WindowHandler(int) { note(SIG_WINDOW); }
void PipeHandler(int) { note(SIG_PIPE); }
static void InterruptHandler(int) { note(SIG_INTERRUPT); }
static void HangupHandler(int sig) {
    if (hangupsignal == 0) hangupsignal = sig;
    note(SIG_HANGUP);
}

static void install(int sig, void (*handler)(int)) {
    struct sigaction sa = {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no restart: a blocked key read returns so that the work is done at once
    sigaction(sig, &sa, nullptr);
}

void setsig() {
    install(SIGTSTP, SuspHandler);
    install(SIGCONT, ResHandler);
    install(SIGWINCH, WindowHandler);
    install(SIGPIPE, PipeHandler);
    install(SIGFPE, FpHandler);
    install(SIGINT, InterruptHandler);
    // A hangup or termination saves the edited corefiles first; one ignored stays ignored.
    for (int sig : {SIGHUP, SIGTERM}) {
        struct sigaction now = {};
        sigaction(sig, nullptr, &now);
        if (now.sa_handler != SIG_IGN) install(sig, HangupHandler);
    }
    // Past a file-size limit a write fails (and is reported) instead of ending the editor.
    signal(SIGXFSZ, SIG_IGN);
}

static void redrawforced() {
    int saved = visible;
    visible = 1;
    gendis();
    visible = saved;
}

static void suspendeditor() {
    if (progstate == 1) {
        voluntary = 0;
        suspendprog();
        return;
    }
    scrclear();
    reseterm();
    fflush(stdout);
    raise(SIGSTOP);
}

static void resumeeditor() {
    entercamode();
    physterm();
    initerm();
    redrawforced();
    discur();
    restorecursor();
    flushoutput();
}

static void resizeeditor() {
    physterm();
    initerm();
    if (getwindsize()) {
        COREFILE& c = cur();
        if (outofreach(c.disln, c.lnptr, depth)) c.disln = c.lnptr;
        windresize = 1;
        redrawforced();
        screenrefresh();
        ringbell();
    }
    // the built-in front-end places its cursor by these: on the command line while a command
    // is being typed
    if (screenmode && mode == 0) {
        cmdcur();
    } else {
        txtcur();
    }
    putstats();
    discur();
    flushoutput();
}

// The session ends without the user: copies of the edited corefiles, the terminal given back,
// and the signal's own end, so that whoever waits for zek sees what ended it.
[[noreturn]] static void endonsignal(int sig) {
    if (screenmode) {
        reseterm();
        endterminal();
    }
    savework(sig == SIGHUP ? "hangup" : "terminated");
    endprog();
    fflush(stdout);
    reseterm();
    endterminal();
    signal(sig, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    sigprocmask(SIG_UNBLOCK, &one, nullptr);
    raise(sig);
    _exit(128 + sig);
}

void endifhungup() {
    if (sigflag[SIG_HANGUP] != 0) endonsignal(hangupsignal != 0 ? hangupsignal : SIGTERM);
}

void runsignals() {
    while (pendingsignals != 0) {
        // Take the recorded flags with the signals blocked, so that none arriving meanwhile is lost.
        sigset_t all, saved;
        sigfillset(&all);
        sigprocmask(SIG_BLOCK, &all, &saved);
        int taken[SIG_COUNT];
        for (int i = 0; i < SIG_COUNT; i++) {
            taken[i] = sigflag[i];
            sigflag[i] = 0;
        }
        pendingsignals = 0;
        sigprocmask(SIG_SETMASK, &saved, nullptr);
        if (taken[SIG_HANGUP]) endonsignal(hangupsignal != 0 ? hangupsignal : SIGTERM);
        if (taken[SIG_INTERRUPT]) IntHandler(SIGINT);
        if (taken[SIG_PIPE]) killprog();
        if (taken[SIG_SUSPEND]) suspendeditor();
        if (taken[SIG_RESUME]) resumeeditor();
        if (taken[SIG_WINDOW]) resizeeditor();
    }
}

}  // namespace zek

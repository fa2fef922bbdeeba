// Curses and terminfo for key input only: nothing is drawn through them. Without a terminal
// (pipes, scripts, tests) none of this touches curses and the geometry comes from LINES and
// COLUMNS or defaults to 24 by 80.
#include "editor/termutils_xq.h"

#include <curses.h>
#include <sys/ioctl.h>
#include <term.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "editor/terminal_xq.h"

namespace zek {

int hasterminal = 0;

static SCREEN* screen = nullptr;
static FILE* cursesout = nullptr;
static int ttyfd = -1;
static struct termios oldintrps;
static struct termios newintrps;
static bool modesaved = false;

// An environment number such as LINES, or 0 when it is not a sensible positive number.
static int envnumber(const char* name) {
    const char* v = getenv(name);
    if (v == nullptr || *v == 0) return 0;
    char* end = nullptr;
    long n = strtol(v, &end, 10);
    if (*end != 0 || n <= 0 || n > 100000) return 0;
    return static_cast<int>(n);
}

void stermpars() {
    if (screen != nullptr) return;
    hasterminal = 0;
    if (!isatty(0)) return;
    const char* term = getenv("TERM");
    if (term == nullptr || *term == 0) return;
    int err = 0;
    // The terminal type is tried first, so that an unknown one means running without curses
    // rather than an exit inside the library. The description read for the trial is freed at
    // once: the screen below reads its own, which endterminal frees.
    bool known = setupterm(term, 0, &err) == OK;
    if (cur_term != nullptr) del_curterm(cur_term);
    if (!known) return;
    // Curses output goes to the terminal, never into a front-end pipe on standard output.
    cursesout = isatty(1) ? stdout : fopen("/dev/tty", "w");
    if (cursesout == nullptr) return;
    screen = newterm(term, cursesout, stdin);
    if (screen == nullptr) {
        if (cursesout != stdout) fclose(cursesout);
        cursesout = nullptr;
        return;
    }
    ttyfd = 0;
    hasterminal = 1;
}

int getwindsize() {
    int rows = 0;
    int cols = 0;
    if (hasterminal) {
        struct winsize ws;
        if (ioctl(ttyfd, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0) {
            rows = ws.ws_row;
            cols = ws.ws_col;
        } else {
            rows = lines;
            cols = columns;
        }
    } else {
        rows = envnumber("LINES");
        cols = envnumber("COLUMNS");
    }
    if (rows <= 0) rows = 24;
    if (cols <= 0) cols = 80;
    return setgeometry(rows, cols);
}

void initerm() {
    if (!hasterminal) return;
    cbreak();
    noecho();
    nonl();
    intrflush(stdscr, FALSE);
    keypad(stdscr, FALSE);
    if (tcgetattr(ttyfd, &oldintrps) != 0) return;
    modesaved = true;
    newintrps = oldintrps;
    newintrps.c_cc[VINTR] = 0x1F;
    newintrps.c_cc[VQUIT] = 0;
    newintrps.c_cc[VSTART] = 0;
    newintrps.c_cc[VSTOP] = 0;
    newintrps.c_cc[VEOL] = 0;
    newintrps.c_cc[VSUSP] = 0x01;
    newintrps.c_cc[VREPRINT] = 0;
    newintrps.c_cc[VDISCARD] = 0;
    newintrps.c_cc[VWERASE] = 0;
    newintrps.c_cc[VLNEXT] = 0;
    tcsetattr(ttyfd, TCSANOW, &newintrps);
}

void reseterm() {
    if (!hasterminal) return;
    if (modesaved) tcsetattr(ttyfd, TCSANOW, &oldintrps);
    nocbreak();
    echo();
    reset_shell_mode();
}

void screenrefresh() {
    if (hasterminal) refresh();
}

void (*bellwatch)() = nullptr;

void ringbell() {
    if (bellwatch != nullptr) bellwatch();
    if (hasterminal) beep();
}

void endterminal() {
    if (!hasterminal) return;
    endwin();
    delscreen(screen);
    screen = nullptr;
    if (cursesout != nullptr && cursesout != stdout) fclose(cursesout);
    cursesout = nullptr;
    hasterminal = 0;
}

void entercamode() {
    if (!hasterminal) return;
    if (enter_ca_mode != nullptr) {
        tputs(enter_ca_mode, 1, [](int c) { return putc(c, cursesout); });
        fflush(cursesout);
    }
    reset_prog_mode();
}

// These keep their places in start-up, exit, shell escape and suspension; this terminal-window
// variant has nothing to do in them.
void physterm() {}
void setintran() {}
void scrclear() {}
void restorecursor() {}

}  // namespace zek

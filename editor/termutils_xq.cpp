// The terminal. In the protocol mode it is only a key source: its modes are set through the
// terminal interface and terminfo is read for its size and bell, but no curses screen is made,
// so nothing (no alternate screen, no clearing) is ever sent to it and what the editor writes
// to standard output stays there after the end. In screen mode curses draws the screen model.
// Without a terminal (pipes, scripts, tests) none of this touches curses and the geometry comes
// from LINES and COLUMNS or defaults to 24 by 80.
#define NCURSES_WIDECHAR 1
#include "editor/termutils_xq.h"

#include <curses.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <term.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <clocale>
#include <langinfo.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "editor/screen.h"
#include "editor/termkeys.h"
#include "editor/terminal_xq.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace zek {

int hasterminal = 0;

static SCREEN* screen = nullptr;
static FILE* cursesout = nullptr;
static int ttyfd = -1;
static struct termios oldintrps;
static struct termios newintrps;
static bool modesaved = false;

// Screen mode: `drawing` while the screen is the editor's (off between reseterm and physterm,
// during a shell command, an emit to the terminal or a suspension). What a fatal signal or an
// unexpected exit needs to give the terminal back is prepared at start, so that restoring it
// takes only write and tcsetattr.
static volatile sig_atomic_t drawing = 0;
static volatile sig_atomic_t restorable = 0;
static struct termios shellmodes;
static char leavestring[256];
static size_t leavelength = 0;
static int outfd = -1;
static bool glyphok[256];
static long long lastdraw = 0;
constexpr int DRAWGAP = 40;  // milliseconds between draws while keys come from a script

// An environment number such as LINES, or 0 when it is not a sensible positive number.
static int envnumber(const char* name) {
    const char* v = getenv(name);
    if (v == nullptr || *v == 0) return 0;
    char* end = nullptr;
    long n = strtol(v, &end, 10);
    if (*end != 0 || n <= 0 || n > 100000) return 0;
    return static_cast<int>(n);
}

// Gives the terminal back: leaves the screen's own mode and restores the shell's settings.
// Safe in a signal handler.
static void restoreterminal() {
    if (!restorable) return;
    if (drawing && leavelength > 0) {
        ssize_t ignored = write(outfd, leavestring, leavelength);
        (void)ignored;
    }
    drawing = 0;
    tcsetattr(ttyfd, TCSANOW, &shellmodes);
}

static void restoreatexit() { restoreterminal(); }

// Signals that would end the editor without its exit path, and what they did before.
static const int fatalsignals[] = {SIGHUP, SIGTERM, SIGQUIT, SIGSEGV, SIGBUS, SIGILL, SIGABRT,
                                   SIGTRAP, SIGSYS, SIGUSR1, SIGUSR2, SIGALRM};
constexpr int NFATAL = sizeof fatalsignals / sizeof fatalsignals[0];
static struct sigaction fatalbefore[NFATAL];

static void fatalhandler(int sig) {
    restoreterminal();
    for (int i = 0; i < NFATAL; i++) {
        if (fatalsignals[i] == sig) sigaction(sig, &fatalbefore[i], nullptr);
    }
    raise(sig);  // delivered to the former action when this handler returns
}

static void appendcap(const char* cap) {
    if (cap == nullptr || cap == reinterpret_cast<const char*>(-1)) return;
    size_t n = strlen(cap);
    if (leavelength + n >= sizeof leavestring) return;
    memcpy(leavestring + leavelength, cap, n);
    leavelength += n;
}

// Before the terminal is changed: the shell's settings and the former signal actions; in screen
// mode also the locale in which Latin-1 text is shown.
static bool utf8 = false;

bool utf8terminal() { return utf8; }

static void terminalbefore() {
    if (screenmode) {
        setlocale(LC_CTYPE, "");
        utf8 = strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    }
    restorable = tcgetattr(0, &shellmodes) == 0 ? 1 : 0;
    for (int i = 0; i < NFATAL; i++) sigaction(fatalsignals[i], nullptr, &fatalbefore[i]);
}

// After the terminal is taken: the handlers and the exit hook that give it back, and in screen
// mode the strings that leave the screen and which Latin-1 characters the terminal's character
// set can show.
static void terminalafter() {
    outfd = fileno(cursesout);
    if (screenmode) {
        appendcap(exit_attribute_mode);
        appendcap(cursor_normal);
        appendcap(exit_ca_mode);
    }
    for (int i = 0; i < NFATAL; i++) {
        if (fatalbefore[i].sa_handler == SIG_IGN) continue;  // a signal ignored stays ignored
        struct sigaction sa = {};
        sa.sa_handler = fatalhandler;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0;
        sigaction(fatalsignals[i], &sa, nullptr);
    }
    atexit(restoreatexit);
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(restoreatexit);
#endif
    if (!screenmode) return;
    for (int c = 0; c < 256; c++) {
        if (c < 32 || (c >= 127 && c < 160)) {
            glyphok[c] = false;
        } else if (c < 127) {
            glyphok[c] = true;
        } else {
            char buf[MB_LEN_MAX];
            mbstate_t state = {};
            glyphok[c] = wcrtomb(buf, static_cast<wchar_t>(c), &state) != static_cast<size_t>(-1);
        }
    }
}

static bool validcap(const char* cap) { return cap != nullptr && cap != reinterpret_cast<const char*>(-1); }

const char* noscreen = nullptr;

// A key's sequence from the terminal's description, or nullptr.
static const char* keystring(const char* name) {
    const char* s = tigetstr(name);
    return validcap(s) ? s : nullptr;
}

void stermpars() {
    if (hasterminal) return;
    noscreen = nullptr;
    if (!isatty(0)) return;
    const char* term = getenv("TERM");
    if (term == nullptr || *term == 0) return;
    int err = 0;
    // The terminal type is tried first, so that an unknown one means running without the
    // terminal's key mode rather than an exit inside the library.
    if (setupterm(term, 0, &err) != OK) {
        if (cur_term != nullptr) del_curterm(cur_term);
        return;
    }
    // Terminal output (the bell, the screen) goes to the terminal, never into a front-end pipe
    // on standard output.
    cursesout = isatty(1) ? stdout : fopen("/dev/tty", "w");
    if (cursesout == nullptr) {
        del_curterm(cur_term);
        return;
    }
    if (screenmode) {
        // The description read for the trial is freed: the screen reads its own, which
        // endterminal frees. A terminal that cannot place the cursor cannot show a screen.
        bool canmove = validcap(cursor_address);
        del_curterm(cur_term);
        if (canmove) {
            terminalbefore();
            screen = newterm(term, cursesout, stdin);
            if (screen != nullptr) loadtermkeys(keystring);
        } else {
            noscreen = "a terminal that can move the cursor";
        }
        if (screen == nullptr) {
            if (cursesout != stdout) fclose(cursesout);
            cursesout = nullptr;
            restorable = 0;
            return;
        }
    } else {
        terminalbefore();  // the description stays: its size and its bell
    }
    ttyfd = 0;
    hasterminal = 1;
    terminalafter();
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
        // The resize handler is the editor's, not curses': curses is told the size here.
        if (screenmode && (rows != LINES || cols != COLS)) resizeterm(rows, cols);
    } else {
        rows = envnumber("LINES");
        cols = envnumber("COLUMNS");
    }
    if (rows <= 0) rows = 24;
    if (cols <= 0) cols = 80;
    return setgeometry(rows, cols);
}

// Key input one character at a time, without echo, RETURN as carriage return; the interrupt
// and suspend characters moved, the other special characters off. Curses sets the modes in
// screen mode; in the protocol mode they are derived from the shell's settings each time, so
// that a second call (after a shell command, a resume, a resize) never mistakes the editor's
// own settings for the shell's.
void initerm() {
    if (!hasterminal) return;
    if (screenmode) {
        cbreak();
        noecho();
        nonl();
        intrflush(stdscr, FALSE);
        keypad(stdscr, FALSE);
        if (tcgetattr(ttyfd, &oldintrps) != 0) return;
        newintrps = oldintrps;
    } else {
        if (!restorable) return;
        oldintrps = shellmodes;
        newintrps = shellmodes;
        newintrps.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHONL);
        newintrps.c_lflag |= ISIG;
        newintrps.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR);
        newintrps.c_cc[VMIN] = 1;
        newintrps.c_cc[VTIME] = 0;
    }
    modesaved = true;
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
    // Curses restores these settings itself when the screen is taken back after a shell.
    if (screenmode) def_prog_mode();
}

void reseterm() {
    if (!hasterminal) return;
    if (!screenmode) {
        if (modesaved) tcsetattr(ttyfd, TCSANOW, &oldintrps);
        return;
    }
    if (drawing) {
        endwin();
        drawing = 0;
    }
    if (modesaved) tcsetattr(ttyfd, TCSANOW, &oldintrps);
    nocbreak();
    echo();
    reset_shell_mode();
}

void screenrefresh() {
    if (hasterminal && screenmode) screendraw(1);
}

void (*bellwatch)() = nullptr;

static int puttty(int c) { return putc(c, cursesout); }

void ringbell() {
    if (bellwatch != nullptr) bellwatch();
    if (!hasterminal) return;
    if (screenmode) {
        beep();
    } else if (validcap(bell)) {
        tputs(bell, 1, puttty);
        fflush(cursesout);
    }
}

void endterminal() {
    if (!hasterminal) return;
    if (screenmode) {
        endwin();
        drawing = 0;
        delscreen(screen);
        screen = nullptr;
    } else if (cur_term != nullptr) {
        del_curterm(cur_term);
    }
    restorable = 0;
    if (cursesout != nullptr && cursesout != stdout) fclose(cursesout);
    cursesout = nullptr;
    hasterminal = 0;
}

// On resume the screen's program mode is restored (the first draw enters the screen again);
// the protocol mode sends nothing to the terminal, initerm sets its modes again.
void entercamode() {
    if (hasterminal && screenmode) reset_prog_mode();
}

// The other hooks keep their places in start-up, exit, shell escape and suspension. Only
// physterm has work, in screen mode: it takes the screen back and has it repainted whole.
void physterm() {
    if (!hasterminal || !screenmode) return;
    screenfit();
    screenrepaint();
    drawing = 1;
}
void setintran() {}
void scrclear() {}
void restorecursor() {}

// Screen mode drawing.

static long long nowms() {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000LL + t.tv_nsec / 1000000;
}

static attr_t attributes(unsigned char kind) {
    switch (kind) {
        case CELL_FLAG: return A_BOLD;
        case CELL_FIELD: return A_UNDERLINE;
        case CELL_STATUS: return A_REVERSE;
        case CELL_RULER: return A_DIM;
        case CELL_ERROR: return A_BOLD;
        case CELL_WAIT: return A_REVERSE | A_BOLD;
        case CELL_NOTE: return A_BOLD;
        case CELL_FOUND: return A_STANDOUT;
        default: return A_NORMAL;
    }
}

// A Latin-1 code as the terminal shows it: "~" for control codes, "?" for what the terminal's
// character set cannot show.
static wchar_t glyph(unsigned char code) {
    if (code < 32 || (code >= 127 && code < 160)) return L'~';
    return glyphok[code] ? static_cast<wchar_t>(code) : L'?';
}

// Writes `n` cells of row r: text[c] with the attributes attr(c); the rest of the row is cleared.
template <typename Attr>
static void putrow(int r, const std::string& text, int n, int width, Attr attr) {
    static cchar_t row[MAXCOLS + 1];
    if (n > static_cast<int>(text.size())) n = static_cast<int>(text.size());
    if (n > width) n = width;
    if (n > MAXCOLS) n = MAXCOLS;
    for (int c = 0; c < n; c++) {
        wchar_t shown[2] = {glyph(static_cast<unsigned char>(text[static_cast<size_t>(c)])), 0};
        setcchar(&row[c], shown, attr(c), 0, nullptr);
    }
    mvwadd_wchnstr(stdscr, r, 0, row, n);
    if (n < width) {
        wmove(stdscr, r, n);
        wclrtoeol(stdscr);
    }
}

// Copies one row of the model into the window.
static void drawrow(int r, int width) {
    putrow(r, scrmodel.row(r), scrmodel.cols(), width, [r](int c) { return attributes(scrmodel.kind(r, c)); });
}

static bool helpup = false;  // the help view covers the screen

void screendraw(int force) {
    if (!screenmode || !hasterminal || !drawing || helpup) return;
    long long now = nowms();
    if (!force && now - lastdraw < DRAWGAP) return;
    lastdraw = now;
    int height = 0;
    int width = 0;
    getmaxyx(stdscr, height, width);
    bool all = scrmodel.repaintasked();
    if (all) clearok(curscr, TRUE);
    for (int r = 0; r < height; r++) {
        if (r >= scrmodel.rows()) {
            if (all) {
                wmove(stdscr, r, 0);
                wclrtobot(stdscr);
            }
            break;
        }
        if (all || scrmodel.dirty(r)) drawrow(r, width);
    }
    scrmodel.clean();
    int cr = scrmodel.cursorrow();
    int cc = scrmodel.cursorcol();
    if (cr >= height) cr = height - 1;
    if (cc >= width) cc = width - 1;
    if (cr >= 0 && cc >= 0) wmove(stdscr, cr, cc);
    wrefresh(stdscr);
}

void screenrepaint() { scrmodel.markall(); }

bool helpdraw(const std::vector<std::string>& rows, int top, const std::string& title, const std::string& footer) {
    if (!screenmode || !hasterminal || !drawing) return false;
    helpup = true;
    int height = 0;
    int width = 0;
    getmaxyx(stdscr, height, width);
    auto bar = [width](int r, const std::string& text) {
        std::string padded = text;
        if (static_cast<int>(padded.size()) < width) padded.append(static_cast<size_t>(width) - padded.size(), ' ');
        putrow(r, padded, width, width, [](int) { return static_cast<attr_t>(A_REVERSE); });
    };
    bar(0, title);
    for (int r = 1; r < height - 1; r++) {
        size_t i = static_cast<size_t>(top + r - 1);
        const std::string& text = i < rows.size() ? rows[i] : std::string();
        putrow(r, text, width, width, [](int) { return static_cast<attr_t>(A_NORMAL); });
    }
    if (height > 1) bar(height - 1, footer);
    curs_set(0);
    wrefresh(stdscr);
    return true;
}

void helpclose() {
    if (!helpup) return;
    helpup = false;
    curs_set(1);
    screenrepaint();
    screendraw(1);
}

bool stdoutisscreen() { return screenmode && hasterminal && cursesout == stdout; }

void showonterminal(const char* text, size_t size) {
    for (size_t i = 0; i < size; i++) {
        unsigned char code = static_cast<unsigned char>(text[i]);
        if (code < 128) {
            putc(code, stdout);
            continue;
        }
        char buf[MB_LEN_MAX];
        mbstate_t state = {};
        size_t n = glyphok[code] ? wcrtomb(buf, static_cast<wchar_t>(code), &state) : static_cast<size_t>(-1);
        if (n == static_cast<size_t>(-1)) {
            putc('?', stdout);
        } else {
            fwrite(buf, 1, n, stdout);
        }
    }
    fflush(stdout);
}

}  // namespace zek

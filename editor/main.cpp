// Start-up: the command line, the load-time state of every module, the queued keys, and exit.
#include "editor/main.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "editor/build.h"
#include "editor/commands.h"
#include "editor/check.h"
#include "editor/corutils.h"
#include "editor/cstars.h"
#include "editor/cursors.h"
#include "editor/display.h"
#include "editor/ecap.h"
#include "editor/editor.h"
#include "editor/file.h"
#include "editor/float.h"
#include "editor/getparam.h"
#include "editor/journal.h"
#include "editor/linutils.h"
#include "editor/merger.h"
#include "editor/reformat.h"
#include "editor/rubout.h"
#include "editor/scan.h"
#include "editor/scrin.h"
#include "editor/screen.h"
#include "editor/scrout.h"
#include "editor/sort.h"
#include "editor/syshandler.h"
#include "editor/sysutils.h"
#include "editor/tabs.h"
#include "editor/termutils_xq.h"
#include "editor/terminal_xq.h"
#include "editor/view.h"
#include "genra/uninstall.h"

namespace zek {

const char* fparam1 = nullptr;
const char* fparam2 = nullptr;
const char* fparam3 = nullptr;
const char* fparam4 = nullptr;
int fparnum = 0;

const char* const helptext =
    "To start zek, use one of the following:\n"
    "\tzek <filename>\n"
    "\tzek -p <procedurefilename>\n"
    "\tzek -d <driverfilename>\n"
    "\n"
    "Notes:\n"
    "(1) You MUST provide the exact path to <driverfilename> if\n"
    "it is not in the current directory.\n"
    "\n"
    "(2) To use xqzek, replace zek by xqzek.\n"
    "\n"
    "(3) For more help, see README.md in the zek source folder.\n"
    "\n"
    "(4) zeks, or ZEK_SCREEN=1 zek, starts in screen mode: zek draws its own\n"
    "full screen in the terminal, and F1 or ESC ? there lists every key and command.";

static const char commandkey[] = {3, 0};
static char startcommand[600];  // the queued FETCH, NAME, RUN or PROCEDURE keys

void loaddefaults() {
    initcharkind();
    initterminal_xq();
    initscrout();
    undolimit = 0;  // the store's first lines are no one's edit
    initcore();
    initscrin();
    initeditor();
    initgetparam();
    inittabs();
    initrubout();
    initecap();
    initcursors();
    initscan();
    initcheck();
    initfloat();
    initmerger();
    initview();
    initreformat();
    initsort();
    initcstars();
    initfile_io();
    initsysutils();
    initbuild();
    initjournal();
    disrecptr = 0;
    windresize = 0;
    inptr = stdin;
}

// True when every character of `name` would be accepted by a file-name parameter typed with
// the default keys; only then can the name be queued as keystrokes.
static bool typable(const char* name) {
    for (const char* p = name; *p != 0; p++) {
        unsigned char ch = static_cast<unsigned char>(*p);
        bool ok = (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') ||
                  ch == '-' || ch == '.' || ch == '/' || ch == '_' || ch == '~';
        if (!ok) return false;
    }
    return true;
}

// Runs a start-up command on a name that cannot be typed: its check, then its operation.
static void runstartcommand(const char* name, const char* file) {
    for (int i = 0; i < NUMCOMMANDS; i++) {
        if (strcmp(commands[i].name, name) != 0) continue;
        cmdptr = i;
        snprintf(curfile, sizeof curfile, "%s", file);
        param[1] = 0;
        param[2] = 1;
        param[3] = 200000;
        del = 0;
        commands[i].checker();
        if (del != 2) commands[i].cmdop();
        del = 0;
        return;
    }
}

// A start-up file that cannot be read becomes the corefile's name only when it does not exist:
// one that exists but cannot be read, or is a directory or a device, is named on the message
// line and left alone (naming the corefile after it would let a later save replace it unseen).
static bool startfilemissing(const char* name) {
    struct stat st;
    int why = stat(name, &st) == 0 ? 0 : errno;
    if (why == ENOENT || why == ENOTDIR) return true;
    char text[NAMELEN + 80];
    if (why != 0) {
        snprintf(text, sizeof text, "%s cannot be read (%s): nothing fetched", name, strerror(why));
    } else if (S_ISDIR(st.st_mode)) {
        snprintf(text, sizeof text, "%s is a directory: nothing fetched", name);
    } else if (!S_ISREG(st.st_mode)) {
        snprintf(text, sizeof text, "%s is not a regular file: nothing fetched", name);
    } else {
        snprintf(text, sizeof text, "%s cannot be read (%s): nothing fetched", name, strerror(EACCES));
    }
    progress(text);
    return false;
}

void getfpar() {
    if (fparnum < 2 || fparam1 == nullptr) return;
    if (strlen(fparam1) > NAMELEN) {
        // A file parameter holds 48 characters: a longer name is neither fetched nor named.
        progress("File name longer than 48 characters: nothing fetched");
        return;
    }
    snprintf(curfile, sizeof curfile, "%s", fparam1);
    del = 0;
    fprs();
    const char* command = (del == 2) ? "NA" : "FE";
    del = 0;
    if (command[0] == 'N' && !startfilemissing(fparam1)) return;
    // An emergency copy of an earlier session is pointed out once the file is there.
    char copy[NAMELEN + 16];
    savename(copy, sizeof copy, fparam1);
    struct stat st;
    char notice[sizeof copy + 32];
    notice[0] = 0;
    if (lstat(copy, &st) == 0) snprintf(notice, sizeof notice, "Emergency save found: %s", copy);
    if (!typable(fparam1)) {
        runstartcommand(command[0] == 'N' ? "NAME" : "FETCH", fparam1);
        if (notice[0] != 0) progress(notice);
        return;
    }
    if (notice[0] != 0) progresslater(notice);
    snprintf(startcommand, sizeof startcommand, "%s%s\r", command, fparam1);
    pushfn(startcommand);
    journalhold(startcommand);  // the file a session starts with is where its undo stops
}

void queuestartkeys() {
    if (fparnum == 3 && strcmp(fparam1, "-d") == 0) {
        // A driver named by a path is run as it stands; a bare name is looked for here, not
        // in the search path.
        char path[sizeof startcommand - 4];
        snprintf(path, sizeof path, "%s%s", strchr(fparam2, '/') != nullptr ? "" : "./", fparam2);
        if (typable(path)) {
            snprintf(startcommand, sizeof startcommand, "RU%s\r", path);
            pushfn(startcommand);
        } else {
            runstartcommand("RUN", path);
        }
    } else if (fparnum == 3 && strcmp(fparam1, "-p") == 0) {
        snprintf(startcommand, sizeof startcommand, "PR%s\r", fparam2);
        if (typable(fparam2)) {
            pushfn(startcommand);
        } else {
            runstartcommand("PROCEDURE", fparam2);
        }
    } else if (fparnum <= 2) {
        getfpar();
    } else if (fparnum == 3) {
        getfpar();
        char text[200];
        snprintf(text, sizeof text, "Only the first file name is taken: %s is left out", fparam2);
        progresslater(text);
    }
    pushfn(commandkey);
}

static void usage(const char* text) { printf("\n%s\n\n", text); }

// An argument that looks like an option (a "-" and more) where none is taken: anything but -p
// or -d first with a name after it (-h is answered before). That name may begin with "-".
static const char* unknownoption(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        if (a[0] != '-' || a[1] == 0) continue;
        if (i == 1 && argc == 3 && (strcmp(a, "-p") == 0 || strcmp(a, "-d") == 0)) return nullptr;
        return a;
    }
    return nullptr;
}

// A procedure or driver name is run through a 48-character file parameter: a longer one would
// be cut and could run another file, so it is refused before anything starts.
static bool startnamefits(int argc, char** argv) {
    if (argc != 3) return true;
    size_t length = strlen(argv[2]);
    if (strcmp(argv[1], "-p") == 0 && length > NAMELEN) {
        fprintf(stderr, "zek: the procedure file name is longer than %d characters: %s\n", NAMELEN, argv[2]);
        return false;
    }
    bool bare = strchr(argv[2], '/') == nullptr;
    if (strcmp(argv[1], "-d") == 0 && length + (bare ? 2 : 0) > NAMELEN) {
        if (bare) {
            fprintf(stderr, "zek: the driver name is longer than %d characters (with the \"./\" put before a name that does not begin with \"/\"): %s\n",
                    NAMELEN, argv[2]);
        } else {
            fprintf(stderr, "zek: the driver name is longer than %d characters: %s\n", NAMELEN, argv[2]);
        }
        return false;
    }
    return true;
}

// Screen mode: the program is called zeks, or ZEK_SCREEN is set (to anything but 0, which asks
// for the protocol mode under any name).
static int screenwanted(const char* name) {
    const char* env = getenv("ZEK_SCREEN");
    if (env != nullptr && *env != 0) return strcmp(env, "0") != 0 ? 1 : 0;
    if (name == nullptr) return 0;
    const char* base = strrchr(name, '/');
    base = base != nullptr ? base + 1 : name;
    return strcmp(base, "zeks") == 0 ? 1 : 0;
}

int zekmain(int argc, char** argv) {
    fparnum = argc;
    fparam1 = argc > 1 ? argv[1] : nullptr;
    fparam2 = argc > 2 ? argv[2] : nullptr;
    fparam3 = argc > 3 ? argv[3] : nullptr;
    fparam4 = argc > 4 ? argv[4] : nullptr;
    // Wrong command lines end with status 2, the status of bad usage.
    if ((argc == 2 || argc == 3) && (strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "--help") == 0)) {
        usage(helptext);
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "-d") == 0) {
        usage("You need to give the name of the driver file. Type zek -h for details.");
        return 2;
    }
    if (argc == 2 && strcmp(argv[1], "-p") == 0) {
        usage("You need to give the name of the procedure file. Type zek -h for details.");
        return 2;
    }
    if (argc > 3) {
        usage("Too many arguments. Type zek -h for details.");
        return 2;
    }
    if (const char* unknown = unknownoption(argc, argv)) {
        fprintf(stderr, "zek: unknown option %s. Type zek -h for details.\n", unknown);
        return 2;
    }
    if (!startnamefits(argc, argv)) return 1;

    loaddefaults();
    screenmode = screenwanted(argc > 0 ? argv[0] : nullptr);
    stermpars();
    if (screenmode && !hasterminal) {
        screenmode = 0;
        if (noscreen != nullptr) {
            fprintf(stderr, "zek: screen mode needs %s (TERM=%s cannot): the screen protocol goes to standard output\n",
                    noscreen, getenv("TERM"));
        } else {
            fputs("zek: screen mode needs a terminal (standard input and TERM): the screen protocol goes to standard output\n",
                  stderr);
        }
    }
    getwindsize();
    physterm();
    setintran();
    initerm();
    screenrefresh();
    inptr = stdin;
    setsig();
    initgenra();
    gendis();
    discur();
    queuestartkeys();
    journalforget();  // a start-up command run at once (a name that cannot be typed) included

    editor();

    endprog();
    fflush(stdout);
    reseterm();
    scrclear();
    endterminal();
    return 0;
}

}  // namespace zek

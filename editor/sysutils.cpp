// Shell commands, directory commands, and the driver program connected through two pipes.
#include "editor/sysutils.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <string>

#include "editor/getparam.h"
#include "editor/screen.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/syshandler.h"
#include "editor/termutils_xq.h"
#include "editor/terminal_xq.h"

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

// While the program is suspended the keyboard is read; while it runs, its output.
void suspendprog() {
    if (progstate == 0) return;
    progstate = 2;
    signalprog(SIGSTOP);
    inptr = stdin;
}

void resumeprog() {
    if (progstate != 2) {
        diserr(" No suspended program! ");
        return;
    }
    progstate = 1;
    signalprog(SIGCONT);
    inptr = zekinput;
    if (voluntary) acknowledge();
}

void acknowledge() {
    if (progstate != 1 || zekoutput == nullptr) return;
    fputc('\n', zekoutput);
    flushdriver();
}

// The program's input is a non-blocking pipe written through this function: a write that
// makes no progress for DRIVERWAIT milliseconds (the program does not read) or that an
// interrupt breaks is abandoned, and the rest of that output dropped, so that a program that
// never reads cannot hold the editor. flushdriver() reports it.
constexpr int DRIVERWAIT = 3000;
static int driverfd = -1;
static bool driverstuck = false;  // output is being dropped since a write was abandoned
static bool driverfailed = false;

static long long nowms() {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000LL + t.tv_nsec / 1000000;
}

static ssize_t driverwrite(void*, const char* data, size_t size) {
    size_t done = 0;
    long long deadline = nowms() + DRIVERWAIT;
    while (!driverstuck && done < size) {
        ssize_t n = write(driverfd, data + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            deadline = nowms() + DRIVERWAIT;
            continue;
        }
        if (n < 0 && errno == EPIPE) break;  // the program has gone; the broken pipe ends it
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            long long left = deadline - nowms();
            if (left > 0 && !interruptpending()) {
                struct pollfd p = {driverfd, POLLOUT, 0};
                poll(&p, 1, static_cast<int>(left));
                continue;
            }
        }
        driverstuck = driverfailed = true;
    }
    return static_cast<ssize_t>(size);  // what could not be written is dropped
}

static int driverclose(void*) {
    int fd = driverfd;
    driverfd = -1;
    return close(fd);
}

bool flushdriver() {
    if (zekoutput != nullptr) fflush(zekoutput);
    bool ok = !driverfailed;
    driverstuck = driverfailed = false;
    if (!ok) diserr(" Write Failed ");
    return ok;
}

static FILE* opendriveroutput(int fd) {
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return nullptr;
    cookie_io_functions_t io = {nullptr, driverwrite, nullptr, driverclose};
    FILE* f = fopencookie(nullptr, "w", io);
    if (f == nullptr) return nullptr;
    driverfd = fd;
    driverstuck = driverfailed = false;
    return f;
}

void killprog() {
    if (progstate == 0) return;
    if (zekinput != nullptr) fclose(zekinput);
    driverstuck = true;  // what is still buffered for the program is not waited for
    if (zekoutput != nullptr) fclose(zekoutput);
    driverstuck = driverfailed = false;
    zekinput = zekoutput = nullptr;
    pid_t pid = child_pid;
    signalprog(SIGKILL);
    if (pid > 0) {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    progstate = 0;
    child_pid = 0;
    inptr = stdin;
    if (screenmode) screenrepaint();  // whatever the program wrote to the terminal goes
}

void endprog() {
    if (progstate == 0) return;
    signalprog(SIGCONT);  // a stopped program is woken, so that nothing of it stays stopped
    killprog();
}

// Runs the program named by curfile, found through the search path, as its only argument.
static void call_execlp() { execlp(curfile, curfile, static_cast<char*>(nullptr)); }

static void closeonexec(int fd) { fcntl(fd, F_SETFD, FD_CLOEXEC); }

int setpipe() {
    int zekpipe[2];
    int progpipe[2];
    if (pipe(zekpipe) != 0) return 0;
    if (pipe(progpipe) != 0) {
        close(zekpipe[0]);
        close(zekpipe[1]);
        return 0;
    }
    fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) {
        for (int fd : {zekpipe[0], zekpipe[1], progpipe[0], progpipe[1]}) close(fd);
        return 0;
    }
    if (pid == 0) {
        dup2(progpipe[0], 0);
        dup2(zekpipe[1], 1);
        for (int fd : {zekpipe[0], zekpipe[1], progpipe[0], progpipe[1]}) close(fd);
        if (screenmode && isatty(2)) {
            // the program's messages would write over the editor's screen
            int quiet = open("/dev/null", O_WRONLY);
            if (quiet >= 0) {
                dup2(quiet, 2);
                close(quiet);
            }
        }
        call_execlp();
        _exit(1);
    }
    close(zekpipe[1]);
    close(progpipe[0]);
    closeonexec(zekpipe[0]);
    closeonexec(progpipe[1]);
    child_pid = pid;
    zekoutput = opendriveroutput(progpipe[1]);
    zekinput = zekoutput != nullptr ? fdopen(zekpipe[0], "r") : nullptr;
    if (zekoutput == nullptr || zekinput == nullptr) {
        if (zekoutput != nullptr) fclose(zekoutput);
        if (zekoutput == nullptr) close(progpipe[1]);
        close(zekpipe[0]);
        zekinput = zekoutput = nullptr;
        kill(pid, SIGKILL);
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        child_pid = 0;
        return 0;
    }
    return 1;
}

void runprog() {
    if (progstate != 0) {
        diserr("Program already running");
        return;
    }
    if (!setpipe()) {
        diserr("Can't set up pipes");
        return;
    }
    progstate = 1;
    progtrans = 1;
    inptr = zekinput;
}

void swinput() {
    switch (param[1]) {
        case 0:
            voluntary = 1;
            suspendprog();
            inptr = stdin;
            putstring("###", 'U');
            break;
        case 1:
            resumeprog();
            if (progstate == 1) inptr = zekinput;
            break;
        default:
            killprog();
            inptr = stdin;
            putstring("###", 'U');
            break;
    }
}

static void printline(const char* text) {
    fputs(text, stdout);
    fputs("\r\n", stdout);
}

void calsys() {
    reseterm();
    scrclear();
    printline(sysstring);
    bool interactive = sysstring[0] == 0 && progstate != 1;
    fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) {
        printline("System error: vfork failed.");
        del = 2;
    } else if (pid == 0) {
        // An empty command is an interactive shell: no empty script name is passed to it.
        if (interactive) {
            execl("/bin/sh", "sh", "-i", static_cast<char*>(nullptr));
        } else {
            execl("/bin/sh", "sh", "-c", sysstring, static_cast<char*>(nullptr));
        }
        static const char failed[] = "System error: execl failed\r\n";
        ssize_t ignored = write(1, failed, sizeof failed - 1);
        (void)ignored;
        _exit(1);
    } else {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) endifhungup();
    }
    backtoscreen();
}

void backtoscreen() {
    initerm();
    if (progstate != 1) {
        int kept = del;
        printline("");
        printline("Type [return] to continue");
        fflush(stdout);
        gcr();
        del = kept;
    }
    physterm();
    int saved = visible;
    visible = 1;
    gendis();
    visible = saved;
}

void changedir() {
    if (sysstring[0] == 0) {
        char where[4097];
        if (getcwd(where, sizeof where) == nullptr) where[0] = 0;
        progress(where);
        return;
    }
    if (chdir(sysstring) != 0) {
        diserr("Directory not found (or no permission)");
        del = 2;
    }
}

void directory() {
    static const char again[] = "DI";
    const char* command = nullptr;
    switch (param[1]) {
        case 0:
        case 2: command = "ls"; break;           // none or B
        case 6: command = "ls -l"; break;        // F
        case 20: command = "ls .."; break;       // T
        default: break;
    }
    if (command == nullptr) {
        // the message is acknowledged first, so that the wait does not swallow the queued keys
        diserr("Invalid Argument");
        pushfn(again);
        return;
    }
    snprintf(sysstring, sizeof sysstring, "%s", command);
    calsys();
}

bool call_listcom(const char* file, int from, int to, int copies, const char* initfile) {
    // A name that begins with "-" goes as "./-name", so that the program cannot take the file
    // for one of its options.
    std::string name = file[0] == '-' ? std::string("./") + file : std::string(file);
    std::string init = initfile[0] == '-' ? std::string("./") + initfile : std::string(initfile);
    char a1[16], a2[16], a3[16];
    snprintf(a1, sizeof a1, "%d", from);
    snprintf(a2, sizeof a2, "%d", to);
    snprintf(a3, sizeof a3, "%d", copies);
    // The program runs as a grandchild, so that it never becomes a zombie of the editor; a
    // close-on-exec pipe tells whether the exec itself succeeded.
    int status[2];
    if (pipe2(status, O_CLOEXEC) != 0) return false;
    pid_t child = fork();
    if (child < 0) {
        close(status[0]);
        close(status[1]);
        return false;
    }
    if (child == 0) {
        pid_t grandchild = fork();
        if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
        int report = fcntl(status[1], F_DUPFD_CLOEXEC, 10);
        for (int fd = 0; fd <= 9; fd++) close(fd);
        execlp("list", "list", name.c_str(), a1, a2, a3, init.c_str(), static_cast<char*>(nullptr));
        int err = errno;
        if (report >= 0) {
            ssize_t ignored = write(report, &err, sizeof err);
            (void)ignored;
        }
        _exit(127);
    }
    close(status[1]);
    int childstatus = 0;
    while (waitpid(child, &childstatus, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t got;
    do {
        got = read(status[0], &err, sizeof err);
    } while (got < 0 && errno == EINTR);
    close(status[0]);
    bool forked = WIFEXITED(childstatus) && WEXITSTATUS(childstatus) == 0;
    return forked && got == 0;
}

}  // namespace zek

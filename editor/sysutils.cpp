// Shell commands, directory commands, and the driver program connected through two pipes.
#include "editor/sysutils.h"

#include <signal.h>
#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

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

bool call_listcom(const char* file, int from, int to, int copies, const char* initfile) {
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
        execlp("list", "list", file, a1, a2, a3, initfile, static_cast<char*>(nullptr));
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

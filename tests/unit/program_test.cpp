// The driver program on two pipes (start, keys from its output, suspend, resume, acknowledge,
// end), shell commands and the directory commands. Every child started here is killed and
// reaped before the test ends.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "editor/getparam.h"
#include "editor/scrin.h"
#include "editor/sysutils.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;

namespace {

// Sequences of one kind ("$me" messages, "$mh" progress, "$mU" and so on) since the last call.
std::string sent(const std::string& prefix) {
    std::string m;
    for (const std::string& s : takesequences()) {
        if (s.rfind(prefix, 0) == 0) m += s.substr(prefix.size()) + ";";
    }
    return m;
}

std::string contents(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Each test runs in a scratch directory; broken pipes must not end the test process.
class Program : public ::testing::Test {
   protected:
    void SetUp() override {
        char name[] = "/tmp/zekprogXXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
        ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
        ASSERT_EQ(chdir(name), 0);
        oldpipe = signal(SIGPIPE, SIG_IGN);
        fresh();
    }
    void TearDown() override {
        if (progstate != 0) killprog();
        signal(SIGPIPE, oldpipe);
        EXPECT_EQ(chdir(saved), 0);
        std::filesystem::remove_all(dir);
    }

    // Writes an executable shell script and names it as the program to run.
    void script(const std::string& body) {
        std::ofstream("prog.sh") << "#!/bin/sh\n" << body;
        ASSERT_EQ(chmod("prog.sh", 0755), 0);
        snprintf(curfile, sizeof curfile, "./prog.sh");
    }

    // Runs `body` with standard output going to a file, whose contents come back.
    template <typename F>
    std::string printed(F body) {
        fflush(stdout);
        int keep = dup(1);
        int fd = open("stdout.txt", O_CREAT | O_WRONLY | O_TRUNC, 0644);
        dup2(fd, 1);
        close(fd);
        body();
        fflush(stdout);
        dup2(keep, 1);
        close(keep);
        return contents("stdout.txt");
    }

    std::string dir;
    char saved[4096] = {};
    void (*oldpipe)(int) = SIG_DFL;
};

}  // namespace

TEST_F(Program, ItsOutputIsTheKeySourceAndItsInputTakesWhatIsSent) {
    snprintf(curfile, sizeof curfile, "/bin/cat");
    FILE* keyboard = inptr;
    runprog();
    ASSERT_EQ(progstate, 1);
    EXPECT_EQ(progtrans, 1);
    EXPECT_EQ(inptr, zekinput);
    EXPECT_NE(inptr, keyboard);
    pid_t pid = child_pid;
    ASSERT_GT(pid, 0);
    fputs("ab\n", zekoutput);
    fflush(zekoutput);
    EXPECT_EQ(keytrace(3), "ab<1>");
    killprog();
    EXPECT_EQ(progstate, 0);
    EXPECT_EQ(zekinput, nullptr);
    EXPECT_EQ(zekoutput, nullptr);
    EXPECT_EQ(inptr, stdin);
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1) << "the program was reaped";
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(Program, WhenItsOutputEndsTheKeyboardIsReadAgain) {
    script("printf 'k'\n");
    runprog();
    ASSERT_EQ(progstate, 1);
    pid_t pid = child_pid;
    EXPECT_EQ(keytrace(1), "k");
    EXPECT_EQ(zekgetc(), -1);
    EXPECT_EQ(progstate, 0);
    EXPECT_EQ(inptr, stdin);
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
}

TEST_F(Program, SwitchSuspendsAndAVoluntaryResumeIsAcknowledged) {
    snprintf(curfile, sizeof curfile, "/bin/cat");
    runprog();
    ASSERT_EQ(progstate, 1);
    takesequences();
    param[1] = 0;
    swinput();
    EXPECT_EQ(progstate, 2);
    EXPECT_EQ(voluntary, 1);
    EXPECT_EQ(inptr, stdin);
    EXPECT_EQ(sent("$mU"), "###;");
    int status = 0;
    ASSERT_EQ(waitpid(child_pid, &status, WUNTRACED), child_pid);
    EXPECT_TRUE(WIFSTOPPED(status));
    param[1] = 1;
    swinput();
    EXPECT_EQ(progstate, 1);
    EXPECT_EQ(inptr, zekinput);
    EXPECT_EQ(keytrace(1), "<1>") << "the line feed of the acknowledgement comes back from cat";

    voluntary = 0;
    suspendprog();
    resumeprog();
    fputs("z\n", zekoutput);
    fflush(zekoutput);
    EXPECT_EQ(keytrace(1), "z") << "no acknowledgement after a stop that the user did not ask for";
    EXPECT_EQ(keytrace(1), "<1>");

    static const char answer[] = "\r";
    pushfn(answer);
    resumeprog();
    EXPECT_EQ(sent("$me"), " No suspended program! ;");
    EXPECT_EQ(progstate, 1);
    param[1] = 2;
    swinput();
    EXPECT_EQ(progstate, 0);
    EXPECT_EQ(inptr, stdin);
    EXPECT_EQ(sent("$mU"), "###;");
}

TEST_F(Program, WithoutAProgramNothingIsSignalled) {
    // In a process group of its own, so that a signal to process 0 would reach only the child.
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setpgid(0, 0);
        progstate = 0;
        child_pid = 0;
        suspendprog();
        acknowledge();
        killprog();
        progstate = 1;
        suspendprog();
        killprog();
        _exit(progstate == 0 ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, WUNTRACED), pid);
    if (WIFSTOPPED(status)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

    FILE* keyboard = inptr;
    suspendprog();
    acknowledge();
    killprog();
    EXPECT_EQ(progstate, 0);
    EXPECT_EQ(inptr, keyboard);
}

TEST_F(Program, NoPipesNoProgram) {
    struct rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    struct rlimit few = limit;
    few.rlim_cur = 3;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &few), 0);
    static const char answer[] = "\r";
    pushfn(answer);
    snprintf(curfile, sizeof curfile, "/bin/cat");
    runprog();
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
    EXPECT_EQ(sent("$me"), "Can't set up pipes;");
    EXPECT_EQ(progstate, 0);
}

TEST_F(Program, AShellCommandRunsAndTheAnswerKeepsTheAbandonFlag) {
    snprintf(sysstring, sizeof sysstring, "echo hi >x.txt");
    setkeys("\b");
    del = 0;
    std::string out = printed(calsys);
    EXPECT_EQ(contents("x.txt"), "hi\n");
    EXPECT_EQ(out, "echo hi >x.txt\r\n\r\nType [return] to continue\r\n");
    EXPECT_EQ(del, 0) << "the rubout that ended the pause does not abandon the command";

    progstate = 1;  // as while a program drives: no pause, so no key is needed
    snprintf(sysstring, sizeof sysstring, "echo driven >y.txt");
    out = printed(calsys);
    progstate = 0;
    EXPECT_EQ(contents("y.txt"), "driven\n");
    EXPECT_EQ(out, "echo driven >y.txt\r\n");
}

TEST_F(Program, ChangeOrShowTheDirectory) {
    ASSERT_EQ(mkdir("sub", 0755), 0);
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    takesequences();
    sysstring[0] = 0;
    changedir();
    EXPECT_EQ(sent("$mh"), std::string(here) + ";");
    snprintf(sysstring, sizeof sysstring, "sub");
    changedir();
    char now[4096];
    ASSERT_NE(getcwd(now, sizeof now), nullptr);
    EXPECT_EQ(std::string(now), std::string(here) + "/sub");
    setkeys("\r");
    snprintf(sysstring, sizeof sysstring, "nowhere");
    del = 0;
    changedir();
    EXPECT_EQ(sent("$me"), "Directory not found (or no permission);");
    EXPECT_EQ(del, 2);
}

TEST_F(Program, DirectoryListingsAndAnInvalidLetter) {
    ASSERT_EQ(mkdir("sub", 0755), 0);
    std::ofstream("marker.txt") << "x";
    ASSERT_EQ(chdir("sub"), 0);
    setkeys("\r");
    param[1] = 'T' - 'A' + 1;
    std::string out = printed(directory);
    EXPECT_EQ(out.rfind("ls ..\r\n", 0), 0u) << out;
    EXPECT_NE(out.find("marker.txt\n"), std::string::npos) << "the parent directory is listed";

    setkeys("\r" "B");
    param[1] = 'X' - 'A' + 1;
    takesequences();
    directory();
    EXPECT_EQ(sent("$me"), "Invalid Argument;");
    EXPECT_EQ(keytrace(3), "DIB") << "the queued command name comes before the waiting keys";
}

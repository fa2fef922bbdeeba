// The driver program on two pipes (start, keys from its output, suspend, resume, acknowledge,
// end), shell commands and the directory commands. Every child started here is killed and
// reaped before its test ends.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
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

// Sequences beginning with `prefix` ("$me" messages, "$mh" progress, "$mU") since the last call.
std::string sent(const std::string& prefix) {
    std::string m;
    for (const std::string& s : takesequences()) {
        if (s.rfind(prefix, 0) == 0) m += s.substr(prefix.size()) + ";";
    }
    return m;
}

std::string contents(const std::string& name) {
    std::stringstream s;
    s << std::ifstream(name, std::ios::binary).rdbuf();
    return s.str();
}

void send(const char* text) {
    fputs(text, zekoutput);
    fflush(zekoutput);
}

// Each test runs in a scratch directory; a broken pipe must not end the test process.
class Program : public ::testing::Test {
   protected:
    void SetUp() override {
        oldpipe = signal(SIGPIPE, SIG_IGN);
        fresh();
        snprintf(curfile, sizeof curfile, "/bin/cat");
    }
    void TearDown() override {
        if (progstate != 0) killprog();
        signal(SIGPIPE, oldpipe);
    }

    // Runs `body` with standard output going to a file, whose contents come back.
    static std::string printed(void (*body)()) {
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

    zektest::ScratchDir scratch;
    void (*oldpipe)(int) = SIG_DFL;
};

}  // namespace

TEST_F(Program, ItsOutputIsTheKeySourceUntilItEnds) {
    runprog();
    ASSERT_EQ(progstate, 1);
    EXPECT_EQ(progtrans, 1);
    EXPECT_EQ(inptr, zekinput);
    send("ab\n");
    EXPECT_EQ(keytrace(3), "ab<1>");
    pid_t pid = child_pid;
    killprog();
    EXPECT_TRUE(progstate == 0 && zekinput == nullptr && zekoutput == nullptr);
    EXPECT_EQ(inptr, stdin);
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1) << "the program was reaped";

    std::ofstream("prog.sh") << "#!/bin/sh\nprintf k\n";
    ASSERT_EQ(chmod("prog.sh", 0755), 0);
    fresh();
    snprintf(curfile, sizeof curfile, "./prog.sh");
    runprog();
    ASSERT_EQ(progstate, 1);
    pid = child_pid;
    EXPECT_EQ(keytrace(1), "k");
    EXPECT_EQ(zekgetc(), -1) << "at the end of its output the program is put away";
    EXPECT_EQ(progstate, 0);
    EXPECT_EQ(inptr, stdin);
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
}

TEST_F(Program, SwitchSuspendsAndAVoluntaryResumeIsAcknowledged) {
    runprog();
    ASSERT_EQ(progstate, 1);
    takesequences();
    param[1] = 0;
    swinput();
    EXPECT_TRUE(progstate == 2 && voluntary == 1 && inptr == stdin);
    EXPECT_EQ(sent("$mU"), "###;");
    int status = 0;
    ASSERT_EQ(waitpid(child_pid, &status, WUNTRACED), child_pid);
    EXPECT_TRUE(WIFSTOPPED(status));
    param[1] = 1;
    swinput();
    EXPECT_TRUE(progstate == 1 && inptr == zekinput);
    EXPECT_EQ(keytrace(1), "<1>") << "the line feed of the acknowledgement comes back from cat";

    voluntary = 0;
    suspendprog();
    resumeprog();
    send("z\n");
    EXPECT_EQ(keytrace(1), "z") << "no acknowledgement after a stop that the user did not ask for";

    static const char answer[] = "\r";
    pushfn(answer);
    resumeprog();
    EXPECT_EQ(sent("$me"), " No suspended program! ;");
    param[1] = 2;
    swinput();
    EXPECT_TRUE(progstate == 0 && inptr == stdin);
    EXPECT_EQ(sent("$mU"), "###;");
}

TEST_F(Program, WithoutAProgramNothingIsSignalled) {
    // In a process group of its own, so that a signal to process 0 would reach only the child.
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setpgid(0, 0);
        suspendprog();
        acknowledge();
        killprog();
        progstate = 1;  // even a state without a process id sends nothing
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
    killprog();
    EXPECT_EQ(inptr, keyboard);
}

TEST_F(Program, AShellCommandRunsAndItsPauseKeepsTheAbandonFlag) {
    snprintf(sysstring, sizeof sysstring, "echo hi >x.txt");
    setkeys("\b");
    del = 0;
    EXPECT_EQ(printed(calsys), "echo hi >x.txt\r\n\r\nType [return] to continue\r\n");
    EXPECT_EQ(contents("x.txt"), "hi\n");
    EXPECT_EQ(del, 0) << "the rubout that ended the pause does not abandon the command";
    progstate = 1;  // as while a program drives: no pause, so no key is read
    snprintf(sysstring, sizeof sysstring, "echo driven >y.txt");
    EXPECT_EQ(printed(calsys), "echo driven >y.txt\r\n");
    progstate = 0;
    EXPECT_EQ(contents("y.txt"), "driven\n");
}

TEST_F(Program, ChangeShowAndListTheDirectory) {
    ASSERT_EQ(mkdir("sub", 0755), 0);
    std::string here = std::filesystem::current_path().string();
    takesequences();
    sysstring[0] = 0;
    changedir();
    EXPECT_EQ(sent("$mh"), here + ";");
    snprintf(sysstring, sizeof sysstring, "sub");
    changedir();
    EXPECT_EQ(std::filesystem::current_path().string(), here + "/sub");
    setkeys("\r\r");
    snprintf(sysstring, sizeof sysstring, "nowhere");
    changedir();
    EXPECT_EQ(sent("$me"), "Directory not found (or no permission);");
    EXPECT_EQ(del, 2);

    param[1] = 'T' - 'A' + 1;
    std::string out = printed(directory);
    EXPECT_EQ(out.rfind("ls ..\r\n", 0), 0u) << out;
    EXPECT_NE(out.find("sub\n"), std::string::npos) << "the parent directory is listed";
    setkeys("\rB");
    param[1] = 'X' - 'A' + 1;
    directory();
    EXPECT_EQ(sent("$me"), "Invalid Argument;");
    EXPECT_EQ(keytrace(3), "DIB") << "the name is queued before the keys still waiting";
}

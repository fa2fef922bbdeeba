// File input and output seen from the store: the line kinds a fetch builds, where inserted and
// appended lines go, the edited mark, failed writes, whole-file reading for procedures and
// templates, and files the store cannot hold as they are.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "editor/build.h"
#include "editor/commands.h"
#include "editor/corutils.h"
#include "editor/file.h"
#include "editor/getparam.h"
#include "editor/scrin.h"
#include "editor/sys_linux.h"
#include "editor/sysutils.h"
#include "editor/terminal_xq.h"
#include "tests/unit/harness.h"

using namespace zek;
using zektest::coretext;
using zektest::fresh;
using zektest::line;
using zektest::linetext;
using zektest::runkeys;
using zektest::settext;
using zektest::storeproblems;
using Texts = std::vector<std::string>;

namespace {

void write(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

std::string contents(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool exists(const char* name) { return access(name, F_OK) == 0; }

// Messages shown since the last call: with diserr, or (prefix "~") with progress.
Texts messages() {
    Texts m;
    for (const std::string& s : zektest::takesequences()) {
        if (s.rfind("$me", 0) == 0) m.push_back(s.substr(3));
        if (s.rfind("$mh", 0) == 0 && s.size() > 3) m.push_back("~" + s.substr(3));
    }
    return m;
}

bool shows(const Texts& m, const std::string& text) {
    for (const std::string& s : m) {
        if (s == text) return true;
    }
    return false;
}

// Each test runs in a scratch directory of its own on a fresh state.
class FileIO : public ::testing::Test {
   protected:
    void SetUp() override { fresh(); }
    zektest::ScratchDir scratch;
};

}  // namespace

TEST_F(FileIO, FetchBuildsEachLineKind) {
    write("in.txt", "\\rA|B|\r\n\\m1+2\n\\hhead\n\\aalt\nplain  \n\n\\xkeep\none\vtwo\nlast");
    settext("old");
    cur().edited = 1;
    runkeys("\x03" "FEin.txt\r\r");
    const struct {
        int object;
        const char* text;
    } expect[] = {
        {OBJ_RECORD, "A|B|"}, {OBJ_MATH, "1+2"}, {OBJ_H, "head"}, {OBJ_A, "alt"}, {OBJ_TEXT, "plain"},
        {OBJ_EMPTY, ""},      {OBJ_TEXT, "\\xkeep"}, {OBJ_TEXT, "one"}, {OBJ_TEXT, "two"}, {OBJ_TEXT, "last"},
    };
    const COREFILE& c = cur();
    ASSERT_EQ(c.lncount, 10);
    long chars = 0;
    for (int n = 1; n <= 10; n++) {
        EXPECT_EQ(line(n)->object, expect[n - 1].object) << "line " << n;
        EXPECT_EQ(linetext(1, n), expect[n - 1].text) << "line " << n;
        chars += static_cast<long>(strlen(expect[n - 1].text));
    }
    EXPECT_EQ(c.charcount, chars);
    EXPECT_EQ(c.edited, 0);
    EXPECT_STREQ(c.filname, "in.txt");
    EXPECT_EQ(c.lnptr, line(1));
    EXPECT_EQ(c.curline, 1);
    EXPECT_EQ(storeproblems(), "");
}

TEST_F(FileIO, InsertAndAppendPlaceLinesAndMarkTheCorefile) {
    write("x.txt", "X\nY\n");
    settext("a\nb\nc");
    COREFILE& c = cur();
    c.lnptr = line(2);
    runkeys("\x03" "INx.txt\r\r");
    EXPECT_EQ(coretext(1), "a\nb\nX\nY\nc");
    EXPECT_EQ(c.lnptr, line(2)) << "the cursor stays on its line";
    EXPECT_EQ(c.edited, 1);
    c.edited = 0;
    runkeys("\x03" "APx.txt\r\r");
    EXPECT_EQ(coretext(1), "a\nb\nX\nY\nc\nX\nY");
    EXPECT_EQ(c.lnptr, line(2));
    EXPECT_EQ(c.edited, 1);
    EXPECT_EQ(c.lncount, 7);
    EXPECT_EQ(c.charcount, 7);
    EXPECT_EQ(storeproblems(), "");
}

TEST_F(FileIO, SaveAndOverwriteClearTheEditedMarkJoinKeepsIt) {
    settext("one\ntwo");
    COREFILE& c = cur();
    c.edited = 1;
    runkeys("\x03" "SAa.txt\r\r");
    EXPECT_EQ(c.edited, 0);
    c.edited = 1;
    runkeys("\x03" "OVa.txt\r\r\r");  // RETURN confirms a name other than the corefile's
    EXPECT_EQ(c.edited, 0);
    c.edited = 1;
    runkeys("\x03" "JOa.txt\r\r");
    EXPECT_EQ(c.edited, 1);
    EXPECT_EQ(contents("a.txt"), "one\ntwo\none\ntwo\n");
    EXPECT_TRUE(messages().size() == 1) << "only the name question";
}

// A file-size limit for the scope: writes past it fail with EFBIG instead of a signal.
struct SizeLimit {
    explicit SizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit r = saved;
        r.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~SizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
    struct rlimit saved;
};

std::vector<std::string> names() {
    std::vector<std::string> all;
    for (const auto& e : std::filesystem::directory_iterator(".")) all.push_back(e.path().filename());
    std::sort(all.begin(), all.end());
    return all;
}

TEST_F(FileIO, FailedWritesLeaveEveryFileAsItWasAndLeavingWarns) {
    std::string big;
    for (int i = 1; i <= 20000; i++) big += std::to_string(i) + "\n";
    write("f.txt", big);
    write("j.txt", "kept\n");
    chmod("f.txt", 0640);
    runkeys("\x03" "FEf.txt\r\r");
    COREFILE& c = cur();
    {
        SizeLimit limit(40960);
        runkeys("\x03" "OVf.txt\r\r\r");
        EXPECT_EQ(messages(), Texts{" Write Failed "});
        EXPECT_EQ(c.edited, 1) << "leaving must warn";
        c.edited = 0;
        runkeys("\x03" "JOj.txt\r\r\r");
        runkeys("\x03" "SAnew.txt\r\r\r");
        EXPECT_EQ(messages(), (Texts{" Write Failed ", " Write Failed "}));
        EXPECT_EQ(c.edited, 1);
        // UPDATE moves the file to its .bak copy and saves anew; the failed save puts it back.
        runkeys("\x03" "UP\r\r\r\r");
        EXPECT_EQ(messages(), Texts{" Write Failed "});
    }
    EXPECT_TRUE(contents("f.txt") == big);
    EXPECT_EQ(contents("j.txt"), "kept\n");
    EXPECT_EQ(names(), (std::vector<std::string>{"f.txt", "j.txt"})) << "no partial or temporary file";
    struct stat st;
    ASSERT_EQ(stat("f.txt", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Without the limit OVERWRITE replaces the file, keeps its bits and writes through a link.
    symlink("f.txt", "link.txt");
    settext("short");
    runkeys("\x03" "OVlink.txt\r\r\r");
    EXPECT_EQ(messages(), Texts{" Check name, not file fetched "});
    EXPECT_EQ(contents("f.txt"), "short\n");
    ASSERT_EQ(lstat("link.txt", &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat("f.txt", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(c.edited, 0);
}

TEST_F(FileIO, FilesThatAreNotRegularAreRefusedWithoutWaiting) {
    ASSERT_EQ(mkfifo("pipe", 0666), 0);
    const struct {
        const char* keys;
        const char* message;
    } cases[] = {
        {"FEpipe\r", "File not found (or no read permission)"},
        {"OVpipe\r", "File not found (or no write permission)"},
        {"JOpipe\r", "File not found (or no write permission)"},
        {"PRpipe\r", "File not found (or no read permission)"},
        {"TE0|pipe\r", "File not found (or no read permission)"},
    };
    for (const auto& k : cases) {
        runkeys(std::string("\x03") + k.keys + "\r");
        EXPECT_TRUE(shows(messages(), k.message)) << k.keys;
    }
    EXPECT_EQ(mayread("pipe") + maywrite("pipe") + mayread("/dev/null") + maywrite("/dev/null"), 0);
    EXPECT_EQ(mayread("."), 0);
}

TEST_F(FileIO, DefaultRangeSaysWhenItStopsBeforeTheFileEnds) {
    std::string lines;
    for (int i = 1; i <= 200000; i++) lines += "x\n";
    write("exact.txt", lines);
    write("over.txt", lines + "last\n");
    runkeys("\x03" "FEexact.txt\r\r");
    EXPECT_EQ(messages(), Texts{});
    EXPECT_EQ(cur().lncount, 200000);
    runkeys("\x03" "FEover.txt\r\r\r");
    EXPECT_EQ(messages(), Texts{" File Truncated "});
    EXPECT_EQ(cur().lncount, 200000);
    runkeys("\x03" "FEover.txt|1|5\r\r");
    EXPECT_EQ(messages(), Texts{}) << "a range the user gave is not a truncation";
}

TEST_F(FileIO, ChecksRefuseWithTheirMessages) {
    write("in.txt", "x\n");
    mkdir("sub", 0777);
    const struct {
        PROCPTR check;
        const char* name;
        const char* message;
    } cases[] = {
        {fpr, "", "Empty filename"},
        {fpw, "", "Empty filename"},
        {faw, "", "Empty filename"},
        {fpx, "", "Empty filename"},
        {fpr, "none", "File not found (or no read permission)"},
        {fpr, "sub", "File not found (or no read permission)"},
        {fpw, "none", "File not found (or no write permission)"},
        {fpw, "sub", "File not found (or no write permission)"},
        {faw, "in.txt", "File already exists (or no write permission)"},
        {fpx, "sub", "Requested file cannot be located (or is not executable)!"},
        {fprs, "none", nullptr},
    };
    zektest::setkeys(std::string(20, '\r'));
    for (const auto& c : cases) {
        snprintf(curfile, sizeof curfile, "%s", c.name);
        del = 0;
        c.check();
        EXPECT_EQ(del, 2) << c.name;
        EXPECT_EQ(messages(), c.message ? Texts{c.message} : Texts{}) << c.name;
    }
    strcpy(curfile, "new.txt");
    del = 0;
    faw();
    EXPECT_EQ(del, 0);
    EXPECT_EQ(contents("new.txt"), "") << "the new empty file is left in place";
}

TEST_F(FileIO, AskAboutFilesLeavesNoFileBehind) {
    write("in.txt", "x\n");
    mkdir("sub", 0777);
    const struct {
        const char* name;
        int question, answer;
    } cases[] = {
        {"in.txt", 9, 1}, {"in.txt", 10, 1}, {"in.txt", 11, 0}, {"new.txt", 9, 0},
        {"new.txt", 10, 0}, {"new.txt", 11, 1}, {"sub", 9, 0}, {"sub", 10, 0},
    };
    for (const auto& q : cases) {
        snprintf(curfile, sizeof curfile, "%s", q.name);
        param[1] = q.question;
        del = 2;
        ask();
        EXPECT_EQ(vl_result[0], q.answer) << q.name << " " << q.question;
        EXPECT_EQ(del, 0);
    }
    EXPECT_FALSE(exists("new.txt"));
}

TEST_F(FileIO, UpdateWithoutABackupSavesNothing) {
    write("in.txt", "x\n");
    mkdir("in.txt.bak", 0777);
    write("in.txt.bak/keep", "");
    strcpy(cur().filname, "in.txt");
    zektest::setkeys("\r");
    update();
    EXPECT_EQ(messages(), Texts{"Unable to create .bak file:errno=" + std::to_string(EISDIR) + ". Update cancelled."});
    EXPECT_EQ(fnptr, 0) << "no SAVE is queued";
    EXPECT_EQ(contents("in.txt"), "x\n");
}

TEST_F(FileIO, EmitWritesAnotherCorefileAndKeepsTheCurrentOne) {
    corenum = 3;
    settext("rec  \ny");
    line(1)->object = OBJ_RECORD;
    corenum = 1;
    param[1] = 3;
    param[2] = 1;
    param[3] = 200000;
    param[4] = 0;
    zektest::takeoutput();
    emit();
    EXPECT_EQ(zektest::takeoutput(), "\\rrec\ny\n$$$\r\n");
    EXPECT_EQ(corenum, 1);
    EXPECT_EQ(linetext(3, 1), "rec") << "the emitted corefile lost its trailing blanks";
}

// Standard output that cannot take the emitted lines (a full device here, a closed front-end
// pipe in use) is reported on the message line and, with the reason, on standard error.
TEST_F(FileIO, EmitToStandardOutputReportsAFailedFlush) {
    settext("one");
    FILE* full = fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    xqout = full;
    testing::internal::CaptureStderr();
    runkeys("\003EM1|1|1|0\r\r");
    std::string err = testing::internal::GetCapturedStderr();
    fresh();
    fclose(full);
    EXPECT_EQ(err, std::string("zek: EMIT: standard output: ") + strerror(ENOSPC) + "\n");
}

// NEWNAME moves without a shell. Across file systems the file is copied with its permission
// bits (a symbolic link as a link) and the old name removed; a failure leaves the file where
// it was and gives the reason (the end-to-end cases show the messages).
TEST_F(FileIO, MovesCrossFileSystemsAndFailuresSayWhy) {
    struct stat here, shm;
    std::string away = "/dev/shm/zekunit-" + std::to_string(getpid());
    bool apart = stat(".", &here) == 0 && stat("/dev/shm", &shm) == 0 && here.st_dev != shm.st_dev &&
                 access("/dev/shm", W_OK) == 0;
    if (apart) {
        write("a.txt", "text\n");
        chmod("a.txt", 0640);
        ASSERT_EQ(symlink("a-target", "link"), 0);
        bool kept = true;
        EXPECT_EQ(movefile("a.txt", (away + ".txt").c_str(), kept), 0);
        EXPECT_FALSE(kept);
        EXPECT_EQ(movefile("link", (away + ".link").c_str(), kept), 0);
        struct stat st;
        ASSERT_EQ(stat((away + ".txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
        EXPECT_EQ(contents(away + ".txt"), "text\n");
        EXPECT_EQ(std::filesystem::read_symlink(away + ".link"), "a-target");
        EXPECT_FALSE(exists("a.txt") || exists("link") || std::filesystem::is_symlink("link"));
        unlink((away + ".txt").c_str());
        unlink((away + ".link").c_str());
    }
    bool kept = true;
    write("b.txt", "b\n");
    EXPECT_EQ(movefile("missing", "c.txt", kept), ENOENT);
    EXPECT_EQ(movefile("b.txt", "nodir/c.txt", kept), ENOENT);
    EXPECT_FALSE(kept);
    EXPECT_EQ(contents("b.txt"), "b\n");
}

// LIST starts the program "list" from the search path; a file named like an option reaches it
// as a path, and a program that is not there is reported.
TEST_F(FileIO, ListHandsNamesThatLookLikeOptionsOnAsPaths) {
    std::string saved = getenv("PATH") != nullptr ? getenv("PATH") : "";
    std::filesystem::create_directory("bin");
    write("bin/list", "#!/bin/sh\nprintf '%s\\n' \"$@\" > listed.tmp && /bin/mv listed.tmp listed.txt\n");
    chmod("bin/list", 0755);
    setenv("PATH", (std::filesystem::current_path() / "bin").c_str(), 1);
    EXPECT_TRUE(call_listcom("-n", 3, 9, 2, "list.init"));
    for (int i = 0; i < 500 && !exists("listed.txt"); i++) usleep(10000);  // the editor does not wait
    EXPECT_EQ(contents("listed.txt"), "./-n\n3\n9\n2\nlist.init\n");
    setenv("PATH", (std::filesystem::current_path() / "nowhere").c_str(), 1);
    EXPECT_FALSE(call_listcom("a.txt", 1, 200000, 1, "list.init"));
    setenv("PATH", saved.c_str(), 1);
}

TEST_F(FileIO, ProcedureReadingTranslatesBetweenTildesOnly) {
    write("p.zek", "ab\r\n{M}~{M}{!}~{M}\nx\xffrest");
    strcpy(curfile, "p.zek");
    loadfile();
    ASSERT_NE(loadbufptr, nullptr);
    EXPECT_STREQ(loadbufptr, "ab\r{M}\r|{M}\rx") << "CR dropped, LF as CR, 255 ends the file";
    EXPECT_EQ(fnstack[fnptr], loadbufptr) << "pushed as keys";
    write("open.zek", "~{M");
    write("q.zek", "{M}");
    strcpy(curfile, "open.zek");
    loadfile();
    strcpy(curfile, "q.zek");
    loadfile();
    EXPECT_STREQ(loadbufptr, "{M}") << "every file starts untranslated";
    write("long.zek", std::string(6000, 'x'));
    strcpy(curfile, "long.zek");
    loadfile();
    EXPECT_EQ(strlen(loadbufptr), 6000u);
}

TEST_F(FileIO, ProcedureThatLoadsAnotherLeavesNoDanglingSlot) {
    write("a.zek", "~{$}2{<}{^}~PRb.zek\nXYZ~{>}{%}~");  // the load stands inside a loop
    write("b.zek", "\nhi");
    runkeys("\x03" "PRa.zek\r");
    EXPECT_EQ(coretext(1), "hi") << "the rest of the replaced procedure is not read";
    EXPECT_EQ(fnptr, 0);
    ASSERT_EQ(loopptr, 1);
    EXPECT_EQ(loopstack[1], nullptr) << "the loop no longer points into the old buffer";
}

TEST_F(FileIO, TemplateReloadedAndDrawnByCore) {
    write("t.txt", "Name");
    runkeys("\x03" "TE0|t.txt\r" "TE0|t.txt\r\r");
    ASSERT_NE(tempbufptr, nullptr);
    EXPECT_EQ(std::string(tempbufptr), "Name\x04") << "a template ends with the character 4";
    core[2].viewtype = 2;
    zektest::takesequences();
    param[1] = 2;
    coreset();
    std::string drawn;
    for (const std::string& s : zektest::takesequences()) {
        if (s.rfind("$c", 0) == 0 && s.size() == 3) drawn += s[2];
    }
    EXPECT_EQ(drawn, "Name");
}

TEST_F(FileIO, ByteOf255IsReadAsQuestionMark) {
    write("in.txt", "a\xff" "b\n\t\xff\n");
    runkeys("\x03" "FEin.txt\r\r");
    EXPECT_EQ(coretext(1), "a?b\n        ?");
    EXPECT_TRUE(shows(messages(), "~ Bytes of value 255 were read as ? "));
    EXPECT_EQ(storeproblems(), "");
}

TEST_F(FileIO, FileLargerThanTheStoreIsTruncatedAndStaysUsable) {
    std::string big;
    const int lines = 42000;  // 100 bytes a line: 4.2 MB
    char number[8];
    for (int n = 1; n <= lines; n++) {
        snprintf(number, sizeof number, "%06d", n);
        big += number + std::string(93, 'x') + "\n";
    }
    write("big.txt", big);
    runkeys("\x03" "FEbig.txt\r\r\r");
    EXPECT_TRUE(shows(messages(), " File Truncated "));
    COREFILE& c = cur();
    EXPECT_GT(c.lncount, 40000);
    EXPECT_LT(c.lncount, lines);
    EXPECT_EQ(c.charcount, hiaddr) << "every position up to the limit is used";
    std::string last = linetext(1, c.lncount);
    EXPECT_EQ(big.compare(static_cast<size_t>(c.lncount - 1) * 100, last.size(), last), 0)
        << "the last line read is the start of its file line";
    EXPECT_EQ(storeproblems(), "");
    int count = c.lncount;
    c.lnptr = line(1);
    removeline();
    c.lnptr = c.header->down;
    runkeys("\x03" "SAout.txt\r\r");
    EXPECT_FALSE(shows(messages(), " Write Failed "));
    std::string saved = contents("out.txt");
    EXPECT_EQ(saved.compare(0, 7, "000002x"), 0);
    EXPECT_EQ(static_cast<long>(saved.size()), c.charcount + count - 1);
    EXPECT_EQ(storeproblems(), "");
}

// FETCH over many read blocks, the special bytes at every distance from a block's end, then
// SAVE: carriage returns dropped, tabs expanded to the next tab column (every eighth, and
// every one from the right margin on), 255 read as "?",
// a vertical tab ending a line, trailing blanks removed, a line longer than any block kept
// whole; what SAVE writes is that text exactly. A size limit inside the long line fails it.
TEST_F(FileIO, FetchAndSaveRoundTripAcrossBlocksAndLongLines) {
    std::mt19937 rng(25);
    const char pieces[] = {'a', 'b', ' ', '\t', '\r', '\v', '\xff'};
    std::string file, want, line;
    size_t longat = 0;  // where the long line starts in what SAVE writes
    auto endline = [&] {
        while (!line.empty() && line.back() == ' ') line.pop_back();
        want += line + "\n";
        line.clear();
    };
    for (int n = 0; n < 20000; n++) {
        int length = static_cast<int>(rng() % 40);
        if (n == 7000) {
            length = 70000;
            longat = want.size();
        }
        for (int i = 0; i < length; i++) {
            char ch = pieces[n == 7000 ? i % 3 : rng() % sizeof pieces];
            file += ch;
            if (ch == '\r') continue;
            if (ch == '\v') {
                endline();
            } else if (ch == '\t') {
                do line += ' '; while (line.size() + 1 < 72 && line.size() % 8 != 0);
            } else {
                line += ch == '\xff' ? '?' : ch;
            }
        }
        file += "\n";
        endline();
    }
    write("in.txt", file);
    runkeys("\x03" "FEin.txt\r\r");
    runkeys("\x03" "SAout.txt\r\r");
    EXPECT_FALSE(shows(messages(), " Write Failed "));
    EXPECT_TRUE(contents("out.txt") == want);
    EXPECT_EQ(storeproblems(), "");
    {
        SizeLimit limit(longat + 30000);
        runkeys("\x03" "SAcut.txt\r\r\r");
    }
    EXPECT_EQ(messages(), Texts{" Write Failed "});
    EXPECT_EQ(names(), (std::vector<std::string>{"in.txt", "out.txt"}));
}

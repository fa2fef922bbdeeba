// Undo and redo: random edits of every kind taken back to the original and done again byte for
// byte (the store checked after every step), the bound on the history, and what one step is.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "editor/corutils.h"
#include "editor/journal.h"
#include "editor/linutils.h"
#include "editor/scrin.h"
#include "editor/view.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;

namespace {

// Every line of corefiles 0..18 with its kind, and the edited flags.
std::vector<std::string> everything() {
    std::vector<std::string> all;
    for (int n = 0; n < VIEWCORE; n++) {
        std::string s = std::to_string(core[n].edited) + ":";
        for (LINE* l = core[n].header->down; l != core[n].header; l = l->down) {
            s += std::to_string(l->object) + "[";
            s.append(reinterpret_cast<const char*>(textbase + l->index), static_cast<size_t>(linechars(l)));
            s += "]";
        }
        all.push_back(s);
    }
    return all;
}

std::string text(int n) { return everything()[static_cast<size_t>(n)]; }
std::string body(int n) { return text(n).substr(2); }

// The keys of the robustness run's editing, block, rectangle, register and merge keys, and
// commands of each kind that changes lines, each a whole operation.
const char* const KEYS[] = {
    "\r", "\b", "\x7f", "\x1b[A", "\x1b[B", "\x1b[C", "\x1b[D", "\x18", "\x0b", "\x1a", "\x10", "\x11", "\x06",
    "\x1b[h3 ", "\x1b[s", "\x1b[j", "\x1b[\b", "\x1b\x04", "\x1b[W", "\x15", "\x1b\x14", "\x07", "\x1b[t",
    "\x1b\x02", "\x1b[n", "\x1b[p", "\x1b[m", "\x0c", "\x12", "\x1b[l", "\x1b[c", "\x1b[r", "\x1b[k.",
    "\x17", "\t", "\x1b" "D", "\x1b" "C", "\x1b[g\x1b[C\x1b[B\x7f\r", "\x05", "\x04", "\x14", "\x02",
    "\x1b[\x05", "\x1b[\x04", "\x1b[\x14", "\x1b[\x02", "\x1b[\x06" "2 ", "\x1b[\x0f", "\x1b[\x03", "\x1b[\x0d",
    "\x1b[\x13", "\x1bM", "\x1b$", "\x1bN", "\x1b" "1", "\x1bX1 ", "\x1b=",
};
const char* const COMMANDS[] = {
    "CHe|ee", "CHthe|", "CH{C}n|N", "SO0|5|1|200000", "SO1|3", "SO0|-3|2|4", "FEt.txt", "APl.txt", "INt.txt",
    "CL", "CO0", "CO1", "CO1", "CO2", "CO3", "CO7", "CO16", "PRp.zek", "MEsaw #1 and #2{M}", "BE", "EN",
    "PO2|3", "AD1|2", "FEr.txt|1|200000|1x", "OB0", "OB1", "FU1|xy{M}z", "MA1|20", "JU1", "HY2", "AU1", "AU0",
};

std::string operation(std::mt19937& rng) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    int kind = pick(10);
    if (kind < 5) return KEYS[pick(sizeof KEYS / sizeof KEYS[0])];
    if (kind < 8) {
        std::string word;
        for (int i = pick(12); i >= 0; i--) word += "etaoin shrdlu.,|"[pick(16)];
        return word;
    }
    // a command; RETURN answers a waiting message or leaves the command line
    return std::string("\x03") + COMMANDS[pick(sizeof COMMANDS / sizeof COMMANDS[0])] + "\r\r";
}

void writefile(const char* name, const std::string& content) { std::ofstream(name) << content; }

// A session with texts in corefiles 1, 2, 3 (records), 16 and 17 (assignments), and its
// history forgotten: that is the original.
void setup(long kilobytes) {
    fresh();
    writefile("t.txt", "The quick brown fox.\nA second line, with 12 and 3.5 in it.\n\n   an indented line\nlast\n");
    writefile("l.txt", "short\nthe end of the text\nand the very end\n");
    writefile("r.txt", "\\rab|12|x|\n\\rcd|3|yy|\n\\rnew|7|z|\n");
    writefile("c.txt", "#2:#2+1\n#3:5\n");
    writefile("p.zek", "ab\n~{C}~CHa|b\n\n");
    runkeys("\x03" "FEt.txt\rCO2\rFEl.txt\rCO3\rFEr.txt\rOB1\rCO17\rFEc.txt\rCO16\rFEl.txt\rCO1\r\r");
    if (kilobytes >= 0) runkeys("\x03" "ED11|" + std::to_string(kilobytes) + "\r\r");
    journalforget();
}

void corefile(int n) { runkeys("\x03" "CO" + std::to_string(n) + "\r\r"); }

std::string textonly(const std::string& s) { return s.substr(s.find(':')); }

// Random operations from the original, the store checked after each; then every corefile undone
// to the start of its history and redone to its end. With the whole history kept that is the
// original and the result exactly (the edited flags too, where a corefile had steps); with a
// small bound, the history stays within it and every step that can be redone gives back the
// text it was undone from.
void randomrun(unsigned seed, long kilobytes, int operations) {
    ScratchDir dir;
    setup(kilobytes);
    std::vector<std::string> original = everything();
    std::mt19937 rng(seed);
    std::string trail;
    auto where = [&](int n) { return "seed " + std::to_string(seed) + ", corefile " + std::to_string(n) + " after " + testing::PrintToString(trail); };
    for (int i = 0; i < operations; i++) {
        std::string keys = operation(rng);
        trail += keys;
        runkeys(keys);
        ASSERT_EQ(storeproblems(), "") << where(corenum);
        if (kilobytes > 0) {
            ASSERT_LE(journalbytes(), kilobytes * 1000) << where(corenum);
        }
    }
    std::vector<std::string> edited = everything();
    for (int n = 0; n < VIEWCORE; n++) {
        bool stepped = undosteps(n) > 0;
        corefile(n);
        while (undosteps(n) > 0) {
            std::string before = text(n);
            runkeys("\x1bZ");
            ASSERT_EQ(storeproblems(), "") << where(n);
            if (kilobytes <= 0) continue;
            ASSERT_LE(journalbytes(), kilobytes * 1000) << where(n);
            if (redosteps(n) == 0) continue;
            std::string after = text(n);
            runkeys("\x1bW");
            ASSERT_EQ(textonly(text(n)), textonly(before)) << where(n);
            runkeys("\x1bZ");
            ASSERT_EQ(textonly(text(n)), textonly(after)) << where(n);
        }
        if (kilobytes > 0) continue;
        std::string want = original[static_cast<size_t>(n)];
        ASSERT_EQ(stepped ? text(n) : textonly(text(n)), stepped ? want : textonly(want)) << where(n);
        while (redosteps(n) > 0) {
            runkeys("\x1bW");
            ASSERT_EQ(storeproblems(), "") << where(n);
        }
        ASSERT_EQ(textonly(text(n)), textonly(edited[static_cast<size_t>(n)])) << where(n);
    }
}

}  // namespace

TEST(Undo, RandomEditsUndoToTheOriginalAndRedoToTheResult) {
    for (unsigned seed = 1; seed <= 60; seed++) randomrun(seed, -1, 80);
}

TEST(Undo, TinyBoundKeepsTheHistoryWithinItAndRedoStaysExact) {
    for (unsigned seed = 100; seed <= 130; seed++) randomrun(seed, 1, 60);
}

TEST(Undo, StepsRunsScriptsAndTheEditedFlag) {
    ScratchDir dir;
    setup(-1);
    // a run of typing with rubout on one line is one step; moving ends it
    std::string base = body(1);
    runkeys("XYZ\bW");
    std::string typed = body(1);
    runkeys("\x1b[BQ");
    std::string both = body(1);
    EXPECT_EQ(undosteps(1), 2);
    runkeys("\x1bZ");
    EXPECT_EQ(body(1), typed);
    EXPECT_EQ(cur().curline, 2);
    runkeys("\x1bZ");
    EXPECT_EQ(body(1), base);
    EXPECT_EQ(cur().curline, 1);
    EXPECT_EQ(cur().curcol, 1);
    EXPECT_EQ(cur().edited, 0);
    runkeys("\x1bW\x1bW");
    EXPECT_EQ(body(1), both);
    EXPECT_EQ(cur().edited, 1);
    // a new change drops what could be redone
    runkeys("\x1bZ" "a");
    EXPECT_EQ(redosteps(1), 0);

    // a procedure and a function key's string are one step each, however many changes
    setup(-1);
    base = body(1);
    runkeys("\x03PRp.zek\r");
    EXPECT_EQ(undosteps(1), 1);
    runkeys("\x03" "FU2|{$}3{<}{^}x{M}{>}{%}\r\r\x1b" "2");
    EXPECT_EQ(undosteps(1), 2);
    runkeys("\x1bZ\x1bZ");
    EXPECT_EQ(body(1), base);

    // undoing back to the save clears the edited flag; before it, it is set again
    setup(-1);
    runkeys("A\x03OVt.txt\r\r\x1b[BB\x1bZ");
    EXPECT_EQ(cur().edited, 0);
    runkeys("\x1bZ");
    EXPECT_EQ(cur().edited, 1);
    runkeys("\x1bW");
    EXPECT_EQ(cur().edited, 0);

    // the marks of a moved block come back with it, in both corefiles' own histories
    setup(-1);
    base = body(1);
    std::string hold = body(0);
    runkeys("\x05\x1b[B\x1b[B\x05\x04");
    EXPECT_EQ(cur().lncount, 2);
    runkeys("\x1bZ");
    EXPECT_EQ(body(1), base);
    EXPECT_EQ(cur().starcount, 2);
    EXPECT_EQ(cur().starA, line(1));
    EXPECT_EQ(cur().starB, line(3));
    corefile(0);
    runkeys("\x1bZ");
    EXPECT_EQ(body(0), hold);

    // with no journal nothing is recorded and undo says so
    setup(0);
    runkeys("abc");
    EXPECT_EQ(undosteps(1), 0);
    takeoutput();
    runkeys("\x1bZ");
    EXPECT_NE(output().find("Nothing to undo"), std::string::npos);
}

TEST(Undo, HistoryYieldsToTheStoreAndTellsWhenItWasCut) {
    ScratchDir dir;
    setup(-1);
    writefile("w.txt", std::string(2000, 'e') + "\n");
    runkeys("\x03" "FEw.txt\r\r");
    journalforget();
    // a change whose record needs more than the free store is not kept, nor what came before
    fillstore(1000);
    runkeys("\x03" "CHe|E\r\r");
    EXPECT_EQ(linetext(1, 1), std::string(2000, 'E'));
    EXPECT_LE(journalbytes(), 1000);
    EXPECT_EQ(undosteps(1), 0);
    takeoutput();
    runkeys("\x1bZ");
    EXPECT_NE(output().find("No further undo"), std::string::npos);
    EXPECT_EQ(storeproblems(), "");
}

// Removing a block whose record alone would outgrow the bound gives up that corefile's history
// (undo says so) and keeps the other corefiles' steps, with the journal within the bound.
TEST(Undo, ARemovalLargerThanTheBoundGivesUpOnlyItsOwnHistory) {
    ScratchDir dir;
    fresh();
    std::string big;
    for (int i = 0; i < 200; i++) big += std::string(39, static_cast<char>('a' + i % 26)) + "\n";
    writefile("big.txt", big);
    runkeys("\x03" "ED11|2\rCO1\rFEbig.txt\rCO2\r\r");
    journalforget();
    runkeys("xy");
    runkeys("\x03" "CO1\r\r");
    runkeys("\x05\x03PO200|1\r\r\x05\x04");
    EXPECT_EQ(core[1].lncount, 1);
    EXPECT_EQ(undosteps(1), 0);
    EXPECT_EQ(undosteps(2), 1);
    EXPECT_LE(journalbytes(), 2000);
    EXPECT_EQ(storeproblems(), "");
    takeoutput();
    runkeys("\x1bZ");
    EXPECT_NE(output().find("No further undo"), std::string::npos);
}

// Steps of a hundred kilobytes and more: one that fits the bound is undone and redone exactly,
// one that outgrows it is given up, and the next large one is kept again. Many small steps past
// a small bound: old ones go, the bound holds after every key, and the step being typed stays.
TEST(Undo, LargeStepsAndManySmallOnesStayWithinTheBound) {
    ScratchDir dir;
    fresh();
    std::string big;
    for (int i = 0; i < 3000; i++) big += "line " + std::to_string(i) + " of the text, with e and more\n";
    writefile("big.txt", big);
    runkeys("\x03" "ED11|400\rFEbig.txt\r\r");
    journalforget();
    std::string base = body(1);
    runkeys("\x03" "CHe|E\r\r");
    std::string changed = body(1);
    EXPECT_EQ(undosteps(1), 1);
    EXPECT_LE(journalbytes(), 400000);
    for (int round = 0; round < 2; round++) {
        runkeys("\x1bZ");
        EXPECT_TRUE(body(1) == base);
        runkeys("\x1bW");
        EXPECT_TRUE(body(1) == changed && changed != base);
        EXPECT_EQ(storeproblems(), "");
    }

    runkeys("\x03" "ED11|150\rPO1|1\rCHE|e\r\r");
    EXPECT_TRUE(body(1) == base);
    EXPECT_EQ(undosteps(1), 0);
    EXPECT_LE(journalbytes(), 150000);
    runkeys("\x03" "PO1|1\rCHline 1|LINE 1\r\r");  // 1111 lines
    std::string again = body(1);
    EXPECT_EQ(undosteps(1), 1);
    runkeys("\x1bZ");
    EXPECT_TRUE(body(1) == base);
    runkeys("\x1bW");
    EXPECT_TRUE(body(1) == again && again != base);

    runkeys("\x03" "ED11|20\rCL\r\r");
    journalforget();
    for (int i = 0; i < 300; i++) {
        runkeys("word " + std::to_string(i) + "\r");
        ASSERT_LE(journalbytes(), 20000) << i;
    }
    EXPECT_GT(undosteps(1), 10);
    EXPECT_LT(undosteps(1), 600);
    std::string typed = body(1);
    runkeys("last");
    std::string full = body(1);
    runkeys("\x1bZ");
    EXPECT_EQ(body(1), typed);
    while (undosteps(1) > 0) runkeys("\x1bZ");
    EXPECT_NE(body(1), typed);
    EXPECT_EQ(storeproblems(), "");
    takeoutput();
    runkeys("\x1bZ");  // older steps were dropped: undo says why it stops
    EXPECT_NE(output().find("No further undo"), std::string::npos);
    while (redosteps(1) > 0) runkeys("\x1bW");
    EXPECT_EQ(body(1), full);
}

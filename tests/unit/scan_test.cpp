// Find and change: the pattern codes, the unit steps, the searches and their result register,
// CHANGE on a store that fills up, and the length statistics.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "editor/corutils.h"
#include "editor/editor.h"
#include "editor/scan.h"
#include "editor/scrin.h"
#include "editor/terminal_xq.h"
#include "editor/utilptr.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;

namespace {

// A pattern written with the brace notation: "{C}" stands for the control code of C.
std::string codes(const std::string& text) {
    std::string s;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '{' && i + 2 < text.size() && text[i + 2] == '}') {
            s += static_cast<char>(text[i + 1] & 31);
            i += 2;
        } else {
            s += text[i];
        }
    }
    return s;
}

void setpattern(const std::string& text) {
    std::string p = codes(text);
    ASSERT_LT(p.size(), sizeof scanpattern);
    memcpy(scanpattern, p.c_str(), p.size() + 1);
}

// Does `pattern` match at line `ln`, column `col` of `text`? The pointer must stay put.
int matchat(const std::string& text, const std::string& pattern, int col = 1, int ln = 1) {
    fresh();
    settext(text);
    cur().lnptr = line(ln);
    cur().curcol = col;
    setptr();
    std::string p = codes(pattern);
    int result = match(p.c_str());
    EXPECT_EQ(lp, line(ln));
    EXPECT_EQ(cp, col);
    return result;
}

// Where the text pointer stands, as "line:column", "end" on the header.
std::string where() {
    if (lp == cur().header) return "end";
    int n = 1;
    for (LINE* l = cur().header->down; l != lp; l = l->down) n++;
    return std::to_string(n) + ":" + std::to_string(cp);
}

void start(const std::string& text, int unit, const std::string& pattern) {
    fresh();
    settext(text);
    scanunit = unit;
    setpattern(pattern);
}

}  // namespace

TEST(PatternCodes, AnyCharacterTakesALineEndButNotTheEnd) {
    EXPECT_EQ(matchat("abc", "a{C}c"), 1);
    EXPECT_EQ(matchat("xa\ncy", "a{C}c", 2), 1) << "the line end is one character";
    EXPECT_EQ(matchat("xa\ncy", "a{C}y", 2), 0);
    EXPECT_EQ(matchat("a", "a{C}{C}{C}"), 1) << "at the end of the corefile it consumes nothing";
    EXPECT_EQ(matchat("a", "a{C}{C}b"), 0);
}

TEST(PatternCodes, SeparatorRuns) {
    EXPECT_EQ(matchat("x  y", "x{E}y"), 1);
    EXPECT_EQ(matchat("x,y", "x{E}y"), 1);
    EXPECT_EQ(matchat("x. \n  y", "x{E}y"), 1) << "line ends are separators too";
    EXPECT_EQ(matchat("xy", "x{E}y"), 0);
    EXPECT_EQ(matchat("x-y", "x{E}y"), 0);
    EXPECT_EQ(matchat("x", "x{E}"), 1) << "the end of the corefile is a separator";
}

TEST(PatternCodes, NegationAndExactBytes) {
    EXPECT_EQ(matchat("abd", "{N}abc"), 1);
    EXPECT_EQ(matchat("abc", "{N}abc"), 0);
    EXPECT_EQ(matchat("abc", "ab{N}c"), 0) << "the toggle applies to the whole test";
    EXPECT_EQ(matchat("abc", "{N}{N}abc"), 1);
    EXPECT_EQ(matchat("Cat", "cat"), 0);
    EXPECT_EQ(matchat("caf\xe9", "caf\xe9"), 1) << "bytes from 128 up compare as bytes";
    EXPECT_EQ(matchat("abc", "a\x02" "bc"), 1) << "other control codes are ignored";
    EXPECT_EQ(matchat("anything", ""), 1);
}

TEST(PatternCodes, BoundedGap) {
    EXPECT_EQ(matchat("a" + std::string(19, '.') + "z", "a{A}z"), 1);
    EXPECT_EQ(matchat("a" + std::string(20, '.') + "z", "a{A}z"), 0);
    EXPECT_EQ(matchat("a..\n..z", "a{A}z"), 1) << "the gap runs over line ends";
    EXPECT_EQ(matchat("abxbc", "a{A}bc"), 1) << "a failed try at one b goes on to the next";
    // Steps over a b are not counted: 10 + 5 + 9 advances would exceed 19 if they were.
    EXPECT_EQ(matchat("a" + std::string(10, '.') + "bbbbb" + std::string(9, '.') + "bc", "a{A}bc"), 1);
    EXPECT_EQ(matchat("az", "a{A}"), 0) << "a gap at the pattern's end looks for nothing";
    EXPECT_EQ(matchat("a", "a{A}z"), 0);
}

TEST(PatternCodes, WordGap) {
    EXPECT_EQ(matchat("walked", "{W}ed"), 1);
    EXPECT_EQ(matchat("walk ed", "{W}ed"), 0);
    EXPECT_EQ(matchat("weeded", "w{W}ed"), 1);
    EXPECT_EQ(matchat("walk" + std::string(40, 'x') + "ed", "{W}ed"), 1) << "no bound on the count";
    EXPECT_EQ(matchat("walk", "wa{W}"), 0);
}

TEST(Fastsearch, StopsOnTheMatchOrAtTheEnd) {
    start("one\ntwo cat\nend", 0, "cat");
    setptr();
    EXPECT_EQ(fastsearch(), 1);
    EXPECT_EQ(where(), "2:5");
    nextc();
    EXPECT_EQ(fastsearch(), 0);
    EXPECT_EQ(where(), "end");
}

TEST(UnitSteps, WordsSkipWhatIsNeitherLetterNorSeparator) {
    start("don't (go) 42-x\n--\n  yes", 1, "");
    setptr();
    const char* expect[] = {"1:8", "1:12", "3:3", "end", "end"};
    for (const char* e : expect) {
        nextword();
        EXPECT_EQ(where(), e);
    }
}

TEST(UnitSteps, SentencesLinesAndFieldEnds) {
    start("Hi there. (Yes) no!\nab|cd", 3, "");
    setptr();
    nextsent();
    EXPECT_EQ(where(), "1:12");
    nextsent();
    EXPECT_EQ(where(), "2:1");
    nextfldend();
    EXPECT_EQ(where(), "2:3");
    nextfldend();
    EXPECT_EQ(where(), "2:3") << "already on a field end";
    cp = 4;
    nextfldend();
    EXPECT_EQ(where(), "2:6");
    nextline();
    EXPECT_EQ(where(), "end");
    nextline();
    EXPECT_EQ(where(), "end");
    cur().curcol = 4;
    setptr();
    nextline();
    EXPECT_EQ(where(), "2:1");
    EXPECT_EQ(dist, 1);
}

TEST(UnitSteps, MoveOneUnitByScanUnit) {
    struct {
        int unit, view;
        const char* after;
    } cases[] = {{0, 0, "2:3"}, {1, 0, "2:4"}, {2, 0, "3:1"}, {3, 0, "3:1"}, {4, 0, "2:1"},
                 {5, 0, "3:1"}, {6, 0, "2:4"}, {6, 1, "3:1"}, {7, 0, "3:1"}};
    for (const auto& t : cases) {
        start("x\nab cd.\nef", t.unit, "");
        cur().viewtype = t.view;
        cur().lnptr = line(2);
        cur().curcol = 2;
        setptr();
        moveoneunit();
        EXPECT_EQ(where(), t.after) << "unit " << t.unit << " view " << t.view;
    }
    start("x\nab", 4, "");
    cur().lnptr = line(2);
    setptr();
    moveoneunit();
    EXPECT_EQ(where(), "1:2") << "up from column 1 reaches the line end above";
}

TEST(Searches, WholeLinePatternsIgnoreTheColumnAndFillTheVariables) {
    start("junk\nname=bob;age=42", 7, "name=*;age=*");
    cur().curcol = 3;
    find();
    EXPECT_EQ(vl_result[loopdepth], 1);
    EXPECT_EQ(cur().lnptr, line(2));
    EXPECT_EQ(cur().curcol, 1);
    EXPECT_STREQ(unified[1], "bob");
    EXPECT_STREQ(unified[2], "42");
    cur().curcol = 9;
    setptr();
    EXPECT_EQ(basictest(1), 1) << "the whole line is unified, whatever the column";
    setpattern("name=*;age=4");
    EXPECT_EQ(basictest(1), 0) << "the pattern must cover the whole line";
    unified[1][0] = 0;
    setpattern("*=bob;*");
    rescheck();
    EXPECT_EQ(vl_result[loopdepth], 1);
    EXPECT_STREQ(unified[1], "name");
}

TEST(Searches, ResultsGoToTheRegisterOfTheCurrentLevel) {
    start("one cat two cat\ncatalog cat", 0, "cat");
    loopdepth = 3;
    vl_result[0] = 7;
    cur().curcol = 5;
    mode = 2;
    find();
    EXPECT_EQ(vl_result[3], 1);
    EXPECT_EQ(cur().curcol, 5) << "a match at the cursor is found there";
    EXPECT_EQ(mode, 1);
    mode = 2;
    resfind();
    EXPECT_EQ(cur().curcol, 13);
    EXPECT_EQ(mode, 2) << "find next keeps the typing mode";
    resfind();
    resfind();
    EXPECT_EQ(cur().lnptr, line(2));
    EXPECT_EQ(cur().curcol, 9);
    resfind();
    EXPECT_EQ(vl_result[3], 0);
    EXPECT_EQ(cur().lnptr, line(2)) << "nothing found: the cursor stays";
    EXPECT_EQ(cur().curcol, 9);
    EXPECT_EQ(vl_result[0], 7);
    rescheck();
    EXPECT_EQ(vl_result[3], 1);
    cur().curcol = 8;
    rescheck();
    EXPECT_EQ(vl_result[3], 0) << "only the cursor position is tested";
}

TEST(Searches, CountsEveryPassingUnit) {
    start("aaa", 0, "aa");
    resnumber();
    EXPECT_EQ(vl_result[loopdepth], 2) << "overlapping matches count";
    EXPECT_EQ(cur().curcol, 1);
    start("cat concat\ncatalog cats", 1, "cat");
    resnumber();
    EXPECT_EQ(vl_result[loopdepth], 3) << "words are tested at their first letter only";
    cur().curcol = 2;
    resnumber();
    EXPECT_EQ(vl_result[loopdepth], 2) << "the first unit is tested from the cursor";
    start("ab\nb\nab", 2, "a");
    resnumber();
    EXPECT_EQ(vl_result[loopdepth], 2);
}

TEST(Searches, AFindOutsideTheWindowMakesItsLineTheTop) {
    std::string text;
    for (int i = 1; i < 60; i++) text += "line\n";
    start(text + "here", 0, "here");
    find();
    EXPECT_EQ(cur().lnptr, line(60));
    EXPECT_EQ(cur().disln, line(60));
    cur().lnptr = cur().disln = line(1);
    setpattern("line");
    cur().curcol = 2;
    redisplay = 0;
    find();
    EXPECT_EQ(cur().lnptr, line(2));
    EXPECT_EQ(cur().disln, line(1)) << "inside the window the top line stays";
    EXPECT_EQ(redisplay, 0);
}

namespace {

// Shown messages (diserr) since the last call.
std::string errors() {
    std::string m;
    for (const std::string& s : takesequences()) {
        if (s.rfind("$me", 0) == 0) m += s.substr(3) + ";";
    }
    return m;
}

// Fills corefile 2 with one line so that the live text leaves `room` positions below hiaddr.
void fillstore(long room) {
    garbage();
    long n = hiaddr - avail - room;
    int saved = corenum;
    corenum = 2;
    memset(textbase + avail, 'x', static_cast<size_t>(n));
    allocln(OBJ_TEXT, static_cast<int>(n));
    linkphys();
    corenum = saved;
    garbage();
    ASSERT_EQ(full, 0);
}

}  // namespace

TEST(Change, EndsAfterTheLastReplacementWithTheStoreSound) {
    start("a cat\ncat cat x\nzz", 0, "cat");
    strcpy(targetstring, "tiger");
    cur().curcol = 3;
    change();
    EXPECT_EQ(coretext(1), "a tiger\ntiger tiger x\nzz");
    EXPECT_EQ(cur().lnptr, line(2));
    EXPECT_EQ(cur().curcol, 12);
    EXPECT_EQ(storeproblems(), "");
    strcpy(targetstring, "c");
    setpattern("tiger");
    cur().lnptr = line(1);
    cur().curcol = 1;
    change();
    EXPECT_EQ(coretext(1), "a c\nc c x\nzz");
    EXPECT_EQ(storeproblems(), "");
    setpattern("none");
    cur().lnptr = line(1);
    cur().curcol = 2;
    change();
    EXPECT_EQ(cur().lnptr, line(1)) << "nothing matched: the cursor stays";
    EXPECT_EQ(cur().curcol, 2);
}

TEST(Change, AFullStoreStopsTheReplacingAndKeepsWhatWasDone) {
    std::string cats;
    for (int i = 0; i < 10; i++) cats += "cat ";
    start(cats, 0, "cat");
    strcpy(targetstring, "cats");
    fillstore(3);
    setkeys("\r");
    takesequences();
    change();
    EXPECT_EQ(full, 1);
    EXPECT_EQ(errors(), "Warning: operation may not have been completed;");
    std::string text = linetext(1, 1);
    size_t done = 0;
    while (text.compare(done, 5, "cats ") == 0) done += 5;
    EXPECT_GT(done, 0u) << text;
    EXPECT_LT(done, 50u) << text;
    for (size_t at = done; at < text.size(); at += 4) EXPECT_EQ(text.substr(at, 3), "cat") << text;
    EXPECT_EQ(storeproblems(), "");
}

TEST(Change, ALongLineThatCannotMoveKeepsItsEnd) {
    // Near the limit a line longer than the margin behind hiaddr cannot move to the end of the
    // array, so it cannot grow: no replacement may push its last characters out.
    std::string text = "cat " + std::string(1990, 'x') + " cat END";
    start(text, 0, "cat");
    strcpy(targetstring, "cats");
    fillstore(3);
    setkeys("\r");
    takesequences();
    cur().curcol = 2;
    change();
    std::string now = linetext(1, 1);
    EXPECT_EQ(now.size(), text.size());
    EXPECT_EQ(now.substr(0, 4), "cat ");
    EXPECT_EQ(now.substr(now.size() - 8), " cat END");
    EXPECT_EQ(errors(), "Warning: operation may not have been completed;");
    EXPECT_EQ(cur().lnptr, line(1)) << "the cursor stays after the last replacement made";
    EXPECT_EQ(cur().curcol, 2);
    EXPECT_EQ(storeproblems(), "");
}

TEST(Change, NothingIsReplacedWhileTheStoreIsFull) {
    start("cat", 0, "cat");
    strcpy(targetstring, "dog");
    full = 1;
    setkeys("\r");
    takesequences();
    change();
    EXPECT_EQ(coretext(1), "cat");
    EXPECT_EQ(errors(), "Warning: operation may not have been completed;");
}

TEST(Scantext, CountsFromTheCursorAndLeavesAnOpenSentenceOut) {
    start("skip this. " + std::string(25, 'w') + " 42 ok.\nopen words", 0, "");
    cur().curcol = 12;
    for (int run = 0; run < 2; run++) scantext();
    EXPECT_EQ(wordlen[20], 1) << "20 letters and more share the last entry";
    EXPECT_EQ(wordlen[2], 2) << "digits are letters";
    EXPECT_EQ(wordlen[4], 1);
    EXPECT_EQ(wordlen[5], 1) << "the last line end closes the word";
    EXPECT_EQ(sentlen[3], 1);
    EXPECT_EQ(sentlen[2], 0) << "a sentence open at the end is not counted";
    EXPECT_EQ(linetext(7, 2), "Word length table");
    EXPECT_EQ(linetext(7, 4), "  4     1");
    EXPECT_EQ(linetext(7, 6), " 20     1");
    EXPECT_EQ(linetext(7, 9), "  3     1");
    EXPECT_EQ(linetext(7, 11), "Word length table") << "a second run appends a second report";
    EXPECT_EQ(core[7].lncount, 19);
}

// Find and change: the pattern codes, the unit steps, the searches and their result register,
// CHANGE on a store that fills up, and the length statistics.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "editor/corutils.h"
#include "editor/cursors.h"
#include "editor/editor.h"
#include "editor/scan.h"
#include "editor/scrin.h"
#include "editor/utilptr.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;

namespace {

// Sets the scan pattern from the brace notation: "{C}" stands for the control code of C.
void setpattern(const std::string& text) {
    std::string s;
    for (size_t i = 0; i < text.size(); i++) {
        bool code = text[i] == '{' && i + 2 < text.size() && text[i + 2] == '}';
        s += code ? static_cast<char>(text[i + 1] & 31) : text[i];
        if (code) i += 2;
    }
    ASSERT_LT(s.size(), sizeof scanpattern);
    memcpy(scanpattern, s.c_str(), s.size() + 1);
}

void start(const std::string& text, int unit, const std::string& pattern) {
    fresh("\r");
    settext(text);
    scanunit = unit;
    setpattern(pattern);
}

// Does `pattern` match at column `col` of line 1 of `text`? The pointer must stay where it was.
int matchat(const std::string& text, const std::string& pattern, int col = 1) {
    start(text, 0, pattern);
    cur().curcol = col;
    setptr();
    int result = match(scanpattern);
    EXPECT_TRUE(lp == line(1) && cp == col) << pattern;
    return result;
}

// Where the text pointer stands, as "line:column", or "end" on the header.
std::string where() {
    if (lp == cur().header) return "end";
    int n = 1;
    for (LINE* l = cur().header->down; l != lp; l = l->down) n++;
    return std::to_string(n) + ":" + std::to_string(cp);
}

// Messages shown with diserr since the last call.
std::string errors() {
    std::string m;
    for (const std::string& s : takesequences()) {
        if (s.rfind("$me", 0) == 0) m += s.substr(3) + ";";
    }
    return m;
}

}  // namespace

TEST(PatternCodes, AnyCharacterAndSeparatorRuns) {
    EXPECT_EQ(matchat("abc", "a{C}c"), 1);
    EXPECT_EQ(matchat("xa\ncy", "a{C}c", 2), 1) << "the line end is one character";
    EXPECT_EQ(matchat("a", "a{C}{C}{C}"), 1) << "at the end of the corefile it consumes nothing";
    EXPECT_EQ(matchat("a", "a{C}{C}b"), 0);
    EXPECT_EQ(matchat("x  y", "x{E}y"), 1);
    EXPECT_EQ(matchat("x,y", "x{E}y"), 1);
    EXPECT_EQ(matchat("x. \n  y", "x{E}y"), 1) << "line ends are separators too";
    EXPECT_EQ(matchat("xy", "x{E}y"), 0);
    EXPECT_EQ(matchat("x-y", "x{E}y"), 0);
}

TEST(PatternCodes, NegationExactBytesAndTheEmptyPattern) {
    EXPECT_EQ(matchat("abd", "{N}abc"), 1);
    EXPECT_EQ(matchat("abc", "{N}abc"), 0);
    EXPECT_EQ(matchat("abc", "ab{N}c"), 0) << "the toggle applies to the whole test";
    EXPECT_EQ(matchat("Cat", "cat"), 0);
    EXPECT_EQ(matchat("caf\xe9", "caf\xe9"), 1) << "bytes from 128 up compare as bytes";
    EXPECT_EQ(matchat("abc", "a\x02" "bc"), 1) << "other control codes are ignored";
    EXPECT_EQ(matchat("anything", ""), 1);
}

TEST(PatternCodes, Gaps) {
    EXPECT_EQ(matchat("a" + std::string(19, '.') + "z", "a{A}z"), 1);
    EXPECT_EQ(matchat("a" + std::string(20, '.') + "z", "a{A}z"), 0);
    EXPECT_EQ(matchat("a..\n..z", "a{A}z"), 1) << "the gap runs over line ends";
    // A failed try at one b goes on to the next; the steps over each b are not counted.
    EXPECT_EQ(matchat("a" + std::string(10, '.') + "bbbbb" + std::string(9, '.') + "bc", "a{A}bc"), 1);
    EXPECT_EQ(matchat("az", "a{A}"), 0) << "a gap at the pattern's end looks for nothing";
    EXPECT_EQ(matchat("walked", "{W}ed"), 1);
    EXPECT_EQ(matchat("walk ed", "{W}ed"), 0);
    EXPECT_EQ(matchat("walk" + std::string(40, 'x') + "ed", "{W}ed"), 1) << "no bound within a word";
    EXPECT_EQ(matchat("walk", "wa{W}"), 0);
}

TEST(UnitSteps, WordsSentencesLinesAndFieldEnds) {
    // Characters that are neither letters nor separators belong to the word they stand in.
    start("don't (go) 42-x\n--\n  yes", 1, "");
    setptr();
    for (const char* e : {"1:8", "1:12", "3:3", "end", "end"}) {
        nextword();
        EXPECT_EQ(where(), e);
    }
    start("Hi there. (Yes) no!\nab|cd", 3, "");
    setptr();
    void (*step[])() = {nextsent, nextsent, nextfldend, nextfldend, nextc, nextfldend, nextline, nextline};
    const char* after[] = {"1:12", "2:1", "2:3", "2:3", "2:4", "2:6", "end", "end"};
    for (int i = 0; i < 8; i++) {
        step[i]();
        EXPECT_EQ(where(), after[i]) << "step " << i;
    }
}

TEST(UnitSteps, AStoredByte4IsTextAndOnlyTheHeaderEndsTheStream) {
    for (int unit : {1, 3}) {
        start("ab\x04" "cd. ef\ngh", unit, "zz");
        resnumber();
        EXPECT_EQ(vl_result[loopdepth], 0);
        find();
        EXPECT_EQ(vl_result[loopdepth], 0) << "unit " << unit;
    }
    start("ab\x04" "cd ef", 1, "ef");
    find();
    EXPECT_TRUE(vl_result[loopdepth] == 1 && cur().curcol == 7);
    cur().curcol = 1;
    xnextword();
    EXPECT_EQ(cur().curcol, 7) << "the word goes on over the stored 4";
    xprevword();
    EXPECT_EQ(cur().curcol, 1);
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
}

TEST(Searches, WholeLinePatternsIgnoreTheColumnAndFillTheVariables) {
    start("junk\nname=bob;age=42", 7, "name=*;age=*");
    cur().curcol = 3;
    find();
    EXPECT_EQ(vl_result[loopdepth], 1);
    EXPECT_TRUE(cur().lnptr == line(2) && cur().curcol == 1);
    EXPECT_STREQ(unified[1], "bob");
    EXPECT_STREQ(unified[2], "42");
    setpattern("*=bob;*");
    cur().curcol = 9;
    rescheck();
    EXPECT_EQ(vl_result[loopdepth], 1) << "the whole line is unified, whatever the column";
    EXPECT_STREQ(unified[1], "name");
    setpattern("name=*;age=4");
    rescheck();
    EXPECT_EQ(vl_result[loopdepth], 0) << "the pattern must cover the whole line";
}

TEST(Searches, ResultsGoToTheRegisterOfTheCurrentLevel) {
    start("one cat two cat\ncatalog cat", 0, "cat");
    loopdepth = 3;
    vl_result[0] = 7;
    cur().curcol = 5;
    mode = 2;
    find();
    EXPECT_TRUE(vl_result[3] == 1 && cur().curcol == 5) << "a match at the cursor is found there";
    EXPECT_EQ(mode, 1);
    mode = 2;
    for (int col : {13, 1, 9, 9}) {
        resfind();
        EXPECT_EQ(cur().curcol, col);
    }
    EXPECT_EQ(vl_result[3], 0) << "nothing more: the cursor stays";
    EXPECT_EQ(cur().lnptr, line(2));
    EXPECT_EQ(mode, 2) << "find next keeps the typing mode";
    cur().curcol = 8;
    rescheck();
    EXPECT_EQ(vl_result[3], 0) << "only the cursor position is tested";
    EXPECT_EQ(vl_result[0], 7);
}

TEST(Searches, CountsEveryPassingUnit) {
    start("aaa", 0, "aa");
    resnumber();
    EXPECT_EQ(vl_result[loopdepth], 2) << "overlapping matches count";
    start("cat concat\ncatalog cats", 1, "cat");
    resnumber();
    EXPECT_EQ(vl_result[loopdepth], 3) << "words are tested at their first letter only";
    cur().curcol = 2;
    resnumber();
    EXPECT_EQ(vl_result[loopdepth], 2) << "the first unit is tested from the cursor";
    EXPECT_EQ(cur().curcol, 2);
}

TEST(Change, EndsAfterTheLastReplacementWithTheStoreSound) {
    start("a cat\ncat cat x\nzz", 0, "cat");
    strcpy(targetstring, "tiger");
    cur().curcol = 3;
    change();
    EXPECT_EQ(coretext(1), "a tiger\ntiger tiger x\nzz");
    EXPECT_TRUE(cur().lnptr == line(2) && cur().curcol == 12);
    EXPECT_EQ(storeproblems(), "");
}

TEST(Change, EveryMatchOfALineIsReplacedInOnePassAndTheCursorEndsAfterTheLast) {
    const struct {
        const char* text;
        int col;
        const char* pattern;
        const char* replacement;
        const char* after;
        int line, endcol;
    } cases[] = {
        {"abab\nxab ab", 2, "ab", "X", "abX\nxX X", 2, 5},
        {"aaaa", 1, "aa", "b", "bb", 1, 3},
        {"a a a\nb", 1, "a", "", "  \nb", 1, 3},
        {"ab ab", 1, "b", "bcd", "abcd abcd", 1, 10},
        // plain patterns: found whole inside a line, never across a line end or past it
        {"aab\na\nb\nxa", 1, "ab", "X", "aX\na\nb\nxa", 1, 3},
        {"xab\nabc", 1, "abc", "-", "xab\n-", 2, 2},
        {"cacat ca\ntcat", 1, "cat", "dogs", "cadogs ca\ntdogs", 2, 6},
    };
    for (const auto& t : cases) {
        start(t.text, 0, t.pattern);
        strcpy(targetstring, t.replacement);
        cur().curcol = t.col;
        change();
        EXPECT_EQ(coretext(1), t.after) << t.text;
        EXPECT_TRUE(cur().lnptr == line(t.line) && cur().curcol == t.endcol) << t.text << " " << cur().curcol;
        EXPECT_EQ(storeproblems(), "");
    }
    // A million matches on one line take one pass, not a million moves of the line's tail.
    start(std::string(1000000, 'x'), 0, "x");
    strcpy(targetstring, "yz");
    change();
    EXPECT_TRUE(linetext(1, 1) == [] {
        std::string s;
        for (int i = 0; i < 1000000; i++) s += "yz";
        return s;
    }());
    EXPECT_EQ(storeproblems(), "");
}

TEST(Change, AFullStoreStopsTheReplacingAndKeepsWhatWasDone) {
    std::string cats;
    for (int i = 0; i < 10; i++) cats += "cat ";
    start(cats, 0, "cat");
    strcpy(targetstring, "cats");
    fillstore(3);
    ASSERT_EQ(full, 0);
    takesequences();
    change();
    EXPECT_EQ(full, 1);
    EXPECT_EQ(errors(), "Warning: operation may not have been completed;");
    std::string text = linetext(1, 1);
    size_t done = 0;
    while (text.compare(done, 5, "cats ") == 0) done += 5;
    EXPECT_TRUE(done > 0 && done < 50) << text;
    for (size_t at = done; at < text.size(); at += 4) EXPECT_EQ(text.substr(at, 3), "cat") << text;
    EXPECT_EQ(storeproblems(), "");
    setkeys("\r");
    cur().curcol = 1;
    change();
    EXPECT_EQ(linetext(1, 1), text) << "nothing is replaced while the store is full";
    EXPECT_EQ(errors(), "Warning: operation may not have been completed;");
}

TEST(Change, ALongLineThatCannotMoveKeepsItsEnd) {
    // Near the limit a line longer than the margin behind hiaddr cannot move to the end of the
    // array, so it cannot grow: no replacement may push its last characters out.
    std::string text = "cat " + std::string(1990, 'x') + " cat END";
    start(text, 0, "cat");
    strcpy(targetstring, "cats");
    fillstore(3);
    takesequences();
    cur().curcol = 2;
    change();
    std::string now = linetext(1, 1);
    EXPECT_EQ(now.size(), text.size());
    EXPECT_EQ(now.substr(now.size() - 8), " cat END");
    EXPECT_EQ(errors(), "Warning: operation may not have been completed;");
    EXPECT_TRUE(cur().lnptr == line(1) && cur().curcol == 2) << "the cursor stays after the last replacement";
    EXPECT_EQ(storeproblems(), "");
}

TEST(Change, TheCursorAndWindowFollowALineThatMovedBeforeTheStoreRanOut) {
    // The first growth step moves the line to the array's end; the store runs out before the
    // replacement fits, and the change stops where it was, on the moved line.
    std::string first = "a" + std::string(999, 'x');
    start(first + "\nnext", 0, "a");
    strcpy(targetstring, std::string(48, 'b').c_str());
    fillstore(20);
    takesequences();
    change();
    EXPECT_EQ(errors(), "Warning: operation may not have been completed;");
    EXPECT_TRUE(cur().lnptr == line(1) && cur().disln == line(1));
    EXPECT_EQ(linetext(1, 1), first);
    garbage();  // frees the dead headers the change left behind
    EXPECT_EQ(storeproblems(), "");
    downline();
    EXPECT_EQ(cur().lnptr, line(2));
}

TEST(Scantext, CountsFromTheCursorAndLeavesAnOpenSentenceOut) {
    start("skip this. " + std::string(25, 'w') + " 42 ok.\nopen words", 0, "");
    cur().curcol = 12;
    for (int run = 0; run < 2; run++) scantext();
    EXPECT_EQ(wordlen[20], 1) << "20 letters and more share the last entry";
    EXPECT_EQ(wordlen[2], 2) << "digits are letters";
    EXPECT_EQ(wordlen[5], 1) << "the last line end closes the word";
    EXPECT_EQ(sentlen[3], 1);
    EXPECT_EQ(sentlen[2], 0) << "a sentence open at the end is not counted";
    EXPECT_EQ(linetext(7, 6), " 20     1");
    EXPECT_EQ(linetext(7, 9), "  3     1");
    EXPECT_EQ(linetext(7, 11), "Word length table") << "each run appends its own report";
    EXPECT_EQ(core[7].lncount, 19);
}

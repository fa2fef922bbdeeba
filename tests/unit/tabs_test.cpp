// Margins and tab stops: the tab test, TAB and MARGINS, setting at the cursor, the tab motion
// and the ruler with its column marks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/ecap.h"
#include "editor/getparam.h"
#include "editor/tabs.h"
#include "editor/terminal_xq.h"
#include "tests/unit/editkeys.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;
using Seqs = std::vector<std::string>;

namespace {

std::string tabcolumns(int from, int to) {
    std::string s;
    for (int c = from; c <= to; c++) s += tabcol(c) ? '!' : '.';
    return s;
}

// The ruler sent by `op`, without its "$mt"; "none" when nothing was sent.
std::string rulerof(void (*op)()) {
    takesequences();
    op();
    Seqs s = takesequences();
    if (s.empty()) return "none";
    EXPECT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].substr(0, 3), "$mt");
    return s[0].substr(3);
}

}  // namespace

TEST(TabTest, MarginsStopsAndTheColumnsBeyondTheTable) {
    fresh();
    EXPECT_EQ(tabcolumns(1, 18), "!.......!.......!.");
    EXPECT_EQ(tabcol(0), 0);
    EXPECT_EQ(tabcolumns(71, 74), ".!!!") << "the right margin and every column after it";
    rmargin = 200;
    lmargin = 5;
    EXPECT_EQ(tabcolumns(1, 9), "....!...!");
    EXPECT_EQ(tabcolumns(137, 138), "!.");
    EXPECT_EQ(tabcolumns(144, 153), "........!.") << "beyond 144 every eighth column";
}

TEST(TabCommand, AddsStopsKeepsTheOldAndClears) {
    fresh();
    param[1] = 10;
    EXPECT_NE(rulerof(settabs), "none");
    EXPECT_EQ(tabcolumns(1, 22), "!.......!.!.....!...!.");
    EXPECT_EQ(tabs[141], 1);
    param[1] = 144;
    EXPECT_EQ(rulerof(settabs), "none");
    param[1] = 0;
    rulerof(settabs);
    EXPECT_EQ(tabcolumns(1, 73), "!" + std::string(70, '.') + "!!");
}

TEST(MarginsCommand, RightBelowLeftBecomesLeft) {
    fresh();
    param[1] = 20;
    param[2] = 10;
    marginchk();
    EXPECT_EQ(lmargin, 20);
    EXPECT_EQ(rmargin, 20);
    std::string r = rulerof(prtabs);
    EXPECT_EQ(r.substr(16, 5), "...+.");
    param[1] = 0;
    param[2] = 50;
    marginchk();
    EXPECT_EQ(lmargin, 20);
    EXPECT_EQ(rmargin, 50);
}

TEST(TabsAtTheCursor, SetAndClearBetweenTheMargins) {
    fresh();
    cur().curcol = 12;
    rulerof(tabset);
    EXPECT_EQ(tabcol(12), 1);
    rulerof(tabset);
    EXPECT_EQ(tabcol(12), 0);
    for (int col : {1, 72, 100}) {
        cur().curcol = col;
        EXPECT_EQ(rulerof(tabset), "none") << col;
    }
    rmargin = 150;
    cur().curcol = 145;
    EXPECT_EQ(rulerof(tabset), "none");
}

TEST(TabsAtTheCursor, MarginKeys) {
    fresh();
    cur().curcol = 80;
    EXPECT_EQ(rulerof(marleft), "none") << "right of the right margin";
    cur().curcol = 1;
    EXPECT_EQ(rulerof(marleft), "none") << "already the left margin";
    cur().curcol = 10;
    EXPECT_EQ(rulerof(marleft).substr(0, 10), ".........<");
    EXPECT_EQ(lmargin, 10);
    cur().curcol = 9;
    EXPECT_EQ(rulerof(maright), "none") << "left of the left margin";
    cur().curcol = 10;
    rulerof(maright);
    EXPECT_EQ(rmargin, 10);
    EXPECT_EQ(rulerof(prtabs).substr(9, 1), "+");
}

TEST(TabMotion, MovesToTheNextTabColumnAndArmsDecimalTyping) {
    fresh();
    settext("x");
    runkeys(TAB);
    EXPECT_EQ(cur().curcol, 9);
    EXPECT_EQ(dtstate, 1);
    cur().curcol = 9;
    runkeys(TAB);
    EXPECT_EQ(cur().curcol, 17);
    cur().curcol = 70;
    runkeys(TAB + TAB);
    EXPECT_EQ(cur().curcol, 73);
}

TEST(Ruler, ColumnMarksAmongTheShownColumns) {
    fresh();
    cur().cstarA = 5;
    cur().cstarB = 100;
    EXPECT_EQ(rulerof(prtabs).substr(0, 10), "<...*...!.");
    rightcol = 137;
    pshift = 59;
    std::string r = rulerof(prtabs);
    EXPECT_EQ(r.size(), 78u);
    EXPECT_EQ(r[100 - 60], '*');
    EXPECT_EQ(r.find('*'), 40u) << "column 5 is not shown";
}

// Cursor motion: lines at both ends of the text, the window following, pages, END, return
// under each option, fields, words and numbers.
#include <gtest/gtest.h>

#include <string>

#include "editor/build.h"
#include "editor/cursors.h"
#include "editor/display.h"
#include "editor/tabs.h"
#include "editor/terminal_xq.h"
#include "tests/unit/editkeys.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;

namespace {

void numbered(int count) {
    std::string text;
    for (int i = 1; i <= count; i++) text += (i > 1 ? "\n" : "") + std::to_string(i);
    settext(text);
}

int at(LINE* l) { return distance(cur().header, l); }  // line number of l

}  // namespace

TEST(LineMotion, DownFromTheLastLineAddsALine) {
    fresh();
    settext("abc");
    cur().curcol = 3;
    runkeys(DOWN);
    EXPECT_EQ(cur().lncount, 2);
    EXPECT_EQ(cur().edited, 1);
    EXPECT_EQ(at(cur().lnptr), 2);
    EXPECT_EQ(cur().curcol, 3);
    EXPECT_EQ(line(2)->object, OBJ_EMPTY);
    EXPECT_EQ(cur().curline, 2);
}

TEST(LineMotion, DownInTheRecordViewAddsARecord) {
    fresh();
    records("a|", 1);
    runkeys(DOWN);
    EXPECT_EQ(linetext(1, 2), "||||||||||");
    EXPECT_EQ(cur().curcol, 1);
}

TEST(LineMotion, UpFromTheFirstLineAddsOneAboveAndTheWindowStartsThere) {
    fresh();
    settext("a\nb");
    runkeys(UP);
    EXPECT_EQ(coretext(1), "\na\nb");
    EXPECT_EQ(cur().lnptr, line(1));
    EXPECT_EQ(cur().disln, line(1));
    EXPECT_EQ(cur().edited, 1);
}

TEST(LineMotion, ColumnIsKeptOnTextAndResetOnStructuredLines) {
    fresh();
    settext("x\nrec|\ny\nz");
    line(2)->object = OBJ_RECORD;
    cur().curcol = 40;
    runkeys(DOWN);
    EXPECT_EQ(cur().curcol, 1);
    cur().curcol = 40;
    runkeys(DOWN + DOWN);
    EXPECT_EQ(cur().curcol, 40);
    EXPECT_EQ(cur().edited, 0);
}

TEST(LineMotion, TheWindowScrollsOneLineAtEachEdge) {
    fresh();
    numbered(30);
    cur().lnptr = line(depth);
    runkeys(DOWN);
    EXPECT_EQ(cur().disln, line(2));
    EXPECT_EQ(cur().lnptr, line(depth + 1));
    cur().lnptr = line(2);
    takesequences();
    runkeys(UP);
    EXPECT_EQ(cur().disln, line(1));
    int rows = 0;
    for (const std::string& s : takesequences()) rows += s.substr(0, 3) == "$TL";
    EXPECT_EQ(rows, depth) << "a scroll redraws the whole text zone";
}

TEST(LineMotion, LeftStopsAtColumnOneRightHasNoBound) {
    fresh();
    settext("ab");
    runkeys(LEFT);
    EXPECT_EQ(cur().curcol, 1);
    cur().curcol = 300;
    runkeys(RIGHT);
    EXPECT_EQ(cur().curcol, 301);
}

TEST(LineMotion, EndlineDropsTrailingBlanks) {
    fresh();
    settext("abc   ");
    runkeys("\x1b[f");
    EXPECT_EQ(linetext(1, 1), "abc");
    EXPECT_EQ(cur().curcol, 4);
    runkeys("\x1b[b");
    EXPECT_EQ(cur().curcol, 1);
}

TEST(PageMotion, PageDownNeverPassesTheLastLine) {
    fresh();
    numbered(5);
    cur().curcol = 3;
    runkeys(PAGEDOWN);
    EXPECT_EQ(cur().disln, line(5));
    EXPECT_EQ(cur().lnptr, line(5));
    EXPECT_EQ(cur().curcol, 3);
    runkeys(PAGEDOWN);
    EXPECT_EQ(cur().lnptr, line(5));
    EXPECT_EQ(cur().lncount, 5);
}

TEST(PageMotion, PagesOfDepthLinesBothWays) {
    fresh();
    numbered(50);
    runkeys(PAGEDOWN + PAGEDOWN);
    EXPECT_EQ(at(cur().lnptr), 2 * depth + 1);
    runkeys(PAGEUP);
    EXPECT_EQ(at(cur().lnptr), depth + 1);
    runkeys(PAGEUP + PAGEUP);
    EXPECT_EQ(cur().lnptr, line(1));
    EXPECT_EQ(cur().curline, 1);
}

TEST(PageMotion, EndShowsTheLastLinesWithTheCursorOnTheTopOne) {
    fresh();
    numbered(30);
    cur().curcol = 9;
    gotobottom();
    EXPECT_EQ(cur().disln, line(30 - depth + 1));
    EXPECT_EQ(cur().lnptr, cur().disln);
    EXPECT_EQ(cur().curcol, 1);
    EXPECT_EQ(redisplay, 1);
    numbered(5);
    gotobottom();
    EXPECT_EQ(cur().lnptr, line(1));
}

TEST(Return, EachOption) {
    fresh();
    settext("a\nb\nr|\nc");
    line(3)->object = OBJ_RECORD;
    lmargin = 5;
    cur().curcol = 30;
    runkeys("\r");
    EXPECT_EQ(cur().lnptr, line(2));
    EXPECT_EQ(cur().curcol, 5);
    runkeys("\r");
    EXPECT_EQ(cur().curcol, 1) << "a record line starts in column 1";

    crinsert = 0;
    runkeys("\r");
    EXPECT_EQ(cur().lnptr, line(4)) << "option 0 in typing mode moves down";
    mode = 2;
    cur().lnptr = line(1);
    runkeys("\r");
    EXPECT_EQ(coretext(1), "a\n\nb\nr|\nc");
    EXPECT_EQ(cur().lnptr, line(2));
    EXPECT_EQ(cur().curcol, 5);
}

TEST(Return, OptionTwoPagesDownFromTheLastRow) {
    fresh();
    numbered(50);
    crinsert = 2;
    cur().lnptr = line(depth - 1);
    runkeys("\r");
    EXPECT_EQ(cur().lnptr, line(depth));
    EXPECT_EQ(cur().disln, line(1));
    runkeys("\r");
    EXPECT_EQ(cur().disln, line(depth + 1));
    EXPECT_EQ(cur().lnptr, line(depth + 1));
}

TEST(FieldMotion, NextAndPreviousField) {
    fresh();
    records("ab|cd|ef|", 2);
    const struct { int from; void (*op)(); int to; } cases[] = {
        {1, downfield, 4}, {3, downfield, 4}, {7, downfield, 7}, {9, downfield, 9},
        {7, upfield, 4}, {8, upfield, 4}, {5, upfield, 1}, {2, upfield, 1}, {1, upfield, 1},
    };
    for (const auto& c : cases) {
        cur().curcol = c.from;
        c.op();
        EXPECT_EQ(cur().curcol, c.to) << c.from;
    }
}

TEST(FieldMotion, FixcursorKeepsTheCursorOnTheRecord) {
    fresh();
    records("ab|cd|", 2);
    cur().curcol = 20;
    fixcursor();
    EXPECT_EQ(cur().curcol, 6);
    cur().curcol = 0;
    fixcursor();
    EXPECT_EQ(cur().curcol, 1);
}

TEST(WordMotion, AcrossACommaAndBack) {
    fresh();
    settext("alpha, beta");
    cur().curcol = 2;
    runkeys("\x1b[n");
    EXPECT_EQ(cur().curcol, 8);
    runkeys("\x1b[p");
    EXPECT_EQ(cur().curcol, 1);
}

TEST(WordMotion, AcrossLinesAndAtBothEnds) {
    fresh();
    settext("one\n  two\nend");
    runkeys("\x1b[n");
    EXPECT_EQ(cur().lnptr, line(2));
    EXPECT_EQ(cur().curcol, 3);
    cur().lnptr = line(3);
    cur().curcol = 2;
    runkeys("\x1b[n");
    EXPECT_EQ(cur().lnptr, line(3)) << "no word after the last: the cursor stays";
    EXPECT_EQ(cur().curcol, 2);
    settext("ab cd");
    cur().curcol = 2;
    runkeys("\x1b[p");
    EXPECT_EQ(cur().curcol, 1) << "the walk reached the start of the text";
    settext(", first");
    cur().curcol = 4;
    runkeys("\x1b[p");
    EXPECT_EQ(cur().curcol, 3) << "the start of the text is not a letter: on to the first word";
}

TEST(WordMotion, PastTheNextNumber) {
    fresh();
    settext("12.5 x  -3)y");
    runkeys("\x1b[m");
    EXPECT_EQ(cur().curcol, 6);
    cur().curcol = 7;
    runkeys("\x1b[m");
    EXPECT_EQ(cur().curcol, 13);
}

// Typing into text in both modes with the margin bells, decimal tabs, split and join, copy
// from the line above, flipping and many new lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editor/build.h"
#include "editor/ecap.h"
#include "editor/getparam.h"
#include "editor/tabs.h"
#include "editor/terminal_xq.h"
#include "tests/unit/editkeys.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;
using Seqs = std::vector<std::string>;

TEST(Typing, TypingModePadsToTheCursorAndEchoes) {
    fresh();
    settext("abc");
    cur().curcol = 10;
    takeoutput();
    runkeys("x");
    EXPECT_EQ(linetext(1, 1), "abc      x");
    EXPECT_EQ(cur().curcol, 11);
    EXPECT_EQ(takeoutput(), "x\r\n");
    cur().curcol = 2;
    runkeys("y");
    EXPECT_EQ(linetext(1, 1), "ayc      x") << "inside the line typing mode overwrites";
    EXPECT_EQ(cur().edited, 1);
}

// A column that the array could never pad to is refused at once: no blanks are added, so no
// collection trims them and the next key does not start over.
TEST(Typing, AColumnBeyondTheStoreIsRefusedWithoutPadding) {
    fresh();
    settext("abc");
    long before = avail;
    cur().curcol = 4500000;
    runkeys("xy");
    EXPECT_EQ(linetext(1, 1), "abc");
    EXPECT_EQ(avail, before);
    EXPECT_EQ(full, 0);
    EXPECT_EQ(storeproblems(), "");
    zek::param[1] = 0;
    zek::param[2] = 999999999;
    advance();
    advance();
    EXPECT_EQ(cur().curcol, TEXTSIZE);  // clamped, never overflowing
}

TEST(Typing, InsertModeShiftsTheRestAndRedrawsTheLine) {
    fresh();
    settext("abc");
    cur().curcol = 2;
    runkeys(INSERTMODE);
    ASSERT_EQ(mode, 2);
    takesequences();
    runkeys("x");
    EXPECT_EQ(linetext(1, 1), "axbc");
    EXPECT_EQ(cur().curcol, 3);
    Seqs s = takesequences();
    EXPECT_NE(std::find(s.begin(), s.end(), "$TL2,axbc"), s.end());
    cur().curcol = 7;
    takeoutput();
    runkeys("y");
    EXPECT_EQ(linetext(1, 1), "axbc  y") << "beyond the end insert types as typing mode does";
    EXPECT_EQ(takeoutput(), "y\r\n");
    EXPECT_EQ(storeproblems(), "");
}

TEST(Typing, BellsAtTheRightMarginAndTheRightEdge) {
    fresh();
    countbells();
    settext(std::string(71, 'a'));
    cur().curcol = 72;
    runkeys("x");
    EXPECT_EQ(bells, 1) << "typing the right margin's column at the end of the line";
    cur().curcol = 78;
    runkeys("z");
    EXPECT_EQ(bells, 2) << "the last shown column";
    cur().curcol = 72;
    runkeys("y");
    EXPECT_EQ(bells, 2) << "overwriting inside a longer line is silent";
    settext(std::string(71, 'a'));
    mode = 2;
    cur().curcol = 5;
    runkeys("w");
    EXPECT_EQ(bells, 3) << "an insertion that makes the line reach the margin";
    runkeys("v");
    EXPECT_EQ(bells, 3);
}

TEST(DecimalTabs, NumbersGrowLeftOfTheTabColumn) {
    fresh();
    dectabflag = 1;
    runkeys(TAB + "-12");
    EXPECT_EQ(linetext(1, 1), "     -12 ");
    EXPECT_EQ(cur().curcol, 9);
    runkeys(".5");
    EXPECT_EQ(linetext(1, 1), "     -12.5");
    EXPECT_EQ(dtstate, 0);
    EXPECT_EQ(cur().curcol, 11);
    runkeys(TAB + "7");
    EXPECT_EQ(linetext(1, 1), "     -12.5     7 ");
}

TEST(DecimalTabs, OffOrNotAfterATabTypesNormally) {
    fresh();
    runkeys(TAB + "12");
    EXPECT_EQ(linetext(1, 1), "        12");
    fresh();
    dectabflag = 1;
    runkeys("12");
    EXPECT_EQ(linetext(1, 1), "12");
}

TEST(SplitLine, TheTailIsRetypedOnANewLine) {
    fresh();
    settext("hello world\nnext");
    cur().curcol = 7;
    runkeys(SPLIT);
    EXPECT_EQ(coretext(1), "hello \nworld\nnext");
    EXPECT_EQ(cur().lnptr, line(2));
    EXPECT_EQ(cur().curcol, 1);
    EXPECT_EQ(cur().lncount, 3);
    EXPECT_EQ(cur().edited, 1);
    cur().curcol = 20;
    runkeys(SPLIT);
    EXPECT_EQ(coretext(1), "hello \nworld\n\nnext");
    EXPECT_EQ(storeproblems(), "");
}

TEST(SplitLine, TheWindowFollowsOffTheLastRow) {
    fresh();
    std::string text = "x";
    for (int i = 1; i < depth; i++) text += "\nab";
    settext(text);
    cur().lnptr = line(depth);
    cur().curcol = 2;
    runkeys(SPLIT);
    EXPECT_EQ(cur().disln, line(2));
}

TEST(JoinLine, TheLineBelowIsRetypedAfterTheTrimmedLine) {
    fresh();
    settext("abc  \nxyz\nlast");
    runkeys(JOIN);
    EXPECT_EQ(coretext(1), "abcxyz\nlast");
    EXPECT_EQ(cur().curcol, 7);
    EXPECT_EQ(cur().lncount, 2);
    cur().lnptr = line(2);
    cur().curcol = 2;
    runkeys(JOIN);
    EXPECT_EQ(coretext(1), "abcxyz\nlast") << "nothing on the last line";
    EXPECT_EQ(storeproblems(), "");
}

TEST(JoinLine, AnEmptyFollowingLineIsJustRemoved) {
    fresh();
    settext("abc  \n\nz");
    cur().curcol = 2;
    cur().starA = line(2);
    cur().nextstar = 'B';
    cur().starcount = 1;
    takesequences();
    runkeys(JOIN);
    EXPECT_EQ(coretext(1), "abc  \nz");
    EXPECT_EQ(cur().curcol, 2);
    EXPECT_EQ(cur().lncount, 2);
    EXPECT_EQ(cur().starA, nullptr);
    Seqs s = takesequences();
    EXPECT_NE(std::find(s.begin(), s.end(), "$TL3,z"), s.end()) << "a full redraw";
}

TEST(CopyFromAbove, CharacterAndRestOfLine) {
    fresh();
    settext("abcd\nx");
    runkeys("\x1b[t");
    EXPECT_EQ(linetext(1, 1), "abcd") << "nothing on the first line";
    cur().lnptr = line(2);
    cur().curcol = 2;
    takeoutput();
    runkeys("\x1b[t");
    EXPECT_EQ(linetext(1, 2), "xb");
    EXPECT_EQ(cur().curcol, 3);
    EXPECT_EQ(takeoutput(), "b\r\n");
    runkeys("\x1b\x02");
    EXPECT_EQ(linetext(1, 2), "xbcd");
    EXPECT_EQ(cur().curcol, 5);
    cur().curcol = 7;
    runkeys("\x1b[t");
    EXPECT_EQ(linetext(1, 2), "xbcd   ") << "a blank where the line above is shorter";
}

TEST(Flip, CaseAndAccentCycles) {
    fresh();
    settext("aZ\xe9\xe5\xc7\x96");
    runkeys(FLIP + FLIP);
    EXPECT_EQ(linetext(1, 1), "Az\xe9\xe5\xc7\x96");
    EXPECT_EQ(cur().curcol, 3);
    runkeys(FLIP);
    EXPECT_EQ(linetext(1, 1), "Az\xea\xe5\xc7\x96") << "e acute becomes e circumflex";
    EXPECT_EQ(cur().curcol, 3) << "an accented letter keeps the cursor";
    EXPECT_EQ(flip[0xe5], 0xc0) << "small a ring goes back to capital A grave";
    EXPECT_EQ(flip[0xeb], 0xc8);
    EXPECT_EQ(flip[0xc7], 0xe7);
    EXPECT_EQ(flip[0xe7], 0xc7);
    EXPECT_EQ(flip[0xf6], 0xd2);
    EXPECT_EQ(flip[0xfc], 0xd9);
    EXPECT_EQ(flip[0x96], 0x96);
    EXPECT_EQ(flip[0xd0], 0xd0);
    EXPECT_EQ(flip['5'], '5');
    cur().curcol = 7;
    runkeys(FLIP);
    EXPECT_EQ(cur().curcol, 7) << "nothing beyond the end";
}

TEST(ManyNewLines, InsertsTheTypedNumberBelow) {
    fresh();
    settext("a\nb");
    cur().curcol = 2;
    runkeys("\x1b[h" "12\r");
    EXPECT_EQ(cur().lncount, 14);
    EXPECT_EQ(cur().lnptr, line(1));
    EXPECT_EQ(cur().curcol, 2);
    EXPECT_EQ(linetext(1, 14), "b");
    runkeys("\x1b[h" "x");
    EXPECT_EQ(cur().lncount, 15) << "no number means one";
    EXPECT_EQ(storeproblems(), "");
}

// Split and join take text out of a line before putting it back: near a full store they are
// refused whole rather than losing what no longer fits.
TEST(Typing, SplitAndJoinNearAFullStoreLoseNothing) {
    std::string one(3000, 'a'), two(3000, 'b');
    fresh();
    settext(one + "\n" + two);
    fillstore(100);
    cur().curcol = 2;
    splitline();
    cur().lnptr = line(1);
    cur().curcol = 1;
    joinline();
    EXPECT_TRUE(coretext(1) == one + "\n" + two);
    EXPECT_EQ(storeproblems(), "");
    fresh();
    settext("ab\ncd");
    cur().curcol = 2;
    splitline();
    EXPECT_EQ(coretext(1), "a\nb\ncd") << "with room both work";
    cur().lnptr = line(1);
    joinline();
    EXPECT_EQ(coretext(1), "ab\ncd");
}

// The line-drawing view: entering and leaving it, drawing and erasing stubs with the four
// motions, and their redraw requests.
#include <gtest/gtest.h>

#include <string>

#include "editor/ecap.h"
#include "tests/unit/editkeys.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;

namespace {

void drawing(const std::string& text) {
    fresh();
    settext(text);
    runkeys(LINEDRAW);
}

}  // namespace

TEST(LineDrawing, EnterAndLeaveByReturnOrTab) {
    drawing("");
    EXPECT_EQ(cur().viewtype, 3);
    EXPECT_EQ(cureditmask, editmask[3]);
    EXPECT_EQ(lddel, 0);
    for (const std::string& key : {std::string("\r"), TAB}) {
        runkeys(LINEDRAW);
        ASSERT_EQ(cur().viewtype, 3);
        runkeys(key);
        EXPECT_EQ(cur().viewtype, 0);
        EXPECT_EQ(cureditmask, editmask[0]);
        EXPECT_EQ(cur().lnptr, line(1)) << "leaving does not move the cursor";
    }
}

TEST(LineDrawing, RightThenDownLeavesTheStubCodes) {
    drawing("");
    runkeys(RIGHT + DOWN);
    EXPECT_EQ(linetext(1, 1), "\x10\x19");
    EXPECT_EQ(linetext(1, 2), " \x0f");
    EXPECT_EQ(cur().lncount, 2);
    EXPECT_EQ(cur().curcol, 2);
    EXPECT_EQ(cur().edited, 1);
}

TEST(LineDrawing, StubsAddUpAndAnythingElseCountsAsEmpty) {
    drawing("x\x13\nab");
    runkeys(RIGHT);
    EXPECT_EQ(linetext(1, 1), "\x10\x12") << "a letter and code 19 hold no stubs";
    runkeys(DOWN + UP + RIGHT);
    EXPECT_EQ(linetext(1, 1), "\x10\x1c\x12") << "left, down and right on the middle cell";
    EXPECT_EQ(linetext(1, 2), "a\x0f");
    runkeys(LEFT + LEFT);
    EXPECT_EQ(linetext(1, 1), "\x10\x1c\x12") << "stubs already there stay single";
    runkeys(LEFT);
    EXPECT_EQ(cur().curcol, 1) << "no motion left of column 1";
}

TEST(LineDrawing, RuboutErasesUntilDrawingIsAskedForAgain) {
    drawing("");
    runkeys(RIGHT + RIGHT);
    EXPECT_EQ(linetext(1, 1), "\x10\x14\x12");
    runkeys(RUBOUT);
    EXPECT_EQ(lddel, 1);
    runkeys(LEFT);
    EXPECT_EQ(linetext(1, 1), "\x10\x12 ");
    runkeys(LINEDRAW);
    EXPECT_EQ(lddel, 0);
    EXPECT_EQ(cur().viewtype, 3);
    runkeys(RIGHT);
    EXPECT_EQ(linetext(1, 1), "\x10\x14\x12");
}

TEST(LineDrawing, RedrawRequests) {
    drawing("a\nb\nc");
    cur().lnptr = line(2);
    ldright();
    EXPECT_EQ(redisplay, 5);
    lddown();
    EXPECT_EQ(redisplay, 20);
    ldup();
    EXPECT_EQ(redisplay, 21);
    cur().lnptr = line(3);
    lddown();
    EXPECT_EQ(redisplay, 20) << "a line added at the end is still a two-line redraw";
    cur().lnptr = line(1);
    ldup();
    EXPECT_EQ(redisplay, 1) << "a line added above scrolls the window";
    EXPECT_EQ(cur().lncount, 5);
}

TEST(LineDrawing, NothingWhileTheStoreIsFull) {
    drawing("ab\ncd");
    full = 1;
    for (void (*op)() : {ldright, ldleft, lddown, ldup}) op();
    full = 0;
    EXPECT_EQ(coretext(1), "ab\ncd");
    EXPECT_EQ(cur().curcol, 1);
    EXPECT_EQ(cur().lnptr, line(1));
}

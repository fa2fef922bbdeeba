// Line shifts: flush left, centre, flush right and align on a typed character.
#include <gtest/gtest.h>

#include <string>

#include "editor/centre.h"
#include "editor/corutils.h"
#include "editor/tabs.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;

namespace {

const std::string ALIGN = "\x1b[k";  // ESC [ k, then the character to align on

// Shifts line 1 of `text` with `shift` between margins `left` and `right`; the line comes back.
std::string shifted(const std::string& text, void (*shift)(), int left, int right) {
    fresh();
    settext(text);
    lmargin = left;
    rmargin = right;
    redisplay = 0;
    shift();
    EXPECT_EQ(storeproblems(), "") << text;
    return linetext(1, 1);
}

std::string aligned(const std::string& text, const std::string& on, int right) {
    fresh();
    settext(text);
    rmargin = right;
    redisplay = 0;
    runkeys(ALIGN + on);
    EXPECT_EQ(lrcswitch, 3);
    EXPECT_EQ(storeproblems(), "") << text;
    return linetext(1, 1);
}

}  // namespace

TEST(LineShift, EachModeAndItsSwitch) {
    EXPECT_EQ(shifted("      abc", flushleft, 3, 72), "  abc");
    EXPECT_EQ(lrcswitch, 0);
    EXPECT_EQ(shifted("abc", fcenter, 1, 72), std::string(34, ' ') + "abc");
    EXPECT_EQ(lrcswitch, 1);
    EXPECT_EQ(shifted("ab   ", flushright, 1, 5), "   ab") << "trailing blanks are stripped first";
    EXPECT_EQ(lrcswitch, 2);
    EXPECT_EQ(redisplay, 5);
    EXPECT_EQ(cur().charcount, 5);
}

TEST(LineShift, CentreRoundsTowardMinusInfinity) {
    EXPECT_EQ(shifted("       abcde", fcenter, 1, 10), "  abcde") << "-9 / 2 gives -5";
    EXPECT_EQ(cur().charcount, 7);
    EXPECT_EQ(shifted("abcd", fcenter, 1, 10), "   abcd") << "7 / 2 gives 3";
}

TEST(LineShift, NeverLeftOfColumnOne) {
    EXPECT_EQ(shifted("   abcdefghijkl", flushright, 1, 5), "abcdefghijkl");
    EXPECT_EQ(aligned("   abcdefgh:", ":", 5), "abcdefgh:");
}

TEST(LineShift, AlignOnTheFirstOccurrence) {
    EXPECT_EQ(aligned("x=1 y=2", "=", 10), "        x=1 y=2");
    EXPECT_EQ(aligned("x=1", "#", 10), "x=1") << "absent: no shift";
    EXPECT_EQ(redisplay, 0);
}

TEST(LineShift, BlankAndStructuredLinesStay) {
    EXPECT_EQ(shifted("    ", fcenter, 1, 72), "");
    EXPECT_EQ(redisplay, 0);
    fresh();
    settext("R|");
    line(1)->object = OBJ_RECORD;
    flushright();
    EXPECT_EQ(linetext(1, 1), "R|");
}

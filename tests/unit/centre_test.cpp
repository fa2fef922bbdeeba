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

// Shifts line 1 of `text` between margins `left` and `right` with `shift`, or, when `shift`
// is null, by the align key followed by `keys`; the line comes back.
std::string shifted(const std::string& text, void (*shift)(), int left, int right,
                    const std::string& keys = "") {
    fresh();
    settext(text);
    lmargin = left;
    rmargin = right;
    redisplay = 0;
    if (shift != nullptr) {
        shift();
    } else {
        runkeys("\x1b[k" + keys);
        EXPECT_EQ(lrcswitch, 3);
    }
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
    EXPECT_EQ(shifted("x=1 y=2", nullptr, 1, 10, "="), "        x=1 y=2") << "on the first occurrence";
    EXPECT_EQ(shifted("x=1", nullptr, 1, 10, "#"), "x=1") << "absent: no shift";
    EXPECT_EQ(redisplay, 0);
    EXPECT_EQ(shifted("    ", fcenter, 1, 72), "") << "a blank line is only stripped";
    EXPECT_EQ(redisplay, 0);
}

TEST(LineShift, CentreRoundsDownAndNothingMovesLeftOfColumnOne) {
    EXPECT_EQ(shifted("       abcde", fcenter, 1, 10), "  abcde") << "-9 / 2 gives -5";
    EXPECT_EQ(shifted("abcd", fcenter, 1, 10), "   abcd") << "7 / 2 gives 3";
    EXPECT_EQ(shifted("   abcdefghijkl", flushright, 1, 5), "abcdefghijkl");
    EXPECT_EQ(shifted("   abcdefgh:", nullptr, 1, 5, ":"), "abcdefgh:");
}

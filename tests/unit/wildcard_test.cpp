// The wildcard matcher and the variables that copywild fills from the last match.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "editor/corutils.h"
#include "editor/scan.h"
#include "editor/scrin.h"
#include "tests/unit/harness.h"

using namespace zek;

namespace {

// Matches `pattern` against `text` stored as the current line; on success copies the
// variables as a successful pattern search does.
bool match(const std::string& pattern, const std::string& text) {
    zektest::fresh();
    zektest::settext(text);
    const LINE* l = cur().header->down;
    long index = l->object == OBJ_EMPTY ? avail : l->index;
    snprintf(scanpattern, sizeof scanpattern, "%s", pattern.c_str());
    if (unify(scanpattern, index, 0, l->length) != 1) return false;
    copywild();
    return true;
}

}  // namespace

TEST(Unify, StarBetweenLetters) {
    EXPECT_TRUE(match("a*c", "abc"));
    EXPECT_STREQ(unified[1], "b");
    EXPECT_FALSE(match("a*c", "abd"));
    EXPECT_TRUE(match("a*c", "ac"));
    EXPECT_STREQ(unified[1], "");
    EXPECT_FALSE(match("a*c", "xabc"));
}

TEST(Unify, LoneStarAndEmptyPattern) {
    EXPECT_TRUE(match("*", ""));
    EXPECT_STREQ(unified[1], "");
    EXPECT_TRUE(match("*", "anything"));
    EXPECT_STREQ(unified[1], "anything");
    EXPECT_TRUE(match("", ""));
    EXPECT_FALSE(match("", "a"));
    EXPECT_FALSE(match("a*", ""));
}

TEST(Unify, LeadingAndTrailingStars) {
    EXPECT_TRUE(match("*c", "abc"));
    EXPECT_STREQ(unified[1], "ab");
    EXPECT_TRUE(match("ab*", "abcd"));
    EXPECT_STREQ(unified[1], "cd");
    EXPECT_TRUE(match("ab*", "ab"));
    EXPECT_STREQ(unified[1], "");
    EXPECT_TRUE(match("ab**", "ab"));
    EXPECT_FALSE(match("abc*", "ab"));
    EXPECT_FALSE(match("*x", "abc"));
}

TEST(Unify, SeveralStars) {
    EXPECT_TRUE(match("*-*", "ab-cd"));
    EXPECT_STREQ(unified[1], "ab");
    EXPECT_STREQ(unified[2], "cd");
    EXPECT_TRUE(match("a*b*c", "aXbYc"));
    EXPECT_STREQ(unified[1], "X");
    EXPECT_STREQ(unified[2], "Y");
    EXPECT_TRUE(match("*b*", "b"));
    EXPECT_STREQ(unified[1], "");
    EXPECT_STREQ(unified[2], "");
}

TEST(Unify, BacktrackingRetriesAfterAFalseStart) {
    EXPECT_TRUE(match("a*bc", "abxbc"));
    EXPECT_STREQ(unified[1], "bx");
    EXPECT_TRUE(match("*ab", "aab"));
    EXPECT_STREQ(unified[1], "a");
    EXPECT_TRUE(match("*a", "aaa"));
    EXPECT_STREQ(unified[1], "aa");
    EXPECT_TRUE(match("a*bc", "abcbc"));
    EXPECT_STREQ(unified[1], "bc");
    EXPECT_FALSE(match("a*bc", "abcb"));
}

TEST(Unify, TextBeyondTheSliceNeverMatches) {
    zektest::fresh();
    zektest::settext("abcd");
    const LINE* l = cur().header->down;
    EXPECT_EQ(unify("abcd", l->index, 0, 3), 0);
    EXPECT_EQ(unify("bc", l->index + 1, 0, 2), 1);
    EXPECT_EQ(unify("b*", l->index + 1, 0, 2), 1);
}

TEST(Copywild, StarsAfterTheTwentiethShareVariable21) {
    std::string pattern;
    std::string text;
    for (int k = 1; k <= 22; k++) {
        pattern += k > 1 ? "-*" : "*";
        text += (k > 1 ? "-" : "") + std::to_string(k);
    }
    ASSERT_LT(pattern.size(), sizeof scanpattern);
    ASSERT_TRUE(match(pattern, text));
    for (int k = 1; k <= 20; k++) EXPECT_EQ(std::string(unified[k]), std::to_string(k));
    EXPECT_STREQ(unified[21], "22");
    EXPECT_STREQ(unified[0], "");
}

TEST(Wildtxt, TypesAVariableAsIfKeyed) {
    zektest::fresh();
    snprintf(unified[3], sizeof unified[3], "hey");
    zektest::runkeys("\x1bX3\r!");
    EXPECT_EQ(zektest::coretext(1), "hey!");
    EXPECT_EQ(cur().curcol, 5);
    zektest::fresh();
    zektest::runkeys("\x1bX22\r!");
    EXPECT_EQ(zektest::coretext(1), "!") << "there is no variable 22";
}

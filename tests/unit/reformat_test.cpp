// Reformat: where a paragraph ends, how its lines rejoin, where the new lines and the old ones
// go; hyphenation by rule and degree; justification with the rotating bit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "editor/corutils.h"
#include "editor/reformat.h"
#include "editor/tabs.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;

namespace {

// Reformats `text` from line 1, column `col`, between margins `left` and `right`; the soft
// hyphens of the result are shown as "=".
std::string refill(const std::string& text, int left, int right, int col = 1) {
    fresh("\r");
    settext(text);
    lmargin = left;
    rmargin = right;
    cur().curcol = col;
    reformat();
    std::string s = coretext(1);
    for (char& ch : s) {
        if (static_cast<unsigned char>(ch) == 173) ch = '=';
    }
    return s;
}

std::string hyphenated(const std::string& text, int right, int degree) {
    fresh("\r");
    settext(text);
    hyphlevel = degree;
    lmargin = 1;
    rmargin = right;
    reformat();
    std::string s = coretext(1);
    for (char& ch : s) {
        if (static_cast<unsigned char>(ch) == 173) ch = '=';
    }
    return s;
}

std::string justified(const std::string& text, int left, int right, long bit) {
    fresh("\r");
    settext(text);
    jmode = 1;
    bit_p = bit;
    lmargin = left;
    rmargin = right;
    reformat();
    return coretext(1);
}

}  // namespace

TEST(Reformat, AParagraphEndsAtAnEmptyLineAnIndentARecordOrTheEnd) {
    EXPECT_EQ(refill("a b\nc\n\nd\ne", 1, 72), "a b c\n\nd\ne");
    EXPECT_EQ(refill("a\nb\n c\nd", 1, 72), "a b\n c\nd");
    EXPECT_EQ(refill("  a\n  b\nc\nd", 3, 72), "  a b\nc\nd") << "the lines must begin at the left margin";
    fresh();
    settext("a\nb\nR|\nc");
    line(3)->object = OBJ_RECORD;
    reformat();
    EXPECT_EQ(coretext(1), "a b\nR|\nc");
    EXPECT_EQ(refill("a\nb", 1, 72), "a b");
    fresh();
    settext("R|\nc");
    line(1)->object = OBJ_RECORD;
    reformat();
    EXPECT_EQ(coretext(1), "R|\nc") << "a record line is not reformatted";
}

TEST(Reformat, TheStreamRejoinsHyphensAndCollapsesBlanks) {
    EXPECT_EQ(refill("one   two   \nwell-\nknown a -\nb ab\xad\ncd x\xady", 1, 72),
              "one two well-known a - b abcd x=y");
    EXPECT_EQ(refill("a \xad\nb", 1, 72), "a = b") << "a soft hyphen after a blank is a word";
}

TEST(Reformat, IndentOfTheFirstLineAndOfTheOthers) {
    EXPECT_EQ(refill("   aaa bbb ccc", 1, 10), "   aaa bbb\nccc");
    EXPECT_EQ(refill("    aaa bbb\n  ccc ddd eee", 3, 12), "    aaa bbb\n  ccc ddd\n  eee");
}

TEST(Reformat, FromInsideTheLineTheTextBeforeTheCursorStays) {
    EXPECT_EQ(refill("abc def ghi jkl", 1, 10, 5), "abc \ndef ghi\njkl");
    EXPECT_EQ(refill("   abc def", 1, 72, 3), "   abc def") << "before the first non-blank: nothing kept";
    EXPECT_EQ(refill("ab\n  cd\n  ef", 3, 72, 9), "ab\n  cd ef") << "a cursor past the end keeps the whole line";
}

TEST(Reformat, OldLinesGoBehindTheCurrentLineOfCorefileZero) {
    fresh();
    corenum = 0;
    settext("h1\nh2");
    corenum = 1;
    settext("x\ny\n\nz");
    cur().curcol = 1;
    reformat();
    EXPECT_EQ(coretext(0), "h1\nx\ny\nh2");
    EXPECT_EQ(coretext(1), "x y\n\nz");
    EXPECT_EQ(cur().lnptr, line(1));
    EXPECT_EQ(redisplay, 6);
    EXPECT_EQ(storeproblems(), "");
}

TEST(Reformat, TheWindowTopAndStarsInsideTheParagraph) {
    fresh();
    settext("top\n\na\nb\nc\n\nz");
    COREFILE& c = cur();
    c.lnptr = line(3);
    c.disln = line(3);
    c.starA = line(4);
    c.nextstar = 'B';
    reformat();
    EXPECT_EQ(c.disln, line(3));
    EXPECT_EQ(c.starA, nullptr) << "a star inside the paragraph is cleared";
    EXPECT_EQ(c.nextstar, 'A');
    settext("top\n\na\nb\nc\n\nz");
    c.lnptr = line(3);
    c.disln = line(4);
    c.starA = line(1);
    c.starB = line(7);
    c.nextstar = 'A';
    reformat();
    EXPECT_EQ(coretext(1), "top\n\na b c\n\nz");
    EXPECT_EQ(c.disln, line(3)) << "the top line is never left in corefile 0";
    EXPECT_EQ(c.starA, line(1)) << "stars outside stay";
    EXPECT_EQ(c.starB, line(5));
}

TEST(Reformat, NoRoomLeavesTheParagraphAsItWas) {
    fresh("\r");
    settext("aaa bbb\nccc");
    garbage();
    long n = hiaddr - avail - 3;
    corenum = 2;
    memset(textbase + avail, 'x', static_cast<size_t>(n));
    allocln(OBJ_TEXT, static_cast<int>(n));
    linkphys();
    corenum = 1;
    takesequences();
    reformat();
    bool shown = false;
    for (const std::string& s : takesequences()) shown = shown || s == "$meinadequate free space for reformat";
    EXPECT_TRUE(shown);
    EXPECT_EQ(coretext(1), "aaa bbb\nccc");
    EXPECT_EQ(coretext(0), "");
    EXPECT_EQ(storeproblems(), "");
}

TEST(Hyphenation, EachRuleOnItsOwnWords) {
    EXPECT_EQ(hyphenated("hammock", 6, 1), "hammock") << "no point at degree 1: it overflows";
    EXPECT_EQ(hyphenated("hammock", 6, 2), "ham=\nmock");
    EXPECT_EQ(hyphenated("fellow", 5, 2), "fel=\nlow") << "LL before a vowel breaks between";
    EXPECT_EQ(hyphenated("ballroom", 7, 2), "ball=\nroom") << "LL before a consonant breaks after";
    EXPECT_EQ(hyphenated("planet", 5, 2), "planet");
    EXPECT_EQ(hyphenated("planet", 5, 3), "pl=\nanet");
    EXPECT_EQ(hyphenated("master", 5, 1), "ma=\nster") << "STER stands before ER";
    EXPECT_EQ(hyphenated("hamstrung", 8, 1), "ham=\nstrung");
    EXPECT_EQ(hyphenated("maxwell", 6, 1), "max=\nwell");
    EXPECT_EQ(hyphenated("action's", 7, 1), "ac=\ntion's") << "the word is judged without 'S";
}

TEST(Hyphenation, ExplicitHyphensAndShortWords) {
    EXPECT_EQ(hyphenated("one-two-three", 9, 0), "one-two-\nthree") << "the last hyphen that fits";
    EXPECT_EQ(hyphenated("one-two-three", 7, 0), "one-\ntwo-\nthree");
    EXPECT_EQ(hyphenated("ab-cde", 5, 0), "ab-\ncde");
    EXPECT_EQ(hyphenated("ab-cd", 4, 3), "ab-cd") << "five characters are never broken";
}

TEST(Hyphenation, HigherDegreesOnlyWhenTheLowerFindNothing) {
    EXPECT_EQ(hyphenated("understand", 9, 3), "under=\nstand");
    EXPECT_EQ(hyphenated("a understand", 7, 1), "a\nunder=\nstand");
    EXPECT_EQ(hyphenated("a understand", 7, 3), "a und=\nerstand");
}

TEST(Justify, LeftoverSpacesFollowTheRotatingBit) {
    std::string words;
    for (int i = 0; i < 11; i++) words += "aaaaa ";
    std::string text = justified(words + "bbbbbbbb", 1, 72, 1);
    const char* gaps = "  ,  ,  ,  ,  , ,  , , ,  ,";  // gaps 0 to 4, 6 and 9 get a second blank
    std::string expect;
    for (int i = 0, g = 0; i < 11; i++) {
        expect += "aaaaa";
        if (i < 10) {
            while (gaps[g] != ',') expect += gaps[g++];
            g++;
        }
    }
    EXPECT_EQ(text, expect + "\nbbbbbbbb");
    EXPECT_EQ(bit_p, 1L << 22);
    EXPECT_EQ(justified("aaaa bbbb cccc ddd ee", 1, 20, 1L << 29), "aaaa bbbb  cccc  ddd\nee");
    EXPECT_EQ(bit_p, 2) << "the bit returns to 1 after 0x40000000";
}

TEST(Justify, IndentsStayAndLinesWithoutGapsDoNotChange) {
    EXPECT_EQ(justified("    aaa bbb ccc ddd", 5, 18, 1), "    aaa   bbb  ccc\n    ddd");
    EXPECT_EQ(justified("abcdefg hijklmn", 1, 10, 1), "abcdefg\nhijklmn");
}

// Reformat: where a paragraph ends, how its lines rejoin, where the new lines and the old ones
// go; hyphenation by rule and degree; justification with the rotating bit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor/corutils.h"
#include "editor/reformat.h"
#include "editor/tabs.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;

namespace {

struct Setting {
    int left = 1, right = 72, col = 1, degree = 0, justify = 0;
    long bit = 1;
};

// Reformats `text` from line 1; soft hyphens in the result are shown as "=".
std::string refill(const std::string& text, Setting s) {
    fresh("\r");
    settext(text);
    lmargin = s.left;
    rmargin = s.right;
    hyphlevel = s.degree;
    jmode = s.justify;
    bit_p = s.bit;
    cur().curcol = s.col;
    reformat();
    std::string out = coretext(1);
    for (char& ch : out) {
        if (static_cast<unsigned char>(ch) == 173) ch = '=';
    }
    return out;
}

std::string refill(const std::string& text, int left, int right, int col = 1) {
    return refill(text, {left, right, col});
}

std::string hyphenated(const std::string& text, int right, int degree) {
    return refill(text, {1, right, 1, degree});
}

std::string justified(const std::string& text, int left, int right, long bit) {
    return refill(text, {left, right, 1, 0, 1, bit});
}

}  // namespace

TEST(Reformat, AParagraphEndsAtAnEmptyLineAnIndentARecordOrTheEnd) {
    EXPECT_EQ(refill("a b\nc\n\nd", 1, 72), "a b c\n\nd");
    EXPECT_EQ(refill("a\nb\n c", 1, 72), "a b\n c");
    EXPECT_EQ(refill("  a\n  b\nc", 3, 72), "  a b\nc") << "the lines must begin at the left margin";
    fresh();
    settext("a\nb\nR|\nc");
    line(3)->object = OBJ_RECORD;
    reformat();
    EXPECT_EQ(coretext(1), "a b\nR|\nc");
    cur().lnptr = line(2);
    reformat();
    EXPECT_EQ(coretext(1), "a b\nR|\nc") << "a record line is not reformatted";
}

TEST(Reformat, TheStreamRejoinsHyphensAndCollapsesBlanks) {
    EXPECT_EQ(refill("one   two   \nwell-\nknown a -\nb ab\xad\ncd x\xady", 1, 72),
              "one two well-known a - b abcd x=y");
    EXPECT_EQ(refill("a \xad\nb", 1, 72), "a = b") << "a soft hyphen after a blank is a word";
    EXPECT_EQ(refill("a\x04b cc\ndd\x04 e", 1, 72), "a\x04b cc dd\x04 e") << "a stored 4 is text";
}

TEST(Reformat, TheFirstLineAndTheTextBeforeTheCursor) {
    EXPECT_EQ(refill("   aaa bbb ccc", 1, 10), "   aaa bbb\nccc") << "the first line keeps its indent";
    EXPECT_EQ(refill("    aaa bbb\n  ccc ddd eee", 3, 12), "    aaa bbb\n  ccc ddd\n  eee");
    EXPECT_EQ(refill("abc def ghi jkl", 1, 10, 5), "abc \ndef ghi\njkl");
    EXPECT_EQ(refill("   abc def", 1, 72, 3), "   abc def") << "before the first non-blank: nothing kept";
    EXPECT_EQ(refill("ab\n  cd\n  ef", 3, 72, 9), "ab\n  cd ef") << "past the end: the whole line stays";
}

TEST(Reformat, OldLinesGoBehindTheCurrentLineOfCorefileZero) {
    fresh();
    corenum = 0;
    settext("h1\nh2");
    corenum = 1;
    settext("x\ny\n\nz");
    reformat();
    EXPECT_EQ(coretext(0), "h1\nx\ny\nh2");
    EXPECT_EQ(coretext(1), "x y\n\nz");
    EXPECT_EQ(cur().lnptr, line(1));
    EXPECT_EQ(storeproblems(), "");
}

TEST(Reformat, TheWindowTopAndStarsInsideTheParagraph) {
    fresh();
    COREFILE& c = cur();
    for (int top : {3, 4}) {
        settext("top\n\na\nb\nc\n\nz");
        c.lnptr = line(3);
        c.disln = line(top);
        c.starA = line(top == 3 ? 4 : 1);
        c.starB = line(7);
        reformat();
        EXPECT_EQ(c.disln, line(3)) << "the top line is never left in corefile 0";
        EXPECT_EQ(c.starA, top == 3 ? nullptr : line(1)) << "only a star inside the paragraph goes";
    }
    EXPECT_EQ(c.starB, line(5));
}

TEST(Reformat, NoRoomLeavesTheParagraphAsItWas) {
    fresh("\r");
    settext("aaa bbb\nccc");
    fillstore(3);
    takesequences();
    reformat();
    std::vector<std::string> sent = takesequences();
    EXPECT_EQ(sent[0], "$meinadequate free space for reformat");
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
    EXPECT_EQ(hyphenated("one-two-three", 9, 0), "one-two-\nthree") << "the last hyphen that fits";
    EXPECT_EQ(hyphenated("one-two-three", 7, 0), "one-\ntwo-\nthree");
    EXPECT_EQ(hyphenated("ab-cd", 4, 3), "ab-cd") << "five characters are never broken";
}

TEST(Hyphenation, HigherDegreesOnlyWhenTheLowerFindNothing) {
    EXPECT_EQ(hyphenated("understand", 9, 3), "under=\nstand");
    EXPECT_EQ(hyphenated("a understand", 7, 1), "a\nunder=\nstand");
    EXPECT_EQ(hyphenated("a understand", 7, 3), "a und=\nerstand");
}

TEST(Justify, LeftoverSpacesFollowTheRotatingBit) {
    // 65 characters with 10 gaps: 7 leftover spaces, dealt where the pattern's bits are set.
    std::string words, expect;
    const int extra[10] = {1, 1, 1, 1, 1, 0, 1, 0, 0, 1};
    for (int i = 0; i < 11; i++) {
        words += "aaaaa ";
        expect += "aaaaa";
        if (i < 10) expect += extra[i] ? "  " : " ";
    }
    EXPECT_EQ(justified(words + "bbbbbbbb", 1, 72, 1), expect + "\nbbbbbbbb");
    EXPECT_EQ(bit_p, 1L << 22);
    EXPECT_EQ(justified("aaaa bbbb cccc ddd ee", 1, 20, 1L << 29), "aaaa bbbb  cccc  ddd\nee");
    EXPECT_EQ(bit_p, 2) << "the bit returns to 1 after 0x40000000";
    EXPECT_EQ(justified("    aaa bbb ccc ddd", 5, 18, 1), "    aaa   bbb  ccc\n    ddd") << "indents stay";
    EXPECT_EQ(justified("abcdefg hijklmn", 1, 10, 1), "abcdefg\nhijklmn") << "no gaps, no change";
}

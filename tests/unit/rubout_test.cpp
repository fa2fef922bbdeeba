// Rubout and deletion in the text view, and the 80-character recover ring with the
// operations that type it back.
#include <gtest/gtest.h>

#include <string>

#include "editor/rubout.h"
#include "editor/scrin.h"
#include "tests/unit/editkeys.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;

namespace {

std::string repeat(const std::string& keys, int n) {
    std::string s;
    for (int i = 0; i < n; i++) s += keys;
    return s;
}

}  // namespace

TEST(Rubout, OnACharacterOnePastTheEndAndFurther) {
    fresh();
    settext("abc");
    cur().curcol = 2;
    runkeys(RUBOUT);
    EXPECT_EQ(linetext(1, 1), "ac");
    EXPECT_EQ(cur().curcol, 2);
    cur().curcol = 3;
    runkeys(RUBOUT);
    EXPECT_EQ(linetext(1, 1), "a");
    EXPECT_EQ(cur().curcol, 2);
    cur().curcol = 5;
    runkeys(RUBOUT);
    EXPECT_EQ(linetext(1, 1), "a");
    EXPECT_EQ(cur().curcol, 4);
}

TEST(Rubout, TrailingBlanksGoFirst) {
    fresh();
    settext("ab   ");
    cur().curcol = 4;
    runkeys(RUBOUT);
    EXPECT_EQ(linetext(1, 1), "ab") << "the cursor is two past the end once the blanks are gone";
    EXPECT_EQ(cur().curcol, 3);
}

TEST(Rubout, AnEmptyLineGoesUnlessItIsTheLast) {
    fresh();
    settext("\na\n\nb\n");
    runkeys(RUBOUT);
    EXPECT_EQ(coretext(1), "a\n\nb\n");
    EXPECT_EQ(cur().disln, line(1)) << "the window's top line went with it";
    cur().lnptr = line(2);
    runkeys(RUBOUT);
    EXPECT_EQ(coretext(1), "a\nb\n");
    EXPECT_EQ(cur().lnptr, line(2));
    EXPECT_EQ(cur().lncount, 3);
    cur().lnptr = line(3);
    runkeys(RUBOUT);
    EXPECT_EQ(cur().lncount, 3);
    EXPECT_EQ(storeproblems(), "");
}

TEST(DeleteWord, TheWordAndTheBlankAfterIt) {
    fresh();
    settext("one two three");
    cur().curcol = 6;
    runkeys(DELWORD);
    EXPECT_EQ(linetext(1, 1), "one three");
    EXPECT_EQ(cur().curcol, 5);
    runkeys(RECOVERWORD);
    EXPECT_EQ(linetext(1, 1), "one two three") << "the word comes back whole";
    EXPECT_EQ(cur().curcol, 5);
}

TEST(DeleteWord, NothingOffALetter) {
    fresh();
    settext("one, two");
    for (int col : {4, 5, 12}) {
        cur().curcol = col;
        runkeys(DELWORD);
        EXPECT_EQ(linetext(1, 1), "one, two") << col;
    }
}

TEST(DeleteWord, ToTheWordEndAndTheGapAfterIt) {
    fresh();
    settext("one two, three  ");
    cur().curcol = 6;
    runkeys(DELWORDEND);
    EXPECT_EQ(linetext(1, 1), "one tthree");
    settext("one two  ");
    cur().curcol = 5;
    runkeys(DELWORDEND);
    EXPECT_EQ(linetext(1, 1), "one ") << "the trailing blanks went first";
    settext("a " + std::string(2000000, 'w') + " tail");
    cur().curcol = 3;
    runkeys(DELWORDEND);
    EXPECT_EQ(linetext(1, 1), "a tail") << "a long word goes in one move";
}

TEST(DeleteLineEnd, FromTheCursorOn) {
    fresh();
    settext("abcdef\nnext");
    cur().curcol = 3;
    runkeys(DELLINEEND);
    EXPECT_EQ(coretext(1), "ab\nnext");
    cur().curcol = 3;
    runkeys(DELLINEEND);
    EXPECT_EQ(coretext(1), "ab\nnext");
    runkeys(RECOVERCHAR);
    EXPECT_EQ(linetext(1, 1), "abf");
}

TEST(RecoverRing, EightyOneDeletionsLeaveTheLastEighty) {
    fresh();
    std::string text = "#";
    for (int i = 0; i < 80; i++) text += static_cast<char>('A' + i % 26);
    settext(text);
    runkeys(repeat(RUBOUT, 81));
    EXPECT_EQ(linetext(1, 1), "");
    EXPECT_EQ(delptr, 1);
    runkeys(repeat(RECOVERCHAR, 80));
    EXPECT_EQ(linetext(1, 1), text.substr(1));
    EXPECT_EQ(cur().curcol, 1);
    EXPECT_EQ(storeproblems(), "");
}

TEST(RecoverRing, WordRecoveryNeedsAMark) {
    fresh();
    settext("abc");
    runkeys(RUBOUT + RECOVERWORD);
    EXPECT_EQ(linetext(1, 1), "bc");
    EXPECT_EQ(delptr, 1);
}

TEST(RecoverRing, CopiedCharactersAndBlanksBeyondTheEnd) {
    fresh();
    settext("ab\nz");
    runkeys("\x07\x07\x07");  // copy character three times
    EXPECT_EQ(cur().curcol, 4);
    EXPECT_EQ(std::string(delbuf, 3), "ab ");
    cur().lnptr = line(2);
    cur().curcol = 1;
    runkeys(repeat(RECOVERCHAR, 3));
    EXPECT_EQ(linetext(1, 2), "ab z");
}

TEST(RecoverRing, SharedByAllCorefilesAndBarsOfRecordsAreNotKept) {
    fresh();
    settext("x|y");
    cur().curcol = 2;
    runkeys(RUBOUT);
    corenum = 2;
    runkeys(RECOVERCHAR);
    EXPECT_EQ(linetext(2, 1), "|");
    corenum = 1;
    records("a|", 1);
    cur().curcol = 2;
    savechar('|');
    EXPECT_EQ(delptr, 0);
}

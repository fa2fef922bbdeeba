// Views and record lines: OBJECT, typing into fields by type, full fields, record rubout and
// the field recover operations, and typing into mathematics lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/build.h"
#include "editor/cursors.h"
#include "editor/getparam.h"
#include "editor/rubout.h"
#include "editor/scrin.h"
#include "tests/unit/editkeys.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;

TEST(ObjectCommand, OnlyEmptyLineBecomesTenBars) {
    fresh();
    param[1] = 1;
    objset();
    EXPECT_EQ(linetext(1, 1), "||||||||||");
    EXPECT_EQ(line(1)->object, OBJ_RECORD);
    EXPECT_EQ(cureditmask, editmask[1]);
    EXPECT_EQ(redisplay, 1);
}

TEST(ObjectCommand, SameViewDoesNothingAndOtherLinesStay) {
    fresh();
    settext("one\n");
    param[1] = 0;
    takesequences();
    objset();
    EXPECT_TRUE(takesequences().empty());
    param[1] = 2;
    objset();
    EXPECT_EQ(cur().viewtype, 2);
    EXPECT_EQ(coretext(1), "one\n") << "two lines: nothing is given structure";
    std::vector<std::string> s = takesequences();
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s[0], "$Tx");
}

// No view traps the user: after OBJECT n and RETURN into editing, on text, record or empty
// lines alike, RETURN and the command key reach the command line, and a command runs.
TEST(ObjectCommand, EveryViewLeadsBackToTheCommandLine) {
    for (int n = 0; n <= 7; n++) {
        for (const std::string text : {"hello\nworld", "a|b|", ""}) {
            fresh();
            settext(text);
            if (text.find('|') != std::string::npos) line(1)->object = OBJ_RECORD;
            runkeys("\003OB" + std::to_string(n) + "\r\r");
            ASSERT_EQ(cur().viewtype, n);
            ASSERT_NE(mode, 0) << "editing in view " << n;
            takeoutput();
            runkeys("\r\003EM1|1|1|0\r");
            std::string out = output();
            EXPECT_NE(out.find("$$$"), std::string::npos) << "view " << n << " on \"" << text << "\": " << out;
        }
    }
}

namespace {

// Types `key` into field 1 of the record "ab|cd|" (field 1 of type `kind`) in view 1.
std::string typeinto(char kind, const std::string& key) {
    fresh();
    records("ab|cd|", 1);
    ftype[1] = kind;
    runkeys(key);
    return linetext(1, 1) + " col " + std::to_string(cur().curcol);
}

}  // namespace

TEST(RecordTyping, EachFieldTypeAcceptsItsClasses) {
    const struct { char kind; const char* key; const char* result; } cases[] = {
        {'j', "x", "ab|cd| col 1"}, {'j', "5", "5b|cd| col 2"}, {'i', "-", "-b|cd| col 2"},
        {'i', "x", "ab|cd| col 1"}, {'i', "7", "7b|cd| col 2"}, {'b', "y", "yb|cd| col 2"},
        {'b', "n", "nb|cd| col 2"}, {'b', "x", "ab|cd| col 1"}, {'f', "%", "ab|cd| col 1"},
        {'f', "q", "qb|cd| col 2"}, {'c', "%", "%b|cd| col 2"}, {'c', "|", "ab|cd| col 1"},
        {'d', "1", "ab|cd| col 1"}, {'g', "y", "ab|cd| col 1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(typeinto(c.kind, c.key), c.result) << c.kind << " " << c.key;
    }
}

TEST(RecordTyping, TypingModeOverwritesAndEchoes) {
    fresh();
    records("ab|cd|", 1);
    takeoutput();
    runkeys("z");
    EXPECT_EQ(linetext(1, 1), "zb|cd|");
    EXPECT_EQ(takeoutput(), "z\r\n");
}

TEST(RecordTyping, OnTheBarOrInInsertModeTheFieldOpens) {
    fresh();
    records("ab|cd|", 1);
    cur().curcol = 3;
    runkeys("x");
    EXPECT_EQ(linetext(1, 1), "abx|cd|");
    EXPECT_EQ(cur().curcol, 4);
    mode = 2;
    cur().curcol = 5;
    runkeys("y");
    EXPECT_EQ(linetext(1, 1), "abx|ycd|");
    EXPECT_EQ(storeproblems(), "");
}

TEST(RecordTyping, FullFieldInInsertModeDropsItsLastCharacterAndBeeps) {
    fresh();
    records("ab|cd|", 1);
    maxfieldlen[1] = 2;
    mode = 2;
    countbells();
    runkeys("x");
    EXPECT_EQ(linetext(1, 1), "xa|cd|");
    EXPECT_EQ(cur().curcol, 2);
    EXPECT_EQ(bells, 1);
}

TEST(RecordTyping, FullFieldOnItsBarRefusesInBothModes) {
    fresh();
    records("ab|cd|", 1);
    maxfieldlen[1] = 2;
    countbells();
    for (int m : {1, 2}) {
        mode = m;
        cur().curcol = 3;
        runkeys("x");
        EXPECT_EQ(linetext(1, 1), "ab|cd|");
        EXPECT_EQ(cur().curcol, 3);
    }
    EXPECT_EQ(bells, 0);
    mode = 1;
    cur().curcol = 1;
    runkeys("x");
    EXPECT_EQ(linetext(1, 1), "xb|cd|") << "a full field is still overwritten";
}

TEST(RecordFields, FindfieldCountsBarsBeforeTheCursor) {
    fresh();
    records("ab|cde|f|", 1);
    const long start = line(1)->index;
    const struct { int col, num; long offset; int size; } cases[] = {
        {1, 1, 0, 2}, {3, 1, 0, 2}, {4, 2, 3, 3}, {6, 2, 3, 3}, {8, 3, 7, 1}, {9, 3, 7, 1},
    };
    for (const auto& c : cases) {
        cur().curcol = c.col;
        findfield();
        fieldlen();
        EXPECT_EQ(fieldnum, c.num) << c.col;
        EXPECT_EQ(recptr - start, c.offset) << c.col;
        EXPECT_EQ(fieldsiz, c.size) << c.col;
    }
}

TEST(RecordRubout, DeletesButOnlyStepsLeftOnABarOrInATypeGField) {
    fresh();
    records("ab|cd|", 1);
    cur().curcol = 4;
    runkeys(RUBOUT);
    EXPECT_EQ(linetext(1, 1), "ab|d|");
    EXPECT_EQ(cur().curcol, 4);
    cur().curcol = 3;
    runkeys(RUBOUT);
    EXPECT_EQ(linetext(1, 1), "ab|d|");
    EXPECT_EQ(cur().curcol, 2);
    ftype[1] = 'g';
    runkeys(RUBOUT);
    EXPECT_EQ(linetext(1, 1), "ab|d|");
    EXPECT_EQ(cur().curcol, 1);
}

TEST(RecordRecover, ADeletedDigitComesBackIntoADigitField) {
    fresh();
    records("12|cd|", 1);
    ftype[1] = 'j';
    runkeys(RUBOUT);
    EXPECT_EQ(linetext(1, 1), "2|cd|");
    runkeys(RECOVERCHAR);
    EXPECT_EQ(linetext(1, 1), "12|cd|");
    EXPECT_EQ(cur().curcol, 1) << "recovering does not move the cursor";
}

TEST(RecordRecover, DeletedFieldComesBackWholeWithoutItsBar) {
    fresh();
    records("ab|123|x|", 1);
    ftype[2] = 'j';
    cur().curcol = 5;
    runkeys(DELWORD);  // delete field in the record views
    EXPECT_EQ(linetext(1, 1), "ab||x|");
    EXPECT_EQ(cur().curcol, 4);
    EXPECT_EQ(delbuf[0], '\\');
    runkeys(RECOVERWORD);
    EXPECT_EQ(linetext(1, 1), "ab|123|x|");
}

TEST(RecordRecover, CopiedFieldIsTypedIntoAnotherField) {
    fresh();
    records("ab|cd|", 1);
    runkeys("\x1b\x02");  // copy field
    EXPECT_EQ(linetext(1, 1), "ab|cd|");
    cur().curcol = 4;
    runkeys(RECOVERWORD);
    EXPECT_EQ(linetext(1, 1), "ab|abcd|");
}

TEST(MathTyping, NodesInInsertModeAndOverwriteOtherwise) {
    fresh();
    cur().viewtype = 5;
    cureditmask = editmask[5];
    mode = 2;
    runkeys("!");
    EXPECT_EQ(linetext(1, 1), "\xf6\xf3\xf3\xf8");
    EXPECT_EQ(line(1)->object, OBJ_MATH);
    EXPECT_EQ(cur().curcol, 2);
    mode = 1;
    cur().curcol = 1;
    runkeys("\x1b" "e");  // e with acute, typed over the node start: inserted as structure
    EXPECT_EQ(linetext(1, 1), "\xf6\xf3\xf3\xfe\xf6\xf3\xf3\xf8");
    cur().curcol = 2;
    runkeys("x");
    EXPECT_EQ(linetext(1, 1), "\xf6x\xf3\xfe\xf6\xf3\xf3\xf8");
}

TEST(MathTyping, RecmathTakesInTheLineBelow) {
    fresh();
    settext("ab\ncd\nef");
    cur().curcol = 2;
    recmath();
    EXPECT_EQ(coretext(1), "acdb\nef");
    EXPECT_EQ(cur().curcol, 2);
    EXPECT_EQ(storeproblems(), "");
}

TEST(MathTables, RowsAndColumnsOnlyWithTheCellCursorOnTheMarker) {
    fresh();
    // a table of one row with two cells: 246 a 243 b 245
    settext("\xf6" "a\xf3" "b\xf5");
    line(1)->object = OBJ_MATH;
    cur().curcol = 5;
    instabrow();
    EXPECT_EQ(linetext(1, 1), "\xf6" "a\xf3" "b\xf5") << "character cursor: refused";
    cur().curflag = 3;
    instabrow();
    EXPECT_EQ(linetext(1, 1), "\xf6" "a\xf3" "b\xf4\xf3\xf5");
    instabcol();
    EXPECT_EQ(linetext(1, 1), "\xf6" "a\xf3" "b\xf3\xf4\xf3\xf3\xf5");
}

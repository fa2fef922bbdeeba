// Record checks: field conditions with alternatives, bit patterns, the check lines of
// corefile 18 and their display, the rec and check units of the searches, and the record
// filter of FETCH, APPEND and INSERT.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "editor/check.h"
#include "editor/corutils.h"
#include "editor/float.h"
#include "editor/scan.h"
#include "editor/scrin.h"
#include "editor/utilptr.h"
#include "tests/unit/editkeys.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;

namespace {

// Puts the check lines into corefile 18, the current corefile staying.
void checklines(const std::string& text) {
    int saved = corenum;
    corenum = CHECKCORE;
    settext(text);
    corenum = saved;
}

// The field condition `pattern` at the cursor (line 1, column `col`), and cmperr after a "/".
std::string condition(const std::string& pattern, int col = 1) {
    cur().curcol = col;
    setptr();
    LINE* l = lp;
    checksetup();
    int r = recstrmatch(pattern.c_str());
    EXPECT_TRUE(lp == l && cp == col) << "the text pointer is restored";
    return std::to_string(r) + "/" + std::to_string(cmperr);
}

}  // namespace

TEST(FieldCondition, FieldsWordsAlternativesAndMalformedConditions) {
    fresh();
    records("red apple|blue sky|green|", 1);
    const struct { const char* pattern; const char* result; } onrecord[] = {
        {"$#2=blue", "1/0"}, {"$#2=red\\blue", "1/0"}, {"$#1=red\\blue", "1/0"},
        {"$#3=red\\blue", "0/0"}, {"$#2=sky", "0/0"}, {"$#3=", "1/0"}, {"$#1=\x03" "ed", "1/0"},
        {"$#1 any =red", "1/0"}, {"$#2>blue", "1/0"}, {"$#2>c", "0/0"}, {"$#2<c", "1/0"},
        {"$#3<green", "0/0"}, {"$#3>green", "0/0"}, {"$#3=greenish\\gr", "1/0"},
        {"$#4=x", "0/1"}, {"$#0=x", "0/1"}, {"$x#1=r", "0/1"}, {"$#1#2=r", "0/1"},
        {"$#1", "0/1"}, {"$=red", "0/1"}, {"$#", "0/1"},
    };
    for (const auto& c : onrecord) EXPECT_EQ(condition(c.pattern, 5), c.result) << c.pattern;
    // on a text line the units are the words from the cursor
    cur().viewtype = 0;
    settext("the quick brown fox");
    const struct { const char* pattern; const char* result; } ontext[] = {
        {"$#1=quick", "1/0"}, {"$#3=fox", "1/0"}, {"$#2>brown", "0/0"}, {"$#4=x", "0/1"}};
    for (const auto& c : ontext) EXPECT_EQ(condition(c.pattern, 5), c.result) << c.pattern;
}

TEST(CheckLines, BitsErrorsPatternsAndTheirDisplay) {
    long chk, mask;
    makecheck("1x0", &chk, &mask);
    EXPECT_EQ(chk, 6);
    EXPECT_EQ(mask, 2);
    std::string passing;
    for (long bits = 0; bits < 8; bits++) passing += (bits | mask) == chk ? '1' : '0';
    EXPECT_EQ(passing, "00001010") << "first true, last false, the middle free";

    fresh();
    // an expression, a field condition, a syntax error, a missing field; a record line in
    // corefile 18 is no check line
    checklines("#1>2\n$#2=b\n1+\n#9\nx|");
    core[CHECKCORE].header->up->object = OBJ_RECORD;
    records("3|bee|x|", 1);
    takeoutput();
    runkeys("\x1b\x0e\r");  // ESC ^N; the error bits wait for RETURN
    EXPECT_EQ(numchecks, 4);
    EXPECT_EQ(boolcheck, 12);
    EXPECT_EQ(boolerror, 3);
    EXPECT_EQ(takeoutput(), "ERR 0011\r\nCH 1100\r\n");
    EXPECT_EQ(fperror, 0);
    EXPECT_EQ(ni, oldindex);
    getboolstring(5, 3);
    EXPECT_STREQ(boolstring, "101");

    // more check lines than the bit words hold: the first 32 count
    std::string many;
    for (int i = 0; i < 40; i++) many += "1\n";
    checklines(many + "0");
    multicheck();
    EXPECT_EQ(numchecks, 32);
    EXPECT_EQ(boolcheck, 0xffffffffL);
}

TEST(RecordUnits, SearchesByFieldConditionExpressionAndCheckPattern) {
    fresh();
    records("3|apple|\n7|berry|\n9|cherry|", 1);
    LINE* first = cur().lnptr;
    // unit 5 with the cursor on a text line: the records below are still read by field
    const struct { int unit; const char* pattern; int count; int foundline; } cases[] = {
        {5, "$#2=berry\\cherry", 2, 2}, {5, "#1>5", 2, 2}, {5, "#1>9", 0, 0}, {5, "#1>", 0, 0},
        {6, "10", 1, 2}, {6, "x1", 1, 3}, {6, "00", 1, 1},
    };
    checklines("#1>5\n$#2=c");
    for (const auto& c : cases) {
        first->object = c.unit == 5 ? OBJ_TEXT : OBJ_RECORD;
        scanunit = c.unit;
        strcpy(scanpattern, c.pattern);
        cur().lnptr = first;
        cur().curcol = 1;
        resnumber();
        EXPECT_EQ(vl_result[0], c.count) << c.pattern;
        find();
        EXPECT_EQ(vl_result[0], c.foundline != 0) << c.pattern;
        if (c.foundline != 0) {
            EXPECT_EQ(cur().lnptr, line(c.foundline)) << c.pattern;
        }
    }
}

TEST(FetchFilter, KeepsOnlyTheRecordsThatPass) {
    fresh();
    ScratchDir scratch;
    std::ofstream("in.txt") << "\\ra|10|\ntext line\n\\rb|60|\n\\rc|90|\n\\rd|5|\n";
    checklines("#2>50\n$#1=b\\d");
    // a 00, b 11, c 10, d 01; the text line is never kept
    runkeys("\x03" "FEin.txt|1|200000|1x\r\r");
    EXPECT_EQ(coretext(1), "b|60|\nc|90|");
    EXPECT_EQ(cur().lncount, 2);
    EXPECT_EQ(storeproblems(), "");
    runkeys("\x03" "APin.txt|1|200000|x1\r" "INin.txt|4|5|0x\r\r");
    EXPECT_EQ(coretext(1), "b|60|\nd|5|\nc|90|\nb|60|\nd|5|");
    runkeys("\x03" "FEin.txt|1|200000|1xx\r\r");
    EXPECT_EQ(coretext(1), "") << "nothing passes: one empty line";
    EXPECT_EQ(cur().lncount, 1);
    EXPECT_EQ(storeproblems(), "");
}

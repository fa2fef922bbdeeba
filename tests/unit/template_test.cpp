// The record template: the default layout, field definitions, directives in braces, and
// malformed templates that stop the parse.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "editor/build.h"
#include "editor/getparam.h"
#include "editor/terminal_xq.h"
#include "tests/unit/harness.h"

using namespace zek;
using zektest::fresh;
using zektest::takesequences;
using Seqs = std::vector<std::string>;

namespace {

// Installs `text` as the record template (ended by the byte 4) and parses it.
int parse(const std::string& text, int wron = 0) {
    free(tempbufptr);
    tempbufptr = static_cast<char*>(malloc(text.size() + 2));
    memcpy(tempbufptr, text.data(), text.size());
    tempbufptr[text.size()] = 4;
    tempbufptr[text.size() + 1] = 0;
    return writetemplate(wron);
}

std::string field(int n) {
    return std::to_string(frow[n]) + "," + std::to_string(fcol[n]) + "," +
           std::to_string(maxfieldlen[n]) + "," + ftype[n];
}

}  // namespace

TEST(Template, DefaultsPlaceSixFieldsARow) {
    fresh();
    EXPECT_EQ(writetemplate(0), 0);
    EXPECT_EQ(numfields, 10);
    EXPECT_EQ(field(1), "3,2,5,c");
    EXPECT_EQ(field(6), "3,42,5,c");
    EXPECT_EQ(field(7), "4,2,5,c");
    EXPECT_EQ(field(100), "19,26,5,c");
}

TEST(Template, FieldRightAfterItsLabel) {
    fresh();
    takesequences();
    EXPECT_EQ(parse("Name: #1/20/c", 1), 0);
    EXPECT_EQ(field(1), "3,8,20,c");
    EXPECT_EQ(numfields, 1);
    EXPECT_EQ(field(2), "3,10,5,c") << "fields the template leaves out keep the defaults";
    EXPECT_EQ(takesequences(), (Seqs{"$p3,2", "$cN", "$ca", "$cm", "$ce", "$c:", "$c "}));
}

TEST(Template, DirectivesAndLineEndsMoveThePosition) {
    fresh();
    takesequences();
    EXPECT_EQ(parse("{r5, c10}#2/3/j\r#3 {c500}#4{r99}#5//b", 1), 0);
    EXPECT_EQ(field(2), "7,11,3,j");
    EXPECT_EQ(field(3), "8,2,5,c");
    EXPECT_EQ(field(4), "8,79,5,c") << "the column stops at the screen width";
    EXPECT_EQ(field(5), "21,79,5,b") << "the row stops one above the last text row";
    EXPECT_EQ(numfields, 5);
    Seqs s = takesequences();
    EXPECT_EQ(s, (Seqs{"$p3,2", "$p7,2", "$p7,11", "$p8,2", "$c ", "$p8,79", "$p21,79"}));
}

TEST(Template, TextAndByteZero) {
    fresh();
    EXPECT_EQ(parse(std::string("ab\0cd#1", 7)), 0);
    EXPECT_EQ(fcol[1], 6) << "byte 0 takes no column";
    EXPECT_EQ(parse(std::string(100, 'x') + "#1"), 0);
    EXPECT_EQ(fcol[1], swidth + 1);
}

TEST(Template, FieldNumbersAboveTheTableAreIgnored) {
    fresh();
    EXPECT_EQ(parse("#150/3 #2/7"), 0);
    EXPECT_EQ(numfields, 2);
    EXPECT_EQ(maxfieldlen[2], 7);
}

TEST(Template, ErrorsStopTheParseAndEarlierFieldsStay) {
    const char* const bad[] = {"#1/4/j x } #2", "#1/4/j {q} #2", "#1/4/j #x #2", "#1/4/j #5/3/z #2"};
    for (const char* t : bad) {
        fresh();
        EXPECT_EQ(parse(t), 1) << t;
        EXPECT_EQ(field(1), "3,2,4,j") << t;
        EXPECT_EQ(numfields, 1) << t;
        EXPECT_EQ(field(2), "3,10,5,c") << t;
    }
}

TEST(Template, TheParsedTemplateDrivesNewRecords) {
    fresh();
    parse("#1 #2 #3");
    param[1] = 1;
    objset();
    EXPECT_EQ(zektest::linetext(1, 1), "|||");
}

// The control notation in braces: typed into string parameters, stored in translated buffers
// only, and shown again with runs of codes grouped in one pair of braces.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "editor/commands.h"
#include "editor/getparam.h"
#include "editor/scan.h"
#include "editor/scrin.h"
#include "editor/sysutils.h"
#include "tests/unit/harness.h"

using namespace zek;
using zektest::fresh;

namespace {

const struct {
    char shown;
    int code;
} SPECIALS[] = {
    {'!', 124}, {'$', 254}, {'%', 247}, {'&', 214}, {'(', 123}, {')', 125}, {'-', 217}, {'.', 246},
    {'/', 127}, {':', 245}, {'<', 251}, {'=', 211}, {'>', 252}, {'?', 241}, {'^', 253}, {'`', 126},
};

void enter(const char* name, const std::string& keys) {
    zektest::setkeys(keys);
    for (int i = 0; i < NUMCOMMANDS; i++) {
        if (strcmp(commands[i].name, name) == 0) cmdptr = i;
    }
    getparam();
}

std::string shown(const std::string& stored, int size = 100) {
    char out[100];
    untransstring(stored.c_str(), out, size);
    return out;
}

}  // namespace

TEST(ControlNotation, BracesSelectTheSpecialAndControlCodes) {
    fresh();
    resettrans();
    char out = 0;
    EXPECT_EQ(transchar('!', &out), 1);
    EXPECT_EQ(out, '!') << "outside braces characters are kept";
    EXPECT_EQ(transchar('{', &out), 0);
    for (const auto& s : SPECIALS) {
        ASSERT_EQ(transchar(s.shown, &out), 1);
        EXPECT_EQ(static_cast<unsigned char>(out), s.code) << s.shown;
    }
    transchar('M', &out);
    EXPECT_EQ(out, 13);
    transchar('c', &out);
    EXPECT_EQ(out, 3);
    EXPECT_EQ(transchar('@', &out), 0) << "a code 0 would end the string";
    EXPECT_EQ(transchar('}', &out), 0);
    transchar('M', &out);
    EXPECT_EQ(out, 'M');
}

TEST(ControlNotation, OnlyTranslatedBuffersTakeTheCodes) {
    fresh();
    enter("CHANGE", "{!}{M}a|{!}{M}a\r");
    EXPECT_STREQ(scanpattern, "|\ra");
    EXPECT_STREQ(targetstring, "{!}{M}a");
    enter("FUNCTION", "4|{C}x\r");
    EXPECT_STREQ(fn[4], "\x03x");
    enter("CDIRECTORY", "{M}\r");
    EXPECT_STREQ(sysstring, "{M}");
    intran['{'] = intran['}'] = OP_NAME;  // let a file name take braces
    enter("NAME", "{M}\r");
    EXPECT_STREQ(curfile, "{M}");
}

TEST(ControlNotation, EveryParameterStartsOutsideBraces) {
    fresh();
    enter("SCANSET", "0|{M\r");
    EXPECT_STREQ(scanpattern, "\r");
    enter("SCANSET", "0|M\r");
    EXPECT_STREQ(scanpattern, "M");
}

TEST(ControlNotation, ShownFormGroupsRunsOfCodes) {
    fresh();
    std::string all;
    std::string expect = "{";
    for (const auto& s : SPECIALS) {
        all += static_cast<char>(s.code);
        expect += s.shown;
    }
    EXPECT_EQ(shown(all + "x"), expect + "}x");
    EXPECT_EQ(shown("\x01\x0d\x1f" "ab\x0d"), "{AM_}ab{M}");
    EXPECT_EQ(shown("plain"), "plain");
    char out[4];
    EXPECT_EQ(untranschar(0, out), 0);
}

TEST(ControlNotation, ShownFormIsCutWithoutAStrayBrace) {
    fresh();
    EXPECT_EQ(shown("ab|", 4), "ab");
    EXPECT_EQ(shown("ab||", 6), "ab{!}");
    EXPECT_EQ(shown("a|b", 5), "a{!}");
}

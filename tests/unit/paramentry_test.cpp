// The command line: two-letter command names, parameter entry under each kind's template,
// the bar and delete keys, defaults, "*" parameters and the command flags.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor/check.h"
#include "editor/commands.h"
#include "editor/corutils.h"
#include "editor/editor.h"
#include "editor/float.h"
#include "editor/getparam.h"
#include "editor/prcmnd.h"
#include "editor/scan.h"
#include "editor/scrin.h"
#include "editor/termutils_xq.h"
#include "tests/unit/harness.h"

using namespace zek;
using zektest::fresh;
using zektest::line;
using zektest::runkeys;
using zektest::settext;
using zektest::takesequences;

namespace {

int command(const char* name) {
    for (int i = 0; i < NUMCOMMANDS; i++) {
        if (strcmp(commands[i].name, name) == 0) return i;
    }
    return -1;
}

// Enters the parameters of command `name` from `keys`; returns the parameter line with its
// defaults, or "<aborted>".
std::string enter(const char* name, const std::string& keys) {
    zektest::setkeys(keys);
    cmdptr = command(name);
    getparam();
    if (del == 2) return "<aborted>";
    return std::string(pstring + 1, static_cast<size_t>(sptr - 1));
}

// What the command line showed: echoed characters, "<" for a rub-out, "[word]" for a prompt word.
std::string shown() {
    std::string s;
    for (const std::string& q : takesequences()) {
        if (q.rfind("$Cc", 0) == 0) {
            s += q.substr(3);
        } else if (q == "$Cb") {
            s += "<";
        } else if (q.rfind("$mm", 0) == 0) {
            std::string word = q.substr(3);
            s += "[" + word.substr(0, word.find_last_not_of(' ') + 1) + "]";
        }
    }
    return s;
}

bool sent(const std::vector<std::string>& seqs, const std::string& seq) {
    for (const std::string& s : seqs) {
        if (s == seq) return true;
    }
    return false;
}

}  // namespace

TEST(CommandName, LettersArriveAsCapitalsAndTheNameIsCompleted) {
    fresh("sa");
    transb = 0;
    EXPECT_EQ(getcmnd(), command("SAVE"));
    EXPECT_EQ(shown(), "[Command]SAVE ");
    EXPECT_EQ(transb, 0) << "the letter translation is restored";
}

TEST(CommandName, DeleteAfterTheFirstLetterStartsOverAndOtherKeysAreIgnored) {
    fresh("!\bx\r\bfe");
    EXPECT_EQ(getcmnd(), command("FETCH"));
    EXPECT_EQ(shown(), "[Command]X<FETCH ");
}

TEST(CommandName, ReturnLeavesAndUnknownLettersAreRefused) {
    fresh("\r");
    EXPECT_EQ(getcmnd(), -1);
    fresh("qq\r");
    static int bells;
    bells = 0;
    bellwatch = [] { bells++; };
    EXPECT_EQ(getcmnd(), -2);
    bellwatch = nullptr;
    EXPECT_EQ(bells, 1);
    EXPECT_TRUE(sent(takesequences(), "$meInvalid Command Request"));
    fresh();
    runkeys("\x03qq\r\r");
    std::vector<std::string> seqs = takesequences();
    EXPECT_TRUE(sent(seqs, "$meInvalid Command Request"));
    EXPECT_TRUE(sent(seqs, "$mmTyping  ")) << "leaving the command line shows the mode again";
    EXPECT_EQ(mode, 1);
}

TEST(ParameterEntry, EachKindAcceptsOnlyItsCharacters) {
    const struct {
        const char* cmd;
        const char* keys;
        const char* line;
    } cases[] = {
        {"SCANSET", "8a76\r", "7||"},             // d7: above the limit, a letter, a second digit
        {"EXPRESSION", "a -*9!{\r", "a -*9!{|"},  // c: anything
        {"BEGIN", "a1-*!\r", "|"},                // e: only RETURN
        {"NAME", "a*b c!-1./_\r", "abc-1./_|"},   // f: no blanks or punctuation, "*" only first
        {"NAME", "*a-*\r", "*|"},                 // f: nothing after a "*"
        {"EMIT", "3|*5|1*2-\r", "3|*|12||"},      // i, then g: "*" first only, no "-"
        {"POSITION", "5-*|-3-*\r", "5|-3|"},      // h, j: "-" first only, no "*" in j
        {"POSITION", "*5\r", "*||"},              // h: nothing after a "*"
        {"KEY", "-*1!2|7\r", "12|7|"},            // i: digits only
        {"DIRECTORY", "1-b c\r", "b|"},           // k: one letter
    };
    for (const auto& c : cases) {
        fresh();
        EXPECT_EQ(enter(c.cmd, c.keys), c.line) << c.cmd << " " << c.keys;
    }
}

TEST(ParameterEntry, BarMovesToTheNextParameterAndDeleteComesBack) {
    fresh();
    takesequences();
    EXPECT_EQ(enter("SCANSET", "3|ab\b\b\bx|y|z\r"), "3|yz|");
    EXPECT_EQ(shown(), "[Digit]3|[String]ab<<<[Digit]|[String]yz")
        << "x is refused back in the digit; a bar after the last parameter is dropped";
    fresh();
    EXPECT_EQ(enter("NAME", "a|b\r"), "ab|") << "a bar never becomes part of a parameter";
}

TEST(ParameterEntry, DeleteOnAnEmptyLineAbortsTheCommand) {
    fresh();
    EXPECT_EQ(enter("SCANSET", "\b"), "<aborted>");
    EXPECT_EQ(enter("SCANSET", "3\b\b"), "<aborted>");
    vl_result[0] = 5;
    runkeys("\x03" "BE\r\r");
    EXPECT_EQ(vl_result[0], 1);
    runkeys("\x03" "SA\b\r");
    EXPECT_EQ(vl_result[0], 0);
    vl_result[0] = 7;
    runkeys("\x03" "AS\b\r");
    EXPECT_EQ(vl_result[0], 7) << "a command with flag R leaves the register alone";
}

TEST(ParameterEntry, TheLineHoldsAtMost48CharactersAndBuffersAreCut) {
    const std::string sixty(60, 'a');
    fresh();
    takesequences();
    EXPECT_EQ(enter("EXPRESSION", sixty + "\r"), std::string(48, 'a') + "|");
    EXPECT_EQ(strlen(expression), 48u);
    EXPECT_EQ(shown(), "[String]" + std::string(48, 'a'));
    fresh();
    enter("SCANSET", "1|" + sixty + "\r");
    EXPECT_EQ(std::string(scanpattern), std::string(46, 'a')) << "the bar counts on the line";
    fresh();
    runkeys("\x03" "NA" + sixty + "\r\r");
    EXPECT_EQ(std::string(cur().filname), std::string(48, 'a'));
    fresh();
    EXPECT_EQ(enter("FETCH", sixty + "\r"), std::string(48, 'a') + "|1|200000||");
}

TEST(ParameterEntry, DefaultsFillUntypedParametersButNotEmptyOnes) {
    fresh();
    strcpy(recboolcheck, "old");
    enter("FETCH", "notes\r");
    EXPECT_STREQ(curfile, "notes");
    EXPECT_EQ(param[2], 1);
    EXPECT_EQ(param[3], 200000);
    EXPECT_STREQ(recboolcheck, "");
    EXPECT_EQ(enter("SORT", "1||\r"), "1|||200000|");
    EXPECT_EQ(param[1], 1);
    EXPECT_EQ(param[2], 0) << "typed empty";
    EXPECT_EQ(param[3], 0) << "typed empty";
    EXPECT_EQ(param[4], 200000);
    enter("SCANSET", "\r");
    EXPECT_EQ(param[1], 0);
    enter("DIRECTORY", "b\r");
    EXPECT_EQ(param[1], 2);
    enter("DIRECTORY", "Z\r");
    EXPECT_EQ(param[1], 26);
    enter("ADVANCE", "-12|-3\r");
    EXPECT_EQ(param[1], -12);
    EXPECT_EQ(param[2], -3);
}

TEST(ParameterEntry, PositionWithOnlyALineKeepsTheColumn) {
    fresh();
    cur().curcol = 5;
    enter("POSITION", "12\r");
    EXPECT_EQ(param[1], 12);
    positchk();
    EXPECT_EQ(param[2], 5);
    enter("POSITION", "12|3\r");
    positchk();
    EXPECT_EQ(param[2], 3);
}

TEST(ParameterEntry, StarMeansTheCorefileNameOrTheStarredLines) {
    fresh();
    settext("1\n2\n3\n4\n5\n6\n7\n8");
    strcpy(cur().filname, "notes.txt");
    enter("NAME", "*\r");
    EXPECT_STREQ(curfile, "notes.txt");
    enter("EMIT", "1|*|*\r");
    EXPECT_EQ(param[2], 1) << "no stars";
    EXPECT_EQ(param[3], 200000);
    cur().starA = line(7);
    cur().starB = line(3);
    enter("EMIT", "1|*|*\r");
    EXPECT_EQ(param[2], 3);
    EXPECT_EQ(param[3], 7);
    cur().starB = nullptr;
    enter("EMIT", "1|*|*\r");
    EXPECT_EQ(param[2], 7);
    EXPECT_EQ(param[3], 7);
}

TEST(CommandFlags, FullStoreRefusesFlagFCommandsOnly) {
    fresh();
    full = 1;
    runkeys("\x03" "AP\r\r");
    std::vector<std::string> seqs = takesequences();
    EXPECT_TRUE(sent(seqs, "$mefiles full; command ignored"));
    EXPECT_FALSE(sent(seqs, "$mmFilename")) << "no parameters are read";
    runkeys("\x03" "NAx\r\r");
    EXPECT_STREQ(cur().filname, "x") << "NAME has no flag F";
    full = 0;
}

TEST(CommandFlags, UnsavedWarningComesBeforeTheParameters) {
    fresh();
    cur().edited = 1;
    runkeys("\x03" "FE\b\r");
    std::vector<std::string> seqs = takesequences();
    auto at = [&](const std::string& s) {
        for (size_t i = 0; i < seqs.size(); i++) {
            if (seqs[i] == s) return static_cast<int>(i);
        }
        return -1;
    };
    ASSERT_GE(at("$mhWarning: corefile not saved"), 0);
    EXPECT_LT(at("$mhWarning: corefile not saved"), at("$mmFilename"));
    cur().edited = 0;
    runkeys("\x03" "FE\b\r");
    EXPECT_FALSE(sent(takesequences(), "$mhWarning: corefile not saved"));
    cur().edited = 1;
    runkeys("\x03" "SA\b\r");
    EXPECT_FALSE(sent(takesequences(), "$mhWarning: corefile not saved")) << "SAVE has no flag W";
}

TEST(CommandFlags, NameFlagRedrawsTheFileName) {
    fresh();
    runkeys("\x03" "NAx.txt\r\r");
    EXPECT_TRUE(sent(takesequences(), "$mnx.txt"));
}

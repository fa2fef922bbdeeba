// Syntax files: the compiled notation of each construct, every reader error (the bad rule is
// dropped, the next one compiles), the rule stack across files, and listing the rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "genra/input_base.h"
#include "genra/syn_globals.h"
#include "genra/syn_misc.h"
#include "genra/syn_read.h"
#include "genra/uninstall.h"
#include "tests/unit/genrakit.h"

using namespace zek;
using namespace zektest;
using Lines = std::vector<std::string>;

namespace {

class Syntax : public ::testing::Test {
   protected:
    void SetUp() override {
        fresh();
        loadgrammar("cat ( noun, verb ) number ( sing, plur ) role ( subj, obj )", "N V X Y Z", "");
    }
    ScratchDir scratch;
};

// Reads `text` as a syntax file; returns the error lines.
Lines readrules(const std::string& text) {
    writefile("s.syn", text);
    read_syntax("s.syn");
    Lines errors;
    for (const std::string& line : report()) {
        if (line.rfind("Finished reading", 0) != 0) errors.push_back(line);
    }
    return errors;
}

std::string rule(const char* name) {
    const char* text = getrule(name);
    return text != nullptr ? text : "<none>";
}

std::string b(int code) { return std::string(1, static_cast<char>(code)); }

}  // namespace

TEST_F(Syntax, EachConstructCompiles) {
    EXPECT_EQ(readrules("NP = (X N | N) %\n"
                        "A = INHERIT a, c : number , d : role ; X [ noun, a ] CHOOSE e : cat ; Y [ e.d ] %\n"
                        "B = < noun , ( sing | plur ) : X > Y %\n"
                        "C = < _is_ sing _pre_ subj | _in_ obj : X %\n"
                        "D = X [ noun / sing ] / 5 = a , \"b*\" / \"w*\" / $ 3 / + 7 / @ 9 : young [ ! ] / _pre_ subj Y %\n"
                        "E = t1 : t2 : X %\n"
                        "F = SELECT v : _pre_ subj ; SELECT w : noun _pre_ obj ; X [ v , w ] %\n"
                        "PRESELECT = subj : N [ noun ] ; obj %\n"
                        "T = TRANSFORMATION PRIORITY 3 X [ noun ] * : Y [ - noun , 2 ! sing ] Z ; X : Y %\n"),
              Lines{});
    EXPECT_EQ(rule("NP"), b(7) + "(" + b(2) + "| X N| N)");
    EXPECT_EQ(rule("A"), b(7) + b(5) + b(1) + "number" + b(5) + b(2) + "number" + b(5) + b(3) + "role X[noun," + b(255) +
                             b(1) + "]" + b(6) + b(4) + "cat Y[" + b(255) + b(4) + "." + b(255) + b(3) + "]");
    EXPECT_EQ(rule("B"), "<noun,(sing|plur):" + b(7) + " X>" + b(7) + " Y");
    EXPECT_EQ(rule("C"), "<" + b(17) + "sing" + b(14) + "subj|" + b(14) + "obj:" + b(7) + " X");
    EXPECT_EQ(rule("D"), b(7) + " X[noun/sing]/" + b(5) + "=a,\"b*\"\"w*\"" + b(19) + "-3" + b(19) + "7@" + b(9) +
                             ":young[!]" + b(14) + "subj Y");
    EXPECT_EQ(rule("E"), b(7) + " X" + b(8) + "t1" + b(8) + "t2");
    EXPECT_EQ(rule("F"), b(7) + b(16) + b(1) + b(14) + "subj" + b(16) + b(2) + "noun" + b(14) + "obj X[" + b(255) + b(1) + "," +
                             b(255) + b(2) + "]");
    EXPECT_EQ(rule("PRESELECT"), "subj: N[noun];obj");
    transformation* t = findtransformation("T");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->priority, 3);
    ASSERT_EQ(t->first.size(), 2u);
    EXPECT_EQ(t->first[0].guard, " X[noun] *");
    EXPECT_EQ(t->first[0].rule, b(7) + " Y[-noun,!" + b(2) + "sing] Z");
    EXPECT_EQ(t->first[1].rule, b(7) + " Y");
    EXPECT_NE(findtransformation("FLATTEN"), nullptr);
}

namespace {

// A choice's inside: n alternatives.
std::string alternatives(int n) {
    std::string s = " X";
    for (int i = 1; i < n; i++) s += " | X";
    return s + " ";
}

}  // namespace

TEST_F(Syntax, ErrorsDropTheRuleAndReadingGoesOn) {
    std::string vars = "V = CHOOSE";
    for (int i = 1; i <= 26; i++) vars += (i > 1 ? ", v" : " v") + std::to_string(i);
    const struct {
        std::string rule;
        const char* error;
    } cases[] = {
        {"R X %", "ERROR Syntax Input R Rule name must be followed by =.   "},
        {"( %", "ERROR Syntax Input  Encountered  char '('  instead of rule name."},
        {"R = X [ zz ] %", "ERROR Syntax Input R Unknown attribute zz "},
        {vars + " : number ; X %", "ERROR Syntax Input V Too many variables active.  v26 "},
        {"R = " + std::string(20, '(') + " X " + std::string(20, ')') + " %", "ERROR Syntax Input R Choices Nested too deep.   "},
        {"R = X | Y %", "ERROR Syntax Input R | appears outside parentheses  "},
        {"R = (" + alternatives(300) + ") %", "ERROR Syntax Input R More than 255 alternatives in one choice.   "},
        {"R = X ) %", "ERROR Syntax Input R Unmatched )  "},
        {"R = ( X %", "ERROR Syntax Input R There are unmatched ('s  "},
        {"R = X = %", "ERROR Syntax Input R Improper token:  char '=' "},
        {"R = X / a = b %", "ERROR Syntax Input R Missing field number in restriction.  "},
        {"R = X / 5 b %", "ERROR Syntax Input R Expecting equals ['='].  "},
        {"R = X / 5 = , b %", "ERROR Syntax Input R Spurious comma in restriction.  "},
        {"R = X / + a %", "ERROR Syntax Input R Improper token follows + or $:  identifier: a "},
        {"R = X / @ : t %", "ERROR Syntax Input R Missing field number in indirection.  "},
        {"R = X / @ 9 : ( %", "ERROR Syntax Input R Expecting tag name.  "},
        {"R = X / ; %", "ERROR Syntax Input R Improper token follows / :  char ';' "},
        {"R = X [ ! ] %", "ERROR Syntax Input R ! not permitted in this context.  "},
        {"R = X [ - noun ] %", "ERROR Syntax Input R MINUS not permitted in this context.  "},
        {"R = t : ( %", "ERROR Syntax Input R Colon followed by  char '(' "},
        {"R = < noun ; X %", "ERROR Syntax Input R Encountered  char ';'  instead of colon."},
        {"R = X [ noun. ] %", "ERROR Syntax Input R Missing compound attribute.  "},
        {"R = X [ .noun ] %", "ERROR Syntax Input R Unexpected  char '.'  in attribute"},
        {"R = X [ noun sing ] %", "ERROR Syntax Input R Unexpected identifier:  sing  in attribute"},
        {"R = TRANSFORMATION PRIORITY x X : Y %", "ERROR Syntax Input R Expecting Transformation Priority.  "},
        {"R = TRANSFORMATION X ; Y %", "ERROR Syntax Input R Expecting Colon.  "},
    };
    for (const auto& c : cases) {
        Lines errors = readrules(c.rule + "\nGOOD = X %\n");
        ASSERT_FALSE(errors.empty()) << c.rule;
        EXPECT_EQ(errors.front(), c.error) << c.rule;
        EXPECT_EQ(rule("GOOD"), b(7) + " X") << c.rule;
        EXPECT_EQ(rule("R"), "<none>") << c.rule;
        dump_syntax();
    }
    // The limit of one choice is said once; 255 alternatives are accepted.
    EXPECT_EQ(readrules("R = (" + alternatives(300) + ") %\n").size(), 1u);
    EXPECT_TRUE(readrules("R = (" + alternatives(255) + ") %\n").empty());
    EXPECT_NE(rule("R"), "<none>");
    dump_syntax();
    std::string longer = "L = ";
    for (int i = 0; i < 1700; i++) longer += " N [ noun ]";
    EXPECT_EQ(readrules(longer + " %"), (Lines{"ERROR Syntax Input L Rule too long.   "}));
    longer = "L = ";
    for (int clause = 0; clause < 5; clause++) {
        longer += " < noun :";
        for (int i = 0; i < 300; i++) longer += " N [ noun ]";
    }
    EXPECT_EQ(readrules(longer + " %"), (Lines{"* WARNING *  Rule ignored:  L"})) << "clauses fit, the rule does not";
}

TEST_F(Syntax, LaterFilesOverrideAndAreRemovedDownToTheirBarrier) {
    readrules("S = X %\nT = X %\n");
    EXPECT_EQ(q_stat, 0);
    readrules("ROOT = S %\nS = Y %\n");
    EXPECT_EQ(q_stat, 2);
    EXPECT_EQ(rule("S"), b(7) + " Y");
    dump_syntax();
    EXPECT_EQ(rule("S"), b(7) + " X");
    EXPECT_EQ(rule("ROOT"), "<none>");
    print_cf();
    print_transf();
    EXPECT_EQ(report(), (Lines{"T", " rule: " + b(7) + " X: ", "S", " rule: " + b(7) + " X: "}))
        << "barriers and built-ins are not listed";
    dump_syntax();
    EXPECT_EQ(rule("T"), "<none>");
    EXPECT_NE(findtransformation("FLATTEN"), nullptr) << "the built-in stays";
}

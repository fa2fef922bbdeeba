// The expression evaluator and the register: every operator, priority and number form, the
// syntax errors and stack limits, overflow, the register keys, and EVALUATE.
#include <gtest/gtest.h>

#include <cfloat>
#include <algorithm>
#include <climits>
#include <cmath>
#include <csignal>
#include <string>
#include <vector>

#include "editor/build.h"
#include "editor/compute.h"
#include "editor/display.h"
#include "editor/corutils.h"
#include "editor/float.h"
#include "editor/scrin.h"
#include "editor/terminal_xq.h"
#include "tests/unit/editkeys.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;

namespace {

constexpr int OK = 0, SYNTAX = 1, OVERFLOW_ = 2;

// Evaluates `text`; returns the error code, and the value in `value` on success. The stacks
// must be back at rest afterwards and the register untouched.
int eval(const std::string& text, double& value, int* used = nullptr) {
    reg() = 42;
    int n = dijkstra(text.data(), static_cast<int>(text.size()));
    if (used != nullptr) *used = n;
    int error = fperror;
    value = error == 0 ? popfp() : NAN;
    EXPECT_EQ(ni, oldindex) << text;
    EXPECT_EQ(opindex, 0) << text;
    EXPECT_EQ(reg(), 42) << text;
    fperror = 0;
    return error;
}

std::string nested(int depth) { return std::string(depth, '(') + "1" + std::string(depth, ')'); }

}  // namespace

TEST(Evaluator, OperatorsPrioritiesAndNumberForms) {
    fresh();
    const struct { std::string text; double value; } cases[] = {
        // arithmetic, priorities, left association, unary operators
        {"2+3*4", 14}, {"(2+3)*4", 20}, {"2*-3", -6}, {"--2", 2}, {"-2*3", -6}, {"+5", 5},
        {"10-4-3", 3}, {"8/4/2", 1}, {"2*3+4*5", 26}, {"-(2+1)", -3}, {"((7))", 7},
        // comparisons and the tolerant logic
        {"1<2", 1}, {"2<1", 0}, {"3>2", 1}, {"2>3", 0}, {"3=3.00000001", 1}, {"3=3.1", 0},
        {"0=0", 1}, {"1+1=2", 1}, {"1&0", 0}, {"2&3", 1}, {"-1&-1", 1}, {"0!1", 1}, {"0!0", 0},
        {"0&1!1", 1}, {"1<2&2<3", 1},
        // numbers: nine significant digits, exponent mark, single precision
        {"1.5'3", 1500}, {"'2", 100}, {".25", 0.25}, {"2'-1", 0.2f}, {"2'+3", 2000}, {"1.", 1},
        {".", 0}, {"0.000123", 0.000123f}, {"12345678901", 12345678848.0}, {"16777217", 16777216},
        {"1234567890.5", 1234567936.0}, {"0." + std::string(50, '0') + "1", 0},
        // the end of an expression: a blank, a letter, a byte above 127
        {"1 + 2", 1}, {"3 apples", 3}, {"  7", 7}, {"3apples", 3}, {"5\xe9", 5}, {"4,5", 4},
        {nested(24), 1},
    };
    for (const auto& c : cases) {
        double v;
        ASSERT_EQ(eval(c.text, v), OK) << c.text;
        EXPECT_DOUBLE_EQ(v, c.value) << c.text;
    }
    double v;
    int used;
    eval("1 + 2", v, &used);
    EXPECT_EQ(used, 2) << "the blank that ends it is used";
    eval("  12", v, &used);
    EXPECT_EQ(used, 4);
    // division by zero is no error
    EXPECT_EQ(eval("1/0", v), OK);
    EXPECT_TRUE(std::isinf(v) && v > 0);
    EXPECT_EQ(eval("-1/0", v), OK);
    EXPECT_TRUE(std::isinf(v) && v < 0);
    EXPECT_EQ(eval("0/0", v), OK);
    EXPECT_TRUE(std::isnan(v));
}

TEST(Evaluator, MalformedAndOverflowingExpressionsChangeNothing) {
    fresh();
    std::string longrun = "1" + std::string(30, '-') + "1";
    std::string big9;
    for (int i = 0; i < 9; i++) big9 += (i ? "*" : "") + std::string("1'38");
    const struct { std::string text; int error; } cases[] = {
        {"", SYNTAX}, {"   ", SYNTAX}, {"(1+2", SYNTAX}, {"1+", SYNTAX}, {")", SYNTAX},
        {"2(3)", SYNTAX}, {"*3", SYNTAX}, {"1.2.3", SYNTAX}, {"#1", SYNTAX}, {"1+#2", SYNTAX},
        {"(1))", SYNTAX}, {"1<", SYNTAX}, {"\xe9", SYNTAX}, {nested(25), SYNTAX},
        {nested(40), SYNTAX}, {longrun, SYNTAX}, {"1(2(3(4(5(6(7(8(9(1(2(3(4(5(6(7(8(9(1(2(3(4(5(6", SYNTAX},
        {"1'50", OVERFLOW_}, {"1" + std::string(49, '0'), OVERFLOW_}, {"1'99999999999", OVERFLOW_},
        {"4'38", OVERFLOW_}, {big9, OVERFLOW_}, {"-" + big9, OVERFLOW_}, {"3'38*3'38*3'38/1", OK},
    };
    for (const auto& c : cases) {
        double v;
        EXPECT_EQ(eval(c.text, v), c.error) << c.text;
    }
}

TEST(Evaluator, AFaultSignalIsRecordedNotFatal) {
    fresh();
    struct sigaction sa = {}, old = {};
    sa.sa_handler = FpHandler;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGFPE, &sa, &old);
    raise(SIGFPE);
    sigaction(SIGFPE, &old, nullptr);
    double v;
    EXPECT_EQ(eval("6*7", v), OK) << "a fault before an evaluation does not spoil it";
    EXPECT_EQ(v, 42);
}

TEST(Registers, KeysCombineTheCursorLineIntoTheRegister) {
    fresh();
    settext("7 apples\n3*4\nabc\n2'300\n1'38\n0");
    takeoutput();
    // ESC # sets, ESC + adds, ESC - subtracts, ESC * multiplies; each shows the register
    runkeys("\x1b#\x1b+" + DOWN + "\x1b-\x1b*");
    EXPECT_EQ(reg(), 24);
    EXPECT_EQ(takeoutput(), "7\r\n14\r\n2\r\n24\r\n");
    // a syntax error and an overflow while reading a number leave it alone
    runkeys(DOWN + "\x1b+" + DOWN + "\x1b#");
    EXPECT_EQ(reg(), 24);
    EXPECT_EQ(takeoutput(), "FP Syntax Error\r\nFP Overflow Error\r\n");
    reg() = 1e300;
    runkeys(DOWN + "\x1b*");
    EXPECT_EQ(reg(), 1e300) << "a product that overflows is refused";
    EXPECT_EQ(takeoutput(), "FP Overflow Error\r\n");
    // ESC % clears without showing; ESC / divides, by zero too
    runkeys(UP + UP + UP + "\x1b%\x1b/");
    EXPECT_EQ(reg(), 0);
    runkeys("\x1b#" + DOWN + DOWN + DOWN + DOWN + "\x1b/");
    EXPECT_TRUE(std::isinf(reg()));
    EXPECT_EQ(takeoutput(), "0\r\n12\r\ninf\r\n");
}

TEST(Registers, IncrementClearShowAndTypeBack) {
    fresh();
    runkeys("\x1b&\x1b&");  // counted twice, shown never
    EXPECT_EQ(takeoutput(), "");
    loopdepth = 1;
    regshow();
    EXPECT_EQ(vl_result[1], 2);
    EXPECT_EQ(redisplay, 11);
    const struct { double reg; int result; } cases[] = {
        {-2.7, -2}, {2.9, 2}, {1e12, INT_MAX}, {-1e12, INT_MIN}, {NAN, 0}, {INFINITY, INT_MAX}};
    for (const auto& c : cases) {
        reg() = c.reg;
        regshow();
        EXPECT_EQ(vl_result[1], c.result) << c.reg;
    }
    // ESC = types the shown text: as text, and into a record field through its type
    const struct { int view; char kind; const char* text; const char* result; } typed[] = {
        {0, 'c', "ab", "a-12.5"}, {1, 'c', "ab|cd|", "-12.5|cd|"}, {1, 'j', "ab|cd|", "125|cd|"}};
    for (const auto& t : typed) {
        fresh();
        if (t.view == 0) {
            settext(t.text);
            cur().curcol = 2;
        } else {
            records(t.text, t.view);
            ftype[1] = t.kind;
        }
        reg() = -12.5;
        regshow();
        display();
        EXPECT_STREQ(fpresult, "-12.5");
        runkeys("\x1b=");
        EXPECT_EQ(linetext(1, 1), t.result) << t.kind;
        EXPECT_EQ(cur().edited, 1);
    }
}

TEST(Evaluate, ShowsTheValueOnTheCommandLineAndWaits) {
    fresh();
    reg() = 5;
    takesequences();
    runkeys("\x03" "EV2+3*4\r" "x\r" "\r");
    std::vector<std::string> seqs = takesequences();
    auto shown = std::find(seqs.begin(), seqs.end(), "$CL = 14");
    ASSERT_NE(shown, seqs.end());
    EXPECT_EQ(std::string(shadow_cmdline, 19), "EVALUATE 2+3*4 = 14") << "a regeneration shows it again";
    EXPECT_EQ(reg(), 5) << "the register is not changed";
    EXPECT_EQ(ni, oldindex);
    EXPECT_EQ(vl_result[0], 1);
    for (const auto& e : std::vector<std::pair<std::string, std::string>>{
             {"1+", "$meSyntax Error"}, {"1'50", "$meOverflow Error"}, {"", "$meSyntax Error"}}) {
        runkeys("\x03" "EV" + e.first + "\r\r\r");
        seqs = takesequences();
        EXPECT_NE(std::find(seqs.begin(), seqs.end(), e.second), seqs.end()) << e.first;
        EXPECT_EQ(fperror, 0);
        EXPECT_EQ(ni, oldindex);
    }
}

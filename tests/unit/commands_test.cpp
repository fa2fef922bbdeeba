// The small commands that live with the command table: CORE, KEY, FONT, WINDOW and ASK.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editor/commands.h"
#include "editor/corutils.h"
#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/scrin.h"
#include "editor/terminal_xq.h"
#include "tests/unit/harness.h"

using namespace zek;
using zektest::fresh;
using zektest::line;
using zektest::settext;
using zektest::takesequences;

namespace {

// The messages shown with diserr since the last call.
std::vector<std::string> errors() {
    std::vector<std::string> e;
    for (const std::string& s : takesequences()) {
        if (s.rfind("$me", 0) == 0) e.push_back(s.substr(3));
    }
    return e;
}

using Texts = std::vector<std::string>;

}  // namespace

TEST(Core, SelectsAnotherCorefileButNeverNineteenOrTheCurrentOne) {
    fresh();
    takesequences();
    for (int n : {19, 25, 1}) {
        param[1] = n;
        coreset();
        EXPECT_EQ(corenum, 1) << n;
    }
    EXPECT_TRUE(takesequences().empty()) << "nothing is redrawn";
    core[2].viewtype = 5;
    redisplay = 0;
    param[1] = 2;
    coreset();
    EXPECT_EQ(corenum, 2);
    EXPECT_EQ(redisplay, 1);
    EXPECT_EQ(cureditmask, editmask[5]);
    std::vector<std::string> seqs = takesequences();
    ASSERT_FALSE(seqs.empty());
    EXPECT_EQ(seqs.front(), "$Tx") << "the text zone is cleared first";
}

TEST(KeyAndFont, AssignmentsUpToTheirLimits) {
    fresh("\r\r\r\r");
    const int key1 = intran[1];
    const int font1 = outtran[1];
    const struct {
        PROCPTR op;
        int a, b;
        bool accepted;
    } cases[] = {
        {inkeyset, 623, 127, true}, {inkeyset, 624, 1, false}, {inkeyset, 1, 128, false},
        {outkeyset, 255, 255, true}, {outkeyset, 256, 1, false}, {outkeyset, 1, 256, false},
    };
    for (const auto& c : cases) {
        param[1] = c.a;
        param[2] = c.b;
        c.op();
        Texts shown = errors();
        if (c.accepted) {
            EXPECT_TRUE(shown.empty()) << c.a << "|" << c.b;
        } else {
            EXPECT_EQ(shown, Texts{c.op == inkeyset ? "Invalid Key Assignment" : "Invalid Font Assignment"})
                << c.a << "|" << c.b;
        }
    }
    EXPECT_EQ(intran[623], 127);
    EXPECT_EQ(outtran[255], 255);
    EXPECT_EQ(intran[1], key1) << "a refused assignment changes nothing";
    EXPECT_EQ(outtran[1], font1);
}

TEST(Window, SetsTheGeometryAndRedrawsOnlyWhenTheSizeChanges) {
    fresh();
    settext("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n17\n18\n19\n20\n21\n22\n23\n24");
    cur().lnptr = line(22);
    cur().disln = line(1);
    visible = 0;
    takesequences();
    param[1] = 30;
    param[2] = 100;
    window();
    EXPECT_EQ(depth, 26);
    EXPECT_EQ(windowend, 27);
    EXPECT_EQ(helpline, 28);
    EXPECT_EQ(cmdline, 29);
    EXPECT_EQ(swidth, 98);
    EXPECT_EQ(rightcol, 98);
    EXPECT_EQ(shiftc, 79);
    EXPECT_EQ(cur().disln, line(1)) << "line 22 lies inside the deeper window";
    std::vector<std::string> seqs = takesequences();
    EXPECT_NE(std::find(seqs.begin(), seqs.end(), "$X"), seqs.end()) << "drawn even while output is off";
    EXPECT_EQ(visible, 0);
    visible = 1;
    window();
    EXPECT_TRUE(takesequences().empty()) << "same size: nothing happens";
    param[1] = 10;
    window();
    EXPECT_EQ(cur().disln, line(22)) << "the cursor line would lie below the window";
}

TEST(Ask, AnswersGoIntoTheCurrentResultRegister) {
    fresh();
    settext("  abc\nsecond\nthird");
    COREFILE& c = cur();
    c.curcol = 4;
    loopdepth = 2;
    vl_result[0] = -1;
    const struct {
        int question, curcol;
        LINE* starA;
        LINE* starB;
        int answer;
    } cases[] = {
        {3, 4, nullptr, nullptr, 1},   {4, 4, nullptr, nullptr, 4},   {5, 4, nullptr, nullptr, 0},
        {5, 4, line(3), line(1), 3},   {5, 4, line(2), nullptr, 1},   {6, 4, nullptr, nullptr, 3},
        {7, 4, nullptr, nullptr, 'b'}, {7, 9, nullptr, nullptr, ' '}, {15, 4, nullptr, nullptr, 1},
        {16, 4, nullptr, nullptr, 3},  {2, 4, nullptr, nullptr, -5},  {20, 4, nullptr, nullptr, -5},
    };
    for (const auto& q : cases) {
        c.curcol = q.curcol;
        c.starA = q.starA;
        c.starB = q.starB;
        vl_result[2] = -5;
        param[1] = q.question;
        ask();
        EXPECT_EQ(vl_result[2], q.answer) << "question " << q.question;
    }
    EXPECT_EQ(vl_result[0], -1);
    loopdepth = 0;
    zektest::runkeys("\x03" "AS16\r\r");
    EXPECT_EQ(vl_result[0], 3) << "ASK keeps its answer in the register";
}

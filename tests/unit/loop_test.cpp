// The editor loop's refusals: the repeat limit, the full store and the view check. Keys are
// counted by putting a counting operation into the key table.
#include <gtest/gtest.h>

#include <string>

#include "editor/corutils.h"
#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "tests/unit/harness.h"

using namespace zek;
using zektest::fresh;
using zektest::runkeys;

namespace {

int calls = 0;
void counter() { calls++; }

const std::string PAGEDOWN = "\x11";  // ^Q, operation 30, repeat limit 3
const std::string CURDOWN = "\x0b";   // ^K, operation 18
const std::string RUBOUT = "\b";      // operation 5

void limitson() {
    param[1] = 4;
    option();
}

}  // namespace

TEST(EditorLoop, RepeatLimitStopsARunOfIdenticalKeys) {
    fresh();
    limitson();
    ASSERT_EQ(repflag, 0);
    calls = 0;
    edittable[30].operatn[0] = counter;
    runkeys(PAGEDOWN + PAGEDOWN + PAGEDOWN + PAGEDOWN + PAGEDOWN);
    EXPECT_EQ(calls, 3);
    runkeys("a" + PAGEDOWN + PAGEDOWN);
    EXPECT_EQ(calls, 5) << "another key ends the run";
}

TEST(EditorLoop, RepeatLimitOffByDefault) {
    fresh();
    calls = 0;
    edittable[30].operatn[0] = counter;
    runkeys(PAGEDOWN + PAGEDOWN + PAGEDOWN + PAGEDOWN + PAGEDOWN);
    EXPECT_EQ(calls, 5);
}

TEST(EditorLoop, EveryFreshStateStartsANewRun) {
    fresh();
    limitson();
    edittable[30].operatn[0] = counter;
    runkeys(PAGEDOWN + PAGEDOWN);
    fresh();
    limitson();
    calls = 0;
    edittable[30].operatn[0] = counter;
    runkeys(PAGEDOWN + PAGEDOWN + PAGEDOWN);
    EXPECT_EQ(calls, 3);
}

TEST(EditorLoop, FullStoreRefusesTypingButNotRubout) {
    fresh();
    full = 1;
    calls = 0;
    edittable[5].operatn[0] = counter;
    runkeys("ab" + RUBOUT);
    EXPECT_EQ(zektest::linetext(1, 1), "");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(full, 1);
    EXPECT_EQ(cur().edited, 1) << "the rubout ran and marked the corefile";
    full = 0;
    runkeys("c");
    EXPECT_EQ(zektest::linetext(1, 1), "c");
}

TEST(EditorLoop, ViewMismatchDropsTypingButAllowsCursorDown) {
    fresh();
    zektest::settext("text\nmore");
    COREFILE& c = cur();
    c.viewtype = 1;
    cureditmask = editmask[1];
    calls = 0;
    edittable[18].operatn[1] = counter;
    zektest::takeoutput();
    runkeys("x" + CURDOWN);
    EXPECT_EQ(zektest::coretext(1), "text\nmore");
    EXPECT_EQ(c.edited, 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(zektest::output().find("x\r\n"), std::string::npos) << "no echo of the dropped key";
}

TEST(EditorLoop, CursorDownIsRefusedOnATextLineInTheTemplateView) {
    fresh();
    zektest::settext("text");
    cur().viewtype = 2;
    cureditmask = editmask[2];
    calls = 0;
    edittable[18].operatn[2] = counter;
    runkeys(CURDOWN);
    EXPECT_EQ(calls, 0);
}

TEST(EditorLoop, LineNumberFollowsOperationsThatMoveBetweenLines) {
    fresh();
    zektest::settext("a\nb\nc");
    edittable[18].operatn[0] = [] { cur().lnptr = cur().lnptr->down; };
    runkeys(CURDOWN + CURDOWN);
    EXPECT_EQ(cur().curline, 3);
}

TEST(EditorLoop, CollectsWhenTheStoreNearsItsLimit) {
    fresh();
    zektest::settext("abc  ");
    hiaddr = 2;
    runkeys("x");
    EXPECT_EQ(full, 1) << "the follow-up collected and found the store full";
    EXPECT_EQ(zektest::coretext(1), "xbc");
    hiaddr = HIADDR;
}

// The text pointer: the corefile read as one stream, stepping across lines and off either
// end, and making the pointer the cursor with the window rules.
#include <gtest/gtest.h>

#include <string>

#include "editor/corutils.h"
#include "editor/terminal_xq.h"
#include "editor/utilptr.h"
#include "tests/unit/harness.h"

using namespace zek;
using zektest::fresh;
using zektest::line;
using zektest::settext;

namespace {

// The stream from the pointer on, up to and including the first end-of-corefile code.
std::string stream() {
    std::string s;
    for (int guard = 0; guard < 1000; guard++) {
        int c = peepc();
        if (c == ENDCORE) return s + "$";
        s += c == LINEEND ? '|' : static_cast<char>(c);
        nextc();
    }
    return s + "?";
}

void numberedlines(int count) {
    std::string text;
    for (int i = 1; i <= count; i++) text += (i > 1 ? "\n" : "") + std::to_string(i);
    settext(text);
}

}  // namespace

TEST(TextPointer, EmptyCorefileYieldsLineEndThenEndOfCorefile) {
    fresh();
    setptr();
    EXPECT_EQ(peepc(), LINEEND);
    nextc();
    EXPECT_EQ(peepc(), ENDCORE);
    EXPECT_EQ(dist, 1);
    nextc();
    nextc();
    EXPECT_EQ(lp, cur().header);
    EXPECT_EQ(dist, 1) << "the header is a dead end";
}

TEST(TextPointer, StreamRunsAcrossLines) {
    fresh();
    settext("ab\n\ncd");
    setptr();
    EXPECT_EQ(stream(), "ab||cd|$");
    EXPECT_EQ(dist, 3);
}

TEST(TextPointer, CursorBeyondTheLineEndStartsAtTheLineEnd) {
    fresh();
    settext("hello\nx");
    cur().curcol = 30;
    setptr();
    EXPECT_EQ(cp, 6);
    EXPECT_EQ(peepc(), LINEEND);
    nextc();
    EXPECT_EQ(peepc(), 'x');
}

TEST(TextPointer, PrevcStepsBackOntoTheLineEndAndOffTheTop) {
    fresh();
    settext("abc\nde");
    COREFILE& c = cur();
    c.lnptr = line(2);
    c.curcol = 1;
    setptr();
    prevc();
    EXPECT_EQ(lp, line(1));
    EXPECT_EQ(cp, 4);
    EXPECT_EQ(dist, -1);
    EXPECT_EQ(peepc(), LINEEND);
    prevc();
    EXPECT_EQ(peepc(), 'c');
    c.lnptr = line(1);
    c.curcol = 1;
    setptr();
    prevc();
    EXPECT_EQ(peepc(), ENDCORE);
    EXPECT_EQ(dist, -1);
    prevc();
    EXPECT_EQ(lp, c.header);
    EXPECT_EQ(dist, -1) << "the pointer cannot leave the header backwards";
}

TEST(TextPointer, HighCharactersComeBackSigned) {
    fresh();
    settext(std::string("a") + static_cast<char>(233));
    cur().curcol = 2;
    setptr();
    EXPECT_EQ(peepc(), -23);
    EXPECT_EQ(peepc() & 255, 233);
}

TEST(TextPointer, SetcurKeepsTheWindowWhileTheLineIsVisible) {
    fresh();
    numberedlines(30);
    ASSERT_EQ(depth, 20);
    setptr();
    for (int i = 0; i < 4 * 2; i++) nextc();  // four lines down, each "n" plus its line end
    redisplay = 0;
    setcur();
    EXPECT_EQ(cur().lnptr, line(5));
    EXPECT_EQ(cur().curcol, 1);
    EXPECT_EQ(cur().disln, line(1));
    EXPECT_EQ(redisplay, 0);
}

TEST(TextPointer, SetcurBelowTheWindowMakesTheLineTheTop) {
    fresh();
    numberedlines(30);
    setptr();
    while (lp != line(23)) nextc();  // row 22: three rows below the last window row
    setcur();
    EXPECT_EQ(cur().lnptr, line(23));
    EXPECT_EQ(cur().disln, line(23));
    EXPECT_EQ(redisplay, 1);
}

TEST(TextPointer, SetcurAboveTheWindowMakesTheLineTheTop) {
    fresh();
    numberedlines(30);
    COREFILE& c = cur();
    c.lnptr = c.disln = line(10);
    setptr();
    prevc();
    redisplay = 0;
    setcur();
    EXPECT_EQ(c.lnptr, line(9));
    EXPECT_EQ(c.curcol, 2);
    EXPECT_EQ(c.disln, line(9));
    EXPECT_EQ(redisplay, 1);
}

TEST(TextPointer, SetcurInTheTemplateViewResetsTheTopOnAnyLineChange) {
    fresh();
    numberedlines(5);
    COREFILE& c = cur();
    c.viewtype = 2;
    setptr();
    nextc();
    redisplay = 0;
    setcur();
    EXPECT_EQ(c.disln, line(1)) << "same line: the window stays";
    EXPECT_EQ(redisplay, 0);
    setptr();
    nextc();
    nextc();
    setcur();
    EXPECT_EQ(c.lnptr, line(2));
    EXPECT_EQ(c.disln, line(2));
    EXPECT_EQ(redisplay, 1);
}

TEST(TextPointer, SetcurOnTheHeaderDoesNothing) {
    fresh();
    settext("ab");
    COREFILE& c = cur();
    c.curcol = 2;
    setptr();
    nextc();
    nextc();
    ASSERT_EQ(peepc(), ENDCORE);
    setcur();
    EXPECT_EQ(c.lnptr, line(1));
    EXPECT_EQ(c.curcol, 2);
}

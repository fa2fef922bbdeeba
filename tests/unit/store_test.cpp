// The line store: corefiles, growth and moving of lines, the collector, removal, positioning
// and leaving the editor with unsaved corefiles.
#include <gtest/gtest.h>

#include <string>

#include "editor/corutils.h"
#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/rubout.h"
#include "tests/unit/harness.h"

using namespace zek;
using zektest::coretext;
using zektest::fresh;
using zektest::line;
using zektest::settext;
using zektest::storeproblems;

namespace {

bool inphys(const LINE* target) {
    for (LINE* l = firstphys.nextphys; l != nullptr; l = l->nextphys) {
        if (l == target) return true;
    }
    return false;
}

bool deadinphys() {
    for (LINE* l = firstphys.nextphys; l != nullptr; l = l->nextphys) {
        if (l->object == OBJ_DEAD) return true;
    }
    return false;
}

void typeat(int n, const std::string& text) {
    cur().lnptr = line(n);
    for (char ch : text) cadd(static_cast<unsigned char>(ch));
}

}  // namespace

TEST(Store, FreshCorefilesHoldOneEmptyLineWithoutStorage) {
    fresh();
    EXPECT_EQ(corenum, 1);
    EXPECT_EQ(avail, 0);
    EXPECT_EQ(firstphys.nextphys, nullptr);
    for (int n = 0; n < NUMCORE; n++) {
        const COREFILE& c = core[n];
        LINE* first = c.header->down;
        EXPECT_NE(first, c.header);
        EXPECT_EQ(first->down, c.header) << "corefile " << n;
        EXPECT_EQ(first->object, OBJ_EMPTY);
        EXPECT_EQ(c.lncount, 1);
        EXPECT_EQ(c.charcount, 0);
        EXPECT_EQ(c.disln, first);
        EXPECT_EQ(c.edited, 0);
    }
}

TEST(Store, TypingGivesAnEmptyLineStorageAndGrowsTheLastLineInPlace) {
    fresh();
    typeat(1, "abc");
    LINE* l = line(1);
    EXPECT_EQ(l->object, OBJ_TEXT);
    EXPECT_EQ(l->index, 0);
    EXPECT_EQ(lastphys, l);
    EXPECT_EQ(avail, 3);
    EXPECT_EQ(cur().charcount, 3);
    typeat(1, "de");
    EXPECT_EQ(line(1), l) << "the last physical line must not move";
    EXPECT_EQ(l->index, 0);
    EXPECT_EQ(coretext(1), "abcde");
    EXPECT_EQ(storeproblems(), "");
}

TEST(Store, LineFollowedByFreePositionsGrowsInPlace) {
    fresh();
    settext("ab\ncd\nef");
    LINE* first = line(1);
    cur().lnptr = line(2);
    removeline();  // frees positions 2 and 3 right behind the first line
    EXPECT_EQ(textbase[2], FREEPOS);
    typeat(1, "xy");
    EXPECT_EQ(line(1), first);
    EXPECT_EQ(first->index, 0);
    EXPECT_EQ(coretext(1), "abxy\nef");
    EXPECT_EQ(storeproblems(), "");
}

TEST(Store, LineThatCannotGrowMovesAndMarksFollowIt) {
    fresh();
    settext("ab\ncd");
    COREFILE& c = cur();
    LINE* old = line(1);
    c.starA = old;
    c.starB = old;
    c.disln = old;
    long before = avail;
    typeat(1, "x");
    LINE* moved = line(1);
    EXPECT_NE(moved, old);
    EXPECT_EQ(moved->index, before);
    EXPECT_EQ(textbase[0], FREEPOS);
    EXPECT_EQ(textbase[1], FREEPOS);
    EXPECT_EQ(old->object, OBJ_DEAD);
    EXPECT_TRUE(inphys(old)) << "the old header waits for the collector";
    EXPECT_EQ(lastphys, moved);
    EXPECT_EQ(c.lnptr, moved);
    EXPECT_EQ(c.disln, moved);
    EXPECT_EQ(c.starA, moved);
    EXPECT_EQ(c.starB, moved);
    EXPECT_EQ(coretext(1), "abx\ncd");
    typeat(1, "yz");
    EXPECT_EQ(line(1), moved) << "once moved the line is last and grows in place";
    EXPECT_EQ(coretext(1), "abxyz\ncd");
    EXPECT_EQ(storeproblems(), "");
}

TEST(Store, HeldLinesFollowMovesAndRemovals) {
    fresh();
    settext("ab\ncd\nef");
    LINE* two = line(2);
    heldline first(line(1)), second(two), third(line(3));
    {
        heldline inner(line(3));
        typeat(1, "x");  // line 1 moves to the end of the array
        EXPECT_TRUE(first == line(1) && first != nullptr);
        cur().lnptr = line(3);
        removeline();  // the last line: what held it moves up
        EXPECT_TRUE(inner == two && third == two);
    }
    cur().lnptr = two;
    removeline();
    EXPECT_TRUE(second == line(1) && third == line(1));
    garbage();
    EXPECT_EQ(coretext(1), "abx");
    removefile();
    EXPECT_TRUE(first == cur().header && second == cur().header) << "a released corefile leaves its header";
}

TEST(Store, LastLineGrowsOverOldDataAboveAvail) {
    fresh();
    settext("ab\ncde");
    cur().lnptr = line(1);
    removeline();
    garbage();  // "cde" is copied down to 0; positions from 3 on still hold old characters
    ASSERT_EQ(avail, 3);
    ASSERT_NE(textbase[3], FREEPOS);
    LINE* l = line(1);
    typeat(1, "f");
    EXPECT_EQ(line(1), l);
    EXPECT_EQ(l->index, 0);
    EXPECT_EQ(avail, 4);
    EXPECT_EQ(coretext(1), "cdef");
}

TEST(Store, GarbageCompactsTrimsAndDropsDeadHeaders) {
    fresh();
    corenum = 3;
    settext("hi");
    corenum = 1;
    settext("ab  \ncd\n  ef \nxx");
    cur().lnptr = line(4);
    removeline();
    typeat(2, "g");  // "cd" moves behind everything and leaves a dead header
    corenum = 3;
    typeat(1, "   ");
    corenum = 1;
    ASSERT_TRUE(deadinphys());
    garbage();
    EXPECT_FALSE(deadinphys());
    EXPECT_EQ(coretext(1), "ab\ncdg\n  ef");
    EXPECT_EQ(coretext(3), "hi");
    EXPECT_EQ(avail, 2 + 3 + 4 + 2);
    long expected = 0;
    for (LINE* l = firstphys.nextphys; l != nullptr; l = l->nextphys) {
        EXPECT_EQ(l->index, expected) << "lines lie back to back in physical order";
        expected += l->length;
        if (l->nextphys == nullptr) {
            EXPECT_EQ(lastphys, l);
        }
    }
    EXPECT_EQ(full, 0);
    EXPECT_EQ(storeproblems(), "");
}

TEST(Store, GarbageSetsAndClearsFull) {
    fresh();
    settext("abcdef");
    hiaddr = 5;
    garbage();
    EXPECT_EQ(full, 1);
    EXPECT_EQ(inadequate(0, 0), 1);
    hiaddr = HIADDR;
    garbage();
    EXPECT_EQ(full, 0);
    EXPECT_EQ(inadequate(3, 10), 0);
}

TEST(Store, RemovelineFreesCharactersAndClearsItsStar) {
    fresh();
    settext("ab\ncde\nf");
    COREFILE& c = cur();
    LINE* victim = line(2);
    long at = victim->index;
    c.starA = victim;
    c.starcount = 1;
    c.lnptr = victim;
    removeline();
    EXPECT_EQ(c.lncount, 2);
    EXPECT_EQ(c.charcount, 3);
    EXPECT_EQ(coretext(1), "ab\nf");
    for (int i = 0; i < 3; i++) EXPECT_EQ(textbase[at + i], FREEPOS);
    EXPECT_EQ(victim->object, OBJ_DEAD);
    EXPECT_EQ(c.starA, nullptr);
    EXPECT_EQ(storeproblems(), "");

    // An empty line owns no storage and never enters the physical list.
    c.lnptr = line(1);
    allocln(OBJ_EMPTY, 0);
    removeline();
    EXPECT_EQ(c.lncount, 2);
    EXPECT_EQ(storeproblems(), "");
}

TEST(Store, RemovefileKeepsOnlyTheHeader) {
    fresh();
    settext("one\n\nthree");
    COREFILE& c = cur();
    removefile();
    EXPECT_EQ(c.header->down, c.header);
    EXPECT_EQ(c.header->up, c.header);
    for (long i = 0; i < 8; i++) EXPECT_EQ(textbase[i], FREEPOS);
    initfile();
    garbage();
    EXPECT_EQ(avail, 0);
    EXPECT_EQ(firstphys.nextphys, nullptr);
    EXPECT_EQ(lastphys, &firstphys);
    allocln(OBJ_EMPTY, 0);
    EXPECT_EQ(storeproblems(), "");
}

TEST(Store, GrowthNeverRunsPastTheArray) {
    fresh();
    avail = TEXTSIZE - 2;
    cur().lnptr = line(1);
    EXPECT_EQ(cadd('a'), 1);
    EXPECT_EQ(cadd('b'), 1);
    EXPECT_EQ(cadd('c'), 0);
    EXPECT_EQ(line(1)->length, 2);
    EXPECT_EQ(avail, TEXTSIZE);

    fresh();
    settext("ab\ncd");
    avail = TEXTSIZE - 1;  // no room to move the first line
    cur().lnptr = line(1);
    EXPECT_EQ(cadd('x'), 0);
    EXPECT_EQ(coretext(1), "ab\ncd");
    EXPECT_EQ(storeproblems(), "");

    // A line that ends exactly at the array's end, no longer the last one stored: growing it
    // must not look past the array.
    fresh();
    avail = TEXTSIZE - 2;
    cur().lnptr = line(1);
    cadd('a');
    cadd('b');
    allocln(OBJ_EMPTY, 0);
    EXPECT_EQ(cadd('z'), 0);  // the new line gets no storage either
    cur().lnptr = line(1);
    EXPECT_EQ(cadd('c'), 0);
    EXPECT_EQ(zektest::linetext(1, 1), "ab");
}

TEST(Store, NewLineKeyOpensAnEmptyLineAtTheMargin) {
    fresh();
    zektest::runkeys("ab\x06" "cd");
    EXPECT_EQ(coretext(1), "ab\ncd");
    EXPECT_EQ(cur().lncount, 2);
    EXPECT_EQ(cur().curline, 2);
    EXPECT_EQ(cur().edited, 1);
    EXPECT_EQ(storeproblems(), "");

    fresh();
    cur().viewtype = 1;
    cureditmask = editmask[1];
    cur().curcol = 5;
    nuline();
    EXPECT_EQ(line(2)->object, OBJ_RECORD) << "a new line in a record view is a record";
    EXPECT_EQ(zektest::linetext(1, 2), "||||||||||");
    EXPECT_EQ(cur().curcol, 1);
}

TEST(Store, CharacterPrimitives) {
    fresh();
    settext("abcdef");
    COREFILE& c = cur();
    c.curcol = 3;
    int ringbefore = delptr;
    cremove(2);
    EXPECT_EQ(coretext(1), "abef");
    EXPECT_EQ(textbase[4], FREEPOS);
    EXPECT_EQ(textbase[5], FREEPOS);
    EXPECT_EQ(c.charcount, 4);
    EXPECT_EQ(delbuf[ringbefore], 'c');
    EXPECT_EQ(delbuf[(ringbefore + 1) % DELBUFSIZE], 'd');

    // Insertion: lengthen, shift right from the cursor, then write at the cursor.
    c.curcol = 2;
    cadd(' ');
    cinsert(1);
    textbase[curptr()] = 'X';
    EXPECT_EQ(coretext(1), "aXbef");

    c.curcol = 9;
    extline();
    EXPECT_EQ(coretext(1), "aXbef    ");
    detrline();
    EXPECT_EQ(coretext(1), "aXbef");
    EXPECT_EQ(storeproblems(), "");

    settext("   x|yy|z");
    EXPECT_EQ(findnb(), 4);
    EXPECT_EQ(locatefield(line(1), 1), 0);
    EXPECT_EQ(locatefield(line(1), 2), 5);
    EXPECT_EQ(locatefield(line(1), 3), 8);
    settext("   ");
    EXPECT_EQ(findnb(), 0);
}

TEST(Store, Distance) {
    fresh();
    settext("a\nb\nc");
    EXPECT_EQ(distance(line(2), line(2)), 0);
    EXPECT_EQ(distance(cur().header, line(3)), 3);
    EXPECT_EQ(distance(line(3), line(1)), 2) << "round through the header";
}

class Advfile : public ::testing::Test {
protected:
    void SetUp() override {
        fresh();
        settext("first\nsecond\nthird");
        cur().lnptr = line(2);
        cur().curcol = 3;
        redisplay = 0;
    }
    void run(int relative, int n, int col) {
        param[1] = n;
        param[2] = col;
        advfile(relative);
    }
};

TEST_F(Advfile, PositionZeroMinusOneGoesToTheLastCharacter) {
    run(0, 0, -1);
    EXPECT_EQ(cur().lnptr, line(2));
    EXPECT_EQ(cur().curcol, 6);
    EXPECT_EQ(redisplay, 0) << "no line change, no redraw";
}

TEST_F(Advfile, PositionCountsFromTheTop) {
    run(0, 3, 2);
    EXPECT_EQ(cur().lnptr, line(3));
    EXPECT_EQ(cur().disln, line(3));
    EXPECT_EQ(cur().curcol, 2);
    EXPECT_EQ(redisplay, 1);
    run(0, -1, -100);
    EXPECT_EQ(cur().lnptr, line(3)) << "upwards from the header is the last line";
    EXPECT_EQ(cur().curcol, 1);
}

TEST_F(Advfile, AdvanceStopsOnTheLastAndFirstLine) {
    run(1, 100, 2);
    EXPECT_EQ(cur().lnptr, line(3));
    EXPECT_EQ(cur().curcol, 5);
    run(1, -100, -10);
    EXPECT_EQ(cur().lnptr, line(1));
    EXPECT_EQ(cur().curcol, 1);
    run(1, 1, 0);
    EXPECT_EQ(cur().lnptr, line(2));
}

TEST(Goodbye, DeleteAnswerKeepsTheEditorRunning) {
    fresh();
    core[2].edited = 1;
    core[5].edited = 1;
    mode = 2;
    corenum = 3;
    zektest::setkeys("x\b\r");
    goodbye();
    EXPECT_EQ(overflg, 0);
    EXPECT_EQ(corenum, 3);
    EXPECT_EQ(mode, 2);
    std::string out = zektest::takeoutput();
    EXPECT_EQ(out, "WARNING: corefile 2 not saved. <del> aborts\r\n\r\n");
}

TEST(Goodbye, ReturnAnswersAskAboutEveryEditedCorefileThenLeave) {
    fresh();
    core[2].edited = 1;
    core[5].edited = 1;
    mode = 2;
    zektest::setkeys("\r\r");
    goodbye();
    EXPECT_EQ(overflg, 1);
    EXPECT_EQ(mode, 1);
    std::string out = zektest::takeoutput();
    EXPECT_NE(out.find("corefile 2 not saved"), std::string::npos);
    EXPECT_NE(out.find("corefile 5 not saved"), std::string::npos);
}

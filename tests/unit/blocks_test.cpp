// Starred blocks, rectangles and sort: marks and the block walk, moves and copies between
// corefiles with their counts, every rectangle operation at the edges, each collating order,
// stability, and refusals that leave the store as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "editor/corutils.h"
#include "editor/cstars.h"
#include "editor/getparam.h"
#include "editor/sort.h"
#include "editor/stars.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;
using Lines = std::vector<std::string>;

namespace {

// Messages shown with diserr since the last call.
Lines errors() {
    Lines m;
    for (const std::string& s : takesequences()) {
        if (s.rfind("$me", 0) == 0) m.push_back(s.substr(3));
    }
    return m;
}

void star(int n) {
    cur().lnptr = line(n);
    makestars();
}

std::string block() {
    locatestars();
    findinfo();
    return linetext(corenum, distance(cur().header, first)) + ".." + linetext(corenum, distance(cur().header, last)) +
           " " + std::to_string(lines_);
}

std::string sorted(const std::string& text, int dir, int key, int col = 1, int table = 0, int from = 1, int to = 200000) {
    fresh();
    settext(text);
    cur().curcol = col;
    sorttable = table;
    param[1] = dir;
    param[2] = key;
    param[3] = from;
    param[4] = to;
    sortchk();
    sort();
    return coretext(1);
}

}  // namespace

TEST(Blocks, MarksAlternateAndTheWalkFindsEitherOrder) {
    fresh();
    settext("1\n2\n3\n4\n5\n6\n7\n8\n9");
    star(1), star(5), star(9);
    EXPECT_TRUE(cur().starA == line(9) && cur().starB == line(5) && cur().starcount == 2);
    EXPECT_EQ(block(), "5..9 5");
    star(9);
    EXPECT_TRUE(cur().starA == nullptr && cur().starcount == 1 && redisplay == 9) << "a second star removes the mark";
    EXPECT_EQ(block(), "5..5 1");
    for (auto order : {std::pair{7, 3}, std::pair{3, 7}}) {
        clrstars();
        star(order.first), star(order.second);
        EXPECT_EQ(block(), "3..7 5");
    }
    clrstars();
    star(9), star(1);
    EXPECT_EQ(block(), "1..9 9") << "marks at both ends";
}

TEST(Blocks, DeleteRecoverCopyAndMoveKeepTheCounts) {
    fresh("\r\r");
    settext("a\nbb\nccc\nd");
    star(2), star(3);
    cur().disln = line(2);
    delete_();
    EXPECT_EQ(coretext(1), "a\nd");
    EXPECT_TRUE(cur().lncount == 2 && cur().charcount == 2 && cur().lnptr == line(1) && cur().disln == line(1));
    EXPECT_EQ(coretext(0), "\nbb\nccc");
    EXPECT_EQ(core[0].lncount, 3);
    EXPECT_EQ(core[0].charcount, 5);
    corenum = 3;
    settext("x\ny");
    cur().lnptr = line(1);
    recover();
    EXPECT_EQ(coretext(3), "x\nbb\nccc\ny");
    EXPECT_TRUE(cur().starB == line(2) && cur().starA == line(3) && cur().nextstar == 'B') << "it arrives starred";
    takesequences();
    recover();
    EXPECT_EQ(errors(), Lines{"no stars set in source corefile!"});
    copyop();
    EXPECT_EQ(coretext(3), "x\nbb\nccc\ny");
    EXPECT_EQ(cur().starcount, 0);
    EXPECT_EQ(coretext(0), "\nbb\nccc");
    corenum = 0;
    EXPECT_EQ(block(), "bb..ccc 2") << "the copy waits starred in corefile 0";
    corenum = 3;
    cur().lnptr = line(4);
    recover();
    EXPECT_EQ(coretext(3), "x\nbb\nccc\ny\nbb\nccc");
    EXPECT_EQ(storeproblems(), "");
    // Every line deleted: one empty line stays, current and on top.
    clrstars();
    star(1), star(6);
    delete_();
    EXPECT_TRUE(coretext(3) == "" && cur().lncount == 1 && cur().lnptr == line(1) && cur().disln == line(1));
    settext("p\nq");
    gnr_moveblock();
    EXPECT_EQ(coretext(3), "");
    EXPECT_EQ(coretext(8), "\np\nq");
    EXPECT_EQ(core[8].lncount, 3);
    EXPECT_EQ(storeproblems(), "");
}

TEST(Blocks, ACopyThatCannotFitChangesNothing) {
    fresh("\r\r");
    settext(std::string(3000, 'a') + "\nb");
    fillstore(100);
    star(1);
    takesequences();
    copyop();
    EXPECT_EQ(errors(), Lines{"inadequate free space for block copy"});
    EXPECT_EQ(coretext(0), "");
    EXPECT_TRUE(cur().starcount == 1 && linetext(1, 1).size() == 3000);
    EXPECT_EQ(storeproblems(), "");
}

TEST(Rectangles, EveryOperationAtTheEdges) {
    fresh("\r\r\r\r\r\r");
    settext("abcdef\nab\nabcdefgh\nxyz");
    star(1), star(3);
    cur().curcol = 3;
    makecstars();
    cur().curcol = 4;
    makecstars();
    cur().lnptr = line(1);
    deleterect();
    EXPECT_EQ(coretext(1), "abef\nab\nabefgh\nxyz") << "short lines stay; the rest closes up";
    cur().lnptr = line(3);
    cur().curcol = 2;
    insertrect();
    EXPECT_EQ(coretext(1), "abef\nab\nacdbefgh\nx  yz\n cd") << "a line is added at the end";
    cur().lnptr = line(2);
    cur().curcol = 5;
    overwrect();
    EXPECT_EQ(coretext(1), "abef\nab  cd\nacdb  gh\nx  ycd\n cd") << "short lines are padded first";
    settext("12345\n12\n12345");
    star(1), star(3);
    cur().curcol = 2;
    makecstars();
    makecstars();
    EXPECT_EQ(cur().cstarcount, 0) << "a second mark on a column removes it";
    cur().curcol = 2;
    makecstars();
    cur().lnptr = line(1);
    cur().curcol = 1;
    cpclrrect();
    EXPECT_EQ(coretext(1), "1 345\n1 \n1 345");
    settext("12345\n\n12345");
    star(1), star(3);
    cur().curcol = 4;
    makecstars();
    cur().lnptr = line(1);
    cur().curcol = 1;
    cpclrovrect();
    EXPECT_EQ(coretext(1), "423 5\n \n423 5") << "the column moved to the cursor, blanks behind";
    setkeys("2\r\r\r\r\r");
    cur().curcol = 1;
    insertcols();
    EXPECT_EQ(coretext(1), "  423 5\n\n  423 5") << "a line that ends before the cursor is left";
    takesequences();
    clearallstars();
    deleterect();
    insertcols();
    initcstars();
    insertrect();
    EXPECT_EQ(errors(), (Lines{"No rectangle defined", "No starred lines defined", "No rectangle stored"}));
    EXPECT_EQ(storeproblems(), "");
}

TEST(Rectangles, NoRoomChangesNothing) {
    fresh("\r\r");
    settext(std::string(2500, 'a') + "\n" + std::string(2500, 'b'));
    star(1), star(2);
    cur().curcol = 1;
    makecstars();
    cur().curcol = 2000;
    makecstars();
    cur().lnptr = line(1);
    copyrect();
    fillstore(50);
    takesequences();
    cur().lnptr = line(1);
    cur().curcol = 10;
    insertrect();
    EXPECT_EQ(errors(), Lines{"Inadequate space for this operation"});
    EXPECT_TRUE(linetext(1, 1).size() == 4500 && cur().lncount == 2);
    EXPECT_EQ(storeproblems(), "");
}

TEST(Sort, CollatingOrdersKeysAndRanges) {
    const struct {
        const char* in;
        int dir, key, col, table, from, to;
        const char* out;
    } cases[] = {
        {"b\nA\na", 0, 15, 1, 0, 1, 200000, "A\na\nb"},
        {"b\nA\na", 0, 15, 1, 1, 1, 200000, "A\na\nb"},
        {"a\nA\nb", 0, 15, 1, 1, 1, 200000, "a\nA\nb"},
        {"f\n\xe9\ne", 0, 15, 1, 1, 1, 200000, "\xe9\ne\nf"},
        {"abcY\nabcX", 0, 3, 1, 0, 1, 200000, "abcY\nabcX"},
        {"xab\nybb\nzaa", 0, -2, 3, 0, 1, 200000, "zaa\nxab\nybb"},
        {"8\n7\n6\n5\n4\n3\n2\n1", 0, 15, 1, 0, 5, 200000, "8\n7\n6\n5\n1\n2\n3\n4"},
        {"a\nc\nb", 1, 15, 1, 0, 1, 200000, "c\nb\na"},
        {"b\na", 0, 0, 1, 0, 1, 200000, "b\na"},
        {"ab\na\nabc", 0, 15, 1, 0, 1, 200000, "a\nab\nabc"},
        {"x\n\nz\n", 0, 15, 1, 0, 1, 200000, "\n\nx\nz"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sorted(c.in, c.dir, c.key, c.col, c.table, c.from, c.to), c.out) << c.in << " key " << c.key;
    }
    // Accents first, then base letters: variants of one word ordered by their accent.
    sorted("c\xf4te\ncote\ncot\xe9", 0, 15, 1, 2);
    std::string twice = coretext(1);
    settext(twice);
    sorttable = 1;
    param[1] = 0;
    sortchk();
    sort();
    EXPECT_EQ(coretext(1), "cote\ncot\xe9\nc\xf4te");
    // Record view: the cursor's field, an empty field first.
    fresh();
    settext("b|2|\na||\nc|1|");
    for (int n = 1; n <= 3; n++) line(n)->object = OBJ_RECORD;
    cur().viewtype = 1;
    cur().curcol = 3;
    param[1] = 0;
    param[2] = 15;
    param[3] = 1;
    param[4] = 200000;
    sortchk();
    sort();
    EXPECT_EQ(coretext(1), "a||\nc|1|\nb|2|");
    EXPECT_TRUE(cur().lnptr == line(1) && cur().disln == line(1) && cur().curcol == 1 && cur().edited == 1);
}

TEST(Sort, StableAboveAndBelowSixteenLinesAndOnEqualLines) {
    for (int count : {5, 15, 16, 17, 300, 5000}) {
        std::mt19937 rng(count);
        std::vector<std::string> in;
        for (int i = 0; i < count; i++) {
            in.push_back(std::string(1, static_cast<char>('a' + rng() % 4)) + static_cast<char>('a' + rng() % 3) + std::to_string(i));
        }
        std::string text;
        for (const auto& s : in) text += (text.empty() ? "" : "\n") + s;
        std::vector<std::string> want = in;
        std::stable_sort(want.begin(), want.end(), [](const std::string& x, const std::string& y) { return x.substr(0, 2) < y.substr(0, 2); });
        std::string expect;
        for (const auto& s : want) expect += (expect.empty() ? "" : "\n") + s;
        EXPECT_TRUE(sorted(text, 0, 2) == expect) << count << " lines";
        EXPECT_EQ(storeproblems(), "");
    }
    std::string equal;
    for (int i = 0; i < 200000; i++) equal += std::string(i ? "\n" : "") + "same " + std::to_string(i % 10);
    EXPECT_TRUE(sorted(equal, 0, 4) == equal) << "equal keys keep their order";
}

// The text-zone sequences for each redraw request, the line flags, the sideways shift, the
// record display field by field, the cursor placement and WSHIFT.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editor/build.h"
#include "editor/cursors.h"
#include "editor/display.h"
#include "editor/float.h"
#include "editor/getparam.h"
#include "editor/scrin.h"
#include "editor/terminal_xq.h"
#include "tests/unit/editkeys.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;
using Seqs = std::vector<std::string>;

namespace {

// The sequences of rows `from` to the last text row showing `texts` and then empty rows.
Seqs rows(int from, const std::vector<std::string>& texts, bool flagsonly = false, const char* flags = "  ") {
    Seqs s;
    for (int r = from; r <= windowend; r++) {
        s.push_back("$TF" + std::to_string(r) + "," + flags);
        if (flagsonly) continue;
        size_t i = static_cast<size_t>(r - from);
        s.push_back("$TL" + std::to_string(r) + (i < texts.size() ? "," + texts[i] : ""));
    }
    return s;
}

Seqs plus(Seqs a, const Seqs& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Seqs draw(int code) {
    takesequences();
    redisplay = code;
    display();
    EXPECT_EQ(redisplay, 0) << code;
    return takesequences();
}

// The ruler with the default margins and tabs for the columns pshift + 1 to pshift + 78.
std::string ruler(int pshiftby) {
    std::string r = "$mt";
    for (int c = pshiftby + 1; c <= pshiftby + 78; c++) r += c == 1 ? '<' : c == 72 ? '>' : (c % 8 == 1 && c < 72) ? '!' : '.';
    return r;
}
const std::string DEFAULTRULER = ruler(0);
const std::string SHIFTEDRULER = ruler(59);

// The last cursor placement among `s`.
std::string lastpos(const Seqs& s) {
    for (auto i = s.rbegin(); i != s.rend(); ++i) {
        if (i->substr(0, 2) == "$p") return *i;
    }
    return "";
}

}  // namespace

TEST(Display, EachRedrawCodeInTheTextView) {
    fresh();
    settext("one\ntwo\nthree");
    cur().lnptr = line(2);
    holdch = 'q';
    const Seqs whole = rows(2, {"one", "two", "three"});
    EXPECT_EQ(draw(0), Seqs{});
    for (int code : {1, 2, 3}) EXPECT_EQ(draw(code), whole) << code;
    EXPECT_EQ(draw(10), rows(2, {}, true));
    EXPECT_EQ(draw(4), Seqs{"$cq"});
    for (int code : {5, 7}) EXPECT_EQ(draw(code), (Seqs{"$TF3,  ", "$TL3,two"})) << code;
    EXPECT_EQ(draw(9), Seqs{"$TF3,  "});
    EXPECT_EQ(draw(6), rows(3, {"two", "three"}));
    EXPECT_EQ(draw(8), plus({DEFAULTRULER}, whole));
    EXPECT_EQ(draw(20), (Seqs{"$TF3,  ", "$TL3,two", "$TF4,  ", "$TL4,three"}));
    EXPECT_EQ(draw(21), (Seqs{"$TF3,  ", "$TL3,two", "$TF2,  ", "$TL2,one"}));
    for (int code : {12, 17, 18}) EXPECT_EQ(draw(code), Seqs{}) << code;
    fperror = 1;
    EXPECT_EQ(draw(11), Seqs{"$mfFP Syntax Error"});
    EXPECT_EQ(fperror, 0);
    Seqs check = draw(19);
    ASSERT_EQ(check.size(), 1u);
    EXPECT_EQ(check[0].substr(0, 6), "$mbCH ");
}

TEST(Display, NothingIsSentWhileInvisibleButTheRequestIsConsumed) {
    fresh();
    visible = 0;
    EXPECT_EQ(draw(1), Seqs{});
}

TEST(Display, ShiftingSidewaysAtTheRightEdgeAndBack) {
    fresh();
    std::string text;
    for (int i = 0; i < 100; i++) text += static_cast<char>('a' + i % 26);
    settext(text);
    cur().curcol = 78;
    runkeys(RIGHT);
    EXPECT_EQ(rightcol, 137);
    EXPECT_EQ(pshift, 59);
    Seqs s = takesequences();
    EXPECT_EQ(SHIFTEDRULER, "$mt....." "!" "......" ">" + std::string(65, '.'));
    const Seqs shifted = plus({SHIFTEDRULER}, rows(2, {text.substr(59)}, false, "--"));
    ASSERT_GE(s.size(), shifted.size() + 2);
    EXPECT_EQ(Seqs(s.begin() + 2, s.begin() + 2 + static_cast<long>(shifted.size())), shifted);
    EXPECT_EQ(lastpos(s), "$p2,21");

    cur().curcol = 61;
    runkeys(LEFT);
    EXPECT_EQ(pshift, 59) << "column 60 is still shown";
    for (const std::string& q : takesequences()) EXPECT_NE(q.substr(0, 3), "$mt");
    runkeys(LEFT);
    EXPECT_EQ(pshift, 0);
    EXPECT_EQ(rightcol, 78);
    s = takesequences();
    EXPECT_NE(std::find(s.begin(), s.end(), DEFAULTRULER), s.end());
    EXPECT_EQ(lastpos(s), "$p2,60");
}

TEST(Display, ResultCodesShiftWhenTheCursorIsOutsideTheShownColumns) {
    fresh();
    cur().curcol = 200;
    fperror = 2;
    Seqs s = draw(11);
    EXPECT_EQ(s[0], "$mfFP Overflow Error");
    EXPECT_EQ(s.size(), 2u + 2u * static_cast<size_t>(depth));
    EXPECT_EQ(s[1], ruler(177));
    EXPECT_EQ(pshift, 177);
}

TEST(Display, LineFlags) {
    fresh();
    settext(std::string(79, 't') + "\n" + std::string(78, 'u') + "\n" + std::string(79, 'r') + "\nm\np\nh");
    line(3)->object = OBJ_RECORD;
    line(4)->object = OBJ_MATH;
    line(5)->object = OBJ_PICTURE;
    line(6)->object = OBJ_H;
    Seqs s = draw(10);
    EXPECT_EQ(Seqs(s.begin(), s.begin() + 7),
              (Seqs{"$TF2, +", "$TF3,  ", "$TF4,\\r", "$TF5,\\m", "$TF6,\\p", "$TF7,\\ ", "$TF8,  "}));
    cur().starA = line(3);
    cur().starB = line(4);
    s = draw(10);
    EXPECT_EQ(s[2], "$TF4,*r");
    EXPECT_EQ(s[3], "$TF5,*m");
    s = draw(1);
    EXPECT_EQ(s[1], "$TL2," + std::string(78, 't'));
    EXPECT_EQ(s[9], "$TL6") << "a picture has no text";
}

TEST(Display, ShiftedRowsShowDashFlags) {
    fresh();
    settext("short\n" + std::string(70, 'r'));
    line(2)->object = OBJ_RECORD;
    cur().curcol = 80;
    Seqs s = draw(1);
    EXPECT_EQ(s[0], SHIFTEDRULER);
    EXPECT_EQ(Seqs(s.begin() + 1, s.begin() + 7),
              (Seqs{"$TF2,--", "$TL2", "$TF3,\\r", "$TL3,rrrrrrrrrrr", "$TF4,--", "$TL4"}));
}

TEST(RecordDisplay, EditableRecordFieldByField) {
    fresh();
    records("ab|cd||", 2);
    cur().curcol = 4;
    EXPECT_EQ(draw(1), (Seqs{"$TL2", "$Tf  ", "$TR3,2,5,ab", "$TR3,10,5,cd", "$TR3,18,5,"}));
    EXPECT_EQ(draw(7), Seqs{"$TR3,10,5,cd"});
    EXPECT_EQ(draw(9), Seqs{"$Tf  "});
    holdch = 'z';
    EXPECT_EQ(draw(4), Seqs{"$cz"});
    cur().starB = cur().lnptr;
    EXPECT_EQ(draw(10), Seqs{"$Tf* "});
    takesequences();
    discur();
    EXPECT_EQ(takesequences(), Seqs{"$p3,10"});
}

TEST(RecordDisplay, NonEditableLineIsDrawnRawWithEmptyFields) {
    fresh();
    settext("hello\n");
    cur().viewtype = 2;
    cureditmask = editmask[2];
    Seqs expect = {"$TF2,  ", "$TL2,hello"};
    for (int n = 1; n <= numfields; n++) {
        expect.push_back("$TR" + std::to_string(frow[n]) + "," + std::to_string(fcol[n]) + ",5,");
    }
    EXPECT_EQ(draw(1), expect);
    EXPECT_EQ(draw(9), Seqs{"$Tf I"});
    takesequences();
    discur();
    EXPECT_EQ(takesequences(), Seqs{"$p2,1"});
    cur().lnptr = line(2);
    EXPECT_EQ(draw(1), (Seqs{"$TF2,  ", "$TL2"})) << "an empty line has no fields to outline";
}

TEST(CursorPlacement, TextAndMathViews) {
    fresh();
    settext("a\nb\nc");
    cur().lnptr = line(3);
    cur().curcol = 7;
    discur();
    EXPECT_EQ(takesequences().back(), "$p4,8");
    line(3)->object = OBJ_RECORD;
    discur();
    EXPECT_EQ(takesequences().back(), "$p4,1") << "not editable in the text view";
    cur().viewtype = 5;
    cureditmask = editmask[5];
    line(3)->object = OBJ_MATH;
    discur();
    EXPECT_EQ(takesequences(), (Seqs{"$mMRED", "$p4,8"}));
    cur().curflag = 3;
    greeny = 2;
    greenx = 3;
    discur();
    EXPECT_EQ(takesequences().front(), "$mMGREEN 2 3");
}

TEST(Wshift, OverlapLimitAndTheShiftStep) {
    fresh("\r");
    param[1] = 69;
    shift();
    EXPECT_EQ(overlap, 69);
    EXPECT_EQ(shiftc, 9);
    EXPECT_EQ(redisplay, 1);
    pshift = 20;
    param[1] = 70;
    del = 0;
    shift();
    EXPECT_EQ(takeoutput().find("Overlap must be less than 70"), 0u);
    EXPECT_EQ(del, 2);
    EXPECT_EQ(overlap, 69);
    EXPECT_EQ(pshift, 20);
    param[1] = 0;
    shift();
    EXPECT_EQ(overlap, 1);
    EXPECT_EQ(shiftc, 77);
    EXPECT_EQ(pshift, 0);
    EXPECT_EQ(rightcol, swidth);
}

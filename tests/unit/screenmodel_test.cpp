// The built-in front-end's screen model: how each "$" sequence changes the rows, the status,
// message and command lines and the cursor; and the editor driving it in screen mode.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "editor/display.h"
#include "editor/scrout.h"
#include "editor/screen.h"
#include "editor/terminal_xq.h"
#include "genra/syn_globals.h"
#include "genra/uninstall.h"
#include "tests/unit/genrakit.h"
#include "tests/unit/harness.h"

using namespace zek;

namespace {

// A row without its trailing blanks.
std::string shown(const screenmodel& m, int r) {
    std::string s = m.row(r);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

void feedall(screenmodel& m, const std::vector<std::string>& seqs) {
    for (const auto& s : seqs) m.feed(s.c_str());
}

}  // namespace

// A 12 by 40 screen: status 0, ruler 1, text rows 2 to 9, message 10, command line 11.
TEST(ScreenModel, EachSequenceLandsWhereItBelongs) {
    const std::string pad38(38, ' ');
    struct Case {
        const char* what;
        std::vector<std::string> seqs;
        std::vector<std::pair<int, std::string>> rows;  // row, text without trailing blanks
        int crow, ccol;                                  // -1: not checked
    };
    const Case cases[] = {
        {"text row with flags", {"$TF3,-+", "$TL3,hello"}, {{3, "-hello" + std::string(33, ' ') + "+"}}, -1, -1},
        {"empty row keeps its flags", {"$TF3,\\r", "$TL3,hello", "$TL3"}, {{3, "\\" + pad38 + "r"}}, -1, -1},
        {"long text stops before the right flag",
         {"$TF4,  ", "$TL4," + std::string(50, 'x')}, {{4, " " + std::string(38, 'x')}}, -1, -1},
        {"rows outside the text zone are ignored", {"$TL1,no", "$TL10,no", "$TF11,**", "$TL-3,no"}, {{10, ""}, {11, ""}}, -1, -1},
        {"Latin-1 passes through", {"$TL2,caf\xe9"}, {{2, " caf\xe9"}}, -1, -1},
        {"cursor and echo", {"$+", "$p4,3", "$cx", "$cy"}, {{4, "  xy"}}, 4, 4},
        {"record field padded and cut to its width", {"$TR5,3,6,ab", "$TR5,10,3,toolong"}, {{5, "  ab     too"}}, -1, -1},
        {"record row flags", {"$TL2,rec", "$Tf*I"}, {{2, "*rec" + std::string(35, ' ') + "I"}}, -1, -1},
        {"clearing the text zone spares the other lines",
         {"$mtruler", "$TL2,a", "$TL9,b", "$mhnote", "$CLcmd", "$Tx"}, {{1, " ruler"}, {2, ""}, {9, ""}, {10, "note"}, {11, "cmd"}}, 11, 3},
        {"command line typing and rubout", {"$C+", "$CcF", "$CcE", "$Cb", "$CcI"}, {{11, "FI"}}, 11, 2},
        {"command line cleared and written", {"$CcQ", "$Cx", "$CLhalf typed"}, {{11, "half typed"}}, -1, -1},
        {"waiting error", {"$meFile not found", "$e+"}, {{10, std::string("File not found") + screenmodel::WAITMARK}}, 10, 24},
        {"answered error leaves an empty line", {"$meBad", "$e+", "$e-", "$mh"}, {{10, ""}}, -1, -1},
        {"regeneration keeps a waiting error", {"$TL3,x", "$meStill", "$e+", "$X", "$W", "$mh"},
         {{3, ""}, {10, std::string("Still") + screenmodel::WAITMARK}}, 10, 15},
        {"progress then cleared", {"$mhworking", "$mh"}, {{10, ""}}, -1, -1},
        {"text focus after the command line", {"$C+", "$CcB", "$+", "$p2,1"}, {}, 2, 0},
    };
    for (const auto& c : cases) {
        screenmodel m(12, 40);
        feedall(m, c.seqs);
        for (const auto& [r, text] : c.rows) EXPECT_EQ(shown(m, r), text) << c.what << ", row " << r;
        if (c.crow >= 0) {
            EXPECT_EQ(m.cursorrow(), c.crow) << c.what;
            EXPECT_EQ(m.cursorcol(), c.ccol) << c.what;
        }
    }
}

// A confirmation stays on the message row until the next key or a new message; the found text
// is highlighted from the text cursor, moves with it, and goes at the next key.
TEST(ScreenModel, ConfirmationsAndTheFoundTextLastUntilTheNextKey) {
    screenmodel m(12, 40);
    feedall(m, {"$mkSaved 2 lines to a.txt", "$mh", "$Cx"});
    EXPECT_EQ(shown(m, 10), "Saved 2 lines to a.txt") << "an empty message line shows the confirmation";
    EXPECT_EQ(m.kind(10, 0), CELL_NOTE);
    feedall(m, {"$C+", "$C-"});
    EXPECT_EQ(shown(m, 10), "");
    feedall(m, {"$mk3 changes", "$mhworking"});
    EXPECT_EQ(shown(m, 10), "working");
    m.feed("$mh");
    EXPECT_EQ(shown(m, 10), "") << "a new message replaced it";
    feedall(m, {"$mkkept", "$meBad", "$e+"});
    EXPECT_EQ(shown(m, 10), std::string("Bad") + screenmodel::WAITMARK);

    screenmodel f(12, 40);
    feedall(f, {"$TL3,the cat sat", "$p3,6", "$Th3"});
    f.clean();
    f.feed("$p4,2");
    EXPECT_TRUE(f.dirty(3) && f.dirty(4)) << "the highlight moved with the cursor";
    f.feed("$p3,6");
    for (int c = 0; c < 40; c++) EXPECT_EQ(f.kind(3, c), c >= 5 && c <= 7 ? CELL_FOUND : CELL_PLAIN) << c;
    f.feed("$Th100");
    EXPECT_EQ(f.kind(3, 38), CELL_FOUND);
    EXPECT_EQ(f.kind(3, 39), CELL_PLAIN) << "never over the flag column";
    f.clean();
    f.feed("$-");
    EXPECT_TRUE(f.dirty(3));
    EXPECT_EQ(f.kind(3, 5), CELL_PLAIN);
}

TEST(ScreenModel, StatusLineShowsFieldsAndResults) {
    screenmodel m(12, 100);
    feedall(m, {"$mw 3", "$mr   12", "$mc    4", "$ml40", "$mvRECORD  ", "$mmInsert  ", "$mnnotes.txt"});
    std::string status = shown(m, 0);
    for (const char* part : {"core 3", "RECORD", "Insert", "line   12/40", "col    4", "notes.txt"}) {
        EXPECT_NE(status.find(part), std::string::npos) << part << " in " << status;
    }
    feedall(m, {"$mf1.5'+20", "$mbCH 101", "$mU###"});
    status = shown(m, 0);
    for (const char* part : {"= 1.5'+20", "CH 101", "###", "notes.txt"}) {
        EXPECT_NE(status.find(part), std::string::npos) << part << " in " << status;
    }
    EXPECT_EQ(m.kind(0, 5), CELL_STATUS);
    // A narrow screen cuts the left part and keeps the results.
    screenmodel narrow(8, 20);
    feedall(narrow, {"$mnverylongfilename.txt", "$mi42"});
    EXPECT_EQ(narrow.row(0).size(), 20u);
    EXPECT_EQ(shown(narrow, 0).substr(15), "= 42");
}

TEST(ScreenModel, MalformedSequencesChangeNothing) {
    screenmodel m(12, 40);
    feedall(m, {"$TL3,keep", "$C+", "$CcA"});
    std::vector<std::string> before;
    for (int r = 0; r < m.rows(); r++) before.push_back(m.row(r));
    feedall(m, {"", "$", "$z", "$TL", "$TLx,1", "$TF3", "$TR3,2", "$TR3,2,5", "$p", "$p3", "$p3,", "$c",
                "$C", "$Cz", "$T", "$Tq3,x", "$m", "$e", "$e?", "plain text"});
    for (int r = 0; r < m.rows(); r++) EXPECT_EQ(m.row(r), before[static_cast<size_t>(r)]) << r;
    EXPECT_EQ(m.cursorrow(), 11);
    EXPECT_EQ(m.cursorcol(), 1);
}

TEST(ScreenModel, OnlyChangedRowsAreDirtyAndResizeRepaints) {
    screenmodel m(12, 40);
    m.clean();
    feedall(m, {"$TL3,abc", "$TL4"});  // row 4 is blank already
    for (int r = 0; r < m.rows(); r++) EXPECT_EQ(m.dirty(r), r == 3) << r;
    m.clean();
    m.feed("$TL3,abc");
    EXPECT_FALSE(m.dirty(3)) << "the same text again is no change";
    EXPECT_FALSE(m.repaintasked());
    feedall(m, {"$meWait", "$e+"});
    m.resize(30, 100);
    EXPECT_TRUE(m.repaintasked());
    EXPECT_EQ(m.rows(), 30);
    EXPECT_EQ(m.cols(), 100);
    EXPECT_EQ(shown(m, 3), "");
    EXPECT_EQ(shown(m, 28), std::string("Wait") + screenmodel::WAITMARK) << "the waiting error moves to the new message line";
    m.resize(1, 1);
    EXPECT_EQ(m.rows(), screenmodel::MINROWS);
    EXPECT_EQ(m.cols(), screenmodel::MINCOLS);
    m.feed("$TL2,abcdef");
    EXPECT_EQ(m.row(2), " a ");
}

// The editor in screen mode: every sequence goes to the model, nothing to standard output.
TEST(ScreenModel, TheEditorDrawsIntoTheModelInsteadOfStandardOutput) {
    zektest::fresh();
    screenmode = 1;
    gendis();
    zektest::settext("first line\nsecond \xe9t\xe9");
    redisplay = 1;
    display();
    discur();
    try {
        zektest::runkeys("\x03" "FI0|second\r");  // find "second": the cursor moves to line 2
    } catch (...) {
    }
    screenmode = 0;
    EXPECT_EQ(zektest::takeoutput(), "");
    EXPECT_EQ(scrmodel.rows(), 24);
    EXPECT_EQ(scrmodel.cols(), 80);
    EXPECT_EQ(shown(scrmodel, 2), " first line");
    EXPECT_EQ(shown(scrmodel, 3), " second \xe9t\xe9");
    EXPECT_EQ(shown(scrmodel, 4), "");
    EXPECT_NE(shown(scrmodel, 0).find("line    2/2"), std::string::npos) << shown(scrmodel, 0);
    EXPECT_EQ(shown(scrmodel, 1).substr(0, 10), " <.......!");
    EXPECT_EQ(scrmodel.cursorrow(), 3);
}

// What the confirmations say, in screen mode only: the protocol's sequences are those of a run
// without them.
TEST(ScreenModel, WorkIsConfirmedInScreenModeOnly) {
    zektest::ScratchDir dir;
    const std::string keys = "\x03" "FI0|sat\r"        // found: highlighted
                             "\x03" "FI0|dog\r"        // nothing more
                             "\x03" "BE\r" "CHa|o\r"  // three changes, one in "alone"
                             "SAout.txt\r" "SAout.txt\r\r";  // saved; then refused, no confirmation
    std::vector<std::string> notes[2];
    std::vector<std::string> highlights[2];
    std::vector<std::string> others[2];
    for (int screen : {1, 0}) {
        unlink("out.txt");
        zektest::fresh();
        screenmode = screen;
        zektest::settext("the cat sat\nalone");
        try {
            zektest::runkeys(keys);
        } catch (...) {
        }
        screenmode = 0;
        for (const std::string& q : zektest::takesequences()) {
            if (q.rfind("$mk", 0) == 0) {
                notes[screen].push_back(q.substr(3));
            } else if (q.rfind("$Th", 0) == 0) {
                highlights[screen].push_back(q.substr(3));
            } else {
                others[screen].push_back(q);
            }
        }
    }
    EXPECT_EQ(notes[1], (std::vector<std::string>{"Nothing more found for \"dog\"", "3 changes", "Saved 2 lines to out.txt"}));
    EXPECT_EQ(highlights[1], std::vector<std::string>{"3"});
    EXPECT_TRUE(notes[0].empty() && highlights[0].empty());
    EXPECT_EQ(others[0], others[1]);
}

// Loading description files says what each brought, with its errors; ESC g shows the sentence.
TEST(ScreenModel, LoadsAndGenerationAreConfirmed) {
    zektest::ScratchDir dir;
    zektest::fresh();
    screenmode = 1;
    zektest::loadgrammar("number ( sing, plur ) case ( nom acc", "N V",
                         "\"dog\"|N|sing|1|\n\"runs\"|V|sing|1|\n\"cat\"|Q|sing|1|\n");
    zektest::loadsyntax("ROOT = N V %\n");
    generate();
    screenmode = 0;
    std::vector<std::string> notes;
    for (const std::string& q : zektest::takesequences()) {
        if (q.rfind("$mk", 0) == 0) notes.push_back(q.substr(3));
    }
    EXPECT_EQ(notes, (std::vector<std::string>{"g.att: 2 attributes, 2 errors (corefile 7)", "g.tmn: 2 terminals, 0 errors",
                                               "g.lex: 2 entries, 1 error (corefile 7)", "s.syn: 1 rule, 0 errors",
                                               genSentences[0]}));
    EXPECT_FALSE(genSentences[0].empty());
}

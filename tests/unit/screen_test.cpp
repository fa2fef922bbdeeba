// The screen protocol as the front-end sees it: which sequences are forwarded, the message
// line, the status fields, full regeneration and the float result.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "editor/corutils.h"
#include "editor/editor.h"
#include "editor/float.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/terminal_xq.h"
#include "tests/unit/harness.h"

using namespace zek;
using zektest::fresh;
using zektest::takeoutput;
using zektest::takesequences;
using Seqs = std::vector<std::string>;

TEST(Forwarding, TheFrontEndSubsetArrivesAsPayloadLines) {
    fresh();
    const struct { const char* seq; const char* line; } forwarded[] = {
        {"$cx", "x"},           {"$CLhalf typed", "half typed"}, {"$Cb", ""},
        {"$Ccq", "q"},          {"$mMGREEN 2 3", "GREEN 2 3"},   {"$mU###", "###"},
        {"$mbCH 101", "CH 101"}, {"$meEmpty filename", "Empty filename"},
        {"$mf0.1", "0.1"},      {"$mh", ""},                     {"$mi42", "42"},
        {"$mmCommand ", "Command "}, {"$mnnotes.txt", "notes.txt"},
    };
    for (const auto& f : forwarded) {
        xqtransmit(f.seq);
        EXPECT_EQ(takeoutput(), std::string(f.line) + "\r\n") << f.seq;
    }
}

TEST(Forwarding, EverythingElseIsDropped) {
    fresh();
    const char* const dropped[] = {
        "$+", "$-", "$C+", "$C-", "$Cx", "$Tx", "$TL3,abc", "$TL4", "$TF2, *", "$TR3,2,5,ab",
        "$Tf I", "$p2,3", "$e+", "$e-", "$X", "$W", "$mw 1", "$mr    1", "$mc    1", "$ml1",
        "$mvTEXT    ", "$mt<.......!", "$mVa lexicon", "$C", "$m", "$", "$z", "plain text",
    };
    for (const char* s : dropped) xqtransmit(s);
    EXPECT_EQ(takeoutput(), "");
}

TEST(Forwarding, NothingAtAllWhileInvisible) {
    fresh("ab\rc");
    visible = 0;
    xqtransmit("$cx");
    putstring("hello", 'h');
    EXPECT_EQ(diserr("lost"), 1) << "the wait for acknowledgement still happens";
    EXPECT_EQ(takeoutput(), "");
    EXPECT_EQ(zektest::keytrace(), "c");
}

TEST(MessageLine, DiserrShowsTheTextWaitsAndClears) {
    fresh("q\b");
    EXPECT_EQ(diserr("Empty filename"), 2);
    EXPECT_EQ(del, 2);
    EXPECT_EQ(takeoutput(), "Empty filename\r\n\r\n");
    EXPECT_EQ(takesequences(), (Seqs{"$meEmpty filename", "$e+", "$e-", "$mh"}));
    EXPECT_EQ(bhelp, 0);
}

TEST(MessageLine, ProgressStaysUntilOneClear) {
    fresh();
    progress("working");
    EXPECT_EQ(takeoutput(), "working\r\n");
    clearhelp();
    clearhelp();
    EXPECT_EQ(takeoutput(), "\r\n");
}

TEST(Echo, CharactersAndTheCommandLine) {
    fresh();
    putch('a');
    putch(5);
    putch(173);
    putch(20);
    putch(233);
    EXPECT_EQ(takeoutput(), std::string("a\r\n~\r\n-\r\n") + static_cast<char>(232) + "\r\n" +
                                static_cast<char>(233) + "\r\n");
    putcmdlett('F');
    putcmdlett('E');
    backspace();
    EXPECT_EQ(takeoutput(), "F\r\nE\r\n\r\n");
    EXPECT_EQ(shadow_ptr, 1);
}

TEST(StatusFields, OnlyChangedFieldsAreSent) {
    fresh();
    putstats();
    EXPECT_EQ(takesequences(), (Seqs{"$mw 1", "$mr    1", "$mc    1", "$ml1", "$mvTEXT    "}));
    putstats();
    EXPECT_EQ(takesequences(), Seqs{});
    cur().curcol = 12;
    corenum = 10;
    putstats();
    EXPECT_EQ(takesequences(), Seqs{"$mw10"}) << "corefile 10 has the cached column";
    corenum = 1;
    putstats();
    EXPECT_EQ(takesequences(), (Seqs{"$mw 1", "$mc   12"}));
    EXPECT_EQ(takeoutput(), "") << "status fields are not forwarded";
}

TEST(StatusFields, FullIsShownOnceUntilTheFlagClears) {
    fresh();
    putstats();
    takesequences();
    full = 1;
    putstats();
    putstats();
    EXPECT_EQ(takesequences(), Seqs{"$mvFULL    "});
    full = 0;
    putstats();
    EXPECT_EQ(takesequences(), Seqs{"$mvTEXT    "});
}

TEST(StatusFields, NotRefreshedWhileInvisible) {
    fresh();
    visible = 0;
    putstats();
    EXPECT_EQ(takesequences(), Seqs{});
    visible = 1;
    putstats();
    EXPECT_EQ(takesequences().size(), 5u);
}

TEST(Gendis, SendsEverythingAgain) {
    fresh();
    snprintf(cur().filname, sizeof cur().filname, "notes.txt");
    putstats();
    takesequences();
    takeoutput();
    gendis();
    Seqs seqs = takesequences();
    ASSERT_GE(seqs.size(), 2u);
    EXPECT_EQ(seqs[0], "$X");
    EXPECT_EQ(seqs[1], "$W");
    for (const char* field : {"$mw 1", "$mr    1", "$mc    1", "$ml1", "$mvTEXT    "}) {
        EXPECT_NE(std::find(seqs.begin(), seqs.end(), field), seqs.end()) << field;
    }
    EXPECT_EQ(takeoutput(), "\r\nnotes.txt\r\nTyping  \r\n");
}

TEST(Gendis, ResendsAHalfTypedCommandLine) {
    fresh();
    mode = 0;
    putcmdlett('F');
    putcmdlett('E');
    takeoutput();
    gendis();
    std::string out = takeoutput();
    EXPECT_EQ(out, "\r\n\r\nCommand \r\nFE\r\n");
    Seqs seqs = takesequences();
    auto cx = std::find(seqs.begin(), seqs.end(), "$Cx");
    ASSERT_NE(cx, seqs.end());
    EXPECT_EQ(*(cx + 1), "$CLFE");
}

TEST(FloatResult, FormatsAndErrors) {
    fresh();
    const struct { double value; const char* shown; } cases[] = {
        {1.5e20, "1.5'+20"}, {0.1, "0.1"}, {123456789.0, "1.2345679'+08"}, {-2.5e-7, "-2.5'-07"},
        {42.0, "42"},
    };
    for (const auto& c : cases) {
        fperror = 0;
        setfptop(c.value);
        putfloat();
        EXPECT_EQ(takeoutput(), std::string(c.shown) + "\r\n") << c.value;
    }
    fperror = 1;
    putfloat();
    EXPECT_EQ(takeoutput(), "FP Syntax Error\r\n");
    fperror = 2;
    putfloat();
    EXPECT_EQ(takeoutput(), "FP Overflow Error\r\n");
    fperror = 3;
    putfloat();
    EXPECT_EQ(takeoutput(), "");
}

TEST(FloatResult, IntegerResultOfTheCurrentLevel) {
    fresh();
    loopdepth = 2;
    vl_result[2] = -7;
    putresult();
    EXPECT_EQ(takeoutput(), "-7\r\n");
}

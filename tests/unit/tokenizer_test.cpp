// The description-file tokenizer: token codes, quotes, comments and line mode with their
// warnings, long identifiers, %INCLUDE and %define, and the end of input.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editor/getparam.h"
#include "genra/input_base.h"
#include "tests/unit/genrakit.h"

using namespace zek;
using namespace zektest;
using Lines = std::vector<std::string>;

namespace {

class Tokenizer : public ::testing::Test {
   protected:
    void SetUp() override { fresh(); }
    ScratchDir scratch;
};

// The TSTINPUT listing of `text` (read in line mode) without its closing lines.
Lines listing(const std::string& text) {
    writefile("t.txt", text);
    snprintf(curfile, sizeof curfile, "t.txt");
    testinput();
    return report();
}

// The tokens of `text` read outside line mode, as their descriptions.
Lines tokens(const std::string& text, int lfr = 0) {
    writefile("t.txt", text);
    file_operation = "test input";
    openfile("t.txt", lfr);
    Lines out;
    while (q_peep() != TOK_EOF) {
        out.push_back(tok2str(q_peep()));
        q_next();
    }
    return out;
}

}  // namespace

TEST_F(Tokenizer, ReservedWordsIdentifiersAndCharacters) {
    EXPECT_EQ(listing("INHERIT choose _and_ _lsp_ _rhs_ _in_ % a1_b = |\"\n"),
              (Lines{"token: INHERIT", "token: CHOOSE", "token: PRIORITY", "token: PRIORITY", "token: _makes_",
                     "token: _pre_", "token: %", "identifier: a1_b", "char '='", "char '|'", "quote",
                     "test input warning: new line within quotes", "linefeed",
                     "Finished reading test input from file 't.txt' [1 lines.]", "end of input"}));
    EXPECT_EQ(tokens("priority Priority _is_ x.y"),
              (Lines{"token: PRIORITY", "identifier: Priority", "token: _is_", "identifier: x", "char '.'", "identifier: y"}));
}

TEST_F(Tokenizer, QuotesCommentsAndTheirWarnings) {
    EXPECT_EQ(tokens("\"a b\"{ skip | me }}"),
              (Lines{"quote", "char 'a'", "char ' '", "char 'b'", "quote", "char '}'"}));
    Lines w = report();
    EXPECT_EQ(w[0], "test input warning: | within comments");
    EXPECT_EQ(w[1], "test input warning: } outside quotes/comments");
    // Outside line mode a line end inside quotes is dropped and the quote goes on.
    EXPECT_EQ(tokens("\"a\nb\""), (Lines{"quote", "char 'a'", "char 'b'", "quote"}));
    EXPECT_EQ(report(), (Lines{"Finished reading test input from file 't.txt' [1 lines.]"}));
    tokens("\"" + std::string(79, 'q') + "\" \"" + std::string(80, 'q') + "\"");
    Lines longs = report();
    ASSERT_EQ(longs.size(), 2u);
    EXPECT_EQ(longs[0], "ERROR test input  warning: very long quoted string  ");
    tokens("{" + std::string(299, 'c') + "}{" + std::string(300, 'c') + "}\"\t{|}x\"");
    EXPECT_EQ(report(), (Lines{"ERROR test input  warning: very long comment  ", "test input warning: tab within quotes",
                               "test input warning: { within quotes", "test input warning: | within quotes",
                               "test input warning: } within quotes",
                               "Finished reading test input from file 't.txt' [0 lines.]"}));
}

TEST_F(Tokenizer, CommentOnlyFileAndTheEndOfInput) {
    EXPECT_EQ(tokens("{ nothing here }\n"), Lines{});
    EXPECT_EQ(report(), (Lines{"Finished reading test input from file 't.txt' [1 lines.]"}));
    writefile("i.txt", "inner");
    EXPECT_EQ(tokens("outer %INCLUDE \"i.txt\""), (Lines{"identifier: outer", "identifier: inner"}))
        << "an inclusion at the very end is read";
    report();
    writefile("m.txt", "%define X abc\n%X");
    openfile("m.txt", 0);
    EXPECT_EQ(q_peep(), TOK_IDENT);
    q_next();
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(q_peep(), TOK_EOF);
        q_next();
    }
    EXPECT_EQ(macrosearch("X"), nullptr) << "the macros are gone with the input";
    report();
    tokens("\"open", 0);
    EXPECT_EQ(report().front(), "test input warning: EOF within quotes");
    tokens("{open", 0);
    EXPECT_EQ(report().front(), "test input warning: EOF within comments");
}

TEST_F(Tokenizer, LongIdentifiersAreCutAndReported) {
    Lines t = tokens(std::string(41, 'k') + " z");
    EXPECT_EQ(t, (Lines{"identifier: " + std::string(39, 'k'), "identifier: z"}));
    Lines errors = report();
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], "ERROR test input  identifier truncated:  " + std::string(39, 'k') + " ");
    EXPECT_EQ(errors[1], errors[0]);
}

TEST_F(Tokenizer, ControlBytesNeverPassForTokens) {
    // A stored 4 would read as the end of input, 5 as INHERIT.
    EXPECT_EQ(tokens(std::string("a\x04" "b\x05\"c\x01\"") + std::string(1, '\0') + "d"),
              (Lines{"identifier: a", "identifier: b", "quote", "char 'c'", "quote", "identifier: d"}));
    Lines w = report();
    EXPECT_EQ(w[0], "test input warning: code 4 outside quotes/comments");
    EXPECT_EQ(w[2], "test input warning: code 1 within quotes");
}

TEST_F(Tokenizer, IncludesNestFiveDeepAndFailuresAreReported) {
    for (int i = 1; i <= 6; i++) {
        writefile("f" + std::to_string(i), "x" + std::to_string(i) + " %INCLUDE \"f" + std::to_string(i + 1) + "\" y" +
                                               std::to_string(i) + "\n");
    }
    q_stat = 0;
    file_operation = "test input";
    writefile("t.txt", "%include \"f1\" %INCLUDE \"missing\" end");
    openfile("t.txt", 0);
    Lines seen;
    while (q_peep() != TOK_EOF) {
        seen.push_back(identbuf);
        q_next();
    }
    EXPECT_EQ(seen, (Lines{"x1", "x2", "x3", "x4", "x5", "y5", "y4", "y3", "y2", "y1", "end"}));
    Lines r = report();
    EXPECT_EQ(r[0], "ERROR test input  inclusion depth too great  f6 ");
    EXPECT_EQ(r[1], "Finished reading test input from file 'f5' [1 lines.]");
    EXPECT_EQ(r[6], "ERROR test input  unable to open file:  missing ");
    EXPECT_EQ(q_stat, 1);
    // A file that includes itself stops at the depth limit; one that does so on every line
    // stops at a thousand inclusions instead of opening itself lines^5 times.
    writefile("self", "s %INCLUDE \"self\"");
    EXPECT_EQ(tokens("%INCLUDE \"self\""), Lines(5, "identifier: s"));
    report();
    std::string many;
    for (int i = 0; i < 40; i++) many += "%INCLUDE \"many\"\n";
    writefile("many", many);
    EXPECT_EQ(tokens("%INCLUDE \"many\""), Lines{});
    r = report();
    EXPECT_NE(std::find(r.begin(), r.end(), "ERROR test input  too many inclusions (at most 1000):  many "), r.end());
    EXPECT_LT(r.size(), 40u * 45u);
}

TEST_F(Tokenizer, MacrosExpandThroughTheSameStates) {
    EXPECT_EQ(tokens("%define NP noun . sing { c } \"q\"\n%NP x %NP"),
              (Lines{"identifier: noun", "char '.'", "identifier: sing", "quote", "char 'q'", "quote", "identifier: x",
                     "identifier: noun", "char '.'", "identifier: sing", "quote", "char 'q'", "quote"}));
    EXPECT_EQ(report(), (Lines{"Finished reading test input from file 't.txt' [0 lines.]"}))
        << "the definition's line end is not counted";
    // The newer definition hides the older; a macro naming itself stops at twenty levels.
    EXPECT_EQ(tokens("%define A one\n%define A two\n%A"), (Lines{"identifier: two"}));
    report();
    EXPECT_EQ(tokens("%define L z %L\n%L"), Lines(20, "identifier: z"));
    EXPECT_EQ(report().front(), "ERROR test input  macro expands into itself:  %L ");
    EXPECT_EQ(tokens("%define M %M\n%M x"), (Lines{"identifier: %Mx"})) << "a word goes on past a macro's end";
    EXPECT_EQ(tokens("%unknown"), (Lines{"identifier: %unknown"}));
}

// Every token's file, line and column, through comments, %define lines, macro texts (which
// stand where the macro is named) and included files; and the reports made on the way.
TEST_F(Tokenizer, TokensKnowTheirPlacesAndReportsCarryThem) {
    writefile("i.txt", "\n  q }");
    writefile("t.txt", "a  b\n%define M x \"y\"\n{ c\n } %M\n\t%INCLUDE \"i.txt\" z ;\n");
    std::vector<q_report> reports;
    q_reports = &reports;
    file_operation = "test input";
    openfile("t.txt", 0);
    Lines places;
    for (; q_peep() != TOK_EOF; q_next()) {
        q_place p = q_here();
        places.push_back(std::string(tok2str(q_peep())) + "@" + p.file + ":" + std::to_string(p.line) + ":" +
                         std::to_string(p.column));
        if (q_peep() == ';') q_err("stop", "here", "");
    }
    q_reports = nullptr;
    EXPECT_EQ(places, (Lines{"identifier: a@t.txt:1:1", "identifier: b@t.txt:1:4", "identifier: x@t.txt:4:4",
                             "quote@t.txt:4:4", "char 'y'@t.txt:4:4", "quote@t.txt:4:4", "identifier: q@i.txt:2:3",
                             "char '}'@i.txt:2:5", "identifier: z@t.txt:5:19", "char ';'@t.txt:5:21"}));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].where.file + ":" + std::to_string(reports[0].where.line) + ":" + std::to_string(reports[0].where.column),
              "i.txt:2:5");
    EXPECT_TRUE(reports[0].warning);
    EXPECT_EQ(reports[0].message, "} outside quotes/comments");
    EXPECT_FALSE(reports[1].warning);
    EXPECT_EQ(reports[1].message, "stop here");
    EXPECT_EQ(reports[1].where.column, 21);
    Lines r = report();
    EXPECT_EQ(r.back(), "Finished reading test input from file 't.txt' [4 lines.]") << "the closing line counts as before";
    EXPECT_EQ(r[r.size() - 2], "ERROR test input  stop here ") << "the corefile line is as before";
}

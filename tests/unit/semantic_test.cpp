// Semantic transformations: the file reader and its errors, normalisation, the split by
// valences, both match forms, templates with "#", ":" lists and "@" attach fields,
// re-analysis, the bounds, and the qmakepre key on the current line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/corutils.h"
#include "editor/getparam.h"
#include "genra/input_base.h"
#include "genra/semantic.h"
#include "genra/uninstall.h"
#include "tests/unit/genrakit.h"

using namespace zek;
using namespace zektest;
using Lines = std::vector<std::string>;

namespace {

class Semantic : public ::testing::Test {
   protected:
    void SetUp() override {
        fresh();
        loadgrammar("pred ( 2 give, 1 sleep, 3 send, 1 not ) who ( john, mary, book ) kind ( person, thing )", "N V",
                    "");
    }
    ScratchDir scratch;
};

// Loads a transformations file through SMTRANSF; returns the reader's report.
Lines load(const std::string& text) {
    writefile("t.sem", text);
    snprintf(curfile, sizeof curfile, "t.sem");
    qreadsem();
    return report();
}

// The lines written to corefile 14 since the last call (the corefile is emptied again).
Lines written() {
    Lines lines;
    for (int n = 2; linetext(SEMCORE, n) != "<none>"; n++) lines.push_back(linetext(SEMCORE, n));
    int saved = corenum;
    corenum = SEMCORE;
    clrfile();
    corenum = saved;
    return lines;
}

Lines analysed(const std::string& expression) {
    analyse_sem_expr(expression.c_str());
    return written();
}

const char* const PROBLEM = "There was a problem processing the semantic expression";

}  // namespace

TEST_F(Semantic, ReaderReportsEachErrorAndGoesOn) {
    // Names of 2001 and 1999 characters.
    std::string toolong = "x";
    for (int i = 0; i < 1000; i++) toolong += ".y";
    std::string longest = toolong.substr(0, SEMBUF - 1);
    Lines r = load(
        "sleep(0) : first %\n"
        "( oops : a %\n"
        "send(0, 0, 0) : ( bad ) %\n"
        "give(john : b %\n"
        "give(0, 0) %\n"
        "$ sleep : &#2, #1 %\n" +
        toolong + " : c %\n" + longest + " : long %\n"
        "not(0) : d, e\n");
    EXPECT_EQ(r, (Lines{
                     "uninstalled: none",
                     "ERROR Semantic Transformation Input  Encountered  char '('  instead of semantic transformation.",
                     "ERROR Semantic Transformation Input send(0,0,0) Encountered  char '('  instead of preselection "
                     "prototype.",
                     "ERROR Semantic Transformation Input give(john Malformed pattern:  "
                     "Unbalanced parentheses in semantic expression ",
                     "ERROR Semantic Transformation Input  Encountered  token: %  instead of colon.",
                     ("ERROR Semantic Transformation Input  Semantic Transformation name  " + longest + "  is too long")
                         .substr(0, 1099),
                     "Finished reading Semantic Transformation Input from file 't.sem' [9 lines.]",
                     "ERROR Semantic Transformation Input not(0) Encountered  EOF  instead of %.",
                 }));
    // The good items, newest first, with their forms and prototypes.
    Lines names;
    for (const sem_trans* t = sem_trans_list; t != nullptr; t = t->next) {
        std::string protos;
        for (const sem_prot* p = t->first; p != nullptr; p = p->next) protos += (p->reanalyse ? " &" : " ") + p->prototype;
        names.push_back(std::to_string(t->form) + " " + t->name.substr(0, 12) + " :" + protos);
    }
    EXPECT_EQ(names, (Lines{"1 x.y.y.y.y.y. : long", "2 sleep : &#2 #1", "1 sleep(0) : first"}));
    EXPECT_TRUE(installed & QF_SM);
    // A second file replaces the first; removing the kind drops the transformations.
    load("$ 0 : any %");
    ASSERT_NE(sem_trans_list, nullptr);
    EXPECT_EQ(sem_trans_list->next, nullptr);
    uninstall(QF_SM);
    EXPECT_EQ(sem_trans_list, nullptr);
    EXPECT_EQ(analysed("john"), (Lines{"PRESELECT = ", "No match found for semantic expression"}));
}

TEST_F(Semantic, NormalisesAndSplitsByValences) {
    const struct {
        const char* text;
        const char* normalised;  // or the message
        const char* top;         // the split, or "-" when it fails
    } cases[] = {
        {"give ( john , sleep(mary) )", "give.john.sleep.mary", "give|john|sleep.mary|"},
        {"send(john, mary, book)", "send.john.mary.book", "send|john|mary|book|"},
        {"give(0, not(not(book)))", "give.0.not.not.book", "give|0|not.not.book|"},
        {"give[a, (b) ](john[x|y],mary)", "give[a, (b) ].john[x|y].mary", "give[a, (b) ]|john[x|y]|mary|"},
        {"give(john, mary, book)", "give.john.mary.book", "give|john|mary|"},
        {"john", "john", "john|"},
        {"0(john)", "0.john", "0|"},
        {"kind", "kind", "kind|"},
        {"give(john)", "give.john", "-"},
        {"give(john, fly)", "give.john.fly", "-"},
        {"fly(john)", "fly.john", "-"},
        {"give(john, mary", "Unbalanced parentheses in semantic expression", nullptr},
        {"give)john(", "Unbalanced parentheses in semantic expression", nullptr},
        {"give[john", "Unbalanced brackets in semantic expression", nullptr},
        {"give](john)", "Unbalanced brackets in semantic expression", nullptr},
        {"give|john", "\"|\" outside brackets in semantic expression", nullptr},
    };
    for (const auto& c : cases) {
        sem_expr e;
        const char* why = sem_normalise(c.text, e.original);
        if (c.top == nullptr) {
            EXPECT_STREQ(why, c.normalised) << c.text;
            continue;
        }
        EXPECT_EQ(why, nullptr) << c.text;
        EXPECT_EQ(e.original, c.normalised) << c.text;
        bool ok = sem_split(e);
        EXPECT_EQ(ok, std::string(c.top) != "-") << c.text;
        if (ok) {
            EXPECT_EQ(e.top_level_orig, c.top) << c.text;
        }
    }
    // The analysis ends with the messages.
    EXPECT_EQ(analysed("fly(john)"),
              (Lines{"PRESELECT = ", "Attribute not recognized or invalid valence", PROBLEM}));
    EXPECT_EQ(analysed("give[(john)"), (Lines{"PRESELECT = ", "Unbalanced brackets in semantic expression", PROBLEM}));
    EXPECT_EQ(analysed(" \t "), (Lines{"PRESELECT = ", "Empty semantic expression", PROBLEM}));
}

TEST_F(Semantic, MatchesFullPatternsAndFunctorsNewestFirst) {
    load("$ 0 : catchall %\n"
         "$ pred : anypred %\n"
         "give(0, 0) : give00 %\n"
         "give(john, 0) : givejohn %\n"
         "sleep(kind) : sleepkind %\n"
         "not(not(0)) : notnot %\n");
    const struct {
        const char* expression;
        const char* tag;
    } cases[] = {
        {"give(john, mary)", "givejohn"},     {"give(mary, john)", "give00"},
        {"give(who, mary)", "give00"},        {"give(mary, sleep(john))", "anypred"},
        {"sleep(person)", "sleepkind"},       {"sleep(kind)", "sleepkind"},
        {"sleep(john)", "anypred"},           {"not(not(book))", "notnot"},
        {"not(book)", "anypred"},             {"john", "catchall"},
        {"give[a](john[b, c], mary)", "givejohn"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(analysed(c.expression), (Lines{"PRESELECT = ", c.tag, "%"})) << c.expression;
    }
    load("give(john, 0) : a %\n$ sleep : b %\n");
    EXPECT_EQ(analysed("give(mary, book)"), (Lines{"PRESELECT = ", "No match found for semantic expression"}));
}

TEST_F(Semantic, ExpandsTemplates) {
    const std::string elements = "give|john|mary[p, q]|";
    const struct {
        const char* prototype;
        const char* built;  // or the error
        int attach;
        const char* prefix;
    } cases[] = {
        {"t:V[#1]", "t:V[give]", 0, ""},
        {"t:V[#1.#2.thing]", "t:V[give.john.thing]", 0, ""},
        {"t:V[#3]/#2", "t:V[mary]/john", 0, ""},
        {"#1#2 x#", "givejohn x#", 0, ""},
        {"t:V[#2", "t:V[john", 0, ""},
        {"a:b:c 100%", "a:b:c 100%", 0, ""},
        {"t:N/\"@3\"", "\"", 3, "t:N/\""},
        {"t:N[#1.@3.x]", ".x]", 3, "t:N[give."},
        {"t:V[#4]", "Field 4 not present in semantic expression", -1, ""},
        {"t:V[#0]", "Field 0 not present in semantic expression", -1, ""},
    };
    for (const auto& c : cases) {
        sem_template t = sem_expand(c.prototype, elements);
        EXPECT_EQ(t.ok, c.attach >= 0) << c.prototype;
        EXPECT_EQ(t.ok ? t.built : t.error, c.built) << c.prototype;
        if (t.ok) {
            EXPECT_EQ(t.attach, c.attach) << c.prototype;
            EXPECT_EQ(t.prefix, c.prefix) << c.prototype;
        }
    }
    // Written lines: "," after all but the last, then "%"; one line per attached item.
    load("give(0, 0) : pre : X[#1], t:N/\"@3\", post %\n"
         "$ sleep : only : V[#2] %\n");
    EXPECT_EQ(analysed("give(john, mary[p, q r])"),
              (Lines{"PRESELECT = ", "pre:X[give],", "t:N/\"p\",", "t:N/\"qr\",", "post", "%"}));
    EXPECT_EQ(analysed("sleep(john)"), (Lines{"PRESELECT = ", "only:V[john]", "%"}));
    EXPECT_EQ(analysed("give(john, mary)"),
              (Lines{"PRESELECT = ", "pre:X[give],", "Attach field 3 holds no bracketed list", PROBLEM}));
    load("give(0, 0) : a, t:N/\"@3\" %\n");
    EXPECT_EQ(analysed("give(john, mary[p])"), (Lines{"PRESELECT = ", "a,", "t:N/\"p\"", "%"}));
    EXPECT_EQ(analysed("give(john, mary[ ])"), (Lines{"PRESELECT = ", "a,", "%"}));
}

TEST_F(Semantic, ReanalysesPrototypes) {
    load("$ who : w:N[#1] %\n"
         "$ sleep : s:V[#1], &#2 %\n"
         "give(0, 0) : &sleep(#2), &sleep(#3) %\n"
         "$ not : &#2 %\n"
         "send(0, 0, 0) : &#4 %\n");
    EXPECT_EQ(analysed("give(john, mary)"),
              (Lines{"PRESELECT = ", "s:V[sleep],", "w:N[john],", "s:V[sleep],", "w:N[mary]", "%"}));
    // A re-analysis takes the whole argument, brackets included.
    EXPECT_EQ(analysed("send(john, mary, book[x])"), (Lines{"PRESELECT = ", "w:N[book]", "%"}));
    // Nested 100 deep, and beyond the bound.
    auto nots = [](int n) {
        std::string s;
        for (int i = 0; i < n; i++) s += "not(";
        return s + "john" + std::string(n, ')');
    };
    EXPECT_EQ(analysed(nots(100)), (Lines{"PRESELECT = ", "w:N[john]", "%"}));
    EXPECT_EQ(analysed(nots(SEMMAXNEST + 10)),
              (Lines{"PRESELECT = ", "Semantic re-analysis nested too deep", PROBLEM}));
    // An expression that re-analyses itself without end.
    load("$ not : &not(#2) , &#1 %\n$ 0 : &#1 %\n");
    EXPECT_EQ(analysed("not(john)"), (Lines{"PRESELECT = ", "Semantic re-analysis nested too deep", PROBLEM}));
    // Two re-analyses a level: the work and the lines stay bounded and end with a message.
    load("$ not : &#2, &#2 %\n$ who : w %\n");
    Lines lines = analysed(nots(14));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.back(), PROBLEM);
    EXPECT_LE(lines.size(), static_cast<size_t>(SEMMAXLINES) + 3);
    EXPECT_TRUE(lines[lines.size() - 2] == "Too many semantic re-analyses" ||
                lines[lines.size() - 2] == "Too many preselection lines")
        << lines[lines.size() - 2];
}

TEST_F(Semantic, KeyTakesTheCurrentLineWithinBounds) {
    load("$ who : w:N[#1] %\n$ sleep : long:N/\"@2\" %\n");
    const std::string suffix = "[" + std::string(SEMBUF - 6, 'x') + "]";  // "john" + suffix: 2000 characters
    corenum = 2;
    settext("first\njohn" + suffix + "\nmary");
    cur().lnptr = line(2);
    qmakepre();
    EXPECT_EQ(written(), (Lines{"PRESELECT = ", "w:N[john]", "%"}));
    settext("johnx" + suffix);
    cur().lnptr = line(1);
    qmakepre();
    EXPECT_EQ(written(), (Lines{"PRESELECT = ", "Semantic expression too long", PROBLEM}));
    // An attached item longer than a line can hold.
    settext("sleep(mary[" + std::string(1200, 'y') + "])");
    cur().lnptr = line(1);
    qmakepre();
    EXPECT_EQ(written(), (Lines{"PRESELECT = ", "Preselection line too long", PROBLEM}));
    // The expression's line and corefile are left as they were.
    EXPECT_EQ(corenum, 2);
    EXPECT_EQ(storeproblems(), "");
}

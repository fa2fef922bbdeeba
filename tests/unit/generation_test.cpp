// Generation runs: agreement through variables, random choices, preselection, guards, the
// further roots with their labels, the node limit, post-morphology, FLATTEN, and what the
// keys and commands do with the sentences.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "editor/corutils.h"
#include "editor/getparam.h"
#include "editor/scrin.h"
#include "genra/misc.h"
#include "genra/syn_builtIn.h"
#include "genra/syn_cf.h"
#include "genra/syn_globals.h"
#include "genra/syn_read.h"
#include "genra/uninstall.h"
#include "genra/utilities.h"
#include "tests/unit/genrakit.h"

using namespace zek;
using namespace zektest;
using Lines = std::vector<std::string>;

namespace {

const char* const ATTRIBUTES = "cat ( noun, verb, det ) number ( sing, plur ) role ( subj, obj )";
const char* const LEXICON =
    "\"dog\"|N|noun, sing|1|\n\"dogs\"|N|noun, plur|1|\n\"cat\"|N|noun, sing|1|\n\"cats\"|N|noun, plur|1|\n"
    "\"runs\"|V|verb, sing|1|\n\"run\"|V|verb, plur|1|\n\"sleeps\"|V|verb, sing|1|\n\"sleep\"|V|verb, plur|1|\n"
    "\"the\"|DET|det|1|\n";

class Generation : public ::testing::Test {
   protected:
    void SetUp() override {
        fresh();
        loadgrammar(ATTRIBUTES, "N V DET X Y Z", LEXICON);
    }
    ScratchDir scratch;
};

std::string run(unsigned long s = 0) {
    if (s != 0) seed = static_cast<uint32_t>(s);
    interpret();
    return genSentences[0];
}

}  // namespace

TEST_F(Generation, SubjectAndVerbAgreeThroughVariables) {
    loadsyntax("ROOT = CHOOSE n : number ; NP [ n ] VP [ n ] %\n"
               "NP = INHERIT n : number ; DET N [ noun, n ] %\n"
               "VP = INHERIT n : number ; V [ verb, n ] %\n");
    EXPECT_EQ(synstat, 1);
    std::map<std::string, int> seen;
    for (int i = 0; i < 200; i++) {
        std::string s = run();
        bool plural = s.find("dogs") != std::string::npos || s.find("cats") != std::string::npos;
        bool pluralverb = s.find("run") != std::string::npos && s.find("runs") == std::string::npos;
        pluralverb = pluralverb || (s.find("sleep") != std::string::npos && s.find("sleeps") == std::string::npos);
        EXPECT_EQ(plural, pluralverb) << s;
        seen[s]++;
    }
    EXPECT_EQ(seen.size(), 8u) << "every noun with every verb";
    EXPECT_EQ(run(5), run(5)) << "a seed reproduces the run";
    Lines r = report();
    EXPECT_EQ(r[r.size() - 3], "Generation results:");
    EXPECT_EQ(r[r.size() - 2], "Transformed Sentence : " + genSentences[0]);
    EXPECT_EQ(r.back(), "  ******");
}

TEST_F(Generation, ChoicesAreEquallyLikelyAndNestedOnesStayInside) {
    loadsyntax("ROOT = ( X | ( Y | Z ) W | ) N %\n");
    std::map<std::string, int> leaves;
    for (int i = 0; i < 3000; i++) {
        interpret();
        std::string shape;
        for (t_treenode leaf : leavesof(root)) shape += leaf->name;
        leaves[shape]++;
    }
    EXPECT_EQ(leaves.size(), 4u);
    EXPECT_NEAR(leaves["XN"], 1000, 120);
    EXPECT_NEAR(leaves["N"], 1000, 120);
    EXPECT_NEAR(leaves["YWN"] + leaves["ZWN"], 1000, 120);
}

TEST_F(Generation, PreselectionIsSharedAndSelected) {
    loadsyntax("PRESELECT = subj : N [ noun ] ; obj %\n"
               "ROOT = SELECT s : number _pre_ subj ; DET N / _pre_ subj V [ verb, s ] %\n");
    for (int i = 0; i < 20; i++) {
        std::string s = run();
        bool plural = s.find("dogs") != std::string::npos || s.find("cats") != std::string::npos;
        EXPECT_EQ(plural, s.find("s", s.size() - 1) == std::string::npos) << s;
    }
    print_preselect_list();
    Lines r = report();
    ASSERT_GE(r.size(), 3u);
    EXPECT_EQ(r[r.size() - 3], "obj");
    EXPECT_EQ(r[r.size() - 2], "subj");
    EXPECT_EQ(r.back().substr(0, 5), "    \"");
    loadsyntax("ROOT = N / _pre_ obj %\n");
    run();
    r = report();
    EXPECT_NE(std::find(r.begin(), r.end(), "ERROR   Preselection:  No preselection ruleobj "), r.end())
        << "a reference without a PRESELECT rule";
}

TEST_F(Generation, FurtherRootsAreLabelledAndCopyTheRootTree) {
    loadsyntax("ROOT = CHOOSE n : number ; N [ noun, n ] %\nQUESTION = X ROOT %\nANSWER = ROOT Y %\n");
    interpret();
    Lines r = report();
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(r[3].substr(0, 12), "Question  : ");
    EXPECT_EQ(r[4].substr(0, 12), "Answer    : ");
    EXPECT_EQ(genSentences[1], genSentences[2]) << "both hold the one expanded ROOT";
    EXPECT_TRUE(genSentences[0].empty());
    EXPECT_NE(std::find(r.begin(), r.end(), "ERROR   No lexical entry found for X "), r.end());
}

TEST_F(Generation, EndlessGrammarsStopAtTheNodeLimit) {
    loadsyntax("ROOT = A %\nA = N A A %\n");
    interpret();
    Lines r = report();
    EXPECT_NE(std::find(r.begin(), r.end(), "ERROR   cf expansion terminated A "), r.end());
    std::function<int(t_treenode)> count = [&](t_treenode t) {
        int n = 1;
        for (t_treenode c = t->son; c != nullptr; c = c->sibling) n += count(c);
        return n;
    };
    EXPECT_LE(count(root), NODELIMIT + 4);
    EXPECT_EQ(r.back(), "  ******");
}

TEST_F(Generation, PostMorphologyJoinsAndCapitalises) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"the ^ dog", "thedog"}, {"` the dog", "The dog"}, {"a ^  ^ b", "ab"}, {"x `\xe9t\xe9", "x \xc9t\xe9"}, {"end ^", "end"}};
    for (const auto& c : cases) {
        snprintf(sentbuf, sizeof sentbuf, "%s", c.in);
        postmorph();
        EXPECT_STREQ(sentbuf2, c.out) << c.in;
    }
}

// A node's field restrictions and word pattern, written in either order, both hold.
TEST_F(Generation, RestrictionsAndWordPatternsInEitherOrder) {
    loadgrammar(ATTRIBUTES, "ADV",
                "\"yesterday\"|ADV|det|1|||pst|\"past\"|\n\"yearly\"|ADV|det|1|||prs|\"present\"|\n"
                "\"today\"|ADV|det|1|||prs|\"present\"|\n");
    const struct {
        const char* leaf;
        std::set<std::string> words;
    } cases[] = {
        {"ADV/7=prs/\"y*\"", {"yearly"}},
        {"ADV/\"y*\"/7=prs", {"yearly"}},
        {"ADV/7=prs", {"yearly", "today"}},
        {"ADV/\"y*\"", {"yesterday", "yearly"}},
        {"ADV/8=\"pr*\"/\"y*\"", {"yearly"}},           // a quoted value, then the pattern
        {"ADV/8=\"p*\",\"*t\"/\"y*\"", {"yesterday", "yearly"}},  // every value of a list must hold
        {"ADV/7=prs/\"t*\"/8=\"present\"", {"today"}},
    };
    for (const auto& c : cases) {
        loadsyntax(std::string("ROOT = ") + c.leaf + " %\n");
        std::set<std::string> words;
        seed = 12345;
        for (int i = 0; i < 40; i++) words.insert(run());
        EXPECT_EQ(words, c.words) << c.leaf;
        for (const std::string& line : report()) EXPECT_EQ(line.find("No lexical entry"), std::string::npos) << c.leaf;
    }
}

TEST_F(Generation, FlattenKeepsTheLeavesInOrder) {
    t_treenode top = makenode("T");
    top->son = makenode("A");
    top->son->son = makenode("x");
    top->son->son->sibling = makenode("y");
    top->son->sibling = makenode("z");
    flatten(top);
    std::string names;
    for (t_treenode c = top->son; c != nullptr; c = c->sibling) names += c->name + (c->son ? "+" : "");
    EXPECT_EQ(names, "xyz");
    purge_tree(&top);
}

TEST_F(Generation, KeysAndCommandsOnTheSentences) {
    runkeys("\x1bg\r");
    EXPECT_EQ(takesequences().size() > 0, true);
    loadsyntax("ROOT = N %\nQUESTION = DET N V %\n");
    snprintf(picstring, sizeof picstring, "le");
    rm_qfiles();
    setkeys("\r");
    generate();
    param[1] = 1;
    setkeys("\r");
    qdisplay();
    Lines shown;
    for (const std::string& s : takesequences()) {
        if (s.rfind("$me", 0) == 0) shown.push_back(s.substr(3));
    }
    EXPECT_EQ(shown, (Lines{"There is no lexicon", "No generated sentence"}));
    loadgrammar(ATTRIBUTES, "N V DET", LEXICON);
    loadsyntax("ROOT = N %\nQUESTION = DET N V %\n");
    interpret();
    std::string question = genSentences[1];
    // The response equal to sentence 1 runs error function 1; any other runs function 0.
    snprintf(q_error, sizeof q_error, "ok1");
    param[1] = 1;
    qerrorinput();
    snprintf(q_error, sizeof q_error, "no0");
    param[1] = 0;
    qerrorinput();
    for (const std::string& typed : {question, question + "   ", std::string("other")}) {
        settext(typed);
        cur().curcol = 1;
        qcompare();
        EXPECT_EQ(keytrace(3), typed == "other" ? "no0" : "ok1") << typed;
    }
    settext("");
    setkeys("1\r");
    disp_sent();
    setkeys("3\r\r");
    disp_sent();
    EXPECT_EQ(coretext(1), "\n" + question);
    Lines messages;
    for (const std::string& s : takesequences()) {
        if (s.rfind("$me", 0) == 0) messages.push_back(s.substr(3));
    }
    EXPECT_EQ(messages.back(), "sentence 3 does not exist");
}

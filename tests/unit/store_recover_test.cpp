// Storing a run's trees as text (full trees with paths, indented trees, leaf lists, the
// lexicon section) and reading such text back: the round trip, and files that were edited,
// cut short or are not stored trees at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "editor/corutils.h"
#include "editor/getparam.h"
#include "editor/sysutils.h"
#include "genra/attr_fns.h"
#include "genra/lex_read.h"
#include "genra/misc.h"
#include "genra/print_procs.h"
#include "genra/syn_globals.h"
#include "genra/uninstall.h"
#include "genra/utilities.h"
#include "tests/unit/genrakit.h"

using namespace zek;
using namespace zektest;
using Lines = std::vector<std::string>;

namespace {

const char* const ATTRIBUTES = "cat ( noun, verb, det ) number ( sing, plur ) degree ( low < mid < high )";
const char* const TERMINALS = "N V DET NOUN";
const char* const LEXICON =
    "\"dog\"|N|noun, sing|1|\n\"dogs\"|N|noun, plur|1|\n\"cat\"|N|noun, sing|1|\n\"cats\"|N|noun, plur|1|\n"
    "\"runs\"|V|verb, sing, <high|1|\n\"run\"|V|verb, plur|1|\n\"the\"|DET|det|1|\n\"a\"|DET|det.sing|1|\n"
    "\"^!\"|DET|number|1|\n";
// With a fixed seed the stored text is fixed; NOUN has no entry.
const char* const FIXED = "ROOT = NP VP NOUN %\nNP = DET [ det ] N [ noun, sing ] %\nVP = V [ verb, sing ] %\n";
const char* const RANDOM =
    "ROOT = CHOOSE n : number ; NP [ n ] VP [ n ] ( DET [ number ] | ) %\n"
    "NP = INHERIT n : number ; ( DET [ det ] | ) N [ noun, n ] %\n"
    "VP = INHERIT n : number ; V [ verb, n ] %\n";

class StoreRecover : public ::testing::Test {
   protected:
    void SetUp() override {
        fresh();
        loadgrammar(ATTRIBUTES, TERMINALS, LEXICON);
    }
    ScratchDir scratch;
};

// The lines a store writes into an emptied corefile 3.
Lines stored(int style) {
    corenum = 3;
    clrfile();
    store(style, 0);
    Lines lines;
    std::istringstream text(coretext(3));
    for (std::string l; std::getline(text, l);) lines.push_back(l);
    if (!lines.empty() && lines.front().empty()) lines.erase(lines.begin());
    return lines;
}

std::string joined(const Lines& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    return text;
}

// Recovers `text` from a file after the run is cleared; the lines reported in corefile 7.
Lines recover(const std::string& text) {
    writefile("t.st", text);
    clear_SE_PRE(1);
    report();
    restorenode("t.st");
    return report();
}

bool reported(const Lines& r, const std::string& part) {
    return std::any_of(r.begin(), r.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

int errors(const Lines& r) {
    return static_cast<int>(std::count_if(r.begin(), r.end(), [](const std::string& l) { return l.rfind("ERROR", 0) == 0; }));
}

std::string children(t_treenode t) {
    std::string names;
    for (t_treenode c = t != nullptr ? t->son : nullptr; c != nullptr; c = c->sibling) names += c->name + " ";
    return names;
}

}  // namespace

TEST_F(StoreRecover, FullTreesWithPathsAndTheLexiconSection) {
    loadsyntax(FIXED);
    seed = 5;
    interpret();
    Lines lines = stored(1);
    const Lines tree = {
        "N|G|ROOT||0|\"\"||",
        "S|G|NP||0|\"\"||",
        "SS|G|DET|det|0|\"the\"|LEX_0|",
        "SSR|G|N|noun, sing|0|\"cat\"|LEX_1|",
        "SR|G|VP||0|\"\"||",
        "SRS|G|V|verb, sing|0|\"runs\"|LEX_2|",
        "SRR|G|NOUN||0|\"\"|LEX_3|",
    };
    ASSERT_EQ(lines.size(), 23u) << joined(lines);
    EXPECT_EQ(lines[0], "$u");
    EXPECT_EQ(lines[1], "$t 999999") << "the untransformed ROOT comes first";
    EXPECT_EQ(lines[2], "N|G|ROOT||0|\"\"||");
    EXPECT_EQ(lines[4], "SS|G|DET|det|0|\"\"|LEX_0|") << "its leaves got no words";
    EXPECT_EQ(lines[9], "$t 0");
    EXPECT_EQ(Lines(lines.begin() + 10, lines.begin() + 17), tree);
    EXPECT_EQ(Lines(lines.begin() + 17, lines.end()),
              (Lines{"$L", "{LEX_0} \"the\"|DET|det|0001|||", "{LEX_1} \"cat\"|N|noun, sing|0001|||",
                     "{LEX_2} \"runs\"|V|verb, sing, <high|0001|||", "{LEX_3} *no lexical entry found for NOUN", "%%"}));
}

TEST_F(StoreRecover, LeafListsAndIndentedTrees) {
    loadsyntax(FIXED);
    seed = 5;
    interpret();
    Lines leaves = stored(0);
    ASSERT_EQ(leaves.size(), 17u) << joined(leaves);
    EXPECT_EQ(leaves[1], "$l 999999");
    EXPECT_EQ(Lines(leaves.begin() + 6, leaves.begin() + 11),
              (Lines{"$l 0", "DET|det|0|\"the\"|LEX_0|", "N|noun, sing|0|\"cat\"|LEX_1|", "V|verb, sing|0|\"runs\"|LEX_2|",
                     "NOUN||0|\"\"|LEX_3|"}));
    Lines indented = stored(2);
    EXPECT_EQ(Lines(indented.begin() + 9, indented.begin() + 17),
              (Lines{"$t 0", "ROOT||0|\"\"||", "  NP||0|\"\"||", "    DET|det|0|\"the\"|LEX_0|", "    N|noun, sing|0|\"cat\"|LEX_1|",
                     "  VP||0|\"\"||", "    V|verb, sing|0|\"runs\"|LEX_2|", "  NOUN||0|\"\"|LEX_3|"}));
    EXPECT_EQ(indented.back(), "%%");
}

TEST_F(StoreRecover, EveryFormOfLexiconLine) {
    loadsyntax("ROOT = N [ noun ] Q DET [ number ] %\n");
    interpret();
    t_dict_lookup& unused = dict_table[d_table_count++];
    unused.class_ = "V";
    t_dict_lookup& silent = dict_table[d_table_count++];
    silent.error = 2;
    silent.pointed_at = 1;
    Lines lines = stored(1);
    Lines lexicon(std::find(lines.begin(), lines.end(), "$L"), lines.end());
    ASSERT_EQ(lexicon.size(), 6u) << joined(lines);
    EXPECT_EQ(lexicon[1].substr(0, 9), "{LEX_0} \"");
    EXPECT_EQ(lexicon[2], "{LEX_1} *terminal not found Q");
    EXPECT_EQ(lexicon[3], "{LEX_2} \"^!\"|DET|number|0001|||") << "a type name alone";
    EXPECT_EQ(lexicon[4], "{LEX_3} *unused") << "lookup 4 (error 2) has no line";
    // Recovered, the lookups are as they were, and storing again gives the same lines.
    Lines r = recover(joined(lines));
    EXPECT_EQ(errors(r), 0) << joined(r);
    EXPECT_EQ(d_table_count, 4);
    EXPECT_EQ(dict_table[1].error, 1);
    EXPECT_EQ(dict_table[3].pointed_at, 0);
    EXPECT_EQ(print_attr_list(dict_table[2].attributes), "number");
    EXPECT_EQ(stored(1), lines);
}

TEST_F(StoreRecover, RoundTripGivesTheSameSentencesAndLookups) {
    loadsyntax(RANDOM);
    std::set<std::string> seen;
    for (int style : {1, 0}) {
        for (unsigned s = 1; s < 40; s += 2) {
            seed = (s * 2654435761u) | 1u;
            interpret();
            std::string sentence = genSentences[0];
            seen.insert(sentence);
            Lines lines = stored(style);
            Lines r = recover(joined(lines));
            EXPECT_EQ(errors(r), 0) << joined(r);
            EXPECT_EQ(genSentences[0], sentence) << "style " << style << " seed " << s;
            EXPECT_TRUE(generated);
            EXPECT_FALSE(there_has_been_no_generation());
            EXPECT_EQ(stored(style), lines) << "storing the recovered run writes the same lines";
        }
    }
    EXPECT_GE(seen.size(), 6u);
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](const std::string& t) { return t.back() == '!' && t[t.size() - 2] != ' '; }))
        << "a word joined by post-morphology";
    EXPECT_TRUE(reported(recover(""), "end before"));
    EXPECT_TRUE(genSentences[0].empty());
}

TEST_F(StoreRecover, FurtherRootsAndNoGrammarNeeded) {
    loadsyntax("ROOT = CHOOSE n : number ; N [ noun, n ] %\nQUESTION = DET [ det ] ROOT %\nANSWER = ROOT V [ verb ] %\n");
    seed = 7;
    interpret();
    Lines lines = stored(1);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l[0] == '$'; }), 4);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "$t 2"), lines.end());
    std::string question = genSentences[1], answer = genSentences[2];
    uninstall(QF_SY | QF_TM | QF_LE);
    Lines r = recover(joined(lines));
    EXPECT_EQ(errors(r), 0) << joined(r);
    EXPECT_EQ(genSentences[1], question);
    EXPECT_EQ(genSentences[2], answer);
    EXPECT_EQ(rootPtrs[1]->name, "QUESTION");
    EXPECT_EQ(children(rootPtrs[1]), "DET ROOT ");
    // Without attributes the words still come back; entries with attributes are refused.
    uninstall(QF_AT);
    r = recover(joined(lines));
    EXPECT_EQ(genSentences[1], question);
    EXPECT_EQ(std::count_if(r.begin(), r.end(), [](const std::string& l) { return l.find("No attributes loaded") != std::string::npos; }), 1);
    EXPECT_TRUE(reported(r, "Unknown attribute"));
}

TEST_F(StoreRecover, FaultyFilesKeepWhatWasRead) {
    const std::string head = "$u\n$t 0\nN|G|ROOT||0|\"\"||\nS|G|N|noun.sing|0|\"dog\"|LEX_0|\n";
    const std::string lexicon = "$L\n{LEX_0} \"dog\"|N|noun, sing|0001|||\n%%\n";
    const struct {
        std::string text;
        const char* report;
        const char* sentence;
    } cases[] = {
        {head + "$|x\nSR|G|V||0|\"runs\"||\n" + lexicon, "Unable to recover tree. Cause: Invalid identifier encountered.", "dog"},
        {head + "SRS|G|V||0|\"runs\"||\n" + lexicon, "Node path leads out of the tree: SRS", "dog"},
        {head + "R|G|V||0|\"runs\"||\n" + lexicon, "Node path leads out of the tree: R", "dog"},
        {head + "S|G|V||0|\"runs\"||\n" + lexicon, "Node given twice: S", "dog"},
        {head + "SX|G|V||0|\"runs\"||\n" + lexicon, "Invalid node path: SX", "dog"},
        {head + "SS" + std::string(99, 'R') + "|G|V||0|\"x\"||\n" + lexicon, "longer than 99 steps", "dog"},
        {head + "SR|G|V||0|\"runs\"|LEX_5000|\n" + lexicon, "Lookup number out of range: LEX_5000", "dog runs"},
        {head + "SR|G|V||0|\"runs\"|LEXX|\n" + lexicon, "Invalid lookup: LEXX", "dog runs"},
        {head + "SR|G|V|verb#|0|\"runs\"||\n" + lexicon, "Invalid attribute text: verb#", "dog runs"},
        {head + "SR|G|V|verb.nosuch|0|\"runs\"||\n" + lexicon, "Unknown attribute", "dog runs"},
        {head + "SR|G|V\n" + lexicon, "Not a node line of a full tree", "dog"},
        {"$l 0\nN||0|\"dog\"||\nV||0\n" + lexicon, "Incomplete node line", "dog"},
        {head + "%%\n", "No lexicon section", "dog"},
        {head, "end before \"%%\"", "dog"},
        {head + "SR|G|V||0|\"ru\x01\x02\xffns\"||\n" + lexicon, "warning", "dog ru\xffns"},
        {"$t 42\nN|G|ROOT||0|\"\"||\nS|G|N||0|\"dog\"||\n" + lexicon, "Invalid tree number: 42", ""},
        {"$t 0\nROOT||0|\"\"||\n  N||0|\"dog\"||\n" + lexicon, "Not a node line of a full tree", ""},
        {head + "$L\n{LEX_0} \"dog\"|N|noun, sing|0001|||\n{LEX_0} \"cat\"|N|noun, sing|0001|||\n%%\n", "Lookup given twice: 0", "dog"},
    };
    for (const auto& c : cases) {
        Lines r = recover(c.text);
        EXPECT_TRUE(reported(r, c.report)) << c.report << "\n" << joined(r);
        EXPECT_EQ(genSentences[0], c.sentence) << c.report;
        EXPECT_TRUE(reported(r, "Finished reading stored tree input from file 't.st'")) << c.report;
    }
    // The name itself.
    restorenode("");
    EXPECT_EQ(report(), (Lines{"ERROR stored tree input  Unable to recover tree. Cause: RECOVER filename not specified. "}));
    genSentences[0] = "kept";
    for (const char* name : {"absent.st", "."}) {
        restorenode(name);
        EXPECT_EQ(report(), Lines{"ERROR stored tree input  Unable to recover tree. Cause: RECOVER filename [" + std::string(name) +
                                  "] does not exist or insufficient access "});
        EXPECT_EQ(genSentences[0], "kept") << "nothing is cleared";
    }
}

TEST_F(StoreRecover, LexiconLabelsNumberTheLookups) {
    const std::string nodes = "$t 0\nN|G|ROOT||0|\"\"||\nS|G|N||0|\"dog\"|LEX_1|\nSR|G|V||0|\"runs\"|LEX_3|\n";
    // Out of order, with a gap, with a rejected entry and a line without label.
    Lines r = recover(nodes +
                      "$L\n{LEX_1} \"dog\"|N|noun, sing|0001|||\n{LEX_0} \"the\"|DET|det|0001|||\n"
                      "{LEX_2} \"x\"|N|nosuch|0001|||\n{LEX_3} \"runs\"|V|verb, sing|0001|||\n\"run\"|V|verb, plur|0001|||\n"
                      "{LEX_7} *no lexical entry found for NOUN\n%%\n");
    EXPECT_EQ(errors(r), 1) << joined(r);
    EXPECT_EQ(d_table_count, 8);
    EXPECT_EQ(entryword(dict_table[0].dictionary), "the");
    EXPECT_EQ(entryword(dict_table[1].dictionary), "dog");
    EXPECT_EQ(dict_table[2].dictionary, nullptr);
    EXPECT_EQ(root->son->sibling->index, 3);
    EXPECT_EQ(entryword(root->son->sibling->dictionary->dictionary), "runs");
    EXPECT_EQ(entryword(dict_table[4].dictionary), "run") << "the line after lookup 3";
    EXPECT_EQ(dict_table[7].error, 3);
    EXPECT_EQ(dict_table[7].class_, "NOUN");
    EXPECT_EQ(print_attr_list(dict_table[3].attributes), "verb, sing");
    // A comment that runs over a line end keeps the labels in step.
    r = recover(nodes + "$L\n{LEX_1} \"dog\"|N|noun, sing|0001|||{note\n}\n{LEX_3} \"runs\"|V|verb|0001|||\n%%\n");
    EXPECT_EQ(entryword(dict_table[3].dictionary), "runs") << joined(r);
}

TEST_F(StoreRecover, FixedBoundsWhenStoringAndRecovering) {
    // A node with 120 children: only the first 99 have paths of at most 99 steps.
    root = makenode("ROOT");
    t_treenode* last = &root->son;
    for (int i = 0; i < 120; i++) {
        *last = makenode("L");
        (*last)->morphed_word = "w" + std::to_string(i);
        last = &(*last)->sibling;
    }
    thread(root);
    report();
    Lines lines = stored(1);
    EXPECT_TRUE(reported(report(), "Tree 0: 21 nodes lie more than 99 steps from the root and are not stored"));
    EXPECT_EQ(lines[lines.size() - 3], "S" + std::string(98, 'R') + "|G|L||0|\"w98\"||");
    // Paths past an identifier's length come back whole; the tokenizer reports each cut.
    Lines r = recover(joined(lines));
    EXPECT_EQ(errors(r), static_cast<int>(std::count_if(r.begin(), r.end(), [](const std::string& l) {
                  return l.find("identifier truncated") != std::string::npos;
              })));
    EXPECT_EQ(leavesof(root).size(), 99u);
    EXPECT_EQ(leavesof(root).back()->morphed_word, "w98");
    // A line too long for a corefile line is cut, and said so.
    root->son->morphed_word = std::string(1200, 'x');
    lines = stored(0);
    EXPECT_EQ(lines[2].size(), static_cast<size_t>(STORELINEMAX));
    EXPECT_TRUE(reported(report(), "Stored line longer than 1099 characters cut: L||0|\"xxx"));
    // 1030 leaves in a list: the first 1024 are kept.
    std::string list = "$l 0\n";
    for (int i = 0; i < 1030; i++) list += "L||0|\"w\"||\n";
    r = recover(list + "$L\n%%\n");
    EXPECT_TRUE(reported(r, "More than 1024 node lines")) << joined(r);
    EXPECT_EQ(errors(r), 1);
    EXPECT_EQ(leavesof(root).size(), 1024u);
}

TEST_F(StoreRecover, FullTreesToTheDriver) {
    loadsyntax(FIXED);
    interpret();
    char* text = nullptr;
    size_t size = 0;
    zekoutput = open_memstream(&text, &size);
    progstate = 1;
    corenum = 3;
    clrfile();
    store(1, 1);
    store(0, 1);
    fclose(zekoutput);
    zekoutput = nullptr;
    progstate = 0;
    std::string sent(text, size);
    free(text);
    EXPECT_EQ(coretext(3), "") << "nothing goes into the corefile";
    EXPECT_EQ(sent.substr(0, 14), "$u\n$t 999999\nN");
    size_t first = sent.find("%%\n=\n$u\n$l 999999\n");
    EXPECT_NE(first, std::string::npos) << "only full trees end with =";
    EXPECT_EQ(sent.substr(sent.size() - 3), "%%\n");
}

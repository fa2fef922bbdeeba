// Terminals and the lexicon: entry compilation and its errors, selection by attributes,
// word pattern, fields and frequency, frequency changes, and the file kinds' bookkeeping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/getparam.h"
#include "genra/attr_data.h"
#include "genra/attr_fns.h"
#include "genra/input_base.h"
#include "genra/lex_read.h"
#include "genra/lex_scan.h"
#include "genra/syn_cf.h"
#include "genra/terminal.h"
#include "genra/uninstall.h"
#include "genra/utilities.h"
#include "tests/unit/genrakit.h"

using namespace zek;
using namespace zektest;
using Lines = std::vector<std::string>;

namespace {

const char* const ATTRIBUTES = "cat ( noun, verb, adj ) number ( sing, plur ) degree ( low < mid < high ) gender ( masc, fem )";

class Lexicon : public ::testing::Test {
   protected:
    void SetUp() override { fresh(); }
    ScratchDir scratch;
};

// The entries of terminal `t`, newest first.
Lines entries(const char* t) {
    Lines out;
    int n = lookup_terminal(t);
    if (n < 0 || n >= static_cast<int>(dictionary.size())) return out;
    for (recnode* r = dictionary[static_cast<size_t>(n)]; r != nullptr; r = r->previous) out.push_back(r->recordptr);
    return out;
}

std::string bytes(std::initializer_list<int> codes) {
    std::string s;
    for (int c : codes) s += static_cast<char>(c);
    return s;
}

// The word chosen for a leaf description, or the lookup's error as "#n".
std::string choose(const char* leaf) {
    t_treenode node = nodefromtext(leaf);
    getdictent(node->dictionary);
    std::string word = node->dictionary->error != 0 ? "#" + std::to_string(node->dictionary->error)
                                                    : std::string(node->dictionary->dictionary, strcspn(node->dictionary->dictionary, "|"));
    purgelookups(0);
    purge_node(&node);
    return word;
}

}  // namespace

TEST_F(Lexicon, EntriesAreCompiled) {
    loadgrammar(ATTRIBUTES, "N V ADJ",
                "\"big dog\"|N|masc, noun.sing|12|st em|\"x y\"|7|8|\n"
                "\\r\"cats\"  |  N |noun.plur|12345\n"
                "\"tall\"|ADJ|adj, <high, gender|\n"
                "\"run\"|V|verb||\n"
                "\n");
    // Compounds sorted by their first type (cat 1, gender 4); 255 for a type without a value.
    EXPECT_EQ(entries("N"), (Lines{"\"cats\"|N|" + bytes({25, 1, 1, '.', 25, 2, 2}) + " |9999|||",
                                   "\"big dog\"|N|" + bytes({25, 1, 1, '.', 25, 2, 1, ' ', 25, 4, 1}) +
                                       " |0012|stem|\"x y\"|7|8|"}));
    EXPECT_EQ(entries("ADJ"), (Lines{"\"tall\"|ADJ|" + bytes({25, 1, 3, ' ', '<', 25, 3, 3, ' ', 25, 4, 255}) +
                                     " |0001|||"}));
    EXPECT_EQ(entries("V"), (Lines{"\"run\"|V|" + bytes({25, 1, 2}) + " |0001|||"}));
    EXPECT_EQ(fourdigits(12), "0012");
    EXPECT_EQ(fourdigits(123456), "9999");
}

TEST_F(Lexicon, FaultyEntriesAreReportedAndSkipped) {
    std::string lex = "\"a\"|N|noun|1|\n"
                      "only one|\n"
                      "\"b\"|N|noun.zork|1|\n"
                      "\"c\"|Q|noun|1|\n"
                      "\"d\"|N|noun ; sing|1|\n"
                      "\"e\"|N|noun|1|";
    for (int i = 0; i < 350; i++) lex += "abc ";
    lex += "|\n";
    for (int i = 0; i < 60; i++) lex += "x|\n";
    loadgrammar(ATTRIBUTES, "N", "");
    writefile("bad.lex", lex);
    snprintf(curfile, sizeof curfile, "bad.lex");
    qreadlex();
    Lines r = report();
    EXPECT_EQ(r[0], "uninstalled: LE");
    EXPECT_EQ(r[1], "ERROR lexicon input onlyone Entry has fewer than two complete fields  ");
    EXPECT_EQ(r[2], "ERROR lexicon input \"b\" Unknown attribute zork ");
    EXPECT_EQ(r[3], "ERROR lexicon input \"c\" Terminal not found: Q ");
    EXPECT_EQ(r[4], "ERROR lexicon input \"d\" Unexpected character in attribute field char ';' ");
    EXPECT_EQ(r[5], "ERROR lexicon input \"e\" Entry is too long  ");
    EXPECT_EQ(r.size(), 53u) << "50 errors are listed";
    EXPECT_EQ(r[51], "Finished reading lexicon input from file 'bad.lex' [66 lines.]");
    EXPECT_EQ(r[52], "Total Words: 2. Number of Errors: 65");
    EXPECT_EQ(entries("N").size(), 2u) << "the entry with an unexpected character is kept";
}

TEST_F(Lexicon, SelectionByAttributesWordFieldsAndFrequency) {
    loadgrammar(ATTRIBUTES, "N ADJ",
                "\"dog\"|N|noun.sing, masc|1|animal|\n"
                "\"dogs\"|N|noun.plur|3|animal|\n"
                "\"cat\"|N|noun.sing, fem|0|animal|\n"
                "\"stone\"|N|noun.sing|2|thing|\n"
                "\"tall\"|ADJ|adj, <high|1|\n"
                "\"any\"|ADJ|adj, degree|1|\n");
    EXPECT_EQ(choose("N[noun.plur]"), "\"dogs\"");
    EXPECT_EQ(choose("N[fem]"), "#3") << "frequency 0 is never chosen";
    EXPECT_EQ(choose("N[noun.sing]/5=thing"), "\"stone\"");
    EXPECT_EQ(choose("N/\"do*\"[noun.sing]"), "\"dog\"");
    EXPECT_EQ(choose("Q"), "#1");
    for (const char* d : {"low", "mid", "high"}) {
        nextdraw(0.0);
        EXPECT_EQ(choose((std::string("ADJ[") + d + "]").c_str()), "\"any\"") << d;
        nextdraw(0.99);
        EXPECT_EQ(choose((std::string("ADJ[") + d + "]").c_str()), "\"tall\"") << "<high covers " << d;
    }
    // Frequencies 3 (dogs, newest first) then 1 (dog): draws 0..2 take dogs, 3 takes dog.
    for (int r = 0; r < 4; r++) {
        nextdraw((r + 0.5) / 4);
        EXPECT_EQ(choose("N/5=animal"), r < 3 ? "\"dogs\"" : "\"dog\"") << r;
    }
    EXPECT_STREQ(exactword("\"do*\"", dictionary[0]), entries("N")[2].c_str());
    EXPECT_EQ(exactword("\"horse\"", dictionary[0]), nullptr);
}

// However many candidates a lookup has, the draw spreads over all of them by frequency: with
// 100000 equal nouns draw k takes the k-th candidate (newest first), and the file's first entry
// is as rare as any other.
TEST_F(Lexicon, EveryCandidateOfALargeLookupCanBeDrawn) {
    std::string lex;
    for (int n = 0; n < 100000; n++) lex += "\"w" + std::to_string(n) + "\"|N|noun|1|\n";
    loadgrammar(ATTRIBUTES, "N", lex);
    for (int k : {0, 24998, 24999, 30000, 74999, 99999}) {
        nextdraw((k + 0.5) / 100000);
        EXPECT_EQ(choose("N"), "\"w" + std::to_string(99999 - k) + "\"") << k;
    }
    EXPECT_EQ(numnodes, 100000);
    int first = 0;
    for (int run = 1; run <= 100; run++) {
        reseed(static_cast<unsigned long>(run));
        if (choose("N") == "\"w0\"") first++;
    }
    EXPECT_LE(first, 2);
}

// Lookups repeated with the same rows draw from the candidates found the first time: they must
// still follow frequency changes (also where a field tests the frequency itself) and a lexicon
// read again.
TEST_F(Lexicon, RepeatedLookupsFollowChangedFrequenciesAndLexicons) {
    loadgrammar(ATTRIBUTES, "N", "\"a\"|N|noun.sing|1|\n\"b\"|N|noun.sing|1|\n\"c\"|N|noun.plur|1|\n");
    char* a = dictionary[0]->previous->previous->recordptr;
    char* c = dictionary[0]->recordptr;
    for (int twice = 0; twice < 2; twice++) {
        nextdraw(0.75);
        EXPECT_EQ(choose("N[noun.sing]"), "\"a\"") << "b then a, newest first";
        EXPECT_EQ(numnodes, 2);
        EXPECT_EQ(choose("N/4=0003"), "#3");
    }
    apply_vf_single(a, 0);
    apply_vf_single(c, 3);
    nextdraw(0.75);
    EXPECT_EQ(choose("N[noun.sing]"), "\"b\"") << "a's frequency is 0 now";
    EXPECT_EQ(prob_tot, 1);
    EXPECT_EQ(choose("N/4=0003"), "\"c\"") << "the field test sees the new frequency";
    apply_vf_single(a, -1);
    EXPECT_EQ(choose("N[noun.sing]"), "\"b\"") << "an unchanged frequency";

    writefile("h.lex", "\"d\"|N|noun.sing|1|\n");
    snprintf(curfile, sizeof curfile, "%s", "h.lex");
    qreadlex();
    EXPECT_EQ(choose("N[noun.sing]"), "\"d\"");
    EXPECT_EQ(numnodes, 1);
}

TEST_F(Lexicon, FrequencyChanges) {
    loadgrammar(ATTRIBUTES, "N", "\"a\"|N|noun|0010|\n");
    char* entry = dictionary[0]->recordptr;
    const struct {
        int n;
        const char* after;
    } steps[] = {{-1, "0010"}, {-2, "0015"}, {-3, "0030"}, {-4, "0015"}, {-7, "0015"}, {0, "0000"}, {20000, "9999"}, {-3, "9999"}};
    for (const auto& s : steps) {
        apply_vf_single(entry, s.n);
        EXPECT_EQ(std::string(getfieldptr(entry, 4), 4), s.after) << s.n;
    }
}

TEST_F(Lexicon, QfreqAsksTwiceAndChangesTheMatches) {
    loadgrammar(ATTRIBUTES, "N", "\"a\"|N|noun.sing|1|\n\"b\"|N|noun.plur|1|\n\"c\"|N|noun.sing|1|\n");
    runkeys("\x03QFN [ noun.sing ] / + 7\r\r\r\r");
    EXPECT_EQ(report(), (Lines{"VF N [ noun.sing ] / + 7", "\"c\"|N|" + bytes({25, 1, 1, '.', 25, 2, 1}) + " |0007|||",
                               "\"a\"|N|" + bytes({25, 1, 1, '.', 25, 2, 1}) + " |0007|||"}));
    EXPECT_EQ(entries("N")[1].substr(entries("N")[1].size() - 7), "0001|||") << "b is not a match";
    runkeys("\x03QFN/$3\r\x7f\r\r");
    EXPECT_EQ(report().size(), 4u) << "DEL keeps the frequencies, RETURN still lists";
    EXPECT_EQ(std::string(getfieldptr(entries("N")[0].c_str(), 4), 4), "0007");
    runkeys("\x03QFX\r\r\r");
    EXPECT_EQ(d_table_count, 0);
    EXPECT_EQ(delayptr, 0);
}

TEST_F(Lexicon, TerminalsAndFileKinds) {
    writefile("t.tmn", "N V N ( ADJ");
    read_terminals("t.tmn");
    EXPECT_EQ(terminal_table, (std::vector<std::string>{"N", "V", "ADJ"}));
    EXPECT_EQ(report(), (Lines{"ERROR terminals input  Repeated terminal N ", "ERROR terminals input  Unexpected symbol char '(' ",
                               "Finished reading terminals input from file 't.tmn' [0 lines.]"}));
    EXPECT_EQ(bits_to_text(0), "none");
    EXPECT_EQ(bits_to_text(0x41), "AT, LE");
    EXPECT_EQ(text_to_bits("sy, lx"), QF_SY | QF_US | QF_LX);
    EXPECT_EQ(text_to_bits("at,zz"), QF_AT | QF_LE | QF_MR | QF_GP);
    EXPECT_EQ(report(), Lines{"ZZ not a file kind"});
    setkeys("\r");
    EXPECT_EQ(text_to_bits("a1"), 0);
    loadgrammar(ATTRIBUTES, "N", "\"a\"|N|noun|1|\n");
    EXPECT_EQ(installed, QF_AT | QF_TM | QF_LE);
    EXPECT_EQ(genrafilename['L' - '@'], "g.lex");
    snprintf(curfile, sizeof curfile, "g.att");
    qreadattr();
    EXPECT_EQ(report().front(), "uninstalled: AT, LE");
    EXPECT_EQ(genrafilename['L' - '@'], "") << "the lexicon went with the attributes";
    EXPECT_TRUE(dictionary.empty());
    snprintf(curfile, sizeof curfile, "g.lex");
    runkeys("\x03QAg.lex\r\r\r");
    EXPECT_EQ(installed & QF_LE, QF_LE) << "QADDLEX without a lexicon loads one";
    snprintf(picstring, sizeof picstring, "tm");
    rm_qfiles();
    EXPECT_EQ(report().back(), "uninstalled: TM, LE");
    EXPECT_EQ(installed, QF_AT);
}

TEST_F(Lexicon, RandomSource) {
    seed = 1;
    EXPECT_EQ(getrandom(10), 0);
    EXPECT_EQ(seed, 3125u);
    reseed(4);
    EXPECT_EQ(seed, 5u);
    printseed(7);
    EXPECT_EQ(report(), (Lines{"Setting random seed: 5", "Current random seed: 5"}));
    int counts[3] = {};
    for (int i = 0; i < 30000; i++) counts[getrandom(3)]++;
    for (int c : counts) EXPECT_NEAR(c, 10000, 400);
    EXPECT_TRUE(match_wild("a*c", "abbc", 0, 0) && match_wild("a*c", "ac", 0, 0) && !match_wild("a*c", "ab", 0, 0));
    EXPECT_TRUE(match_wild("a*", "a|zz", 0, '|') && !match_wild("a", "ab", 0, 0));
    EXPECT_EQ(match_lsp("?|?|?|?|x*,*y|", "\"w\"|N||0001|xy|"), 1);
    EXPECT_EQ(match_lsp("?|?|?|?|x*,z|", "\"w\"|N||0001|xy,z|"), 1);
    EXPECT_EQ(match_lsp("?|?|?|?||", "\"w\"|N||0001|xy|"), 0);
    EXPECT_EQ(match_lsp("?|?|?|?|?|?|q|", "\"w\"|N||0001|||"), 0) << "an entry without the field fails";
}

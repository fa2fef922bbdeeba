// The response analysis: the spelling distance, the class of each word comparison (exact,
// morphological with minimal differences, approximate, lexical through tags, phonological with
// backtracking), scores and root choice, the report and the lines of corefiles 7 and 15, the
// root set, the enumeration listing and the readers of the three tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "editor/corutils.h"
#include "editor/getparam.h"
#include "genra/attr_data.h"
#include "genra/input_base.h"
#include "genra/misc.h"
#include "genra/morphology.h"
#include "genra/stud_err.h"
#include "genra/stud_ind.h"
#include "genra/stud_mor.h"
#include "genra/stud_phon.h"
#include "genra/stud_read.h"
#include "genra/syn_globals.h"
#include "genra/uninstall.h"
#include "genra/utilities.h"
#include "tests/unit/genrakit.h"

using namespace zek;
using namespace zektest;
using Lines = std::vector<std::string>;

namespace {

const char* const ATTRIBUTES = "cat ( noun, verb, det ) number ( sing, plur ) person ( first, third ) "
                               "tense ( pres, past ) size ( tiny, huge, vast )";

// Field 5 inflects, 9 holds the links, 10 the IPA form. Only "dog" is ever chosen as a noun;
// the links find their words whatever their frequency.
const char* const LEXICON =
    "\"the\"|DET|det|1||||||\"D@\"|\n"
    "\"dog\"|N|noun, number|1|$N||||young: \"puppy\"; big: \"hound\", \"wolf\"/X|\"dog\"|\n"
    "\"puppy\"|N|noun, number|0|$N||||adult: \"dog\"|\n"
    "\"hound\"|N|noun, number|0|$N|\n"
    "\"bark\"|V|verb, number, person, tense|1|$V|\n"
    "\"cat\"|N|noun, number|0|$N|||||\"kxt\"|\n"
    "\"x\"|X|det|1|\n";

const char* const MORPHOLOGY = "RULE N plur , \"*y\" : ! - \"ies\" ; plur : ! \"s\" ; * : ! ;\n"
                               "RULE V past : ! \"ed\" ; third , sing : ! \"s\" ; * : ! ;\n";

const char* const SYNTAX = "ROOT = DET N [ sing ] V [ sing, third, pres ] %\n"
                           "QUESTION = ROOT %\nANSWER = ROOT %\n"
                           "R_3 = DET N [ plur ] V [ plur, third, pres ] %\n";

const char* const PHONOLOGY = "\"d\" ( \"d\" ) \"o\" ( \"o\", \"aw\" ) \"g\" ( \"g\", \"gg\" ) "
                              "\"D\" ( \"th\", \"d\" ) \"@\" ( \"e\", \"a\", \"u\" )\n";

void load(void (*command)(), const std::string& file, const std::string& text) {
    writefile(file, text);
    snprintf(curfile, sizeof curfile, "%s", file.c_str());
    command();
}

// The lines of corefile c below its first (empty) line, without the trailing blanks that the
// store drops when it collects; the corefile is emptied.
Lines lines(int c) {
    Lines out;
    for (int n = 2; linetext(c, n) != "<none>"; n++) {
        std::string l = linetext(c, n);
        out.push_back(l.substr(0, l.find_last_not_of(' ') + 1));
    }
    int saved = corenum;
    corenum = c;
    clrfile();
    corenum = saved;
    return out;
}

bool has(const Lines& l, const std::string& line) { return std::find(l.begin(), l.end(), line) != l.end(); }

class Analysis : public ::testing::Test {
   protected:
    void SetUp() override {
        fresh();
        loadgrammar(ATTRIBUTES, "N V DET X", LEXICON);
        load(qreadmorph, "g.mor", MORPHOLOGY);
        load(qreadsyn, "g.syn", SYNTAX);
        load(qreadmerror, "g.mer", "N ( number ) V ( number person tense )\n");
        load(qreadtag, "g.tag", "young ( 9 ) big ( 9 )\n");
        seed = 12345;
        interpret();
        lines(MSGCORE);
    }
    // The best root's report for `text`, from corefile 15.
    Lines analyse(const std::string& text) {
        err_analysis(text.c_str());
        return lines(ERRCORE);
    }
    // The report lines after the header of corefile 15.
    Lines reportof(const std::string& text) {
        Lines l = analyse(text);
        return l.size() > 5 ? Lines(l.begin() + 5, l.end()) : l;
    }
    // Compares expected word `leaf` (from 1) of root 2 with one response word.
    lexdiff compare(int leaf, const std::string& word) {
        std::vector<leafinfo> expected = expectedwords(rootPtrs[2]);
        int saved = delayptr;
        mrmodify();
        make_variants(expected[static_cast<size_t>(leaf - 1)].leaf);
        lexdiff d;
        err_word_diff(expected[static_cast<size_t>(leaf - 1)], word, d);
        clear_variants(rootPtrs[2]);
        delayptr = saved;
        return d;
    }
    void phonology() {
        load(qreadipa, "g.ipa", PHONOLOGY);
        morph_passes[21][1] = 10;
        morph_passes[21][2] = 0;
    }
    ScratchDir scratch;
};

}  // namespace

TEST(AnalysisDistance, LengthRulesDecideWhatCountsAsAMisspelling) {
    const std::string a100(100, 'a');
    const std::string b100 = std::string(90, 'a') + std::string(10, 'b');
    const struct {
        const char* x;
        const char* y;
        int d;
    } cases[] = {
        {"a", "a", 0},          {"a", "b", NOMATCH},        {"a", "ab", NOMATCH},  // one letter: exact only
        {"ab", "ab", 0},        {"ab", "ac", NOMATCH},      {"ab", "ba", NOMATCH},
        {"cat", "cut", 1},      {"cat", "cog", NOMATCH},    {"cat", "ca", 1},      {"cat", "cats", 1},
        {"walk", "walt", 1},    {"walk", "wilt", NOMATCH},  {"walk", "walks", 1},  {"walk", "wal", NOMATCH},
        {"tomorrow", "tomorow", 1}, {"tomorrow", "tommorow", 2}, {"elephant", "elephantine", 3},
        {"tomorrow", "morrow", 2}, {"dogs", "d", NOMATCH},  {"kitten", "sitting", NOMATCH}, {"kittens", "sitting", NOMATCH},
        {"kitchen", "kitten", 2},  // below half of either length
        {"", "x", NOMATCH},     {"x", "", NOMATCH},         {"", "", NOMATCH},
        {"\xe9t\xe9", "\xe9te", 1}, {"caf\xe9", "cafe", 1},
        {a100.c_str(), a100.c_str(), 0}, {a100.c_str(), b100.c_str(), 10}, {"a", a100.c_str(), NOMATCH},
    };
    for (const auto& c : cases) EXPECT_EQ(strdiff(c.x, c.y), c.d) << c.x << " / " << c.y;
    EXPECT_EQ(strdiff(nullptr, "x"), NOMATCH);
    EXPECT_EQ(strdiff("x", nullptr), NOMATCH);

    // The search stops early once no distance the rules accept can come: it agrees with the
    // whole table on random words over a small alphabet (so that near misses are common).
    auto whole = [](const std::string& x, const std::string& y) {
        std::vector<std::vector<int>> t(x.size() + 1, std::vector<int>(y.size() + 1));
        for (size_t i = 0; i <= x.size(); i++) t[i][0] = static_cast<int>(i);
        for (size_t j = 0; j <= y.size(); j++) t[0][j] = static_cast<int>(j);
        for (size_t i = 1; i <= x.size(); i++) {
            for (size_t j = 1; j <= y.size(); j++) {
                t[i][j] = std::min({t[i - 1][j - 1] + (x[i - 1] != y[j - 1]), t[i - 1][j] + 1, t[i][j - 1] + 1});
            }
        }
        long d = t[x.size()][y.size()], xl = static_cast<long>(x.size()), yl = static_cast<long>(y.size());
        long least = std::labs(xl - yl);
        if (xl != 3 && least > 0 && (least >= xl / 2 || least >= yl / 2)) return NOMATCH;
        if ((xl == 1 && yl == 1 && d == 0) || (xl == 3 && d <= 1) || (d < xl / 2 && d < yl / 2)) return static_cast<int>(d);
        return NOMATCH;
    };
    unsigned seed = 12345;
    auto next = [&seed](unsigned bound) { return (seed = seed * 1103515245u + 12345u) / 65536u % bound; };
    for (int k = 0; k < 20000; k++) {
        std::string x, y;
        for (unsigned n = 1 + next(12); n > 0; n--) x += static_cast<char>('a' + next(3));
        y = x;
        for (unsigned edits = next(5); edits > 0 && !y.empty(); edits--) {
            unsigned at = next(static_cast<unsigned>(y.size()));
            switch (next(3)) {
                case 0: y[at] = static_cast<char>('a' + next(3)); break;
                case 1: y.erase(at, 1); break;
                default: y.insert(at, 1, static_cast<char>('a' + next(3))); break;
            }
        }
        ASSERT_EQ(strdiff(x.c_str(), y.c_str()), y.empty() ? NOMATCH : whole(x, y)) << x << " / " << y;
    }
}

TEST(AnalysisDistance, ResponsesSplitAtBlanksAndExpectedWordsLoseTheirCarets) {
    EXPECT_EQ(responsewords("  the  dog barks "), (Lines{"the", "dog", "barks"}));
    EXPECT_TRUE(responsewords("").empty());
    EXPECT_TRUE(responsewords("   ").empty());
    EXPECT_EQ(stripcaret("^."), ".");
    EXPECT_EQ(stripcaret("a^b^"), "ab");
    EXPECT_EQ(stripcaret("^"), "");
}

// The response is the corefile from the cursor, blanks collapsed; past 199 characters it is cut
// and corefile 7 says so (blanks at its end cut nothing).
TEST(AnalysisResponse, ALongResponseIsCutAndSaysSo) {
    fresh();
    const struct {
        std::string text;
        size_t length;
        bool said;
    } cases[] = {
        {std::string(199, 'a') + "    \n  ", 199, false},
        {std::string(150, 'a') + "   \n   " + std::string(48, 'b'), 199, false},
        {std::string(199, 'a') + " b", 199, true},
        {std::string(198, 'a') + "  b", 198, true},
        {std::string(300, 'a'), 199, true},
    };
    for (const auto& c : cases) {
        settext(c.text);
        std::string r = getresponse();
        EXPECT_EQ(r.size(), c.length) << c.text;
        Lines said = lines(MSGCORE);
        EXPECT_EQ(said, c.said ? Lines{"Response longer than 199 characters: only its first 199 are analysed"} : Lines{})
            << c.text;
    }
}

TEST_F(Analysis, EachComparisonGetsItsClass) {
    ASSERT_EQ(genSentences[2], "the dog barks");
    const struct {
        int leaf;
        const char* word;
        int matchclass;
        Lines breakup;
    } cases[] = {
        {1, "the", MC_EXACT, {}},
        {2, "dog", MC_EXACT, {}},
        {2, "dogs", MC_MORPH, {"sing/plur"}},
        {3, "bark", MC_MORPH, {"sing/plur", "third/first"}},  // minimal: each alone, not both
        {3, "barked", MC_MORPH, {"pres/past"}},
        {2, "dag", MC_APPROX, {}},
        {2, "dgo", MC_NONE, {}},    // two changes in three letters
        {1, "thy", MC_APPROX, {}},  // one in three
        {3, "barcs", MC_APPROX, {}},  // one in five
        {3, "bork", MC_NONE, {}},     // two in five
        {2, "puppy", FIRSTTAG, {}},
        {2, "hound", FIRSTTAG + 1, {}},
        {2, "Dog", MC_APPROX, {}},
        {2, "dawg", MC_NONE, {}},  // no phonology tables: never phonological
    };
    for (const auto& c : cases) {
        lexdiff d = compare(c.leaf, c.word);
        EXPECT_EQ(d.matchclass, c.matchclass) << c.word;
        EXPECT_EQ(d.breakup, c.breakup) << c.word;
        EXPECT_EQ(d.error, "none") << c.word;
    }
    Lines r = lines(MSGCORE);
    EXPECT_TRUE(has(r, "Indirection not found")) << "\"wolf\" has no entry of category X";
    EXPECT_TRUE(has(r, "Performing morphological analysis"));
    EXPECT_TRUE(has(r, "Performing lexicon analysis"));
    EXPECT_FALSE(has(r, "Performing phonological analysis")) << "no tables loaded";
}

TEST_F(Analysis, LinkedWordsAreInflectedAsTheLeafIs) {
    // Root 3 wants "dogs": the young through the link is "puppies", the adult of a puppy "dog".
    std::vector<leafinfo> expected = expectedwords(rootPtrs[3]);
    ASSERT_EQ(expected[1].word, "dogs");
    EXPECT_EQ(err_match_syn(expected[1], "puppies"), FIRSTTAG);
    EXPECT_EQ(err_match_syn(expected[1], "puppy"), 0);
    EXPECT_EQ(err_match_syn(expected[1], "hounds"), FIRSTTAG + 1);
    EXPECT_EQ(err_match_syn(expected[0], "dog"), 0) << "\"the\" has no links";
    // Faulty link fields: each ends the search with its line.
    const struct {
        const char* field;
        const char* line;
    } faults[] = {{"young: \"pup", "[Indirection] Closing quote missing"},
                  {"young:", "[Indirection] Unexpected end of lexical entry"},
                  {"young: \"puppy\"/", "[Indirection] Unexpected end of lexical entry"},
                  {"young: \"kitty\"", "Indirection not found"},
                  {"young: \"puppy\"/NOSUCH", "Indirection not found"}};
    lines(MSGCORE);
    for (const auto& f : faults) {
        std::string entry = std::string("\"dog\"|N|x|1|$N||||") + f.field + "|";
        t_dict_lookup* own = expected[1].leaf->dictionary;
        t_dict_lookup other;
        other.dictionary = entry.data();
        expected[1].leaf->dictionary = &other;
        leafinfo info;
        info.leaf = expected[1].leaf;
        info.word = "dogs";
        EXPECT_EQ(err_match_syn(info, "puppies"), 0) << f.field;
        expected[1].leaf->dictionary = own;
        Lines once{f.line};
        Lines each{f.line, f.line};  // a fault in the field is met in the search for each tag
        EXPECT_EQ(lines(MSGCORE), std::string(f.line) == "Indirection not found" ? once : each) << f.field;
    }
}

TEST_F(Analysis, PhonologicalMatchesSpellTheSameSounds) {
    phonology();
    const struct {
        int leaf;
        const char* word;
        int matchclass;
        Lines breakup;
    } cases[] = {
        {2, "dawg", MC_PHONO, {"o/aw"}},
        {2, "dawgg", MC_PHONO, {"o/aw", "g/gg"}},
        {2, "dogg", MC_PHONO, {"g/gg"}},  // approximate first, then phonological
        {1, "da", MC_PHONO, {"th/d", "e/a"}},
        {1, "thu", MC_PHONO, {"e/u"}},
        {2, "daw", MC_NONE, {}},  // both must be used up together
        {2, "cat", MC_NONE, {}},
        {3, "barcs", MC_APPROX, {}},  // no IPA form: no phonological test
    };
    for (const auto& c : cases) {
        lexdiff d = compare(c.leaf, c.word);
        EXPECT_EQ(d.matchclass, c.matchclass) << c.word;
        EXPECT_EQ(d.breakup, c.breakup) << c.word;
    }
    // Root 3's "dogs" has the IPA form of "dog": a response that spells it is phonological,
    // with a note that the expected word does not.
    std::vector<leafinfo> expected = expectedwords(rootPtrs[3]);
    lexdiff d;
    err_word_diff(expected[1], "dawg", d);
    EXPECT_EQ(d.matchclass, MC_PHONO);
    EXPECT_EQ(d.error, "ERROR: correct word does not match ipa string, though student response does");
    EXPECT_TRUE(d.breakup.empty());
    EXPECT_TRUE(has(lines(MSGCORE), "Performing phonological analysis"));
    // A symbol without a table gives up with a line.
    leafinfo cat = expected[1];
    cat.phondone = false;
    t_dict_lookup* own = cat.leaf->dictionary;
    t_dict_lookup other;
    std::string entry = "\"cat\"|N|x|1|$N|||||\"kxt\"|";
    other.dictionary = entry.data();
    cat.leaf->dictionary = &other;
    err_phonform(cat);
    cat.leaf->dictionary = own;
    EXPECT_FALSE(cat.phonok);
    EXPECT_EQ(lines(MSGCORE), Lines{"ipa symbol has no entry in phonology tables"});
}

TEST_F(Analysis, SpellingBacktracksAndStaysFast) {
    load(qreadipa, "b.ipa",
         "\"a\" ( \"ab\", \"a\" ) \"b\" ( \"bc\" ) \"c\" ( \"\", \"x\", \"xx\" ) \"k\" ( \"c\", \"ck\" ) \"s\" ( \"s\", \"ks\" )");
    const struct {
        const char* ipa;
        const char* word;
        bool spelled;
        Lines spelling;
    } cases[] = {
        {"ab", "abc", true, {"a", "bc"}},  // "ab" first leaves nothing for "b": back to "a"
        {"ab", "abbc", true, {"ab", "bc"}},
        {"ks", "cks", true, {"c", "ks"}},
        {"ks", "cks!", false, {}},
        {"a", "abx", false, {}},
        {"ccc", "xxx", true, {"", "x", "xx"}},
        {"q", "q", false, {}},  // no table
        {"", "", true, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> spelling;
        EXPECT_EQ(phonspell(c.ipa, c.word, spelling), c.spelled) << c.ipa << " " << c.word;
        if (c.spelled) {
            EXPECT_EQ(spelling, c.spelling) << c.ipa << " " << c.word;
        }
    }
    // Twenty silent-or-not symbols against a word they cannot end: every way is tried once.
    std::vector<std::string> spelling;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(phonspell(std::string(20, 'c'), std::string(40, 'x') + "y", spelling));
    EXPECT_FALSE(phonspell(std::string(21, 'c'), "x", spelling)) << "more symbols than the tables' arrays";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
}

TEST_F(Analysis, ScoresCountTheDiagonalAndTheLengthDifference) {
    rootset[0] = 0;
    const struct {
        const char* response;
        int score;
        Lines report;
    } cases[] = {
        {"the dog barks", 0, {"CORRECT", "***"}},
        {"the  dog   barks", 0, {"CORRECT", "***"}},
        {"the dog", 10, {"C3 --  MISSING  barks", "C1 S1   EXACT   the/the", "C2 S2   EXACT   dog/dog", "***"}},
        {"the big dog barks",
         30,
         {"-- S2  EXTRA    big", "C1 S1   EXACT   the/the", "C2 S3   EXACT   dog/dog", "C3 S4   EXACT   barks/barks",
          "***"}},
        {"dog the barks", 20, {"C1 S2   EXACT   the/the", "C2 S1   EXACT   dog/dog", "C3 S3   EXACT   barks/barks", "***"}},
        {"the dogs bark",
         10,
         {"C1 S1   EXACT   the/the", "C2 S2   MORPH    dog/dogs sing/plur", "C3 S3   MORPH    barks/bark sing/plur  OR  third/first",
          "***"}},
        {"thy dag barked",
         9,
         {"C1 S1   APPROX   the/thy", "C2 S2   APPROX   dog/dag", "C3 S3   MORPH    barks/barked pres/past", "***"}},
        {"the puppy barks", 0, {"C1 S1   EXACT   the/the", "C2 S2   LEX dog/puppy  9:young", "C3 S3   EXACT   barks/barks", "***"}},
        {"x y z", 30, {"C1 --  MISSING  the", "C2 --  MISSING  dog", "C3 --  MISSING  barks", "-- S1  EXTRA    x",
                       "-- S2  EXTRA    y", "-- S3  EXTRA    z", "***"}},
    };
    for (const auto& c : cases) {
        err_analysis_single(c.response, 2);
        Lines l = lines(ERRCORE);
        ASSERT_GE(l.size(), 5u) << c.response;
        EXPECT_EQ(l[0], "BEST ROOT : R2");
        EXPECT_EQ(l[1], "SCORE     : " + std::to_string(c.score)) << c.response;
        EXPECT_EQ(Lines(l.begin() + 5, l.end()), c.report) << c.response;
    }
}

TEST_F(Analysis, TheBestRootIsTheLowestScoreAndTiesKeepTheEarlier) {
    ASSERT_EQ(genSentences[3], "the dogs bark");
    Lines l = analyse("the dog barks");
    EXPECT_EQ(l[0], "BEST ROOT : R2");
    EXPECT_EQ(l[5], "CORRECT");
    l = analyse("the dogs bark");
    EXPECT_EQ(l[0], "BEST ROOT : R3");
    EXPECT_EQ(l[1], "SCORE     : 0");
    // One word in a wrong form against either root: 5 each, the earlier root wins.
    l = analyse("the dog bark");
    EXPECT_EQ(l[0], "BEST ROOT : R2");
    EXPECT_EQ(l[1], "SCORE     : 5");
    l = analyse("the dogs barks");
    EXPECT_EQ(l[0], "BEST ROOT : R2");
    EXPECT_EQ(l[1], "SCORE     : 5");
    // Root 1 (the question) is not in the default set, root 0 (ROOT) is not made here.
    err_set_rootset("1");
    EXPECT_EQ(analyse("the dog barks")[0], "BEST ROOT : R1");
    err_set_rootset("0");
    EXPECT_TRUE(analyse("the dog barks").empty());
    EXPECT_EQ(lines(MSGCORE).back(), "No roots found in ROOTSET to perform error testing");
}

TEST_F(Analysis, EveryLineOfOneAnalysis) {
    err_analysis_single("the dog bark", 2);
    EXPECT_EQ(lines(MSGCORE), (Lines{"Beginning error analysis", "Parsing response", "Finding lexical units",
                                     "Comparing response to root 2",
                                     // the: dog, bark
                                     "Performing morphological analysis", "Performing lexicon analysis",
                                     "Performing morphological analysis", "Performing lexicon analysis",
                                     // dog: the (its links are followed once), bark
                                     "Performing morphological analysis", "Performing lexicon analysis",
                                     "Indirection not found",
                                     "Performing morphological analysis", "Performing lexicon analysis",
                                     // barks: the, dog, bark
                                     "Performing morphological analysis", "Performing lexicon analysis",
                                     "Performing morphological analysis", "Performing lexicon analysis",
                                     "Performing morphological analysis",
                                     "Analyzing errors, printing to ERRORSCORE", "  *****", "CURRENT ROOT : R2",
                                     "SCORE        : 5", "", "EXPECTED : the dog barks", "RESPONSE : the dog bark",
                                     "  *****", "Cleaning up data structures"}));
    EXPECT_EQ(lines(ERRCORE), (Lines{"BEST ROOT : R2", "SCORE     : 5", "", "EXPECTED : the dog barks",
                                     "RESPONSE : the dog bark", "C1 S1   EXACT   the/the", "C2 S2   EXACT   dog/dog",
                                     "C3 S3   MORPH    barks/bark sing/plur  OR  third/first", "***"}));
    // A phonological match with a note takes two lines in corefile 15.
    phonology();
    err_analysis_single("the dawg", 3);
    Lines l = lines(ERRCORE);
    EXPECT_EQ(Lines(l.begin() + 5, l.end()),
              (Lines{"C3 --  MISSING  bark", "C1 S1   EXACT   the/the", "C2 S2   PHONO dogs/dawg",
                     "ERROR: correct word does not match ipa string, though student response does", "***"}));
}

TEST_F(Analysis, TheRootSetTakesRootNumbersAndTheSingleAnalysisRestoresIt) {
    const struct {
        const char* text;
        const char* message;
        Lines chosen;
    } cases[] = {
        {"3,5 x7", "ROOTSET changed to set: 3 5 7", {"3", "5", "7"}},
        {"", "ROOTSET restored to default set: 2 3 4 ... 21", {}},
        {"020 21 99999999999 0", "ROOTSET changed to set: 0 20", {"0", "20"}},
        {"none", "ROOTSET changed to set:", {}},
    };
    for (const auto& c : cases) {
        err_set_rootset(c.text);
        EXPECT_EQ(lines(MSGCORE), Lines{c.message}) << c.text;
        Lines chosen;
        for (int j = 0; j < NUMROOTS; j++) {
            if (rootset[j]) chosen.push_back(std::to_string(j));
        }
        if (*c.text == 0) {
            EXPECT_EQ(chosen.size(), 19u);
            EXPECT_FALSE(rootset[0] || rootset[1]);
        } else {
            EXPECT_EQ(chosen, c.chosen) << c.text;
        }
    }
    // Never set: a single analysis leaves it unset, so a full one still takes the default.
    rootsetinit = 0;
    err_analysis_single("the dogs bark", 2);
    EXPECT_EQ(lines(ERRCORE)[0], "BEST ROOT : R2");
    EXPECT_EQ(rootsetinit, 0);
    EXPECT_EQ(analyse("the dogs bark")[0], "BEST ROOT : R3");
    err_set_rootset("3");
    err_analysis_single("the dog barks", 2);
    EXPECT_EQ(lines(ERRCORE)[0], "BEST ROOT : R2");
    EXPECT_EQ(rootsetinit, 1);
    EXPECT_EQ(analyse("the dog barks")[0], "BEST ROOT : R3");
    // A root that was not made counts as none.
    err_analysis_single("the dog barks", 7);
    EXPECT_TRUE(lines(ERRCORE).empty());
}

TEST_F(Analysis, KeysTakeTheResponseFromTheCursor) {
    settext("ignored\nthe dogs\n   bark  ");
    cur().lnptr = line(2);
    cur().curcol = 1;
    setkeys("");
    qnewcompare();
    Lines l = lines(ERRCORE);
    ASSERT_GE(l.size(), 6u);
    EXPECT_EQ(l[0], "BEST ROOT : R3");
    EXPECT_EQ(l[4], "RESPONSE : the dogs bark");
    setkeys("2\r");
    qcompsingle();
    l = lines(ERRCORE);
    EXPECT_EQ(l[0], "BEST ROOT : R2");
    setkeys("21\r\r");
    qcompsingle();
    EXPECT_TRUE(lines(ERRCORE).empty());
    EXPECT_EQ(response, "the dogs bark") << "a refused root number leaves the response";
    // An empty response is refused with a waiting message.
    settext("   ");
    cur().lnptr = line(1);
    cur().curcol = 1;
    setkeys("\r");
    qnewcompare();
    Lines shown;
    for (const std::string& s : takesequences()) {
        if (s.rfind("$me", 0) == 0) shown.push_back(s.substr(3));
    }
    EXPECT_TRUE(has(shown, "Error analysis called but no student response found"));
    EXPECT_TRUE(has(shown, "Integer too high"));
    EXPECT_EQ(lines(MSGCORE).back(), "No student response");
    EXPECT_TRUE(lines(ERRCORE).empty());
    snprintf(picstring, sizeof picstring, "2");
    qroot();
    EXPECT_EQ(lines(MSGCORE).back(), "ROOTSET changed to set: 2");
}

TEST_F(Analysis, EnumerationListsEveryVariantOfEveryWord) {
    generate_enumerations();
    EXPECT_EQ(lines(MSGCORE), Lines{"Beginning enumerations"}) << "ROOT was only expanded for the roots: no words";
    load(qreadsyn, "r.syn", "ROOT = DET N [ sing ] V [ sing, third, pres ] %\n");
    lines(MSGCORE);
    generate_enumerations();
    EXPECT_EQ(lines(MSGCORE), Lines{"Error: ROOT tree does not exist"}) << "a new grammar, no run yet";
    interpret();
    lines(MSGCORE);
    int before = delayptr;
    qenummorph();
    EXPECT_EQ(delayptr, before) << "the alternatives are let go";
    Lines l = lines(MSGCORE);
    Lines dog(std::find(l.begin(), l.end(), "ORIGINAL WORD: dog") - 1, std::find(l.begin(), l.end(), "ORIGINAL WORD: barks") - 1);
    EXPECT_EQ(dog, (Lines{"", "ORIGINAL WORD: dog", "", "Morphological variations:     Attribute list:", "plur;dogs",
                          "sing;dog", ""}));
    EXPECT_EQ(l.front(), "Beginning enumerations");
    EXPECT_TRUE(has(l, "ORIGINAL WORD: the"));
    // barks: 3 x 3 x 3 - 1 combinations, newest first.
    auto barks = std::find(l.begin(), l.end(), "ORIGINAL WORD: barks");
    ASSERT_NE(barks, l.end());
    Lines variants(barks + 3, l.end() - 1);
    EXPECT_EQ(variants.size(), 26u);
    EXPECT_EQ(variants.front(), "plur, third, past;barked");
    EXPECT_EQ(variants.back(), "pres;barks");
    EXPECT_TRUE(has(variants, "sing, first;bark"));
    EXPECT_TRUE(has(variants, "sing;barks"));
    for (t_treenode leaf : leavesof(root)) EXPECT_TRUE(leaf->mvar.empty());
}

TEST_F(Analysis, RepeatedAnalysesLeaveNoTraceInTheTables) {
    int before = delayptr;
    for (int i = 0; i < 300; i++) {
        err_analysis("the dogs barks");
        lines(ERRCORE);
        lines(MSGCORE);
    }
    EXPECT_EQ(delayptr, before);
    for (int j = 1; j < NUMROOTS; j++) {
        for (t_treenode leaf : leavesof(rootPtrs[j])) EXPECT_TRUE(leaf->mvar.empty());
    }
}

// The variants of a root are kept for later analyses of other responses: those must report
// exactly what the first did, errors of the morph rules included, and follow new tables.
TEST_F(Analysis, VariantsKeptForLaterAnalysesReportTheSameAndFollowNewTables) {
    auto count = [](const Lines& l, const std::string& part) {
        return std::count_if(l.begin(), l.end(), [&](const std::string& x) { return x.find(part) != std::string::npos; });
    };
    Lines report = analyse("the dogs barks");
    Lines messages = lines(MSGCORE);
    ASSERT_TRUE(has(report, "C2 S2   MORPH    dog/dogs sing/plur")) << "the first analysis makes the variants";
    for (const char* other : {"a dog", "the dogs barks"}) {
        analyse(other);
        lines(MSGCORE);
    }
    EXPECT_EQ(analyse("the dogs barks"), report);
    EXPECT_EQ(lines(MSGCORE), messages);

    load(qreadmerror, "h.mer", "V ( tense )\n");
    EXPECT_TRUE(has(analyse("the dogs barks"), "C2 S2   APPROX   dog/dogs")) << "nouns have no variants now";
    EXPECT_TRUE(has(analyse("the dog barked"), "C3 S3   MORPH    barks/barked pres/past"));

    // A rule that fails for the plural reports the failure in every analysis that makes it.
    load(qreadmerror, "g.mer", "N ( number ) V ( number person tense )\n");
    load(qreadmorph, "h.mor", "RULE N plur : ! $NOPE ; * : ! ;\nRULE V third , sing : ! \"s\" ; * : ! ;\n");
    seed = 12345;
    interpret();
    lines(MSGCORE);
    analyse("the dog barks");
    long failures = count(lines(MSGCORE), "Reference to non-existent morph rule NOPE");
    EXPECT_GT(failures, 0);
    analyse("the dog barks");
    EXPECT_EQ(count(lines(MSGCORE), "Reference to non-existent morph rule NOPE"), failures);
}

TEST_F(Analysis, ReadersNumberTagsAndCheckTheirFiles) {
    ASSERT_EQ(taglist.size(), 2u);
    EXPECT_EQ(taglist[0].tag, "young");
    EXPECT_EQ(taglist[0].tag_int, 5);
    EXPECT_EQ(taglist[1].tag_int, 6);
    EXPECT_EQ(taglist[1].field, 9);
    const struct {
        const char* file;
        size_t tags;
        Lines errors;
    } cases[] = {
        {"a ( 9 ) b ( 12 ) ( 9 )", 3, {}},
        {"a ( x ) b", 0,
         {"ERROR tag info input tag a Field number expected:  x", "ERROR tag info input tag a Tag has no field number:  a",
          "ERROR tag info input tag b Tag has no field number:  b"}},
        {"a ( 0 ) b ( 9 9 ) , c ( 3 )", 2,
         {"ERROR tag info input tag a Field number expected:  0", "ERROR tag info input tag a Tag has no field number:  a",
          "ERROR tag info input tag b One field number per tag:  9", "ERROR tag info input tag b Unexpected symbol char ','"}},
        {"a ( 9", 0, {"ERROR tag info input tag a Tag not closed by \")\":  a"}},
    };
    for (const auto& c : cases) {
        load(qreadtag, "t.tag", c.file);
        Lines r = lines(MSGCORE);
        Lines errors;
        for (const std::string& s : r) {
            if (s.rfind("ERROR", 0) == 0) errors.push_back(s);
        }
        EXPECT_EQ(taglist.size(), c.tags) << c.file;
        EXPECT_EQ(errors, c.errors) << c.file;
        EXPECT_TRUE(installed & QF_TG) << "a file with errors still counts as loaded";
    }
    load(qreadtag, "t.tag", "a ( 9 ) b ( 12 ) ( 9 )");
    EXPECT_EQ(taglist[2].tag, "");
    EXPECT_EQ(taglist[2].tag_int, 7);
    snprintf(picstring, sizeof picstring, "tg");
    rm_qfiles();
    EXPECT_TRUE(taglist.empty());
    EXPECT_EQ(nexttag, 5);
}

TEST_F(Analysis, MorphErrorRowsAreSortedAndBounded) {
    EXPECT_EQ(mrdata[0][0], 2) << "N: number, every value";
    EXPECT_EQ(mrdata[0][1], -1);
    EXPECT_EQ(mrdata[0][2], 0);
    const struct {
        const char* file;
        Lines printed;
        Lines errors;
    } cases[] = {
        // Sorted by type, then value; repeats and values of a type given whole are dropped.
        {"V ( past tense sing plur sing person first )", {"V 2 1 2 2 3 -1 4 -1"}, {}},
        {"N ( plur ) N ( sing )", {"N 2 1"}, {}},
        {"Q ( sing ) N ( bogus plur )", {"N 2 2"},
         {"ERROR morph error input terminal Q Terminal not in terminal list Q",
          "ERROR morph error input terminal N Attribute not in attribute list bogus"}},
        {"N ( plur", {}, {"ERROR morph error input terminal N Terminal not closed by \")\":  N"}},
        {") N sing )", {"N 2 1"}, {"ERROR morph error input  Unexpected symbol char ')'"}},
    };
    for (const auto& c : cases) {
        load(qreadmerror, "m.mer", c.file);
        Lines printed;
        Lines errors;
        for (const std::string& s : lines(MSGCORE)) {
            if (s.rfind("ERROR", 0) == 0) errors.push_back(s);
            if (s.rfind("Finished", 0) != 0 && s.rfind("ERROR", 0) != 0 && s.rfind("uninstalled", 0) != 0) printed.push_back(s);
        }
        EXPECT_EQ(printed, c.printed) << c.file;
        EXPECT_EQ(errors, c.errors) << c.file;
    }
    // 40 pairs: the 40th is refused.
    std::string many = "N (";
    for (int i = 0; i < 40; i++) many += i % 2 ? " sing" : " plur";
    load(qreadmerror, "m.mer", many + " )");
    EXPECT_TRUE(has(lines(MSGCORE), "ERROR morph error input terminal N Maximum allowable types/values for a terminal sing"));
    // Reloading the attributes or the terminals removes the table.
    load(qreadmerror, "m.mer", "N ( number )");
    loadgrammar(ATTRIBUTES, "N V DET X", LEXICON);
    EXPECT_FALSE(installed & QF_MR);
    EXPECT_EQ(mrdata[0][0], 0);
}

TEST_F(Analysis, ARowBeyondTheVariantTableIsCutShort) {
    // Eleven types of three values, and one type of 25 values.
    std::string att;
    for (int t = 0; t < 11; t++) att += "t" + std::to_string(t) + " ( a" + std::to_string(t) + ", b" + std::to_string(t) + ", c" + std::to_string(t) + " ) ";
    att += "big (";
    for (int v = 0; v < 25; v++) att += std::string(v ? "," : "") + " v" + std::to_string(v);
    att += " )";
    loadgrammar(att, "W B", "\"w\"|W|a0|1|\n\"b\"|B|v0|1|\n");
    std::string row = "W (";
    for (int t = 0; t < 11; t++) row += " t" + std::to_string(t);
    load(qreadmerror, "m.mer", row + " ) B ( big )");
    Lines r = lines(MSGCORE);
    EXPECT_TRUE(has(r, "ERROR morph error input terminal W More than 10 types or 20 values of a type to vary, the rest is left out:  W"));
    EXPECT_TRUE(has(r, "ERROR morph error input terminal B More than 10 types or 20 values of a type to vary, the rest is left out:  B"));
    EXPECT_TRUE(has(r, "ERROR morph error input terminal W More than 1000 forms of a word to make, the rest is left out:  W"))
        << "ten types of three values give 4^10 - 1 forms";
    EXPECT_FALSE(has(r, "ERROR morph error input terminal B More than 1000 forms of a word to make, the rest is left out:  B"));
    int before = delayptr;
    mrmodify();
    EXPECT_EQ(mrmod[0][0][0], MRMAXTYPES);
    EXPECT_EQ(mrmod[0][10][0], 3);
    EXPECT_EQ(mrmod[1][0][0], 1);
    EXPECT_EQ(mrmod[1][1][0], MRMAXALT);
    EXPECT_EQ(delayptr, before + 10 * 3 + 20);
    // A word of such a terminal gets the first thousand variants, at once.
    std::string entry = "\"w\"|W||1|";
    t_treenode leaf = makenode("W");
    terminal_node(leaf);
    leaf->dictionary->dictionary = entry.data();
    auto start = std::chrono::steady_clock::now();
    make_variants(leaf);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(leaf->mvar.size(), static_cast<size_t>(MAXVARIANTS));
    EXPECT_EQ(leaf->mvar.front().variant, "w");
    purge_node(&leaf);
    purgelookups(0);
    delayptr = before;
}

TEST_F(Analysis, PhonologyTablesAndTheirErrors) {
    phonology();
    ASSERT_NE(phontable('o'), nullptr);
    EXPECT_EQ(phontable('o')->elements, "o|aw|");
    EXPECT_EQ(phontable('o')->count, 2);
    EXPECT_EQ(phontable('x'), nullptr);
    const struct {
        const char* file;
        const char* symbols;
        Lines errors;
    } cases[] = {
        {"% \"a\" ( \"a\" , \"ah\" ) \"bee\" ( \"b\" )", "ab", {}},
        {"\"a\" ( \"a\" ) \"a\" ( \"aa\" ) \"c\" ( \"k\" )", "ac", {"ERROR phon table input symbol a IPA symbol repeated:  a"}},
        {"\"\" ( \"x\" ) \"d\" ( \"d\" ) x", "d",
         {"ERROR phon table input symbol  Empty IPA symbol", "ERROR phon table input symbol d Unexpected symbol identifier: x"}},
        {"\"e\" ( \"e\" ", "", {"ERROR phon table input symbol e Table not closed by \")\":  e"}},
        {"\"f\" ( \"f|g\" , \"ph\" )", "f", {"ERROR phon table input symbol f Spelling holds \"|\":  f|g"}},
        {"\"\xe6\" ( \"a\" )", "\xe6", {}},
    };
    for (const auto& c : cases) {
        load(qreadipa, "p.ipa", c.file);
        std::string symbols;
        for (TABLE* t = phontablelist; t != nullptr; t = t->next) symbols += t->tablename;
        EXPECT_EQ(symbols, c.symbols) << c.file;
        Lines errors;
        for (const std::string& s : lines(MSGCORE)) {
            if (s.rfind("ERROR", 0) == 0) errors.push_back(s);
        }
        EXPECT_EQ(errors, c.errors) << c.file;
    }
    EXPECT_EQ(phontable('d'), nullptr) << "each load starts empty";
    snprintf(picstring, sizeof picstring, "ip");
    rm_qfiles();
    EXPECT_EQ(phontablelist, nullptr);
    EXPECT_EQ(phontable(0xe6), nullptr);
}

TEST_F(Analysis, LargeAndOddResponsesEndWithAReport) {
    const std::string word100(100, 'w');
    std::string sixty;
    for (int i = 0; i < 60; i++) sixty += "word" + std::to_string(i) + " ";
    std::string long199;
    while (long199.size() < 199) long199 += "dog ";
    long199.resize(199);
    const std::string inputs[] = {sixty, word100 + " " + word100, "\xe9\xff\x80 \xfe", long199, "the dog barks " + word100};
    for (const std::string& in : inputs) {
        auto start = std::chrono::steady_clock::now();
        Lines l = analyse(in);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        ASSERT_GE(l.size(), 6u) << in;
        EXPECT_EQ(l.back(), "***");
        std::string shown = in;
        std::replace(shown.begin(), shown.end(), '\xff', '?');  // the store cannot hold 255
        EXPECT_EQ(l[4], ("RESPONSE : " + shown).substr(0, ("RESPONSE : " + shown).find_last_not_of(' ') + 1));
    }
    Lines l = analyse(sixty);
    EXPECT_EQ(l[1], "SCORE     : " + std::to_string(3 * 10 + 10 * 57));
    lines(MSGCORE);
}

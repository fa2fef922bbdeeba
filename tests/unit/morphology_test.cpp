// Morphology: the rules and tables readers, morph expressions, tables indexed by attributes,
// guards over neighbouring leaves, the passes and MPASSES, and the limits that keep a faulty
// rule set from running away.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "editor/getparam.h"
#include "genra/attr_data.h"
#include "genra/attr_fns.h"
#include "genra/input_base.h"
#include "genra/lex_read.h"
#include "genra/morphology.h"
#include "genra/trees.h"
#include "tests/unit/genrakit.h"

using namespace zek;
using namespace zektest;
using Lines = std::vector<std::string>;

namespace {

const char* const ATTRIBUTES =
    "cat ( noun, verb, adj ) form ( regular, irregular ) person ( first, second, third ) "
    "number ( sing, plur ) sound ( vowel, consonant )";

const char* const LEXICON =
    "\"walk\"|V|verb|1|$past|\n"
    "\"go\"|V|verb|1|$past|\n"
    "\"be\"|V|verb|1|$never|\n"
    "\"fly\"|V|verb|1|!-\"ies\"|\n"
    "\"stop\"|V|verb|1|!&\"ed\"|\n"
    "\"sing\"|V|verb|1|#6|!\"s\"|\n"
    "\"hole\"|V|verb|1|#9|\n"
    "\"miss\"|V|verb|1|$nope|\n"
    "\"an\"|N|adj|1||\n"
    "\"apple\"|N|noun|1|!\"s\"|!\"x\"|!\"y\"|food;fruit|\n"
    "\"falls\"|N|verb|1||\n";

class Morph : public ::testing::Test {
   protected:
    void SetUp() override {
        fresh();
        clear_mrules();
        clear_tables();
        init_morph_passes();
        MState = 0;
        loadgrammar(ATTRIBUTES, "N V", LEXICON);
        root = makenode("ROOT");
    }
    void TearDown() override {
        for (t_treenode& n : leaves) purge_node(&n);
        purge_node(&root);
        purgelookups(0);
        clear_mrules();
        clear_tables();
        current_node = nullptr;
        MState = 0;
    }

    // A leaf whose lookup chose the entry of `word`, with attributes written as "a.b,c", linked
    // to the right of the leaves made before it.
    t_treenode leaf(const std::string& word, const std::string& attributes) {
        t_treenode n = makenode("X");
        terminal_node(n);
        for (recnode* head : dictionary) {
            for (recnode* r = head; r != nullptr; r = r->previous) {
                if (std::string(r->recordptr).rfind("\"" + word + "\"|", 0) == 0) n->dictionary->dictionary = r->recordptr;
            }
        }
        EXPECT_NE(n->dictionary->dictionary, nullptr) << word;
        n->morphed_word = word;
        for (size_t start = 0; start < attributes.size();) {
            size_t comma = attributes.find(',', start);
            if (comma == std::string::npos) comma = attributes.size();
            text_to_comp_struct(attributes.substr(start, comma - start).c_str(), 0);
            add_attr_to_list(&n->attributes, comp_attr_register);
            comp_attr_register = nullptr;
            start = comma + 1;
        }
        if (leaves.empty()) {
            root->right = n;
        } else {
            leaves.back()->right = n;
            n->left = leaves.back();
        }
        leaves.push_back(n);
        return n;
    }
    void rules(const std::string& text) {
        writefile("g.mor", text);
        new_readmorph("g.mor");
    }
    void tables(const std::string& text) {
        writefile("g.tbl", text);
        new_readtables("g.tbl");
    }
    std::string eval(t_treenode node, const std::string& text) {
        current_node = node;
        m_exp(text.c_str());
        return moutput;
    }
    int guard(t_treenode node, const std::string& text) {
        current_node = node;
        return m_guard(text.c_str());
    }

    ScratchDir scratch;
    t_treenode root = nullptr;
    std::vector<t_treenode> leaves;
};

// The messages shown since the last call: diserr as they are, progress with a leading "~".
Lines messages() {
    Lines m;
    for (const std::string& s : takesequences()) {
        if (s.rfind("$me", 0) == 0) m.push_back(s.substr(3));
        if (s.rfind("$mh", 0) == 0 && s.size() > 3) m.push_back("~" + s.substr(3));
    }
    return m;
}

}  // namespace

TEST_F(Morph, RulesAreStoredInCompactForm) {
    rules("{ past tense } RULE past\n"
          "  regular : ! \"ed\" ;\n"
          "  <5=\"x*\",y> , -1.vowel | * : $other \"a b\" % ;\n"
          "rule other  _pre_ noun , x y : ! ;\n");
    report();
    print_mrules();
    EXPECT_EQ(report(), (Lines{"rule: 0 name: past guard: regular: mexp: !\"ed\"|",
                               "rule: 0 name: past guard: <5=\"x*\",y>,-1.vowel|*: mexp: $other\"a b\"|",
                               "rule: 1 name: other guard: \x0Enoun,xy: mexp: !|"}));
    EXPECT_EQ(m_ruleindex("other"), 1);
    EXPECT_EQ(m_ruleindex("none"), -1);
}

TEST_F(Morph, RuleReaderReportsEachFault) {
    rules("junk here\n"
          "RULE ;\n"
          "RULE a  x : y : z ; ; w : !\n"
          "RULE a  * : ! ;\n"
          "RULE b  * : ! ; * : \"q\"\n");
    EXPECT_EQ(report(), (Lines{"ERROR morphology input  text before first RULE  ",
                               "ERROR morphology input  rule has no name  ",
                               "ERROR morphology input rule a second COLON in subrule  ",
                               "ERROR morphology input rule a incomplete subrule  ",
                               "ERROR morphology input rule a last subrule incomplete  ",
                               "ERROR morphology input rule a rule name repeated  ",
                               "Finished reading morphology input from file 'g.mor' [5 lines.]",
                               "ERROR morphology input rule b last subrule incomplete  "}));
    print_mrules();
    EXPECT_EQ(report(), (Lines{"rule: 0 name: a guard: x: mexp: z|", "rule: 1 name: b guard: *: mexp: !|"}));
    EXPECT_EQ(file_operation, std::string(""));

    // The 501st rule ends the reading; the file is still finished and reported.
    std::string many;
    for (int i = 0; i <= MAXMRULES; i++) many += "RULE r" + std::to_string(i) + " * : \"" + std::to_string(i) + "\" ;\n";
    clear_mrules();
    rules(many);
    EXPECT_EQ(report(), (Lines{"ERROR morphology input rule r500 too many rules  ",
                               "Finished reading morphology input from file 'g.mor' [501 lines.]"}));
    EXPECT_EQ(numrules, MAXMRULES - 1);
    EXPECT_EQ(eval(nullptr, "$r499|"), "499");

    // Over-long guards and expressions are cut at 999 characters and still closed; a quote
    // left open runs to the end of the file.
    std::string longguard;
    for (int i = 0; i < 600; i++) longguard += "a,";
    clear_mrules();
    rules("RULE long " + longguard + "noun : \"" + std::string(1500, 'q') + "\" ; RULE open * : \"ed ;\n");
    report();
    ASSERT_NE(ruleheader[0], nullptr);
    EXPECT_EQ(ruleheader[0]->guard.size(), 999u);
    EXPECT_EQ(ruleheader[0]->guard.back(), ':');
    EXPECT_EQ(ruleheader[0]->mexp.size(), 999u);
    EXPECT_EQ(ruleheader[0]->mexp.back(), '|');
    EXPECT_EQ(ruleheader[1], nullptr) << "the open quote swallowed the subrule's end";
    new_readmorph("missing.mor");
    EXPECT_EQ(report(), (Lines{"ERROR morphology input  unable to open file:  missing.mor "}));
}

TEST_F(Morph, TableReaderStoresElementsAndReportsFaults) {
    tables("agree ( \"e\" , \"es\", #5 $r, x % )\n"
           "empty ( ) two ( a , )\n"
           "; ( lost )\n"
           "broken ( a, b");
    EXPECT_EQ(report(), (Lines{"ERROR table input table two unexpected symbol outside table:  char ';' ",
                               "ERROR table input table two table has no name  ",
                               "Finished reading table input from file 'g.tbl' [3 lines.]",
                               "ERROR table input table broken last table incomplete  "}));
    print_tables();
    EXPECT_EQ(report(), (Lines{"table agree, 4 elements: \"e\"|\"es\"|#5$r|x|", "table empty, 0 elements: ",
                               "table two, 2 elements: a||"}));
}

TEST_F(Morph, ExpressionsInflectTheWord) {
    rules("RULE past regular : ! \"ed\" ; irregular : \"went\" ;\n"
          "RULE never regular : \"x\" ;\n");
    report();
    const struct {
        const char* word;
        const char* attributes;
        const char* expected;
    } cases[] = {
        {"walk", "regular", "walked"}, {"go", "irregular", "went"}, {"fly", "", "flies"},
        {"stop", "", "stopped"},       {"sing", "", "sings"},       {"apple", "", "apples"},
    };
    for (const auto& c : cases) {
        t_treenode n = leaf(c.word, c.attributes);
        EXPECT_EQ(morph_word(n, 5), 1) << c.word;
        EXPECT_EQ(n->morphed_word, c.expected);
    }
    EXPECT_TRUE(report().empty());

    // Guards that all fail give the empty word, which replaces the old one.
    t_treenode be = leaf("be", "irregular");
    EXPECT_EQ(morph_word(be, 5), 1);
    EXPECT_EQ(be->morphed_word, "");

    // Operators on their own.
    t_treenode w = leaves[0];
    w->morphed_word = "walk";
    const struct {
        const char* text;
        const char* expected;
    } texts[] = {
        {"-&\"a\"|", "a"},        {"\"a\" + \"b\"|", "ab"},  {"!--|", "wa"},
        {"!\"ab", "walkab"},     {"\"x\"|\"y\"|", "x"},     {"!&&|", "walkkk"},
        {"", ""},                 {"\"a\"$past|", "awalked"},
    };
    for (const auto& t : texts) EXPECT_EQ(eval(w, t.text), t.expected) << t.text;

    // Leaves without an entry, or an empty field, keep their word.
    w->dictionary->error = 3;
    EXPECT_EQ(morph_word(w, 5), 0);
    w->dictionary->error = 0;
    EXPECT_EQ(morph_word(w, 7), 0);
    EXPECT_EQ(morph_word(leaf("an", ""), 5), 0);
    EXPECT_EQ(w->morphed_word, "walk");
    EXPECT_TRUE(report().empty());
}

TEST_F(Morph, FaultsInExpressionsAreReportedAndEvaluationGoesOn) {
    rules("RULE loop * : \"a\" $loop ;\n"
          "RULE two * : $two $two \"b\" ;\n");
    report();
    t_treenode hole = leaf("hole", "");
    EXPECT_EQ(morph_word(hole, 5), 1);
    EXPECT_EQ(hole->morphed_word, "");
    EXPECT_EQ(morph_word(leaf("miss", ""), 5), 1);
    EXPECT_EQ(report(), (Lines{"Bad field reference: field 9 from lsp 0", "ERROR   Reference to non-existent morph rule nope "}));

    // A rule that calls itself stops at 100 levels: one message, the text built so far kept.
    EXPECT_EQ(eval(hole, "$loop|"), std::string(99, 'a'));
    EXPECT_EQ(report(), (Lines{"ERROR   Morph expressions nested too deeply  "}));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(eval(hole, "$two|"), std::string(99, 'b'));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "no level is entered after the limit";
    EXPECT_EQ(report().size(), 1u);

    // Rules that double the work at every level without recursion are cut short.
    std::string chain;
    for (int i = 0; i < 40; i++) chain += "RULE d" + std::to_string(i) + " * : $d" + std::to_string(i + 1) + " $d" + std::to_string(i + 1) + " ;\n";
    clear_mrules();
    rules(chain + "RULE d40 * : ;\n");
    report();
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(eval(hole, "$d0|"), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(report(), (Lines{"ERROR   Morph expression too long to evaluate  "}));

    // The word never exceeds 119 characters.
    std::string quoted = "\"" + std::string(200, 'q') + "\"&!|";
    EXPECT_EQ(eval(hole, quoted), std::string(MOUTMAX, 'q'));
}

TEST_F(Morph, TablesAreIndexedByTheLeafsAttributes) {
    tables("agree ( \"1s\", \"1p\", \"2s\", \"2p\", \"3s\", \"3p\" )\n"
           "small ( \"x\" ) nested ( ! $ag , \"n\" )\n");
    rules("RULE ag * : agree(person) ;");
    report();
    t_treenode n = leaf("walk", "third,plur");
    int size = 0;
    EXPECT_EQ(match_index(n, "person", &size), 2);
    EXPECT_EQ(size, 3);
    EXPECT_EQ(match_index(n, "third.sing", &size), 4) << "all values given: 2 x 2 + 0";
    EXPECT_EQ(size, 6);
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"agree(person,number)|", "3p"},  // 2 x 2 + 1 = 5: element 6
        {"agree(person)|", "2s"},
        {"agree(first.plur)|", "1p"},
        {"agree()|", "1s"},
        {"nested(first.sing)|", "walk2s"},
        {"nested(number)|", "n"},
        {"\"<\" small(number) \">\"|", "<>"},
        {"nosuch(person)|", ""},
        {"agree(person, form)|", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(eval(n, c.text), c.expected) << c.text;
    EXPECT_EQ(report(), (Lines{"ERROR   Table index too high  ", "ERROR   Table not found nosuch ",
                               "ERROR   Table index attribute type not present in node  "}));
    EXPECT_EQ(match_index(n, "form", &size), -1);
    EXPECT_EQ(match_index(nullptr, "person", &size), -1);
    report();
}

TEST_F(Morph, GuardsTestNeighbouringLeaves) {
    t_treenode an = leaf("an", "adj,vowel");
    t_treenode apple = leaf("apple", "noun,vowel,sing");
    t_treenode falls = leaf("falls", "verb,consonant,sing");
    const struct {
        t_treenode node;
        const char* guard;
        int holds;
    } cases[] = {
        {apple, "noun:", 1},
        {apple, "-1.vowel,0.noun:", 1},
        {apple, "-1.vowel,noun:", 0},  // the offset stays on the previous leaf
        {apple, "(adj|vowel),sing:", 1},
        {an, "(adj|vowel),sing:", 0},
        {falls, "-1.(verb|noun):", 1},
        {falls, "(-1.noun),verb:", 1},  // ")" restores the offset of "("
        {falls, "(-1.adj|verb),consonant:", 1},  // "|" returns to it
        {falls, "-1.adj|verb:", 1},
        {falls, "1.*:", 0},
        {apple, "1.*:", 1},
        {apple, "2.noun|-2.adj:", 0},
        {an, "-1.noun|*:", 1},
        {apple, "\"app*\":", 1},
        {apple, "-1.\"a*\",1.\"f*\":", 1},
        {apple, "\"x*\":", 0},
        {apple, "<8=stone,fo*>:", 1},
        {apple, "<8=stone>:", 0},
        {apple, "1.<8=fo*>:", 0},
        {apple, ":", 1},
        {apple, "verb,noun|adj,noun|vowel,sing:", 1},
        {apple, "((noun,(sing|plur))),vowel:", 1},
        {apple, "(noun,verb)|(adj):", 0},
        {nullptr, "*:", 1},
        {nullptr, "noun:", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(guard(c.node, c.guard), c.holds) << c.guard;
    EXPECT_TRUE(report().empty());

    // Short cuts: what is skipped is never evaluated, so its unknown name goes unreported.
    EXPECT_EQ(guard(apple, "noun | zzz :"), 1);
    EXPECT_EQ(guard(apple, "verb , zzz | sing:"), 1);
    EXPECT_TRUE(report().empty());
    EXPECT_EQ(guard(apple, "verb | zzz :"), 0);
    EXPECT_EQ(report(), (Lines{"ERROR   Unknown attribute zzz "}));

    const char* text = "noun:\x07 N";
    current_node = apple;
    EXPECT_EQ(m_guard(text), 1);
    EXPECT_EQ(end_guard, text + 5) << "a syntax rule's right-hand side follows the colon";
    EXPECT_EQ(guard(falls, "-1.noun:"), 1);
    EXPECT_EQ(offset_node, apple);
}

TEST_F(Morph, PreselectionElementsAndMalformedGuards) {
    t_treenode apple = leaf("apple", "noun");
    EXPECT_EQ(guard(apple, "\x0Enoun:"), 0);
    Lines r = report();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].rfind("ERROR   Preselection: ", 0), 0u) << r[0];
    EXPECT_EQ(guard(apple, "\x11noun:"), 0);
    EXPECT_EQ(report(), (Lines{"ERROR   Guard following _is_ not in proper form  "}));
    EXPECT_EQ(guard(apple, "\x11noun\x0Etag|noun:"), 1) << "the element is passed over whole";
    report();

    // Malformed guards end without reading past their text.
    for (const char* g : {"(noun", "noun)", "<7=food", "\"ab", "-", "1", "<x>:", "noun,,:", "= noun:"}) {
        current_node = apple;
        m_guard(g);
        EXPECT_GE(end_guard, g) << g;
        EXPECT_LE(end_guard, g + strlen(g)) << g;
    }
    std::string deep = std::string(25, '(') + "noun" + std::string(25, ')') + ":";
    EXPECT_EQ(guard(apple, deep), 0);
    EXPECT_EQ(report(), (Lines{"ERROR   Guard groups nested too deeply  "}));
}

TEST_F(Morph, PassesRunOverTheThreadAndMpassesSetsThem) {
    t_treenode apple = leaf("apple", "");
    t_treenode falls = leaf("falls", "");
    for (int i = 1; i < 6 && morph_passes[0][i] != 0; i++) morph_tree(root, morph_passes[0][i]);
    EXPECT_EQ(apple->morphed_word, "applesx") << "the second pass sees the first one's word";
    EXPECT_EQ(falls->morphed_word, "falls");
    morph_tree(nullptr, 5);

    setkeys("\r\r\r");
    takesequences();
    const struct {
        int params[5];
        const char* message;
    } cases[] = {
        {{0, 7, 0, 0, 0}, nullptr},
        {{0, 0, 5, 0, 0}, "first pass cannot be null"},
        {{22, 5, 0, 0, 0}, "tree number too large"},
        {{-1, 5, 0, 0, 0}, "tree number cannot be negative"},
        {{21, 30, 31, 0, 0}, "~phonology passes have been set"},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < 5; i++) param[i + 1] = c.params[i];
        setmorphpasses();
        EXPECT_EQ(messages(), c.message ? Lines{c.message} : Lines{}) << c.params[0] << "," << c.params[1];
    }
    EXPECT_EQ(std::vector<int>(morph_passes[0], morph_passes[0] + 6), (std::vector<int>{0, 7, 0, 0, 0, 0}));
    EXPECT_EQ(std::vector<int>(morph_passes[21], morph_passes[21] + 6), (std::vector<int>{0, 30, 31, 0, 0, 0}));
    EXPECT_EQ(morph_passes[1][1], 5);
    apple->morphed_word = "apple";
    morph_tree(root, morph_passes[0][1]);
    EXPECT_EQ(apple->morphed_word, "appley") << "only the pass of field 7 runs";
}

TEST_F(Morph, LexicalTransformationsReachOtherLeavesAndTheLookupsAttributes) {
    t_treenode first = leaf("sing", "");
    t_treenode second = leaf("apple", "");
    second->morphed_word = "pear";
    MState = 1;
    EXPECT_EQ(eval(first, "#5.2 \"/\" !|"), "pears/sing") << "the nested level's \"!\" is the second leaf's word";
    EXPECT_EQ(MState, 0);
    MState = 1;
    EXPECT_EQ(eval(first, "#9.2 #5.3|"), "");
    EXPECT_EQ(report(), (Lines{"Bad field reference: field 9 from lsp 2", "Bad field reference: field 5 from lsp 3"}));
    EXPECT_EQ(guard(first, "<8.2=food>:"), 1);

    // Under lexical transformations the lookup's attributes (lt_delayed occurrences) count.
    ASSERT_EQ(lookup_attr("noun"), 1);
    lt_delayed[0] = {att_class, att_value, 1};
    comp_attr c = nullptr;
    add_comp_attr(&c, 0);
    add_attr_to_list(&first->dictionary->attributes, c);
    MState = 1;
    EXPECT_EQ(guard(first, "noun:"), 1);
    MState = 0;
    EXPECT_EQ(guard(first, "noun:"), 0) << "the node itself has no attributes";
}

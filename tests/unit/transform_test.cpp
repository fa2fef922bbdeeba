// Transformations (guard matching, priority order, right-hand sides that copy, swap, add and
// change attributes) and indirections (tagged and untagged pointer groups, chains, failures).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "editor/getparam.h"
#include "genra/attr_fns.h"
#include "genra/indirect.h"
#include "genra/lex_read.h"
#include "genra/lex_scan.h"
#include "genra/misc.h"
#include "genra/syn_globals.h"
#include "genra/syn_tran.h"
#include "genra/uninstall.h"
#include "genra/utilities.h"
#include "tests/unit/genrakit.h"

using namespace zek;
using namespace zektest;
using Lines = std::vector<std::string>;

namespace {

class Transform : public ::testing::Test {
   protected:
    void SetUp() override { fresh(); }
    ScratchDir scratch;
};

void grammar(const std::string& lexicon, const std::string& syntax) {
    loadgrammar("cat ( noun, verb ) number ( sing, plur )", "N V A B X Y", lexicon);
    loadsyntax(syntax);
}

// Children named by the letters of `names`, with `attrs` on the child named N.
t_treenode family(const std::string& names) {
    t_treenode parent = makenode("P");
    t_treenode* tail = &parent->son;
    for (char c : names) {
        *tail = makenode(std::string(1, c).c_str());
        tail = &(*tail)->sibling;
    }
    return parent;
}

std::string leafnames(t_treenode t) {
    std::string s;
    for (t_treenode leaf : leavesof(t)) s += leaf->name;
    return s;
}

}  // namespace

TEST_F(Transform, GuardsMatchRunsOfChildren) {
    loadgrammar("cat ( noun, verb ) number ( sing, plur )", "N", "");
    const struct {
        const char* guard;
        const char* children;
        int ok;
        const char* firsts;  // the first child of each item, "." for none
    } cases[] = {
        {" * V *", "AVB", 1, "AVB"}, {" N V", "NVP", 0, ""}, {" N V", "NV", 1, "NV"}, {" * X", "", 0, ""},
        {" * X", "X", 1, "XX"},     {" A * B", "ACDB", 1, "ACB"}, {" *", "", 1, "."}, {" A *", "A", 1, "A."},
        {" * A * A", "BAA", 1, "BAAA"},
    };
    for (const auto& c : cases) {
        t_treenode p = family(c.children);
        EXPECT_EQ(match_guard(p->son, c.guard), c.ok) << c.guard << " / " << c.children;
        if (c.ok) {
            std::string firsts;
            for (int i = 1; guard_array[i].first != nullptr || (i <= 2 && c.firsts[i - 1] == '.'); i++) {
                firsts += guard_array[i].first != nullptr ? guard_array[i].first->name : ".";
                if (i >= static_cast<int>(strlen(c.firsts))) break;
            }
            EXPECT_EQ(firsts, c.firsts) << c.guard << " / " << c.children;
        }
        purge_tree(&p);
    }
    t_treenode p = family("N");
    text_to_comp_struct("plur", 0);
    add_attr_to_list(&p->son->attributes, comp_attr_register);
    EXPECT_EQ(match_guard(p->son, " N[sing]"), 0);
    EXPECT_EQ(match_guard(p->son, " N[number]"), 1);
    EXPECT_EQ(match_guard(p->son, " N[noun,plur]"), 0) << "every compound of the list must agree";
    purge_tree(&p);
}

TEST_F(Transform, PriorityOrderSwapsCopiesAndAttributes) {
    grammar("\"n\"|N|noun, sing|1|\n\"ns\"|N|noun, plur|1|\n\"v\"|V|verb|1|\n\"a\"|A||1|\n\"b\"|B||1|\n",
            "T3 = TRANSFORMATION PRIORITY 3 * : 1 A %\n"
            "T7 = TRANSFORMATION PRIORITY 7 * : 1 B %\n"
            "SW = TRANSFORMATION X Y : 2 1 ; * : %\n"
            "PL = TRANSFORMATION N * : 1 [ plur ] 2 %\n"
            "ROOT = T7 : FLATTEN : T3 : S XY SWAPPED %\n"
            "S = N [ noun, sing ] V %\nXY = X Y %\nSWAPPED = SW : PL : XY %\n");
    interpret();
    EXPECT_EQ(leafnames(root), "NVABXYYX") << "T3 before T7, FLATTEN after both, SW swaps";
    EXPECT_EQ(genSentences[0], "n v a b");
    grammar("\"n\"|N|noun, sing|1|\n\"ns\"|N|noun, plur|1|\n",
            "PL = TRANSFORMATION N : 1 [ plur ] %\nROOT = PL : P %\nP = N [ noun, sing ] %\n");
    interpret();
    EXPECT_EQ(genSentences[0], "ns") << "the plural replaces the singular compound";
    grammar("\"n\"|N|noun, sing|1|\n", "MI = TRANSFORMATION N : 1 [ - noun ] %\nROOT = MI : P %\nP = N [ noun ] %\n");
    interpret();
    EXPECT_EQ(print_attr_list(leavesof(root)[0]->attributes), "") << "MINUS removes the agreeing compound";
}

TEST_F(Transform, RulesThatRegrowTheTreeStop) {
    // Each copy of ROOT carries the transformation that copies ROOT again.
    grammar("\"n\"|N|noun|1|\n", "TR = TRANSFORMATION * : 1 ROOT %\nROOT = TR : P %\nP = N %\n");
    interpret();
    Lines lines = report();
    bool stopped = false;
    for (const std::string& l : lines) stopped = stopped || l.find("transformation terminated") != std::string::npos;
    EXPECT_TRUE(stopped) << "the growth ends with a message, not a stack overflow";
    EXPECT_LT(nodecount, 4 * NODELIMIT);
}

TEST_F(Transform, IndirectionsFollowTaggedAndUntaggedPointers) {
    grammar("\"dog\"|N|noun, sing|1|||young:\"puppy\";\"hound\",\"cur\"|\n"
            "\"puppy\"|N|noun, sing|1|||adult:\"dog\"|\n\"hound\"|N|noun, sing|1||\n\"cur\"|N|noun, sing|1||\n"
            "\"hen\"|N|noun, sing|1|||young:\"chick\"/A|\n\"chick\"|A||1||\n",
            "ROOT = N / \"dog\" / @ 7 : young [ ! noun ] %\n");
    interpret();
    EXPECT_EQ(genSentences[0], "puppy");
    grammar("\"dog\"|N|noun, sing|1|||young:\"puppy\";\"hound\",\"cur\"|\n"
            "\"puppy\"|N|noun, sing|1|||adult:\"dog\"|\n\"hound\"|N|noun, sing|1||\n\"cur\"|N|noun, sing|1||\n"
            "\"hen\"|N|noun, sing|1|||young:\"chick\"/A|\n\"chick\"|A||1||\n",
            "ROOT = N / \"dog\" / @ 7 : young / @ 7 : adult %\nTWO = N / \"hen\" / @ 7 : young %\n"
            "U = N / \"dog\" / @ 7 %\nBAD = N / \"dog\" / @ 7 : old %\n");
    interpret();
    EXPECT_EQ(genSentences[0], "dog") << "the second indirection starts from the first one's entry";
    std::map<std::string, int> seen;
    for (int i = 0; i < 2000; i++) {
        interpret();
        seen[genSentences[0]]++;
    }
    EXPECT_EQ(seen["dog"], 2000);
    writefile("s.syn", "ROOT = N / \"hen\" / @ 7 : young %\n");
    qreadsyn();
    interpret();
    EXPECT_EQ(genSentences[0], "chick") << "the pointer's own category";
    writefile("s.syn", "ROOT = N / \"dog\" / @ 7 %\n");
    qreadsyn();
    seen.clear();
    for (int i = 0; i < 2000; i++) {
        interpret();
        seen[genSentences[0]]++;
    }
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_NEAR(seen["hound"], 1000, 100);
    report();
    writefile("s.syn", "ROOT = N / \"dog\" / @ 7 : old %\n");
    qreadsyn();
    interpret();
    Lines r = report();
    EXPECT_NE(std::find(r.begin(), r.end(), "ERROR   No lexical entry found for N "), r.end())
        << "the first entry must hold the tag in the field";
}

TEST_F(Transform, EveryIndirectionFailureIsALine) {
    grammar("\"dog\"|N|noun|1|||young:;\"x\"|\n\"cat\"|N|noun|1|||young:\"nosuch\"|\n", "ROOT = N %\n");
    const char* entry = "\"dog\"|N|noun|0001|||young:;\"x\"|";
    EXPECT_FALSE(findtag(entry, 6, ""));
    EXPECT_FALSE(findtag(entry, 7, "old"));
    EXPECT_FALSE(findtag(entry, 7, "young"));
    EXPECT_TRUE(findtag(entry, 7, "") && chosen_pointer == "x" && category.empty());
    EXPECT_EQ(report(), (Lines{"Field 6 does not exist in " + std::string(entry), "Tag old not present in field 7 of " + std::string(entry),
                               "No pointers found for tag young, field 7 in " + std::string(entry)}));
    t_treenode leaf = makenode("N");
    add_to_indir_list(&leaf->indirections, create_indir_node());
    leaf->indirections->indir_node->fieldnum = 7;
    leaf->indirections->indir_node->tag = "young";
    process_indirect_ops(leaf);  // no entry yet
    terminal_node(leaf);
    leaf->dictionary->class_ = "N";
    leaf->dictionary->preferredchoice = "cat";
    getdictent(leaf->dictionary);
    process_indirect_ops(leaf);  // the pointer names no word
    leaf->dictionary->dictionary = dictionary[0]->previous->recordptr;  // "dog": its group is empty
    process_indirect_ops(leaf);
    Lines r = report();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0], "wrong tag or field number? tag young in field 7");
    EXPECT_EQ(r[1], "Unable to match indirection pointer");
    EXPECT_EQ(r[2], "category: N, pointer: nosuch, error number: 3");
    EXPECT_EQ(r[4].substr(0, 45), "No proper pointer obtained: tag young, field ");
    purge_node(&leaf);
}

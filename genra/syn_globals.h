// The grammar held by the generator and the state of a generation run: the rule and
// transformation stacks, the roots and their sentences, the preselections and the run's
// counters.
#pragma once

#include <string>
#include <vector>

#include "genra/attr_list.h"
#include "genra/trees.h"

namespace zek {

// Bytes of the compiled rule notation.
enum : unsigned char {
    RN_INHERIT = 5,
    RN_CHOOSE = 6,
    RN_RHS = 7,
    RN_TRANS = 8,
    RN_PRE = 14,
    RN_SELECT = 16,
    RN_IS = 17,
    RN_FREQ = 19,
    RN_VAR = 255,
};

constexpr int RULETEXTMAX = 8191;   // characters of a rule's compiled text
constexpr int CLAUSEMAX = 9998;     // characters of one compiled clause
constexpr int NODELIMIT = 1024;     // nodes of one tree
constexpr int NUMROOTS = 21;        // rows 1..20 of tree_roots are used

struct syn_rule {
    std::string name;
    std::string rules;
    syn_rule* next;
};

struct root_list {
    const char* name;
    const char* message;
};

struct pre_rule {
    comp_attr PST = nullptr;  // the tag
    int node = 0;             // the clause has a right-hand side
    t_treenode RHS = nullptr;
    pre_rule* next = nullptr;
};

extern syn_rule* syntax_stack;
extern transformation* trans_stack;
extern const char* const BARRIER;

extern t_treenode root;
extern t_treenode oldroot;
extern t_treenode rootPtrs[NUMROOTS];
extern const root_list tree_roots[NUMROOTS];
extern std::string genSentences[NUMROOTS];
extern bool generated;  // a run has been made since the grammar or lexicon last changed
extern int treestate;
extern int global_barrier;
extern int global_delayptr;
extern int preselect_barrier;
extern pre_rule* preselect_list;
extern pre_rule* globalpre_list;

}  // namespace zek

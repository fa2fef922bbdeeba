// The generator's grammar and run state.
#include "genra/syn_globals.h"

namespace zek {

syn_rule* syntax_stack = nullptr;
transformation* trans_stack = nullptr;
const char* const BARRIER = "%%%%%";

t_treenode root = nullptr;
t_treenode oldroot = nullptr;
t_treenode rootPtrs[NUMROOTS];
const root_list tree_roots[NUMROOTS] = {
    {"!%!%!", "DUMMY    "}, {"QUESTION", "Question "}, {"ANSWER", "Answer   "}, {"R_3", "R_3      "},
    {"R_4", "R_4      "},   {"R_5", "R_5      "},      {"R_6", "R_6      "},    {"R_7", "R_7      "},
    {"R_8", "R_8      "},   {"R_9", "R_9      "},      {"R_10", "R_10     "},   {"R_11", "R_11     "},
    {"R_12", "R_12     "},  {"R_13", "R_13     "},     {"R_14", "R_14     "},   {"R_15", "R_15     "},
    {"R_16", "R_16     "},  {"R_17", "R_17     "},     {"R_18", "R_18     "},   {"R_19", "R_19     "},
    {"R_20", "R_20     "},
};
std::string genSentences[NUMROOTS];
bool generated = false;
int treestate = 0;
int global_barrier = 0;
int global_delayptr = 0;
int preselect_barrier = 0;
pre_rule* preselect_list = nullptr;
pre_rule* globalpre_list = nullptr;

}  // namespace zek

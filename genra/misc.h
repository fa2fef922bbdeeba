// A generation run: preselection, expansion of ROOT and the further roots, lookups, the
// morphology passes, the sentences with their post-morphology, and what the commands and
// keys ask of the last run.
#pragma once

#include <string>

#include "genra/trees.h"

namespace zek {

extern char sentbuf[1024];
extern char sentbuf2[1024];
extern std::string response;  // the learner's response

void interpret();
void finish(t_treenode tree, int number, const char* label);
std::string new_extract_sentence(t_treenode tree);
// Applies the marks "^" (joins to the word before) and "`" (capital next) to sentbuf into
// sentbuf2.
void postmorph();
void sentence_to_core(int n, int corefile);
// The first of sentences 1 to 20 that equals the response, 0 when none does.
int gnr_comp();
// The response from the cursor to the end of the current corefile, blanks collapsed.
// The response: the current corefile from the cursor on, lines joined and blanks collapsed,
// at most RESPONSEMAX characters; a longer one is cut, and corefile 7 says so.
constexpr size_t RESPONSEMAX = 199;
std::string getresponse();

void fill_all_words(t_treenode tree, int from);
// The word of an entry: field 1 without its quotes.
std::string entryword(const char* entry);
// Each leaf's morphed_word becomes its chosen entry's word (field 1 without its quotes).
void setwords(t_treenode tree);
void purge_all_trees();
void clear_SE_PRE(int global);
void clear_GP();
void global_preselect();

}  // namespace zek

// Morphology: the rules and tables files, morph expressions that inflect the word of a leaf,
// the guard language over neighbouring leaves (also used by the guards of syntax rules), and
// the morphology passes run over every finished tree.
#pragma once

#include "genra/trees.h"

namespace zek {

constexpr int MAXPASSROWS = 22;  // tree 0 (ROOT), 1..20 (the further roots), 21 (phonology)

// For tree t, the lexicon fields whose expressions run as passes: entries 1 up to the first 0.
extern int morph_passes[MAXPASSROWS][6];
void init_morph_passes();

void new_readmorph(const char* filename);
void new_readtables(const char* filename);
void init_mrules();
void clear_mrules();
void clear_tables();
void print_mrules();
void print_tables();

void morph_tree(t_treenode root, int pass);
int morph_word(t_treenode node, int pass);
void m_exp(const char* text);
// Whether the guard at `text` (ending with ":" or, in a group, ")") holds for current_node.
int m_guard(const char* text);
extern t_treenode current_node;
extern char moutput[120];

// The position of the node's value combination for the attribute types named at `text`, and
// the number of combinations in *size; -1 when the node lacks a matching compound.
int match_index(t_treenode node, const char* text, int* size);

// The MPASSES command.
void setmorphpasses();

}  // namespace zek

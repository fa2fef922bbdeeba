// Morphological errors: the morph error table (which attributes of each terminal a learner may
// get wrong), the variants of each leaf made by changing them, the minimal differences of the
// variants that equal a response, and the enumeration listing.
#pragma once

#include <string>
#include <vector>

#include "genra/terminal.h"
#include "genra/trees.h"

namespace zek {

constexpr int MRROWLEN = 80;   // ints of one mrdata row: (type, value) pairs ended by a 0 type
constexpr int MRMAXPAIRS = 39;
constexpr int MRMAXTYPES = 10;  // attribute types varied for one terminal
constexpr int MRMAXALT = 20;    // alternatives of one type
constexpr long MAXVARIANTS = 1000;  // variants made of one word (ten types could give 21^10)

// Per terminal: (type, value) pairs, value -1 for every value of the type, ended by type 0.
extern int mrdata[MAXTERMINALS][MRROWLEN];
// Built from mrdata before each analysis: [r][0][0] the number of types; [r][t][0] the number of
// alternatives of type slot t, [r][t][1..] their `delayed` entries.
extern int mrmod[MAXTERMINALS][MRMAXTYPES + 1][MRMAXALT + 1];
extern int comb[MRMAXTYPES + 1];
extern int hitype;
extern bool mrwritten;  // mrdata or mrmod holds anything: clear_mrdata has work to do

void clear_mrdata();
void mrmodify();
// The number of type slots and the largest number of alternatives of one slot that a row needs,
// and the number of variants of a word that it gives within the table's bounds.
void mrrowneeds(const int* row, int* types, int* alternatives, long* variants);

// The word of a leaf as chosen (its entry's word), and the word the passes of fields 5 and 6
// make from it for the leaf as it stands.
std::string chosenword(t_treenode leaf);
std::string inflect(t_treenode leaf, const std::string& chosen);

// Replaces the leaf's variants with one per combination of the alternatives of its terminal
// (the first MAXVARIANTS).
void make_variants(t_treenode leaf);
void clear_variants(t_treenode tree);
// Whether a variant of the leaf is the response; its minimal differences go to breakup, each as
// the leaf's values, a slash and the variant's values.
bool compare_var(t_treenode leaf, const std::string& response, std::vector<std::string>& breakup);
// Every variant of every word of the ROOT tree, into corefile 7.
void generate_enumerations();

}  // namespace zek

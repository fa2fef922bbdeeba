// Choosing lexical entries for lookups: the candidates of a terminal that pass the word,
// attribute and field tests, drawn at random by frequency; frequency changes (QFREQ).
#pragma once

#include "genra/attr_list.h"
#include "genra/lex_read.h"
#include "genra/trees.h"

#include <vector>

namespace zek {

constexpr int MAXLEXATT = 50;  // compounds of one entry taken into account when matching

struct lex_comp {
    const unsigned char* start;  // the first byte of a compiled compound of the entry
    int count;                   // its components
};

// The candidates of the last locate_matches, however many, and the running total of their
// frequencies up to each: a draw below prob_tot picks the first whose total exceeds it.
// getdictent sets only numnodes and prob_tot (its candidates may come from the memo).
extern std::vector<recnode*> nodearray;
extern std::vector<long> prob_array;
extern int numnodes;
extern long prob_tot;

// The memo of lookups (see lex_scan.cpp) is emptied when what a lookup matches against
// changes: the attribute tables (forget_lookups), entries added (lexicon_grown) or the lexicon
// emptied (lexicon_cleared).
void forget_lookups();
void lexicon_grown();
void lexicon_cleared();

void getwords(int start);
void getdictent(t_dict_lookup* lookup);
void locate_matches(t_dict_lookup* lookup, int terminal);
char* select_match();
void apply_vf_single(char* entry, int n);
int match_attr(const char* entry, attr_list list);
int match_single_attr(const char* entry);
// The frequency of an entry (field 4 as an integer).
long entryfrequency(const char* entry);
char* exactword(const char* word, recnode* list);
void vary_frequency(const char* text);

}  // namespace zek

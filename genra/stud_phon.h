// Phonological errors: the phonology tables (for each IPA symbol its possible spellings), the
// IPA form of an expected word made by the phonology passes, and the test whether a response
// spells that form otherwise (a word that sounds right).
#pragma once

#include <string>
#include <vector>

#include "genra/morphology.h"
#include "genra/stud_err.h"

namespace zek {

constexpr int MAXIPA = 20;  // symbols of one IPA form

// The tables in file order; a table's name is its symbol, its elements the spellings, each
// followed by "|".
extern TABLE* phontablelist;

void clear_phon_tables();
// Appends a table read from a file; false (and the table is not taken) when its symbol has one.
bool add_phon_table(TABLE* t);
const TABLE* phontable(unsigned char symbol);
// Spells `word` as the IPA form: left to right, each symbol's spellings in table order, going
// back to the last choice that has another when the rest cannot be spelled. One spelling per
// symbol on success.
bool phonspell(const std::string& ipa, const std::string& word, std::vector<std::string>& spelling);
// Works out, once per leaf, its IPA form and how its own word spells it.
void err_phonform(leafinfo& expected);
// Whether the response spells the leaf's IPA form; if so the comparison becomes phonological
// with the differing spellings (or a note) in `out`.
bool err_match_phono(leafinfo& expected, const std::string& response, lexdiff& out);

}  // namespace zek

// Lexical errors: the tags of the tag info file, each naming a lexicon field whose tagged links
// lead from a word to related words (its young, its opposite), and the test whether a response
// is such a related word.
#pragma once

#include <string>
#include <vector>

#include "genra/stud_err.h"

namespace zek {

constexpr int FIRSTTAG = MC_LEX;  // the class number of the first tag read

struct tag_table {
    std::string tag;  // empty: the links written without a tag
    int tag_int;      // the class given to a match through this tag
    int field;        // the lexicon field that holds the links
};

extern std::vector<tag_table> taglist;  // in file order
extern int nexttag;                     // the number the next tag read gets

void clear_tag_tables();
const tag_table* tagbynumber(int tag_int);
// Works out, once per leaf, the inflected words its links lead to (in tag order).
void err_links(leafinfo& expected);
// The number of the first tag whose link leads from the leaf to the response, or 0.
int err_match_syn(leafinfo& expected, const std::string& response);

}  // namespace zek

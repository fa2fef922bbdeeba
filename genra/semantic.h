// Semantic transformations (SMTRANSF, the qmakepre key): a file pairs patterns of semantic
// expressions (predicate-argument terms whose functors are attribute values with valences)
// with prototypes; the first transformation that matches an expression turns it into
// preselection lines (the text of a PRESELECT rule) in corefile 14.
#pragma once

#include <string>

namespace zek {

constexpr int SEMCORE = 14;    // the corefile of semantic preselections
constexpr int SEMBUF = 2000;   // characters of a name, a prototype, an expression
constexpr int SEMMAXNEST = 200;     // re-analyses nested inside one another
constexpr int SEMMAXANALYSES = 1000;  // analyses made for one expression, nested ones included
constexpr int SEMMAXLINES = 500;    // preselection lines written for one expression
constexpr int SEMLINEMAX = 1099;    // characters of one written line (the line output's bound)

struct sem_prot {
    int reanalyse = 0;       // 1: a semantic expression to analyse again; 0: a template
    std::string prototype;
    sem_prot* next = nullptr;
};

struct sem_trans {
    int form = 1;            // 1: a full pattern; 2: the top-level functor only
    std::string name;        // the pattern text
    std::string pattern;     // the pattern normalised once when read; empty if malformed
    sem_prot* first = nullptr;
    sem_prot* last = nullptr;
    sem_trans* next = nullptr;
};

struct sem_expr {
    std::string original;        // the normalised expression
    std::string top_level_orig;  // the functor and its arguments, each followed by "|"
    int analysed = 0;
};

// Newest first: the transformation read last is tried first.
extern sem_trans* sem_trans_list;
extern int depthStack;

// Loads a semantic transformations file ("Semantic Transformation Input"); the earlier list
// is dropped first. Errors go to corefile 7 and the reader goes on with the next item; an item
// with an error is dropped whole.
void read_sem_trans(const char* filename);
void clear_sem_trans();

// Writes "PRESELECT = " and then the lines made from `text` to corefile 14; false when the
// analysis failed (its message is then the last line).
bool analyse_sem_expr(const char* text);
// The same without the heading; used for the re-analyse prototypes.
bool reanalyse_expr(const char* text);

// The steps, exposed for the tests.
// Blanks and ")" go, "(" and "," become "."; bracketed text stays verbatim. Returns nullptr,
// or (with `out` unspecified) the message for unbalanced parentheses or brackets or a "|"
// outside brackets ("|" separates the fields of the split expression).
const char* sem_normalise(const std::string& text, std::string& out);
// The top-level split of a normalised expression into e.top_level_orig; false when an
// element is neither "0" nor an attribute, or the arguments run out before the valences do.
bool sem_split(sem_expr& e);
// Whether the transformation's pattern matches the (split) expression.
bool sem_match(const sem_trans& t, const sem_expr& e);
// The element list of a normalised expression: "." outside brackets replaced by "|", a final "|".
std::string sem_elements(const std::string& normalised);
// Field n (from 1) of a "|"-separated list (bracketed text never separates); `whole` keeps
// the bracketed suffix, else the field ends at its "[". False when there is no field n.
bool sem_field(const std::string& list, int n, bool whole, std::string& out);

// A template expanded against an element list.
struct sem_template {
    bool ok = true;
    std::string error;   // the message when not ok
    int attach = 0;      // the attach field, 0 if none
    std::string prefix;  // the text before the attach field
    std::string built;   // the text after it (all of it without an attach field)
};
sem_template sem_expand(const std::string& prototype, const std::string& elements);
// A re-analyse prototype with "#n" replaced by field n of `top`; false with `error` set when a
// field is missing or the text grows beyond the buffer.
bool sem_reanalysis_text(const std::string& prototype, const std::string& top, std::string& out, std::string& error);

}  // namespace zek

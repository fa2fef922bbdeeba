// Lexical transformations (LT): rules whose left side is a sequence of lexical search patterns
// (LSPs) and whose right side builds text from the entries they match. This module holds the
// rule table, the variables of the common attribute clause (entries of lt_delayed), the
// selection of a rule (RXTRANSF), the depth-first enumeration of every combination of entries
// that matches it (the resumelx key), and the interpretation of right sides, which inline
// transformations (ilt) share.
#pragma once

#include <string>
#include <vector>

#include "genra/lex_read.h"
#include "genra/trees.h"

namespace zek {

constexpr int MAXLTRULES = 500;      // rule numbers 1..499
constexpr int LTRESULTSIZE = 1024;   // characters of a right side's result, with its terminator
constexpr int LTFIELDSIZE = 1024;    // characters of one LSP field, with its terminator
constexpr int LTFIELDSMAX = 30750;   // characters of all the fields of one LSP
constexpr int LTRHSMAX = 4094;       // characters of a stored right side
constexpr int LTMEXPMAX = 99;        // characters of a morph expression in "[" "]"
constexpr unsigned char LTVARCODE = 15;  // in a stored right side: a variable follows (two bytes)
constexpr int MAXLTCOMPONENTS = 20;      // components of one compound in an LSP
constexpr unsigned char ILTCODE = 12;    // the code of _ilt_: an entry holding inline rules
constexpr unsigned char LSPCODE = 9;     // the code of _lsp_ (and _and_)
constexpr unsigned char RHSCODE = 11;    // the code of _rhs_ (and _makes_)

// A variable of a rule's common attribute clause: its lt_delayed entry has the variable's type
// as class, and a value (fixed 1) while it is bound.
struct lt_var_list {
    std::string name;
    int index = -1;
    lt_var_list* next = nullptr;
};

// A rule: the first LSP (the others follow through `right`; each LSP is a tree node whose
// owned lookup is the pattern), the variables, and the right side in stored form.
struct LTRULE {
    t_treenode lsp1 = nullptr;
    lt_var_list* rule_vars = nullptr;
    std::string rhs;
};

extern LTRULE* ltruleheader[MAXLTRULES];
extern int lt_rule_num;  // the selected rule, -1 when none

// One level of the enumeration: the entries tried for one LSP.
struct t_stacknode {
    t_stacknode* previous = nullptr;
    t_treenode lsp = nullptr;
    recnode* DictionaryPtr = nullptr;  // the next entry to try
    std::vector<int> fixedvars;        // the variables (lt_delayed entries) bound at this level
    int term_ind = -1;                 // the terminal being walked when the class is "?"
};

extern t_stacknode* StackPtr;
extern int numwords;  // combinations produced by the enumeration in progress

extern char lt_result[LTRESULTSIZE];
extern int resptr;
extern int resoverflow;

// A variable reference in a stored right side: the code and two bytes (never 0) holding the
// variable's lt_delayed entry + 1; decode_lt_var reads them at p (after the code), -1 when
// they are malformed.
std::string encode_lt_var(int index);
int decode_lt_var(const char* p);

// Variables. add_lt_delayed gives the new entry, -1 (with "   Ran out of table space for
// attributes") when the 5000 entries are used.
int add_lt_delayed(int class_, int choice);
// The lt_delayed entry of the variable `name`, -1 when it is none of `list`.
int lookup_var(const char* name, const lt_var_list* list);
// Variables bound since `unbound` was taken (the entries that were unbound then) join `fixed`.
void fix_lt_vars(const std::vector<int>& unbound, std::vector<int>& fixed);
// The entries of `vars` that have no value.
std::vector<int> unbound_lt_vars(const lt_var_list* vars);
// Releases the variables of `fixed` and empties it.
void clear_lt_vars(std::vector<int>& fixed);

// The RXTRANSF command: selects rule n.
void inittrans(int n);
// The resumelx key: runs (or, after an interrupt, continues) the enumeration of the selected rule.
void exectrans();
// The next entry that matches the level's LSP: 1 found (the LSP's lookup holds it), 0 none
// left, -1 the class is no terminal (reported).
int lt_getdictent(t_stacknode* s);
// Whether the entry field `g` (up to its "|") satisfies the LSP field pattern `f`.
int lt_matchfield(const char* f, const char* g);
// Interprets `rhs` into lt_result, references counted along the LSP chain from `node`, morph
// expressions evaluated with MState `morph_state`; 1 on success (a failure is reported).
int lt_apply_rule(const std::string& rhs, t_treenode node, int morph_state);
int lt_apply_rule(const LTRULE* ruleptr, t_treenode node, int morph_state);
void addchar(int c);
// Field 3 of an entry written as names ("," for blanks), the attributes named by `removals`
// (type names: every value; value names: that value, not in a partial position) left out.
std::string remove_attr(const char* field, const std::vector<std::string>& removals);
// The n-th LSP of the selected rule (morphology guards); nullptr with a message when none.
t_treenode lt_getlspptr(int n);

}  // namespace zek

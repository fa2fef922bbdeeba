// Where the names of a grammar are declared and used, gathered by the readers while a program
// outside the editor asks for it (genra check), so that its warnings can name a place.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "genra/input_base.h"

namespace zek {

struct xref_name {
    std::string name;
    q_place where;
};

// A syntax rule as stored, with the node names of its right-hand sides.
struct xref_rule {
    std::string name;
    q_place where;
    bool transformation = false;
    std::vector<xref_name> nodes;
};

struct grammar_xref {
    std::vector<xref_name> types, values;  // attribute types and values as declared
    std::vector<xref_name> terminals;      // terminals as declared
    std::vector<xref_rule> rules;          // in reading order: a later rule hides an earlier one
    std::vector<size_t> syntaxfiles;       // where each syntax file still loaded begins in `rules`
    std::vector<xref_name> morphrules, tables;    // morphology rules and tables as declared
    std::vector<xref_name> morphrefs, tablerefs;  // "$NAME" and "NAME(" in morph expressions
    // Every identifier read, by the reading that met it (its file_operation).
    std::map<std::string, std::set<std::string>> identifiers;
};

// Set while the readers are to gather; nullptr (the editor's case) gathers nothing.
extern grammar_xref* q_xref;

// A syntax reading begins / the newest one's rules are removed (they follow its barrier).
void xref_syntax_begins();
void xref_syntax_removed();

// Notes a reference to a morphology rule or table in a morph expression: called with each
// token of the expression before it is consumed (`tok` as q_peep gives it), and with -1
// where an expression ends.
void xref_expression_token(int tok);

}  // namespace zek

// Interpreting compiled rule text for a node: the attachments that follow a node name
// (attribute lists, restrictions, word patterns, frequency changes, indirections), and leaf
// descriptions typed by the user.
#pragma once

#include <string>

#include "genra/trees.h"

namespace zek {

constexpr unsigned char FREQCODE = 19;  // a frequency change follows
constexpr unsigned char TRANSCODE = 8;  // a transformation name follows
constexpr unsigned char PRECODE = 14;   // a preselection reference follows

// Applies the attachments at p to the node; returns where they end.
const char* add_attachments(t_treenode node, const char* p);
// A leaf description in rule notation turned into the internal notation.
std::string convert_nodetext(const char* text);
// A node made from a leaf description, with its attachments, its lookup made and filled;
// nullptr when the text names no node.
t_treenode nodefromtext(const char* text);

// Preselection tests. find_pst parses the tag at `text` (after an optional _pre_ byte) and
// compares it with the run's preselections; it returns the status (1 "No preselection rule",
// 2 "Attribute error in PST", 3 "No matching PST: ", 4 "Matching PST has no right-hand side: ",
// 5 "PST has no lexical entry: ", 6 "All is well!"), kept with its text and the tag in
// pre_status and pre_error; *end is where parsing stopped.
extern int pre_status;
extern std::string pre_error;
int find_pst(const char* text, int decon_allowed, const char** end);
// After an optional _is_ byte: 1 a compound and a reference, 2 a reference alone, 3 a plain
// compound; the compound's rows are left in the attribute rows; *end is where it stopped.
int analyze_pre(const char* text, const char** end);
// Whether the matched preselection's entry satisfies the rows just parsed.
int bool_from_pre();

// Runs the PRESELECT rule's clauses: each tag with its node, looked up at once; `global` uses
// (and moves) the global barrier, else the run's.
void construct_preselect(const char* text, int global);
// Frees the run's preselections (all of them, the global ones too, when from_glob is 1).
void empty_preselect_list(int from_glob);
void print_preselect_list();

// Expands the node by its rule (or gives a terminal its lookup), then its children.
void expand_node(t_treenode node);
void expand_tree(t_treenode node);

}  // namespace zek

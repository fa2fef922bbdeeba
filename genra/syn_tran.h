// Transformations: rewriting a node's children after expansion by matching them against a
// clause's guard and building the new children from its right-hand side.
#pragma once

#include "genra/trees.h"

namespace zek {

constexpr int GUARDITEMS = 40;

struct Trans_Node_Ref {
    t_treenode first;  // the first child matched by the guard item
    t_treenode last;
};
extern Trans_Node_Ref guard_array[GUARDITEMS + 1];

// Applies the node's attached transformations by priority, then transforms its children.
void transform(t_treenode node);
transformation* find_low_priority(t_treenode node);
void removeTrans(t_treenode node, const transformation* t);
int do_transform(t_treenode node, const transformation* t);
// Whether the guard matches the children from `sibptr`; guard_array records the match.
int match_guard(t_treenode sibptr, const char* guardptr);
void apply_rule(t_treenode node, const char* rule);
// An attribute list of a right-hand side at text (after "["), applied to node.
const char* construct_attr_tran(t_treenode node, const char* text);
// Every compound below `top` (not top itself) that used occurrence `old` uses `replacement`.
void change_attr(t_treenode node, int old, int replacement, t_treenode top);
void clear_guard_array();

}  // namespace zek

// Indirections: a leaf follows a pointer held in a field of its chosen entry to another word,
// which it takes instead, with new attributes; chains follow naturally.
#pragma once

#include <string>

#include "genra/trees.h"

namespace zek {

extern std::string chosen_pointer;
extern std::string category;

void process_indirections(t_treenode tree);
void process_indirect_ops(t_treenode leaf);
// Chooses a pointer of the group tagged `tag` (none: the untagged group) in field `field` of
// `entry`; false, with its line in corefile 7, when there is none.
bool findtag(const char* entry, int field, const char* tag);

}  // namespace zek

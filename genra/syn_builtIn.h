// The built-in transformations: FLATTEN, which replaces a node's subtree by its leaves.
#pragma once

#include "genra/trees.h"

namespace zek {

// Puts the built-in transformations on the transformation stack once, below every file's.
void add_built_in();
void remove_built_in();
void flatten(t_treenode node);

}  // namespace zek

// Memory of the lexical transformations: the rule table and lt_delayed emptied, rules and
// their LSPs freed, and the enumeration stack given up.
#pragma once

#include "genra/lt_rule.h"

namespace zek {

// Empties the rule table and lt_delayed; no rule is selected (the LX kind's initializer).
void initialize_lt_rules();
// Frees every rule, then as initialize_lt_rules (the LX kind's uninstaller).
void purge_lt_rules();
void purge_lt_rule(LTRULE** rule);
// Frees an LSP chain (along `right`); with `ownlookups` each node's lookup too (LT rules own
// theirs; inline LSPs use entries of dict_table).
void purge_lsps(t_treenode* first, bool ownlookups);
void purge_t_dict_lookup(t_dict_lookup** lookup);
// Gives up the enumeration in progress: every level is removed and its variables released;
// with `reset` the counters start again.
void lt_cleanup(int reset);

}  // namespace zek

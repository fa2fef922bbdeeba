// Listings of lexical transformation rules into corefile 7.
#pragma once

#include <string>

#include "genra/lt_rule.h"

namespace zek {

void ltr_dump(int n);        // rule n, its variables, LSPs and right side
void lsp_dump(t_treenode lsp);
void ca_vars_dump(const lt_var_list* vars);
// A compound of lt_delayed entries as names joined by "." (a variable without a value by its type).
std::string lt_print_comp_attr(comp_attr c);
std::string lt_print_attr_list(attr_list l);

}  // namespace zek

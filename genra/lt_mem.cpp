// Freeing LT rules and giving up an enumeration.
#include "genra/lt_mem.h"

#include "genra/attr_data.h"

namespace zek {

void purge_t_dict_lookup(t_dict_lookup** lookup) {
    if (*lookup == nullptr) return;
    purge_attr_list(&(*lookup)->attributes);
    delete *lookup;
    *lookup = nullptr;
}

void purge_lsps(t_treenode* first, bool ownlookups) {
    t_treenode n = *first;
    while (n != nullptr) {
        t_treenode next = n->right;
        if (ownlookups) purge_t_dict_lookup(&n->dictionary);
        purge_node(&n);
        n = next;
    }
    *first = nullptr;
}

void purge_lt_rule(LTRULE** rule) {
    if (*rule == nullptr) return;
    purge_lsps(&(*rule)->lsp1, true);
    lt_var_list* v = (*rule)->rule_vars;
    while (v != nullptr) {
        lt_var_list* next = v->next;
        delete v;
        v = next;
    }
    delete *rule;
    *rule = nullptr;
}

// Rules still in the table are freed: the table starts empty whenever it is set up.
void initialize_lt_rules() {
    lt_cleanup(1);
    for (LTRULE*& r : ltruleheader) purge_lt_rule(&r);
    lt_rule_num = -1;
    lt_delayptr = 0;
}

void purge_lt_rules() { initialize_lt_rules(); }

}  // namespace zek

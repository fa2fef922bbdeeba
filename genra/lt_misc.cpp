// Listings of lexical transformation rules into corefile 7.
#include "genra/lt_misc.h"

#include "genra/attr_data.h"
#include "genra/input_base.h"

namespace zek {

std::string lt_print_comp_attr(comp_attr c) {
    std::string out;
    for (int i = 1; i <= attr_seg_count(c); i++) {
        int index = comp_attr_element(c, i);
        if (i > 1) out += ".";
        if (index < 0 || index >= DELAYSIZE) {
            out += "?";
            continue;
        }
        const t_delay& d = lt_delayed[index];
        out += att_get_name(d.class_, d.choice);
    }
    return out;
}

std::string lt_print_attr_list(attr_list l) {
    std::string out;
    for (; l != nullptr; l = l->next) {
        if (!out.empty()) out += ", ";
        out += lt_print_comp_attr(l->first);
    }
    return out;
}

void ca_vars_dump(const lt_var_list* vars) {
    q_line(MSGCORE, 0, "   Variables in Common Attribute Clause:");
    for (; vars != nullptr; vars = vars->next) {
        int type = vars->index >= 0 && vars->index < DELAYSIZE ? lt_delayed[vars->index].class_ : -1;
        q_printf(MSGCORE, "        Name: %s    Index: %d     Type Number: %d", vars->name.c_str(), vars->index, type);
    }
}

void lsp_dump(t_treenode lsp) {
    q_line(MSGCORE, 0, "   LSP:");
    const t_dict_lookup* d = lsp != nullptr ? lsp->dictionary : nullptr;
    if (d == nullptr) return;
    if (d->preferredchoice.empty()) {
        q_line(MSGCORE, 0, "        Field 1: NULL");
    } else {
        q_printf(MSGCORE, "        Field 1: (%d) %s", static_cast<int>(d->preferredchoice.size()), d->preferredchoice.c_str());
    }
    q_printf(MSGCORE, "        Field 2: (%d) %s", static_cast<int>(d->class_.size()), d->class_.c_str());
    q_printf(MSGCORE, "        Field 3: (%d attributes) - %s", attr_list_count(d->attributes),
             lt_print_attr_list(d->attributes).c_str());
    q_printf(MSGCORE, "        Fields : (%d) %s", static_cast<int>(d->fields.size()), d->fields.c_str());
}

// The right side as written: a variable reference shows the variable's name.
static std::string readablerhs(const LTRULE* rule) {
    std::string out;
    const char* p = rule->rhs.c_str();
    while (*p != 0) {
        if (static_cast<unsigned char>(*p) == LTVARCODE && p[1] != 0 && p[2] != 0) {
            int index = decode_lt_var(p + 1);
            const lt_var_list* v = rule->rule_vars;
            while (v != nullptr && v->index != index) v = v->next;
            out += v != nullptr ? v->name : std::string("?");
            p += 3;
        } else {
            out += *p++;
        }
    }
    return out;
}

void ltr_dump(int n) {
    if (n < 1 || n >= MAXLTRULES || ltruleheader[n] == nullptr) return;
    const LTRULE* rule = ltruleheader[n];
    q_printf(MSGCORE, "Rule %d", n);
    ca_vars_dump(rule->rule_vars);
    for (t_treenode lsp = rule->lsp1; lsp != nullptr; lsp = lsp->right) lsp_dump(lsp);
    q_printf(MSGCORE, "   RHS: (%d) %s", static_cast<int>(rule->rhs.size()), readablerhs(rule).c_str());
}

}  // namespace zek

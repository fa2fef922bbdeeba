// Rule and transformation stacks.
#include "genra/syn_misc.h"

#include <cstring>

#include "genra/input_base.h"
#include "genra/misc.h"
#include "genra/xref.h"

namespace zek {

const char* getrule(const char* name) {
    for (syn_rule* r = syntax_stack; r != nullptr; r = r->next) {
        if (r->name == name && r->name != BARRIER) return r->rules.c_str();
    }
    return nullptr;
}

transformation* findtransformation(const char* name) {
    for (transformation* t = trans_stack; t != nullptr; t = t->next) {
        if (t->name == name && t->name != BARRIER) return t;
    }
    return nullptr;
}

void add_barrier() {
    syntax_stack = new syn_rule{BARRIER, "", syntax_stack};
    transformation* t = new transformation();
    t->name = BARRIER;
    t->next = trans_stack;
    trans_stack = t;
}

void dump_syntax() {
    // The grammar changes: the last run's trees and sentences go with it.
    clear_SE_PRE(1);
    xref_syntax_removed();
    bool barrier = false;
    while (syntax_stack != nullptr && !barrier) {
        syn_rule* r = syntax_stack;
        barrier = r->name == BARRIER;
        syntax_stack = r->next;
        delete r;
    }
    barrier = false;
    while (trans_stack != nullptr && !barrier && trans_stack->functionPtr == nullptr) {
        transformation* t = trans_stack;
        barrier = t->name == BARRIER;
        trans_stack = t->next;
        delete t;
    }
}

void print_cf() {
    for (syn_rule* r = syntax_stack; r != nullptr; r = r->next) {
        if (r->name == BARRIER) continue;
        q_printf(MSGCORE, "%s", r->name.c_str());
        q_printf(MSGCORE, " rule: %s: ", r->rules.c_str());
    }
}

void print_transf() {
    for (transformation* t = trans_stack; t != nullptr; t = t->next) {
        if (t->name == BARRIER || t->functionPtr != nullptr) continue;
        q_printf(MSGCORE, "%s", t->name.c_str());
        q_printf(MSGCORE, " first RHS: %s", t->first.empty() ? "" : t->first.front().rule.c_str());
    }
}

}  // namespace zek

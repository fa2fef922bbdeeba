// Built-in transformations.
#include "genra/syn_builtIn.h"

#include <vector>

#include "genra/syn_globals.h"

namespace zek {

static const struct {
    const char* name;
    int priority;
    void (*operation)(t_treenode);
} builtIn[] = {{"FLATTEN", 10, flatten}};

static bool builtin(const transformation* t) { return t->functionPtr != nullptr; }

void add_built_in() {
    for (transformation* t = trans_stack; t != nullptr; t = t->next) {
        if (builtin(t)) return;
    }
    // Below everything already stacked, so that removing a file's rules never reaches them.
    transformation** bottom = &trans_stack;
    while (*bottom != nullptr) bottom = &(*bottom)->next;
    for (const auto& b : builtIn) {
        transformation* t = new transformation();
        t->name = b.name;
        t->priority = b.priority;
        t->functionPtr = b.operation;
        *bottom = t;
        bottom = &t->next;
    }
}

void remove_built_in() {
    for (transformation** t = &trans_stack; *t != nullptr;) {
        if (builtin(*t)) {
            transformation* gone = *t;
            *t = gone->next;
            delete gone;
        } else {
            t = &(*t)->next;
        }
    }
}

void flatten(t_treenode node) {
    if (node->son == nullptr) return;
    std::vector<t_treenode> leaves = leavesof(node);
    t_treenode first = nullptr;
    t_treenode* tail = &first;
    for (t_treenode leaf : leaves) {
        *tail = copy_node(leaf);
        tail = &(*tail)->sibling;
    }
    for (t_treenode child = node->son; child != nullptr;) {
        t_treenode next = child->sibling;
        purge_tree(&child);
        child = next;
    }
    node->son = first;
}

}  // namespace zek

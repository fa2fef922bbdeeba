// Indirection lists.
#include "genra/indir_list.h"

namespace zek {

indirection create_indir_node() { return new s_indirection(); }

void add_to_indir_list(indir_list* l, indirection ind) {
    indir_list* tail = l;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = new s_indir_list{ind, nullptr};
}

int indirect_count(indir_list l) {
    int n = 0;
    for (; l != nullptr; l = l->next) n++;
    return n;
}

indirection indir_list_element(indir_list l, int n) {
    for (int i = 1; l != nullptr; l = l->next, i++) {
        if (i == n) return l->indir_node;
    }
    return nullptr;
}

indirection duplicate_indirection_node(indirection ind) {
    return ind == nullptr ? nullptr : new s_indirection(*ind);
}

indir_list duplicate_indir_list(indir_list l) {
    indir_list copy = nullptr;
    for (; l != nullptr; l = l->next) add_to_indir_list(&copy, duplicate_indirection_node(l->indir_node));
    return copy;
}

void purge_indirection_node(indirection* ind) {
    delete *ind;
    *ind = nullptr;
}

void indir_purge_list(indir_list* l) {
    while (*l != nullptr) {
        indir_list next = (*l)->next;
        purge_indirection_node(&(*l)->indir_node);
        delete *l;
        *l = next;
    }
}

}  // namespace zek

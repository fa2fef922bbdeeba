// Compound attributes and lists of compounds.
#include "genra/attr_list.h"

namespace zek {

comp_attr create_comp_attr() { return new s_comp_attr(); }

void add_comp_attr(comp_attr* c, int index) {
    if (*c == nullptr) *c = create_comp_attr();
    (*c)->index.push_back(index);
}

int attr_seg_count(comp_attr c) { return c == nullptr ? 0 : static_cast<int>(c->index.size()); }

int comp_attr_element(comp_attr c, int n) {
    if (c == nullptr || n < 1 || n > static_cast<int>(c->index.size())) return -1;
    return c->index[n - 1];
}

comp_attr duplicate_comp_attr(comp_attr c) { return c == nullptr ? nullptr : new s_comp_attr(*c); }

void purge_comp_attr(comp_attr* c) {
    delete *c;
    *c = nullptr;
}

attr_list create_attr_list() { return new s_attr_list(); }

void add_attr_to_list(attr_list* l, comp_attr c) {
    attr_list node = create_attr_list();
    node->first = c;
    node->attr_count = attr_seg_count(c);
    attr_list* tail = l;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = node;
}

int attr_list_count(attr_list l) {
    int n = 0;
    for (; l != nullptr; l = l->next) n++;
    return n;
}

comp_attr attr_list_element(attr_list l, int n) {
    for (int i = 1; l != nullptr; l = l->next, i++) {
        if (i == n) return l->first;
    }
    return nullptr;
}

attr_list duplicate_attr_list(attr_list l) {
    attr_list copy = nullptr;
    attr_list* tail = &copy;
    for (; l != nullptr; l = l->next) {
        *tail = create_attr_list();
        (*tail)->first = duplicate_comp_attr(l->first);
        (*tail)->attr_count = l->attr_count;
        tail = &(*tail)->next;
    }
    return copy;
}

void new_attr_remove(attr_list* l, comp_attr c) {
    for (attr_list* p = l; *p != nullptr; p = &(*p)->next) {
        if ((*p)->first == c) {
            attr_list gone = *p;
            *p = gone->next;
            purge_comp_attr(&gone->first);
            delete gone;
            return;
        }
    }
}

int present_compound(attr_list l, comp_attr c) {
    for (; l != nullptr; l = l->next) {
        if (l->first == c) return 1;
        if (l->first != nullptr && c != nullptr && l->first->index == c->index) return 1;
        if (l->first == nullptr && c == nullptr) return 1;
    }
    return 0;
}

void append_attr(attr_list* l, comp_attr c) {
    if (present_compound(*l, c)) {
        purge_comp_attr(&c);
    } else {
        add_attr_to_list(l, c);
    }
}

void combine_attr_list(attr_list* old, attr_list add) {
    for (; add != nullptr; add = add->next) {
        if (!present_compound(*old, add->first)) add_attr_to_list(old, duplicate_comp_attr(add->first));
    }
}

void purge_attr_list(attr_list* l) {
    while (*l != nullptr) {
        attr_list next = (*l)->next;
        purge_comp_attr(&(*l)->first);
        delete *l;
        *l = next;
    }
}

}  // namespace zek

// Compound attributes (a dotted sequence of attribute occurrences) and lists of compounds:
// creating, copying, comparing and freeing them. Lists keep their insertion order.
#pragma once

#include <vector>

namespace zek {

// A compound: the `delayed` entries of its components, in written order. The empty compound
// is no compound at all (nullptr).
struct s_comp_attr {
    std::vector<int> index;
};
typedef s_comp_attr* comp_attr;

struct s_attr_list {
    int attr_count = 0;  // components of `first`
    comp_attr first = nullptr;
    s_attr_list* next = nullptr;
};
typedef s_attr_list* attr_list;

comp_attr create_comp_attr();
void add_comp_attr(comp_attr* c, int index);
int attr_seg_count(comp_attr c);
int comp_attr_element(comp_attr c, int n);  // the delayed entry of component n (from 1), -1 if none
comp_attr duplicate_comp_attr(comp_attr c);
void purge_comp_attr(comp_attr* c);

attr_list create_attr_list();
void add_attr_to_list(attr_list* l, comp_attr c);  // takes ownership of c
int attr_list_count(attr_list l);
comp_attr attr_list_element(attr_list l, int n);  // from 1; nullptr past the end
attr_list duplicate_attr_list(attr_list l);
void new_attr_remove(attr_list* l, comp_attr c);
int present_compound(attr_list l, comp_attr c);
void append_attr(attr_list* l, comp_attr c);
void combine_attr_list(attr_list* old, attr_list add);
void purge_attr_list(attr_list* l);

}  // namespace zek

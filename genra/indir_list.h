// Indirections and the lists of them that tree nodes carry: a lexical field number, a tag
// and an attribute text.
#pragma once

#include <string>

namespace zek {

struct s_indirection {
    int fieldnum = 0;
    std::string tag;
    std::string attributes;
};
typedef s_indirection* indirection;

struct s_indir_list {
    indirection indir_node = nullptr;
    s_indir_list* next = nullptr;
};
typedef s_indir_list* indir_list;

indirection create_indir_node();
void add_to_indir_list(indir_list* l, indirection ind);  // takes ownership of ind
int indirect_count(indir_list l);
indirection indir_list_element(indir_list l, int n);  // from 1; nullptr past the end
indirection duplicate_indirection_node(indirection ind);
indir_list duplicate_indir_list(indir_list l);
void purge_indirection_node(indirection* ind);
void indir_purge_list(indir_list* l);

}  // namespace zek

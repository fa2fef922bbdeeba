// Tree nodes and lexical lookups.
#include "genra/trees.h"

#include "genra/attr_fns.h"

namespace zek {

char noterminal[] = "";
t_dict_lookup dict_table[MAXLOOKUPS];
int d_table_count = 0;
int nodecount = 0;

t_treenode makenode(const char* name) {
    t_treenode n = new s_treenode();
    n->name = name;
    nodecount++;
    return n;
}

void purge_node(t_treenode* n) {
    if (*n == nullptr) return;
    purge_attr_list(&(*n)->attributes);
    indir_purge_list(&(*n)->indirections);
    delete *n;
    *n = nullptr;
}

void purge_tree(t_treenode* t) {
    if (*t == nullptr) return;
    t_treenode child = (*t)->son;
    while (child != nullptr) {
        t_treenode next = child->sibling;
        purge_tree(&child);
        child = next;
    }
    purge_node(t);
}

void terminal_node(t_treenode node) {
    if (node->dictionary != nullptr || d_table_count >= MAXLOOKUPS) return;
    t_dict_lookup& d = dict_table[d_table_count];
    purge_attr_list(&d.attributes);
    d = t_dict_lookup();
    node->dictionary = &d;
    node->index = d_table_count++;
}

void insertfield(std::string& text, int n, const std::string& pattern) {
    // Walk to field n, adding "?" fields as needed.
    size_t start = 0;
    for (int field = 1; field < n; field++) {
        size_t bar = text.find('|', start);
        if (bar == std::string::npos) {
            text += "?|";
            bar = text.size() - 1;
        }
        start = bar + 1;
    }
    size_t bar = text.find('|', start);
    if (bar == std::string::npos) {
        text += pattern + "|";
        return;
    }
    std::string current = text.substr(start, bar - start);
    if (current.empty() || current == "?") {
        text.replace(start, bar - start, pattern);
    } else {
        text.insert(bar, "," + pattern);
    }
}

void fill_word(t_treenode node) {
    t_dict_lookup* d = node->dictionary;
    if (d == nullptr) return;
    d->pointed_at = 1;
    if (d->vf == -1) d->vf = node->vf;
    if (d->class_.empty()) d->class_ = node->name;
    for (attr_list a = node->attributes; a != nullptr; a = a->next) {
        if (find_attr_in_list(d->attributes, a->first) == nullptr) add_attr_to_list(&d->attributes, duplicate_comp_attr(a->first));
    }
    if (d->preferredchoice.empty()) d->preferredchoice = node->preferredchoice;
    if (node->indirections != nullptr) {
        indirection first = node->indirections->indir_node;
        insertfield(d->fields, first->fieldnum, first->tag.empty() ? std::string("\"*\"") : first->tag);
    }
    // The node's restrictions join the lookup's field by field.
    int field = 1;
    for (size_t start = 0; start < node->restrictions.size(); field++) {
        size_t bar = node->restrictions.find('|', start);
        if (bar == std::string::npos) bar = node->restrictions.size();
        std::string pattern = node->restrictions.substr(start, bar - start);
        if (!pattern.empty() && pattern != "?") insertfield(d->fields, field, pattern);
        start = bar + 1;
    }
}

void purgelookups(int barrier) {
    if (barrier < 0) barrier = 0;
    for (int i = barrier; i < d_table_count; i++) {
        purge_attr_list(&dict_table[i].attributes);
        dict_table[i] = t_dict_lookup();
    }
    if (barrier < d_table_count) d_table_count = barrier;
}

}  // namespace zek

// Tree nodes and lexical lookups.
#include "genra/trees.h"

#include "genra/attr_fns.h"
#include "genra/input_base.h"

namespace zek {

char noterminal[] = "";
lookuptable dict_table;
int d_table_count = 0;
int nodecount = 0;

t_treenode makenode(const char* name) {
    t_treenode n = new s_treenode();
    n->name = name;
    nodecount++;
    return n;
}

t_treenode copy_node(t_treenode n) {
    t_treenode c = new s_treenode();
    nodecount++;
    c->name = n->name;
    c->dictionary = n->dictionary;
    c->index = n->index;
    c->morphed_word = n->morphed_word;
    c->preferredchoice = n->preferredchoice;
    c->restrictions = n->restrictions;
    c->vf = n->vf;
    c->attributes = duplicate_attr_list(n->attributes);
    c->indirections = duplicate_indir_list(n->indirections);
    c->transformations = n->transformations;
    return c;
}

t_treenode copytree(t_treenode t) {
    if (t == nullptr) return nullptr;
    t_treenode c = copy_node(t);
    t_treenode* tail = &c->son;
    for (t_treenode child = t->son; child != nullptr; child = child->sibling) {
        *tail = copytree(child);
        tail = &(*tail)->sibling;
    }
    return c;
}

static void collectleaves(t_treenode t, std::vector<t_treenode>& out) {
    if (t->son == nullptr) {
        out.push_back(t);
        return;
    }
    for (t_treenode child = t->son; child != nullptr; child = child->sibling) collectleaves(child, out);
}

std::vector<t_treenode> leavesof(t_treenode t) {
    std::vector<t_treenode> leaves;
    if (t != nullptr && t->son != nullptr) collectleaves(t, leaves);
    return leaves;
}

void thread(t_treenode t) {
    if (t == nullptr) return;
    std::vector<t_treenode> leaves = leavesof(t);
    for (size_t i = 0; i < leaves.size(); i++) {
        leaves[i]->left = i > 0 ? leaves[i - 1] : nullptr;
        leaves[i]->right = i + 1 < leaves.size() ? leaves[i + 1] : nullptr;
    }
    t->right = leaves.empty() ? nullptr : leaves.front();
}

std::string getident(const char** p) {
    std::string name;
    while (identchar(static_cast<unsigned char>(**p))) name += *(*p)++;
    return name;
}

void purge_node(t_treenode* n) {
    if (*n == nullptr) return;
    purge_attr_list(&(*n)->attributes);
    indir_purge_list(&(*n)->indirections);
    delete *n;
    *n = nullptr;
}

void purge_tree(t_treenode* t) {
    // Iterative over siblings, recursive over depth (which the node limit bounds).
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
        for (t_treenode n = dict_table[i].lspseq; n != nullptr;) {
            t_treenode next = n->right;
            purge_node(&n);
            n = next;
        }
        dict_table[i] = t_dict_lookup();
    }
    if (barrier < d_table_count) d_table_count = barrier;
}

}  // namespace zek

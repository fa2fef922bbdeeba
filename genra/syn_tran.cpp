// Transformations of expanded trees.
#include "genra/syn_tran.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "genra/attr_data.h"
#include "genra/attr_fns.h"
#include "genra/input_base.h"
#include "genra/syn_cf.h"
#include "genra/syn_globals.h"

namespace zek {

Trans_Node_Ref guard_array[GUARDITEMS + 1];

void clear_guard_array() {
    for (Trans_Node_Ref& r : guard_array) r = {nullptr, nullptr};
}

transformation* find_low_priority(t_treenode node) {
    transformation* best = nullptr;
    for (transformation& t : node->transformations) {
        if (best == nullptr || t.priority < best->priority) best = &t;
    }
    return best;
}

void removeTrans(t_treenode node, const transformation* t) {
    for (size_t i = 0; i < node->transformations.size(); i++) {
        if (node->transformations[i].name == t->name) {
            node->transformations.erase(node->transformations.begin() + static_cast<long>(i));
            return;
        }
    }
}

namespace {

struct guarditem {
    bool star = false;
    std::string name;
    std::vector<std::string> compounds;  // of its attribute list
};

// The items of a compiled guard: " NAME[list]" or " *".
std::vector<guarditem> guarditems(const char* p) {
    std::vector<guarditem> items;
    while (*p != 0) {
        if (*p == ' ') {
            p++;
            continue;
        }
        guarditem item;
        if (*p == '*') {
            item.star = true;
            p++;
        } else {
            item.name = getident(&p);
            if (item.name.empty()) {
                p++;
                continue;
            }
            if (*p == '[') {
                p++;
                std::string compound;
                for (; *p != 0 && *p != ']'; p++) {
                    if (*p == ',') {
                        item.compounds.push_back(compound);
                        compound.clear();
                    } else {
                        compound += *p;
                    }
                }
                if (!compound.empty()) item.compounds.push_back(compound);
                if (*p == ']') p++;
            }
        }
        items.push_back(item);
    }
    return items;
}

bool itemmatches(const guarditem& item, t_treenode child) {
    if (item.name != child->name) return false;
    for (const std::string& compound : item.compounds) {
        text_to_comp_array(compound.c_str(), 1);
        if (find_attr(child->attributes) == nullptr) return false;
    }
    return true;
}

}  // namespace

int match_guard(t_treenode sibptr, const char* guardptr) {
    std::vector<guarditem> items = guarditems(guardptr);
    if (items.size() > GUARDITEMS) {
        q_err("Transformation guard with more than 40 items", "", "");
        return 0;
    }
    std::vector<t_treenode> children;
    for (t_treenode c = sibptr; c != nullptr; c = c->sibling) children.push_back(c);
    size_t n = items.size();
    size_t m = children.size();
    std::vector<size_t> first(n + 1, m);  // the first child of each item's run
    size_t p = 0, s = 0;
    long starp = -1;
    size_t stars = 0;
    auto child = [&](size_t i) { return i < m ? children[i] : nullptr; };
    while (s < m) {
        if (p < n && items[p].star) {
            first[p] = s;
            starp = static_cast<long>(p);
            stars = s;
            p++;
        } else if (p < n && itemmatches(items[p], children[s])) {
            first[p] = s;
            p++;
            s++;
        } else if (starp >= 0) {
            p = static_cast<size_t>(starp) + 1;  // the star takes one more child
            s = ++stars;
        } else {
            return 0;
        }
    }
    while (p < n && items[p].star) first[p++] = m;
    if (p != n) return 0;
    clear_guard_array();
    for (size_t i = 0; i < n; i++) {
        guard_array[i + 1].first = child(first[i]);
        guard_array[i + 1].last = child(first[i + 1]);
    }
    return 1;
}

// The compound of `list` that agrees with the rows just parsed, without marked components.
static comp_attr agreeing(attr_list list) {
    comp_attr c = find_attr(list);
    return c != nullptr ? dup_decon_comp_attr(c) : nullptr;
}

void change_attr(t_treenode node, int old, int replacement, t_treenode top) {
    if (node == nullptr) return;
    if (node != top) {
        for (attr_list a = node->attributes; a != nullptr; a = a->next) {
            if (a->first == nullptr) continue;
            for (int& index : a->first->index) {
                if (index == old) index = replacement;
            }
        }
    }
    for (t_treenode c = node->son; c != nullptr; c = c->sibling) change_attr(c, old, replacement, top);
}

// Adds a compound made by a right-hand side: a one-component compound replaces the node's
// compound of the same type, and the subtree follows the change.
static void addtran(t_treenode node, comp_attr c) {
    if (c == nullptr) return;
    if (attr_seg_count(c) == 1) {
        comp_attr same = find_type_in_attr(comp_attr_element(c, 1), node->attributes);
        if (same != nullptr) {
            int old = comp_attr_element(same, 1);
            new_attr_remove(&node->attributes, same);
            change_attr(node, old, comp_attr_element(c, 1), node);
        }
    }
    append_attr(&node->attributes, c);
}

const char* construct_attr_tran(t_treenode node, const char* text) {
    const char* p = text;
    while (*p != 0 && *p != ']') {
        if (*p == ',') {
            p++;
            continue;
        }
        if (*p == '-') {
            p = text_to_comp_array(p + 1, 1);
            comp_attr c = find_attr(node->attributes);
            if (c != nullptr) new_attr_remove(&node->attributes, c);
        } else if (*p == '!' && p[1] != 0) {
            int n = static_cast<unsigned char>(p[1]);
            p = text_to_comp_array(p + 2, 1);
            t_treenode source = n >= 1 && n <= GUARDITEMS ? guard_array[n].first : nullptr;
            if (source != nullptr) addtran(node, agreeing(source->attributes));
        } else {
            const char* after = text_to_comp_array(p, 1);
            if (after == p) after++;
            p = after;
            if (attr_index > 0) addtran(node, make_comp_attr());
        }
        while (*p != 0 && *p != ',' && *p != ']') p++;
    }
    return *p == ']' ? p + 1 : p;
}

void apply_rule(t_treenode node, const char* rule) {
    const char* p = rule;
    if (static_cast<unsigned char>(*p) == RN_RHS) p++;
    t_treenode first = nullptr;
    t_treenode* tail = &first;
    t_treenode last = nullptr;
    while (*p != 0) {
        if (*p != ' ') {
            p++;
            continue;
        }
        p++;
        std::string name = getident(&p);
        bool number = !name.empty() && strspn(name.c_str(), "0123456789") == name.size();
        if (number) {
            int n = atoi(name.c_str());
            if (n >= 1 && n <= GUARDITEMS) {
                for (t_treenode c = guard_array[n].first; c != nullptr && c != guard_array[n].last; c = c->sibling) {
                    *tail = copytree(c);
                    last = *tail;
                    tail = &last->sibling;
                }
            }
        } else if (name == "ROOT") {
            t_treenode source = treestate == 1 ? root : oldroot;
            if (source == nullptr) source = root;
            if (source != nullptr) {
                *tail = copytree(source);
                last = *tail;
                tail = &last->sibling;
            }
        } else if (!name.empty()) {
            *tail = makenode(name.c_str());
            last = *tail;
            tail = &last->sibling;
            terminal_node(last);
        }
        // The attachments go to the last node added.
        while (*p != 0 && *p != ' ') {
            if (*p == '[') {
                p = last != nullptr ? construct_attr_tran(last, p + 1) : p + 1;
            } else {
                const char* after = last != nullptr ? add_attachments(last, p) : p;
                p = after == p ? p + 1 : after;
            }
        }
    }
    if (first == nullptr) return;  // an empty right-hand side leaves the node as it was
    for (t_treenode c = node->son; c != nullptr;) {
        t_treenode next = c->sibling;
        purge_tree(&c);
        c = next;
    }
    node->son = first;
}

int do_transform(t_treenode node, const transformation* t) {
    for (const sub_trans& clause : t->first) {
        clear_guard_array();
        if (match_guard(node->son, clause.guard.c_str())) {
            apply_rule(node, clause.rule.c_str());
            return 1;
        }
    }
    return 0;
}

// Nodes a tree's transformations may add. A rule that copies ROOT (or the node's own
// subtree) into a node that is transformed again would otherwise grow the tree, and the
// recursion with it, without end.
static int transform_budget_end = 0;
static bool transform_stopped = false;

static void transform_node(t_treenode node) {
    if (transform_stopped) return;
    if (nodecount > transform_budget_end) {
        q_err("transformation terminated", node->name.c_str(), "");
        transform_stopped = true;
        return;
    }
    while (!node->transformations.empty()) {
        transformation* t = find_low_priority(node);
        if (t->functionPtr != nullptr) {
            void (*operation)(t_treenode) = t->functionPtr;
            removeTrans(node, t);
            operation(node);
        } else {
            transformation copy = *t;
            do_transform(node, &copy);
            removeTrans(node, &copy);
        }
    }
    for (t_treenode c = node->son; c != nullptr; c = c->sibling) transform_node(c);
}

void transform(t_treenode node) {
    transform_budget_end = nodecount + NODELIMIT;
    transform_stopped = false;
    transform_node(node);
}

}  // namespace zek

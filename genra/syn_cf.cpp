// Expanding a node by its rule: the compiled text is interpreted item by item (child nodes
// with their attachments, attribute variables, random choices, guarded clauses), and the
// preselections that rules and guards refer to.
#include "genra/syn_cf.h"

#include <cstring>
#include <vector>

#include "genra/attr_data.h"
#include "genra/attr_fns.h"
#include "genra/input_base.h"
#include "genra/lex_scan.h"
#include "genra/morphology.h"
#include "genra/syn_globals.h"
#include "genra/syn_misc.h"
#include "genra/utilities.h"

namespace zek {

int pre_status = 1;
std::string pre_error = "No preselection rule";
static pre_rule* pre_match = nullptr;  // the preselection the last find_pst matched
static std::string pre_tag;            // its tag as written

// Past one unit of compiled text: the bytes that follow "(", a variable marker, a variable
// code, "/" of a restriction, "@" or "!" are numbers, never structure.
static const char* unitend(const char* p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == 0) return p;
    if (c == '"') {
        const char* q = strchr(p + 1, '"');
        return q != nullptr ? q + 1 : p + strlen(p);
    }
    bool numbered = c == '(' || c == RN_VAR || c == RN_INHERIT || c == RN_CHOOSE || c == RN_SELECT || c == '@' ||
                    (c == '/' && p[1] != 0 && p[2] == '=');
    if (numbered && p[1] != 0) return p + 2;
    return p + 1;
}

// Characters that end the values of a restriction (outside quotes).
static bool endsvalues(unsigned char c) {
    return c == 0 || c == ' ' || c == '/' || c == '[' || c == '(' || c == ')' || c == '|' || c == '<' ||
           c == '>' || c == ';' || c == '%' || c == ':' || c == FREQCODE || c == '@' || c == TRANSCODE ||
           c == PRECODE || c == RN_INHERIT || c == RN_CHOOSE || c == RN_SELECT || c == RN_RHS;
}

// The rows of the last parsed compound, kept while a preselection tag is parsed.
struct savedrows {
    attr_row rows[MAXROWS];
    int count, values, decons;
    savedrows() : count(attr_index), values(all_values), decons(all_decon) {
        for (int i = 0; i < count; i++) rows[i] = attr[i];
    }
    void restore() const {
        attr_index = count;
        all_values = values;
        all_decon = decons;
        for (int i = 0; i < count; i++) attr[i] = rows[i];
    }
};

static bool tagmatches(comp_attr tag) {
    if (attr_seg_count(tag) != attr_index) return false;
    for (int i = 0; i < attr_index; i++) {
        const t_delay& d = delayed[comp_attr_element(tag, i + 1)];
        if (d.class_ != attr[i].type) return false;
        if (attr[i].value != -1 && d.choice != attr[i].value) return false;
    }
    return true;
}

int find_pst(const char* text, int decon_allowed, const char** end) {
    const char* p = text;
    if (static_cast<unsigned char>(*p) == PRECODE) p++;
    const char* after = text_to_comp_array(p, decon_allowed);
    *end = after;
    pre_tag.assign(p, static_cast<size_t>(after - p));
    pre_match = nullptr;
    static const char* const texts[] = {"", "No preselection rule", "Attribute error in PST", "No matching PST: ",
                                        "Matching PST has no right-hand side: ", "PST has no lexical entry: ",
                                        "All is well!"};
    if (preselect_list == nullptr) {
        pre_status = 1;
    } else if (attr_index == 0) {
        pre_status = 2;
    } else {
        for (pre_rule* r = preselect_list; r != nullptr && pre_match == nullptr; r = r->next) {
            if (tagmatches(r->PST)) pre_match = r;
        }
        if (pre_match == nullptr) {
            pre_status = 3;
        } else if (!pre_match->node || pre_match->RHS == nullptr) {
            pre_status = 4;
        } else {
            const t_dict_lookup* d = pre_match->RHS->dictionary;
            bool entry = d != nullptr && d->dictionary != nullptr && d->dictionary != noterminal && d->error == 0;
            pre_status = entry ? 6 : 5;
        }
    }
    pre_error = texts[pre_status];
    if (pre_status != 6) pre_error += pre_tag;
    return pre_status;
}

int analyze_pre(const char* text, const char** end) {
    const char* p = text;
    if (static_cast<unsigned char>(*p) == RN_IS) p++;
    if (static_cast<unsigned char>(*p) == PRECODE) {
        find_pst(p, 1, end);
        return 2;
    }
    const char* after = text_to_comp_array(p, 1);
    if (static_cast<unsigned char>(*after) != PRECODE) {
        *end = after;
        return 3;
    }
    savedrows rows;
    find_pst(after, 1, end);
    rows.restore();
    return 1;
}

static const char* matchedentry() {
    if (pre_match == nullptr || pre_match->RHS == nullptr || pre_match->RHS->dictionary == nullptr) return nullptr;
    const char* e = pre_match->RHS->dictionary->dictionary;
    return e == noterminal ? nullptr : e;
}

int bool_from_pre() {
    const char* entry = matchedentry();
    return entry != nullptr && match_single_attr(entry) ? 1 : 0;
}

// The preselected lookup's compound that agrees with the rows, else one completed from its
// entry (or at random); a new compound of the unmarked rows, nullptr when the entry lacks it.
static comp_attr attr_from_pre() {
    t_dict_lookup* lookup = pre_match != nullptr && pre_match->RHS != nullptr ? pre_match->RHS->dictionary : nullptr;
    if (lookup == nullptr) return nullptr;
    comp_attr found = find_attr(lookup->attributes);
    if (found != nullptr) return dup_decon_comp_attr(found);
    const char* entry = matchedentry();
    for (int i = 0; i < attr_index; i++) attr[i].lttmp = -1;
    if (entry == nullptr || !match_single_attr(entry)) {
        q_err("Preselection: ", "requested attribute not present in lexical entry for: ", pre_tag.c_str());
        return nullptr;
    }
    bool drawn = false;
    for (int i = 0; i < attr_index; i++) {
        if (attr[i].value != -1) continue;
        if (attr[i].lttmp >= 0) {
            attr[i].value = attr[i].lttmp;
        } else {
            int entries = attr[i].type < total_types ? attr_table[attr[i].type].entries : 1;
            attr[i].value = static_cast<int>(getrandom(entries - 1)) + 1;
            drawn = true;
        }
    }
    if (drawn) add_attr_to_list(&lookup->attributes, make_full_comp_attr());
    return make_comp_attr();
}

// One item of an attribute list at p: its compound is added to the node unless present.
static const char* listitem(t_treenode node, const char* p) {
    comp_attr c = nullptr;
    const char* end = p;
    unsigned char first = static_cast<unsigned char>(*p);
    if (first == PRECODE) {
        if (find_pst(p, 1, &end) == 6) {
            c = dup_decon_comp_attr(pre_match->PST);
        } else {
            q_err("Preselection: ", pre_error.c_str(), "");
        }
    } else if (first == '!' || first == '-') {
        // indirection and transformation marks: they act elsewhere
        end = p + 1;
        if (first == '!' && *end != ',' && *end != ']' && *end != 0) end++;
        while (*end != 0 && *end != ',' && *end != ']') end = unitend(end);
    } else {
        const char* after = text_to_comp_array(p, 1);
        if (static_cast<unsigned char>(*after) == PRECODE) {
            savedrows rows;
            int status = find_pst(after, 1, &end);
            rows.restore();
            if (status == 6) {
                c = attr_from_pre();
            } else {
                q_err("Preselection: ", pre_error.c_str(), "");
            }
        } else {
            text_to_comp_struct(p, 1);
            c = comp_attr_register;
            comp_attr_register = nullptr;
            end = after;
        }
    }
    if (c != nullptr) append_attr(&node->attributes, c);
    if (end == p) end = unitend(p);
    while (*end != 0 && *end != ',' && *end != ']') end = unitend(end);
    return end;
}

static const char* attributelist(t_treenode node, const char* p) {
    while (*p != 0 && *p != ']') {
        if (*p == ',') {
            p++;
            continue;
        }
        p = listitem(node, p);
    }
    return *p == ']' ? p + 1 : p;
}

static const char* number(const char* p, int* value) {
    if (*p >= '0' && *p <= '9') {
        long n = 0;
        while (*p >= '0' && *p <= '9') {
            if (n < 100000) n = n * 10 + (*p - '0');
            p++;
        }
        *value = static_cast<int>(n);
        return p;
    }
    *value = static_cast<unsigned char>(*p);
    return *p != 0 ? p + 1 : p;
}

const char* add_attachments(t_treenode node, const char* p) {
    for (;;) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '[') {
            p = attributelist(node, p + 1);
        } else if (c == FREQCODE) {
            p++;
            bool down = *p == '-';
            if (down) p++;
            long n = 0;
            while (*p >= '0' && *p <= '9') {
                if (n < 100000) n = n * 10 + (*p - '0');
                p++;
            }
            node->vf = static_cast<int>(down ? -n : n);
        } else if (c == '"') {
            const char* end = strchr(p + 1, '"');
            if (end == nullptr) end = p + strlen(p);
            node->preferredchoice.assign(p + 1, static_cast<size_t>(end - p - 1));
            p = *end != 0 ? end + 1 : end;
        } else if (c == '/' && p[1] != 0) {
            int field = static_cast<unsigned char>(p[1]);
            p += 2;
            if (*p == '=') p++;
            std::string values;
            bool quoted = false;
            for (; *p != 0; p++) {
                if (!quoted && endsvalues(static_cast<unsigned char>(*p))) break;
                // A quote opens a value only first or after a comma: elsewhere it begins the
                // node's word pattern, which the compiled text writes without a "/" before it.
                if (!quoted && *p == '"' && !values.empty() && values.back() != ',') break;
                if (*p == '"') quoted = !quoted;
                values += *p;
            }
            if (field > 0) insertfield(node->restrictions, field, values);
        } else if (c == '@') {
            indirection ind = create_indir_node();
            p = number(p + 1, &ind->fieldnum);
            if (*p == ':') {
                p++;
                ind->tag = getident(&p);
            }
            if (*p == '[') {
                const char* end = p + 1;
                while (*end != 0 && *end != ']') end = unitend(end);
                ind->attributes.assign(p + 1, static_cast<size_t>(end - p - 1));
                p = *end != 0 ? end + 1 : end;
            }
            add_to_indir_list(&node->indirections, ind);
        } else if (c == TRANSCODE) {
            p++;
            std::string name = getident(&p);
            transformation* t = findtransformation(name.c_str());
            if (t != nullptr) {
                node->transformations.push_back(*t);
                node->transformations.back().next = nullptr;
            } else {
                q_err(" - Bad Transformation Name: ", name.c_str(), "");
            }
        } else if (c == PRECODE) {
            const char* end = p;
            int status = find_pst(p, 1, &end);
            if (status >= 5) {
                node->dictionary = pre_match->RHS->dictionary;
                node->index = pre_match->RHS->index;
            } else {
                q_err("Preselection: ", pre_error.c_str(), "");
            }
            p = end > p ? end : p + 1;
        } else {
            return p;
        }
    }
}

std::string convert_nodetext(const char* text) {
    std::string out;
    bool quoted = false;
    for (const char* p = text; *p != 0; p++) {
        char c = *p;
        if (c == '"') quoted = !quoted;
        if (quoted || c == '"') {
            out += c;
            continue;
        }
        if (c == ' ') continue;
        if (c != '/') {
            out += c;
            continue;
        }
        p++;
        while (*p == ' ') p++;
        if (*p == '$') {
            out += static_cast<char>(FREQCODE);
            out += '-';
        } else if (*p == '+') {
            out += static_cast<char>(FREQCODE);
        } else if (*p == '@' || *p == '"') {
            p--;  // the character takes the place of the "/"
            continue;
        } else if (*p >= '0' && *p <= '9') {
            long n = 0;
            while (p[0] >= '0' && p[0] <= '9') {
                if (n < 1000) n = n * 10 + (p[0] - '0');
                p++;
            }
            p--;
            out += '/';
            out += static_cast<char>(n > 0 && n < 256 ? n : 255);
        } else if (*p == 0) {
            break;
        } else {
            out += '/';
            out += *p;
        }
    }
    out += ' ';
    return out;
}

t_treenode nodefromtext(const char* text) {
    std::string internal = convert_nodetext(text);
    const char* p = internal.c_str();
    std::string name = getident(&p);
    if (name.empty()) return nullptr;
    t_treenode node = makenode(name.c_str());
    add_attachments(node, p);
    terminal_node(node);
    fill_word(node);
    return node;
}

// Preselection.

void construct_preselect(const char* text, int global) {
    const char* p = text;
    while (*p != 0) {
        const char* clause = p;
        while (*p != 0 && *p != ';') p = unitend(p);
        std::string part(clause, static_cast<size_t>(p - clause));
        if (*p == ';') p++;
        const char* q = part.c_str();
        const char* after = text_to_comp_array(q, 0);
        if (attr_index == 0) {
            q_err("Error in preselection tag", "", "");
            continue;
        }
        pre_rule* rule = new pre_rule();
        rule->PST = make_full_comp_attr();
        if (*after == ':') {
            after++;
            if (*after == ' ') after++;
            std::string name = getident(&after);
            t_treenode node = makenode(name.c_str());
            after = add_attachments(node, after);
            if (*after != 0) q_err("Preselection:", "unexpected token in node attachments", "");
            terminal_node(node);
            fill_word(node);
            rule->node = 1;
            rule->RHS = node;
        }
        rule->next = preselect_list;
        preselect_list = rule;
        int& barrier = global ? global_barrier : preselect_barrier;
        getwords(barrier);
        barrier = d_table_count;
    }
}

void empty_preselect_list(int from_glob) {
    pre_rule* keep = from_glob ? nullptr : globalpre_list;
    while (preselect_list != nullptr && preselect_list != keep) {
        pre_rule* r = preselect_list;
        preselect_list = r->next;
        purge_comp_attr(&r->PST);
        purge_node(&r->RHS);
        delete r;
    }
    if (from_glob) globalpre_list = nullptr;
    pre_match = nullptr;
}

void print_preselect_list() {
    for (pre_rule* r = preselect_list; r != nullptr; r = r->next) {
        q_line(MSGCORE, 0, print_comp_attr(r->PST).c_str());
        const t_dict_lookup* d = r->RHS != nullptr ? r->RHS->dictionary : nullptr;
        if (d != nullptr && d->dictionary != nullptr && d->dictionary != noterminal) {
            q_printf(MSGCORE, "    %s", d->dictionary);
        }
    }
}

// Expansion.

static void clearvariables() {
    for (int v = 1; v <= MAXVARIABLES; v++) purge_comp_attr(&variable_table[v]);
}

static void appendchild(t_treenode parent, t_treenode child) {
    t_treenode* tail = &parent->son;
    while (*tail != nullptr) tail = &(*tail)->sibling;
    *tail = child;
}

// A node item at p (a blank, then the name and attachments); returns where it ends.
static const char* nodeitem(t_treenode node, const char* p) {
    p++;
    std::string name = getident(&p);
    t_treenode child;
    // A copy of the expanded ROOT counts in the tree's nodes; past the limit none is made.
    if (name == "ROOT" && treestate == 1 && root != nullptr && nodecount <= NODELIMIT) {
        child = copytree(root);
    } else {
        child = makenode(name.c_str());
    }
    appendchild(node, child);
    return add_attachments(child, p);
}

static const char* variableitem(t_treenode node, const char* p) {
    unsigned char code = static_cast<unsigned char>(*p);
    int v = static_cast<unsigned char>(p[1]);
    if (v < 1 || v > MAXVARIABLES) v = MAXVARIABLES;
    p += 2;
    purge_comp_attr(&variable_table[v]);
    if (code == RN_SELECT) {
        const char* end = p;
        int form = analyze_pre(p, &end);
        if (form == 3) {
            q_err("No preselection token in SELECT clause", "", "");
        } else if (pre_status != 6) {
            q_err("Preselection: ", pre_error.c_str(), "");
        } else if (form == 2) {
            variable_table[v] = dup_decon_comp_attr(pre_match->PST);
        } else {
            variable_table[v] = attr_from_pre();
        }
        return end;
    }
    const char* end = text_to_comp_array(p, 1);
    comp_attr found = code == RN_INHERIT && attr_index > 0 ? find_attr(node->attributes) : nullptr;
    variable_table[v] = found != nullptr ? dup_decon_comp_attr(found) : make_comp_attr();
    return end;
}

static const char* interpretitems(t_treenode node, const char* p, const char* stop);

// A choice at p: one alternative drawn and interpreted; returns where the choice ends.
static const char* choiceitem(t_treenode node, const char* p) {
    int k = static_cast<unsigned char>(p[1]);
    const char* q = p + 2;
    std::vector<const char*> bars;  // the alternatives' bars at this level
    int depth = 0;
    while (*q != 0) {
        unsigned char c = static_cast<unsigned char>(*q);
        if (c == '(') depth++;
        if (c == ')') {
            if (depth == 0) break;
            depth--;
        }
        if (c == '|' && depth == 0) bars.push_back(q);
        q = unitend(q);
    }
    const char* end = *q == ')' ? q + 1 : q;
    if (bars.empty() || k < 1) return end;
    int i = static_cast<int>(getrandom(k));
    if (i >= static_cast<int>(bars.size())) i = static_cast<int>(bars.size()) - 1;
    const char* from = bars[static_cast<size_t>(i)] + 1;
    const char* to = static_cast<size_t>(i) + 1 < bars.size() ? bars[static_cast<size_t>(i) + 1] : q;
    interpretitems(node, from, to);
    return end;
}

// The items from p up to `stop` (or a clause mark or the end).
static const char* interpretitems(t_treenode node, const char* p, const char* stop) {
    while (*p != 0 && p != stop) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (stop == nullptr && (c == '<' || c == '>')) break;
        if (c == ' ') {
            p = nodeitem(node, p);
        } else if (c == RN_INHERIT || c == RN_CHOOSE || c == RN_SELECT) {
            p = variableitem(node, p);
        } else if (c == '(') {
            p = choiceitem(node, p);
        } else {
            p = unitend(p);
        }
    }
    return p;
}

// Past the guard at p (after its "<") to the byte after its ":".
static const char* guardend(const char* p) {
    while (*p != 0 && *p != ':') p = unitend(p);
    return *p == ':' ? p + 1 : p;
}

// The next clause mark ("<" or ">") at the top level of the text, or its end.
static const char* nextclause(const char* p) {
    while (*p != 0 && *p != '<' && *p != '>') p = unitend(p);
    return p;
}

void expand_node(t_treenode node) {
    if (nodecount > NODELIMIT) {
        q_err("cf expansion terminated", node->name.c_str(), "");
        return;
    }
    current_node = node;
    const char* text = getrule(node->name.c_str());
    if (text == nullptr) {
        terminal_node(node);
        return;
    }
    clearvariables();
    const char* p = text;
    bool held = false;
    while (*p != 0 && !held) {
        if (*p == '<') {
            current_node = node;
            bool holds = m_guard(p + 1) == 1;
            p = guardend(p + 1);
            if (holds) {
                held = true;
                interpretitems(node, p, nullptr);
            } else {
                p = nextclause(p);
            }
        } else if (*p == '>') {
            held = true;
            interpretitems(node, p + 1, nullptr);
        } else {
            p = interpretitems(node, p, nullptr);
        }
    }
    if (node->son == nullptr) terminal_node(node);
    clearvariables();
}

void expand_tree(t_treenode node) {
    if (node->name == "ROOT" && treestate == 1 && node != root) return;  // a copy of the expanded ROOT
    expand_node(node);
    for (t_treenode child = node->son; child != nullptr; child = child->sibling) expand_tree(child);
}

}  // namespace zek

// Following indirections after the words of a run are chosen.
#include "genra/indirect.h"

#include <cstring>
#include <vector>

#include "genra/attr_fns.h"
#include "genra/input_base.h"
#include "genra/lex_scan.h"
#include "genra/misc.h"
#include "genra/utilities.h"

namespace zek {

std::string chosen_pointer;
std::string category;

namespace {

struct piece {
    std::string pointer;
    std::string category;
};

struct group {
    bool tagged = false;
    std::string tag;
    std::vector<piece> items;
};

// The groups of a pointer field: separated by ";" outside quotes; an optional tag and ":";
// items separated by ","; an item is a quoted word, optionally "/" and a category.
std::vector<group> locate_strings(const std::string& field) {
    std::vector<group> groups;
    size_t i = 0;
    while (i < field.size()) {
        group g;
        if (field[i] != '"') {
            size_t colon = field.find_first_of(":;\"", i);
            if (colon != std::string::npos && field[colon] == ':') {
                g.tagged = true;
                g.tag = field.substr(i, colon - i);
                i = colon + 1;
            }
        }
        while (i < field.size() && field[i] != ';') {
            if (field[i] == ',' || field[i] == ' ') {
                i++;
                continue;
            }
            piece p;
            if (field[i] == '"') {
                size_t close = field.find('"', i + 1);
                if (close == std::string::npos) close = field.size();
                p.pointer = field.substr(i + 1, close - i - 1);
                i = close < field.size() ? close + 1 : close;
            } else {
                while (i < field.size() && field[i] != ',' && field[i] != ';' && field[i] != '/') p.pointer += field[i++];
            }
            if (i < field.size() && field[i] == '/') {
                i++;
                while (i < field.size() && field[i] != ',' && field[i] != ';') p.category += field[i++];
            }
            g.items.push_back(p);
        }
        if (i < field.size()) i++;  // the ";"
        groups.push_back(g);
    }
    return groups;
}

// The attribute list of an indirection: "!" compound takes the leaf's agreeing compound, a
// plain compound becomes a new one.
attr_list construct_attr_indir(t_treenode leaf, const std::string& text) {
    attr_list list = nullptr;
    size_t i = 0;
    while (i < text.size()) {
        size_t comma = text.find(',', i);
        if (comma == std::string::npos) comma = text.size();
        std::string item = text.substr(i, comma - i);
        i = comma + 1;
        if (item.empty()) continue;
        comp_attr c = nullptr;
        if (item[0] == '!') {
            text_to_comp_array(item.c_str() + 1, 1);
            comp_attr found = attr_index > 0 ? find_attr(leaf->attributes) : nullptr;
            if (found != nullptr) c = dup_decon_comp_attr(found);
        } else {
            text_to_comp_array(item.c_str(), 1);
            if (attr_index > 0) c = make_comp_attr();
        }
        if (c != nullptr) append_attr(&list, c);
    }
    return list;
}

const char* validentry(t_treenode leaf) {
    const t_dict_lookup* d = leaf->dictionary;
    if (d == nullptr || d->error != 0 || d->dictionary == nullptr || d->dictionary == noterminal) return nullptr;
    return d->dictionary;
}

// The identifier characters of the entry's field 2: its terminal.
std::string terminalof(const char* entry) {
    const char* p = getfieldptr(entry, 2);
    std::string name;
    while (*p != 0 && *p != '|' && identchar(static_cast<unsigned char>(*p))) name += *p++;
    return name;
}

// What a run met, told also to a program that collects reports (the corefile's lines name the
// compiled entry, whose attribute bytes are no text): the entry by its word.
void runnotice(const std::string& text, const char* entry) {
    std::string message = text;
    if (entry != nullptr) message += " \"" + entryword(entry) + "\"";
    q_notice(q_place(), true, message.c_str());
}

}  // namespace

bool findtag(const char* entry, int field, const char* tag) {
    const char* f = getfieldptr(entry, field);
    std::string text(f, static_cast<size_t>(fieldlength(f)));
    if (text.empty()) {
        q_printf(MSGCORE, "Field %d does not exist in %s", field, entry);
        runnotice("Field " + std::to_string(field) + " does not exist in the entry of", entry);
        return false;
    }
    for (const group& g : locate_strings(text)) {
        bool taken = tag[0] == 0 ? !g.tagged : (g.tagged && g.tag == tag);
        if (!taken) continue;
        if (g.items.empty()) {
            q_printf(MSGCORE, "No pointers found for tag %s, field %d in %s", tag, field, entry);
            runnotice(std::string("No pointers found for tag ") + tag + ", field " + std::to_string(field) + " in the entry of", entry);
            return false;
        }
        const piece& p = g.items[static_cast<size_t>(getrandom(static_cast<long>(g.items.size())))];
        chosen_pointer = p.pointer;
        category = p.category;
        return true;
    }
    q_printf(MSGCORE, "Tag %s not present in field %d of %s", tag, field, entry);
    runnotice(std::string("Tag ") + tag + " not present in field " + std::to_string(field) + " of the entry of", entry);
    return false;
}

void process_indirect_ops(t_treenode leaf) {
    for (indir_list l = leaf->indirections; l != nullptr; l = l->next) {
        const s_indirection* ind = l->indir_node;
        const char* entry = validentry(leaf);
        if (entry == nullptr) {
            q_printf(MSGCORE, "wrong tag or field number? tag %s in field %d", ind->tag.c_str(), ind->fieldnum);
            runnotice("An indirection (tag " + ind->tag + ", field " + std::to_string(ind->fieldnum) + ") starts from a leaf without a word", nullptr);
            return;
        }
        if (!findtag(entry, ind->fieldnum, ind->tag.c_str())) {
            q_printf(MSGCORE, "No proper pointer obtained: tag %s, field %d in %s", ind->tag.c_str(), ind->fieldnum, entry);
            return;
        }
        if (d_table_count >= MAXLOOKUPS) {
            q_line(MSGCORE, 0, "Unable to match indirection pointer");
            return;
        }
        attr_list list = construct_attr_indir(leaf, ind->attributes);
        t_dict_lookup& d = dict_table[d_table_count];
        purge_attr_list(&d.attributes);
        d = t_dict_lookup();
        d.class_ = category.empty() ? terminalof(entry) : category;
        d.attributes = list;
        d.preferredchoice = chosen_pointer;
        d.pointed_at = 1;
        purge_attr_list(&leaf->attributes);
        leaf->attributes = duplicate_attr_list(list);
        getdictent(&d);
        if (d.error != 0) {
            q_line(MSGCORE, 0, "Unable to match indirection pointer");
            q_printf(MSGCORE, "category: %s, pointer: %s, error number: %d", d.class_.c_str(), chosen_pointer.c_str(), d.error);
            runnotice("Unable to match indirection pointer \"" + chosen_pointer + "\" of category " + d.class_, nullptr);
            purge_attr_list(&d.attributes);
            d = t_dict_lookup();
            return;
        }
        leaf->dictionary = &d;
        leaf->index = d_table_count++;
        leaf->morphed_word = entryword(d.dictionary);
    }
}

void process_indirections(t_treenode tree) {
    for (t_treenode leaf : leavesof(tree)) process_indirect_ops(leaf);
}

}  // namespace zek

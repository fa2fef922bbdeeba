// Inline lexical transformations: the LSPs of a selected _ilt_ entry become tree nodes with
// lookups of their own, and the entry text of the lookup is replaced by the right side's result.
#include "genra/ilt.h"

#include <algorithm>
#include <vector>

#include "genra/attr_data.h"
#include "genra/attr_list.h"
#include "genra/input_base.h"
#include "genra/lex_read.h"
#include "genra/lt_rule.h"
#include "genra/misc.h"

namespace zek {

// One step through an entry text: quoted text and encoded attributes are passed whole.
static const char* step(const char* p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == ATTRMARKER && p[1] != 0 && p[2] != 0) return p + 3;
    if (c == '"') {
        const char* q = p + 1;
        while (*q != 0 && *q != '"') q++;
        return *q == '"' ? q + 1 : q;
    }
    return p + 1;
}

const char* nextbar(const char* p) {
    while (*p != 0 && *p != '|') p = step(p);
    return *p == '|' ? p + 1 : p;
}

const char* nextfield(const char* p) {
    while (*p != 0) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == LSPCODE || c == RHSCODE) return p;
        p = step(p);
    }
    return p;
}

// The compounds of an LSP's attribute field: names, or encoded components as the lexicon
// stores them; "." joins components, "," or a blank separates compounds, signs are ignored.
static attr_list lspattributes(const std::string& text) {
    attr_list list = nullptr;
    comp_attr compound = nullptr;
    auto close = [&]() {
        if (compound != nullptr) add_attr_to_list(&list, compound);
        compound = nullptr;
    };
    const char* p = text.c_str();
    while (*p != 0) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == ATTRMARKER && p[1] != 0 && p[2] != 0) {
            int value = static_cast<unsigned char>(p[2]);
            add_comp_attr(&compound, newdelay(static_cast<unsigned char>(p[1]), value == NOVALUE ? -1 : value));
            p += 3;
        } else if (identchar(c)) {
            std::string name;
            while (*p != 0 && identchar(static_cast<unsigned char>(*p))) name += *p++;
            if (lookup_attr(name.c_str())) {
                add_comp_attr(&compound, newdelay(att_class, att_value));
            } else {
                q_err("Unknown attribute", name.c_str(), "");
            }
        } else {
            if (c == ',' || c == ' ') close();
            p++;
        }
    }
    close();
    return list;
}

t_treenode make_lsp(const std::string& lspcon) {
    std::vector<std::string> fields;
    for (const char* p = lspcon.c_str(); *p != 0;) {
        const char* next = nextbar(p);
        const char* end = next > p && next[-1] == '|' ? next - 1 : next;
        fields.emplace_back(p, static_cast<size_t>(end - p));
        p = next;
    }
    while (!fields.empty() && fields.back().empty()) fields.pop_back();
    fields.resize(std::max<size_t>(fields.size(), 3));
    std::string word = fields[0];
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"') word = word.substr(1, word.size() - 2);
    if (word == "?") word.clear();
    t_treenode node = makenode(fields[1].c_str());
    node->preferredchoice = word;
    node->attributes = lspattributes(fields[2]);
    if (fields.size() > 3) {
        node->restrictions = "?|?|?|";
        for (size_t i = 3; i < fields.size(); i++) node->restrictions += fields[i] + "|";
    }
    terminal_node(node);
    if (node->dictionary == nullptr) {
        purge_node(&node);
        return nullptr;
    }
    fill_word(node);
    return node;
}

void purge_lspseq(t_dict_lookup* d) {
    t_treenode n = d->lspseq;
    while (n != nullptr) {
        t_treenode next = n->right;
        purge_node(&n);
        n = next;
    }
    d->lspseq = nullptr;
}

// The inline transformation of `d` cannot be made: the leaf gets no word.
static void iltfailed(t_dict_lookup* d) {
    purge_lspseq(d);
    d->dictionary = nullptr;
    d->error = 3;
}

void ilt_create_lsps(t_dict_lookup* iltptr) {
    purge_lspseq(iltptr);
    const char* entry = iltptr->dictionary;
    if (entry == nullptr || static_cast<unsigned char>(entry[0]) != ILTCODE) return;
    t_treenode last = nullptr;
    for (const char* p = nextfield(entry + 1); static_cast<unsigned char>(*p) == LSPCODE;) {
        const char* end = nextfield(p + 1);
        t_treenode node = make_lsp(std::string(p + 1, static_cast<size_t>(end - p - 1)));
        if (node == nullptr) {
            q_line(MSGCORE, 0, "   No lexical lookup left for an inline transformation");
            iltfailed(iltptr);
            return;
        }
        if (last == nullptr) {
            iltptr->lspseq = node;
        } else {
            last->right = node;
            node->left = last;
        }
        last = node;
        p = end;
    }
    if (iltptr->lspseq == nullptr) {
        q_line(MSGCORE, 0, "   Inline transformation without LSPs");
        iltfailed(iltptr);
    }
}

void scan_ilts(int start) {
    for (int i = d_table_count - 1; i >= start && i >= 0; i--) {
        t_dict_lookup& d = dict_table[i];
        if (d.lspseq == nullptr) continue;
        for (t_treenode n = d.lspseq; n != nullptr; n = n->right) {
            const t_dict_lookup* l = n->dictionary;
            bool found = l != nullptr && l->error == 0 && l->dictionary != nullptr && l->dictionary != noterminal;
            n->morphed_word = found ? entryword(l->dictionary) : std::string();
        }
        const char* rhs = nextfield(d.dictionary != nullptr ? d.dictionary + 1 : "");
        while (static_cast<unsigned char>(*rhs) == LSPCODE) rhs = nextfield(rhs + 1);
        std::string text = static_cast<unsigned char>(*rhs) == RHSCODE ? std::string(rhs + 1) : std::string();
        if (!lt_apply_rule(text, d.lspseq, 2)) {
            iltfailed(&d);
            continue;
        }
        purge_lspseq(&d);
        d.iltentry = lt_result;
        d.dictionary = d.iltentry.data();
        d.error = 0;
    }
}

}  // namespace zek

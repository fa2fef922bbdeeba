// Lexical errors: following the tagged links of an expected word's entry to related words.
#include "genra/stud_ind.h"

#include "genra/input_base.h"
#include "genra/lex_read.h"
#include "genra/lex_scan.h"
#include "genra/misc.h"
#include "genra/stud_mor.h"
#include "genra/terminal.h"
#include "genra/utilities.h"

namespace zek {

std::vector<tag_table> taglist;
int nexttag = FIRSTTAG;

void clear_tag_tables() {
    taglist.clear();
    nexttag = FIRSTTAG;
}

const tag_table* tagbynumber(int tag_int) {
    for (const tag_table& t : taglist) {
        if (t.tag_int == tag_int) return &t;
    }
    return nullptr;
}

namespace {

struct link {
    std::string word;
    std::string category;  // empty: the terminal of the entry that links
};

bool blank(char c) { return c == ' ' || c == '\t'; }

// The links of the group tagged `tag` in a field (groups separated by ";", a group an optional
// "tag:" and items separated by ",", an item a quoted word with an optional "/category"). False
// when the field holds no such group, or a fault ends the search (reported in corefile 7).
bool findgroup(const std::string& field, const std::string& tag, std::vector<link>& links) {
    size_t i = 0;
    const size_t n = field.size();
    auto unexpectedend = [] {
        q_line(MSGCORE, 0, "[Indirection] Unexpected end of lexical entry");
        return false;
    };
    while (i < n) {
        while (i < n && blank(field[i])) i++;
        if (i == n) break;
        std::string grouptag;
        if (field[i] != '"') {
            size_t start = i;
            while (i < n && field[i] != ':' && field[i] != ';' && field[i] != '"') i++;
            if (i == n) return unexpectedend();
            grouptag = field.substr(start, i - start);
            while (!grouptag.empty() && blank(grouptag.back())) grouptag.pop_back();
            if (field[i] == ':') i++;
        }
        std::vector<link> items;
        while (i < n && field[i] != ';') {
            char c = field[i];
            if (blank(c) || c == ',') {
                i++;
                continue;
            }
            link l;
            if (c == '"') {
                size_t close = field.find('"', i + 1);
                if (close == std::string::npos) {
                    q_line(MSGCORE, 0, "[Indirection] Closing quote missing");
                    return false;
                }
                l.word = field.substr(i + 1, close - i - 1);
                i = close + 1;
            } else {
                while (i < n && field[i] != ',' && field[i] != ';' && field[i] != '/' && !blank(field[i])) l.word += field[i++];
            }
            if (i < n && field[i] == '/') {
                i++;
                while (i < n && field[i] != ',' && field[i] != ';' && !blank(field[i])) l.category += field[i++];
                if (l.category.empty()) return unexpectedend();
            }
            items.push_back(l);
        }
        if (items.empty() && i == n) return unexpectedend();
        if (i < n) i++;  // the ";"
        if (grouptag == tag) {
            links = std::move(items);
            return true;
        }
    }
    return false;
}

}  // namespace

void err_links(leafinfo& expected) {
    if (expected.linksdone) return;
    expected.linksdone = true;
    t_treenode leaf = expected.leaf;
    const t_dict_lookup* d = leaf != nullptr ? leaf->dictionary : nullptr;
    if (d == nullptr || d->error != 0 || d->dictionary == nullptr || d->dictionary == noterminal) return;
    const char* entry = d->dictionary;
    for (const tag_table& t : taglist) {
        const char* f = getfieldptr(entry, t.field);
        std::string field(f, static_cast<size_t>(fieldlength(f)));
        std::vector<link> links;
        if (field.empty() || !findgroup(field, t.tag, links)) continue;
        for (const link& l : links) {
            std::string category = l.category.empty() ? std::string(getfieldptr(entry, 2)) : l.category;
            int r = lookup_terminal(category.c_str());
            std::string pattern = "\"" + l.word + "\"";
            char* linked = r >= 0 && r < static_cast<int>(dictionary.size()) ? exactword(pattern.c_str(), dictionary[r]) : nullptr;
            if (linked == nullptr) {
                q_line(MSGCORE, 0, "Indirection not found");
                continue;
            }
            // The leaf with the linked entry in its place, inflected as the leaf is.
            t_dict_lookup other;
            other.class_ = category.substr(0, category.find('|'));
            other.dictionary = linked;
            t_dict_lookup* own = leaf->dictionary;
            leaf->dictionary = &other;
            std::string word = stripcaret(inflect(leaf, entryword(linked)));
            leaf->dictionary = own;
            expected.links.emplace_back(t.tag_int, word);
        }
    }
}

int err_match_syn(leafinfo& expected, const std::string& response) {
    err_links(expected);
    for (const auto& [tag, word] : expected.links) {
        if (word == response) return tag;
    }
    return 0;
}

}  // namespace zek

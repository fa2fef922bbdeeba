// Readers of the tag info, morph errors and phonology tables files.
#include "genra/stud_read.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "genra/attr_data.h"
#include "genra/input_base.h"
#include "genra/stud_ind.h"
#include "genra/stud_mor.h"
#include "genra/stud_phon.h"
#include "genra/terminal.h"

namespace zek {

constexpr int MAXFIELD = 9999;  // the largest field number a tag may name

// A field number: an identifier of digits, 1 to MAXFIELD; 0 otherwise.
static int fieldnumber(const char* text) {
    long n = 0;
    for (const char* p = text; *p != 0; p++) {
        if (*p < '0' || *p > '9') return 0;
        if (n <= MAXFIELD) n = n * 10 + (*p - '0');
    }
    return n >= 1 && n <= MAXFIELD ? static_cast<int>(n) : 0;
}

void tag_readtables(const char* filename) {
    openreading(filename, "tag info input");
    bool pending = false;  // a tag has been named and not yet closed
    bool inside = false;   // between its parentheses
    tag_table tag{};
    tag.field = 0;
    auto start = [&](const char* name) {
        tag = tag_table{name, nexttag++, 0};
        pending = true;
        snprintf(file_position, sizeof file_position, "tag %s", name);
    };
    for (int tok = q_peep(); tok != TOK_EOF; q_next(), tok = q_peep()) {
        if (tok == TOK_IDENT && !inside) {
            if (pending) q_err("Tag has no field number: ", tag.tag.c_str(), "");
            start(identbuf);
        } else if (tok == TOK_IDENT) {
            if (tag.field != 0) {
                q_err("One field number per tag: ", identbuf, "");
            } else if ((tag.field = fieldnumber(identbuf)) == 0) {
                q_err("Field number expected: ", identbuf, "");
            }
        } else if (tok == '(' && !inside) {
            if (!pending) start("");  // the links written without a tag
            inside = true;
        } else if (tok == ')' && inside) {
            if (tag.field == 0) {
                q_err("Tag has no field number: ", tag.tag.c_str(), "");
            } else {
                taglist.push_back(tag);
            }
            pending = inside = false;
        } else {
            q_err("Unexpected symbol", tok2str(tok), "");
        }
    }
    if (pending) q_err(inside ? "Tag not closed by \")\": " : "Tag has no field number: ", tag.tag.c_str(), "");
    endreading();
}

// Sorts a row's pairs by type, then value, and drops a pair equal to the one before it or of a
// type already given as a whole (value -1).
static std::vector<std::pair<int, int>> normalrow(std::vector<std::pair<int, int>> pairs) {
    std::sort(pairs.begin(), pairs.end());
    std::vector<std::pair<int, int>> row;
    int wholetype = 0;
    for (const auto& p : pairs) {
        if (!row.empty() && row.back() == p) continue;
        if (p.first == wholetype) continue;
        if (p.second == -1) wholetype = p.first;
        row.push_back(p);
    }
    return row;
}

static void storerow(int terminal, const std::string& name, const std::vector<std::pair<int, int>>& pairs) {
    std::vector<std::pair<int, int>> row = normalrow(pairs);
    int* data = mrdata[terminal];
    mrwritten = true;
    size_t k = 0;
    for (const auto& [type, value] : row) {
        data[k++] = type;
        data[k++] = value;
    }
    while (k < MRROWLEN) data[k++] = 0;
    int types = 0;
    int alternatives = 0;
    long variants = 0;
    mrrowneeds(data, &types, &alternatives, &variants);
    if (types > MRMAXTYPES || alternatives > MRMAXALT) {
        q_err("More than 10 types or 20 values of a type to vary, the rest is left out: ", name.c_str(), "");
    }
    if (variants > MAXVARIANTS) q_err("More than 1000 forms of a word to make, the rest is left out: ", name.c_str(), "");
}

void merror_readtables(const char* filename) {
    openreading(filename, "morph error input");
    bool inrow = false;
    int terminal = -1;
    std::string name;
    std::vector<std::pair<int, int>> pairs;
    for (int tok = q_peep(); tok != TOK_EOF; q_next(), tok = q_peep()) {
        if (tok == TOK_IDENT && !inrow) {
            inrow = true;
            name = identbuf;
            pairs.clear();
            snprintf(file_position, sizeof file_position, "terminal %s", identbuf);
            terminal = lookup_terminal(identbuf);
            if (terminal < 0) q_err("Terminal not in terminal list", identbuf, "");
        } else if (tok == TOK_IDENT) {
            if (!lookup_attr(identbuf)) {
                q_err("Attribute not in attribute list", identbuf, "");
            } else if (static_cast<int>(pairs.size()) >= MRMAXPAIRS) {
                q_err("Maximum allowable types/values for a terminal", identbuf, "");
            } else {
                pairs.emplace_back(att_class, att_value);
            }
        } else if (inrow && (tok == '(' || tok == ',')) {
            continue;
        } else if (inrow && tok == ')') {
            if (terminal >= 0) storerow(terminal, name, pairs);
            inrow = false;
        } else {
            q_err("Unexpected symbol", tok2str(tok), "");
        }
    }
    if (inrow) q_err("Terminal not closed by \")\": ", name.c_str(), "");
    endreading();
    print_merror_tables();
}

void print_merror_tables() {
    for (int r = 0; r < terminal_count && r < MAXTERMINALS; r++) {
        if (mrdata[r][0] == 0) continue;
        std::string line = terminal_table[r];
        for (int k = 0; k < MRROWLEN && mrdata[r][k] != 0; k += 2) {
            line += " " + std::to_string(mrdata[r][k]) + " " + std::to_string(mrdata[r][k + 1]);
        }
        q_line(MSGCORE, 0, line.c_str());
    }
}

// The characters between two double quotes; the current token is the opening one. False when
// the input ends first.
static bool quoted(std::string& text) {
    text.clear();
    q_next();
    for (int tok = q_peep(); tok != TOK_QUOTE; q_next(), tok = q_peep()) {
        if (tok == TOK_EOF || tok == TOK_LF) return false;
        text += static_cast<char>(tok);
    }
    q_next();
    return true;
}

void phon_readtables(const char* filename) {
    openreading(filename, "phon table input");
    TABLE* t = nullptr;  // the table being read
    std::string text;
    for (int tok = q_peep(); tok != TOK_EOF;) {
        if (tok == TOK_QUOTE) {
            if (!quoted(text)) {
                q_err("Closing quote missing", "", "");
            } else if (t == nullptr) {
                t = new table();
                t->tablename = text.substr(0, 1);
                snprintf(file_position, sizeof file_position, "symbol %s", text.c_str());
                if (text.empty()) q_err("Empty IPA symbol", "", "");
            } else if (text.find('|') != std::string::npos) {
                q_err("Spelling holds \"|\": ", text.c_str(), "");
            } else {
                t->elements += text + "|";
                t->count++;
            }
        } else if (tok == ')' && t != nullptr) {
            if (t->tablename.empty()) {
                delete t;
            } else if (!add_phon_table(t)) {
                q_err("IPA symbol repeated: ", t->tablename.c_str(), "");
                delete t;
            }
            t = nullptr;
            q_next();
        } else {
            // "%" and "(" are ignored, "," separates spellings.
            if (tok != TOK_PERCENT && tok != '(' && !(tok == ',' && t != nullptr)) q_err("Unexpected symbol", tok2str(tok), "");
            q_next();
        }
        tok = q_peep();
    }
    if (t != nullptr) {
        q_err("Table not closed by \")\": ", t->tablename.c_str(), "");
        delete t;
    }
    endreading();
}

}  // namespace zek

// Reading LT rules files: rule headers, common attribute clauses, lexical search patterns and
// right sides. A rule that fails is reported, skipped up to its "%", and the reading goes on.
#include "genra/lt_input.h"

#include <cstdio>
#include <string>

#include "genra/attr_data.h"
#include "genra/attr_list.h"
#include "genra/input_base.h"
#include "genra/lt_mem.h"

namespace zek {

static const char* const FIELDENDS = "| _and_ _makes_";

static bool reservedword(int tok) {
    switch (tok) {
        case TOK_INHERIT:
        case TOK_CHOOSE:
        case TOK_RULE:
        case TOK_TRANSFORMATION:
        case TOK_ILT:
        case TOK_PRE:
        case TOK_SELECT:
        case TOK_IS: return true;
        default: return false;
    }
}

static bool separator(int tok) { return tok == TOK_PRIORITY || tok == TOK_MAKES; }

void readlextrans(const char* filename) {
    openreading(filename, "LT Rules");
    read_lt_rules();
    endreading();
}

// The rule number after RULE: digits only, 1 to 499.
int get_header() {
    q_next();  // RULE
    if (q_peep() != TOK_IDENT) {
        q_err("Unable to get rule number", "", "");
        return -1;
    }
    std::string text = identbuf;
    q_next();
    long n = 0;
    bool digits = !text.empty();
    for (char c : text) {
        if (c < '0' || c > '9') digits = false;
        if (digits && n < 100000) n = n * 10 + (c - '0');
    }
    if (!digits || n < 1 || n >= MAXLTRULES) {
        q_err("Rule number out of range or garbled", text.c_str(), "");
        return -1;
    }
    snprintf(file_position, sizeof file_position, "rule %ld", n);
    return static_cast<int>(n);
}

// Up to and including the "%" that ends the rule (outside double quotes), or up to the next
// RULE, which is left for the next rule.
void skip_lt_rule() {
    bool quoted = false;
    for (int tok = q_peep(); tok != TOK_EOF; tok = q_peep()) {
        if (!quoted && tok == TOK_RULE) return;
        q_next();
        if (tok == TOK_QUOTE) quoted = !quoted;
        if (!quoted && tok == TOK_PERCENT) return;
    }
}

void read_lt_rules() {
    bool ignoring = false;
    for (int tok = q_peep(); tok != TOK_EOF; tok = q_peep()) {
        if (tok != TOK_RULE) {
            if (!ignoring) q_err("Warning -- characters ignored", "", "");
            ignoring = true;
            q_next();
            continue;
        }
        ignoring = false;
        file_position[0] = 0;
        int n = get_header();
        if (n < 0) {
            skip_lt_rule();
            continue;
        }
        std::string number = std::to_string(n);
        if (ltruleheader[n] != nullptr) {
            q_err("Rule discarded -- duplicate rule ", number.c_str(), "");
            skip_lt_rule();
            continue;
        }
        LTRULE* rule = read_lt_rule();
        if (rule == nullptr) {
            q_err("Failed to load rule", number.c_str(), "");
            skip_lt_rule();
            continue;
        }
        ltruleheader[n] = rule;
    }
    file_position[0] = 0;
}

LTRULE* read_lt_rule() {
    LTRULE* rule = new LTRULE();
    bool ok = true;
    if (q_peep() == '(') ok = read_ca_clause(rule);
    ok = ok && read_lsps(rule) && read_rhs(rule);
    if (!ok) purge_lt_rule(&rule);
    return rule;
}

bool read_ca_clause(LTRULE* rule) {
    q_next();  // (
    for (;;) {
        if (!read_next_var(rule)) break;
        int tok = q_peep();
        if (tok == ')') {
            q_next();
            return true;
        }
        if (tok != ',') {
            q_err("   Syntax Error.", "\",\" or \")\" expected", "");
            break;
        }
        q_next();
    }
    q_err("   Error reading common attribute clause", "", "");
    return false;
}

bool read_next_var(LTRULE* rule) {
    if (q_peep() != TOK_IDENT) {
        q_err("   Syntax Error.", "1", "");
        return false;
    }
    std::string name = identbuf;
    q_next();
    if (q_peep() != ':') {
        q_err("   Syntax Error.", "2", "");
        return false;
    }
    q_next();
    if (q_peep() != TOK_IDENT) {
        q_err("   Syntax Error.", "3", "");
        return false;
    }
    std::string type = identbuf;
    q_next();
    if (!lookup_attr(type.c_str()) || att_value != -1) {
        q_err("   Attribute type unknown:", type.c_str(), "");
        return false;
    }
    int index = add_lt_delayed(att_class, -1);
    if (index < 0) return false;
    lt_var_list** tail = &rule->rule_vars;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = new lt_var_list{name, index, nullptr};
    return true;
}

bool gen_read_field(std::string& field) {
    field.clear();
    bool overflow = false;
    auto put = [&](const char* s) {
        for (; *s != 0; s++) {
            if (static_cast<int>(field.size()) < LTFIELDSIZE - 1) {
                field += *s;
            } else {
                overflow = true;
            }
        }
    };
    for (int tok = q_peep();; tok = q_peep()) {
        if (tok == '|' || separator(tok)) break;
        if (tok == TOK_EOF) {
            q_err("   Unexpected end of file.", "", "");
            return false;
        }
        if (tok == TOK_PERCENT) {
            q_err("   Unexpected end of rule token encountered.  Expected one of the following: ", FIELDENDS, "");
            return false;
        }
        if (reservedword(tok)) {
            q_err("   Unexpected reserved word encountered.  Expected one of the following: ", FIELDENDS, "");
            return false;
        }
        if (tok == TOK_QUOTE) {
            // The whole quoted text is taken, so that a failure never stops inside it.
            put("\"");
            q_next();
            for (tok = q_peep(); tok != TOK_QUOTE && tok != TOK_EOF; tok = q_peep()) {
                char c[2] = {static_cast<char>(tok), 0};
                put(c);
                q_next();
            }
            if (tok == TOK_EOF) {
                q_err("   Unexpected end of file.", "", "");
                return false;
            }
            put("\"");
        } else if (tok == TOK_IDENT) {
            put(identbuf);
        } else {
            char c[2] = {static_cast<char>(tok), 0};
            put(c);
        }
        q_next();
    }
    if (overflow) {
        q_err("   Buffer overflow.  Expected one of the following: ", FIELDENDS, "");
        return false;
    }
    return true;
}

// Field 3: "?" or compounds separated by ",", each names joined by "."; a name is a variable
// of the clause or an attribute value. The compounds go to `list`, their text to `text`.
static bool read_lsp_attributes(const LTRULE* rule, attr_list* list, std::string& text) {
    text.clear();
    if (q_peep() == '?') {
        q_next();
        text = "?";
        return true;
    }
    comp_attr compound = nullptr;
    bool expectname = false;  // after "." or ","
    for (int tok = q_peep(); tok != '|' && !separator(tok); tok = q_peep()) {
        if (tok == TOK_IDENT) {
            if (compound != nullptr && !expectname) break;  // two names in a row
            std::string name = identbuf;
            int index = lookup_var(name.c_str(), rule->rule_vars);
            if (index < 0) {
                if (!lookup_attr(name.c_str())) {
                    q_err("   Attribute unknown:", name.c_str(), "");
                    purge_comp_attr(&compound);
                    return false;
                }
                if (att_value == -1) {
                    q_err("   Attribute classes not legal in LSPs: ", name.c_str(), "");
                    purge_comp_attr(&compound);
                    return false;
                }
                index = add_lt_delayed(att_class, att_value);
                if (index < 0) {
                    purge_comp_attr(&compound);
                    return false;
                }
            }
            if (attr_seg_count(compound) >= MAXLTCOMPONENTS) {
                q_err("   Compound attribute with too many components:", name.c_str(), "");
                purge_comp_attr(&compound);
                return false;
            }
            add_comp_attr(&compound, index);
            text += name;
            expectname = false;
        } else if ((tok == '.' || tok == ',') && compound != nullptr && !expectname) {
            if (tok == ',') {
                add_attr_to_list(list, compound);
                compound = nullptr;
            }
            text += static_cast<char>(tok);
            expectname = true;
        } else {
            break;
        }
        q_next();
    }
    int tok = q_peep();
    if (expectname || (tok != '|' && !separator(tok))) {
        purge_comp_attr(&compound);
        return false;
    }
    if (compound != nullptr) add_attr_to_list(list, compound);
    return true;
}

// One LSP, up to the separator that follows it.
static t_treenode read_lsp(const LTRULE* rule) {
    std::string word, cls, attrtext, fields;
    attr_list attributes = nullptr;
    auto fail = [&](const char* msg) -> t_treenode {
        q_err(msg, "", "");
        purge_attr_list(&attributes);
        return nullptr;
    };
    if (!gen_read_field(word)) return fail("   Error in field 1 of LSP");
    if (word.empty() && separator(q_peep())) return fail("   Error in field 1 of LSP");
    fields = word + "|";
    int count = 1;
    // A "|" just before the separator closes the last field: it opens no empty one.
    auto nextfield = [&]() {
        if (q_peep() != '|') return false;
        q_next();
        return !separator(q_peep());
    };
    if (nextfield()) {
        if (!gen_read_field(cls)) return fail("   Error in field 2 of LSP");
        bool ident = !cls.empty();
        for (char c : cls) ident = ident && identchar(static_cast<unsigned char>(c));
        if (cls != "?" && !ident) return fail("   Error in field 2 of LSP");
        fields += cls + "|";
        count = 2;
        if (nextfield()) {
            if (!read_lsp_attributes(rule, &attributes, attrtext)) return fail("   Error in field 3 of LSP");
            fields += attrtext + "|";
            count = 3;
            for (;;) {
                if (static_cast<int>(fields.size()) > LTFIELDSMAX) {
                    q_err("   Buffer overflow.  Expected one of the following: ", FIELDENDS, "");
                    return fail(count == 3 ? "   Error in field 3 of LSP" : "   Error after field 3 of LSP");
                }
                if (!nextfield()) break;
                std::string f;
                if (!gen_read_field(f)) return fail("   Error after field 3 of LSP");
                fields += f + "|";
                count++;
            }
        }
    }
    if (!separator(q_peep())) return fail(count >= 3 ? "   Error after field 3 of LSP" : "   Error in field 2 of LSP");
    if (cls.empty()) cls = "?";
    t_treenode node = makenode(cls.c_str());
    t_dict_lookup* d = new t_dict_lookup();
    d->class_ = cls;
    d->preferredchoice = word == "?" ? std::string() : word;
    d->attributes = attributes;
    d->fields = fields;
    d->error = 3;
    node->dictionary = d;
    return node;
}

bool read_lsps(LTRULE* rule) {
    t_treenode last = nullptr;
    for (;;) {
        t_treenode lsp = read_lsp(rule);
        if (lsp == nullptr) {
            q_err("   Error reading Lexical Search Pattern", "", "");
            return false;
        }
        if (last == nullptr) {
            rule->lsp1 = lsp;
        } else {
            last->right = lsp;
            lsp->left = last;
        }
        last = lsp;
        int tok = q_peep();
        q_next();
        if (tok == TOK_MAKES) return true;
    }
}

bool read_rhs(LTRULE* rule) {
    std::string& rhs = rule->rhs;
    rhs.clear();
    bool quoted = false;
    bool overflow = false;
    auto put = [&](const std::string& s) {
        if (static_cast<int>(rhs.size() + s.size()) > LTRHSMAX) {
            overflow = true;
        } else {
            rhs += s;
        }
    };
    for (int tok = q_peep();; tok = q_peep()) {
        if (tok == TOK_EOF) {
            q_err("   Unexpected end of file.", "", "");
            break;
        }
        if (!quoted && tok == TOK_RULE) {
            // A rule that lacks its "%": the next rule is not swallowed into this right side.
            q_err("   Unexpected reserved word encountered.  Expected one of the following: ", "%", "");
            break;
        }
        std::string name = tok == TOK_IDENT ? identbuf : "";
        q_next();
        if (!quoted && tok == TOK_PERCENT) {
            if (!overflow) return true;
            q_err("   Buffer overflow.  Expected one of the following: ", "%", "");
            break;
        }
        if (tok == TOK_QUOTE) {
            quoted = !quoted;
            put("\"");
        } else if (tok == TOK_IDENT && !quoted) {
            int index = lookup_var(name.c_str(), rule->rule_vars);
            if (index >= 0) {
                put(encode_lt_var(index));
            } else {
                put(name);
            }
        } else {
            put(std::string(1, static_cast<char>(tok)));
        }
    }
    q_err("   Error reading right hand side", "", "");
    return false;
}

}  // namespace zek

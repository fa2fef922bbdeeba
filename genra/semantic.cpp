// Semantic transformations: the reader of the file, the normalisation and top-level split of an
// expression, matching, and the prototypes that write preselection lines into corefile 14.
#include "genra/semantic.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "genra/attr_data.h"
#include "genra/input_base.h"

namespace zek {

sem_trans* sem_trans_list = nullptr;
int depthStack = 0;

namespace {

int nesting = 0;   // analyses in progress (the outermost one included)
int analyses = 0;  // analyses made for the current expression
int linecount = 0; // lines written for the current expression

// ---------------------------------------------------------------------------------------------
// Reading the file.

bool isreserved(int tok) {
    switch (tok) {
        case TOK_INHERIT:
        case TOK_CHOOSE:
        case TOK_RULE:
        case TOK_TRANSFORMATION:
        case TOK_PRIORITY:
        case TOK_MAKES:
        case TOK_ILT:
        case TOK_PRE:
        case TOK_SELECT:
        case TOK_IS: return true;
        default: return false;
    }
}

// Appends the text of the current token: an identifier or a reserved word as its word (with
// a blank before it when it would otherwise run into the word before), anything else as its
// character. The text never grows beyond SEMBUF - 1 characters; `full` tells it was cut.
void appendtoken(std::string& text, int tok, bool& full) {
    std::string piece;
    if (tok == TOK_IDENT || isreserved(tok)) {
        if (tok == TOK_IDENT) {
            piece = identbuf;
        } else {
            piece = tok2str(tok);
            const char* word = "token: ";
            if (piece.compare(0, strlen(word), word) == 0) piece.erase(0, strlen(word));
        }
        if (!text.empty() && identchar(static_cast<unsigned char>(text.back()))) piece.insert(0, " ");
    } else if (tok == TOK_QUOTE) {
        piece = "\"";
    } else {
        piece = std::string(1, static_cast<char>(tok));
    }
    size_t room = SEMBUF - 1 - std::min(text.size(), static_cast<size_t>(SEMBUF - 1));
    if (piece.size() > room) {
        full = true;
        piece.resize(room);
    }
    text += piece;
}

// Skips the rest of an item: every token up to and including the next "%".
void skipitem() {
    while (q_peep() != TOK_EOF && q_peep() != TOK_PERCENT) q_next();
    if (q_peep() == TOK_PERCENT) q_next();
}

void purge(sem_trans* t) {
    while (t->first != nullptr) {
        sem_prot* p = t->first;
        t->first = p->next;
        delete p;
    }
    delete t;
}

// One item: optional "$", the pattern up to ":", the prototypes up to "%". Returns the new
// transformation, or none after an error (reported, the item skipped).
sem_trans* readitem() {
    file_position[0] = 0;
    int form = 1;
    if (q_peep() == '$') {
        form = 2;
        q_next();
    }
    if (q_peep() != TOK_IDENT) {
        q_err("Encountered ", tok2str(q_peep()), " instead of semantic transformation.");
        if (q_peep() == TOK_PERCENT || q_peep() == TOK_EOF) {
            q_next();
        } else {
            skipitem();
        }
        return nullptr;
    }
    std::string name;
    bool full = false;
    for (int tok = q_peep(); tok != ':'; tok = q_peep()) {
        if (tok == TOK_EOF || tok == TOK_PERCENT) {
            q_err("Encountered ", tok2str(tok), " instead of colon.");
            q_next();
            return nullptr;
        }
        appendtoken(name, tok, full);
        q_next();
    }
    q_next();  // the ":"
    if (full) {
        q_err("Semantic Transformation name ", name.c_str(), " is too long");
        skipitem();
        return nullptr;
    }
    snprintf(file_position, sizeof file_position, "%s", name.c_str());
    // The pattern is normalised once, here; one that cannot be matches nothing.
    std::string pattern;
    if (const char* why = sem_normalise(name, pattern)) {
        q_err("Malformed pattern: ", why, "");
        skipitem();
        return nullptr;
    }
    sem_trans* t = new sem_trans;
    t->form = form;
    t->name = name;
    t->pattern = pattern;
    for (;;) {
        sem_prot* p = new sem_prot;
        if (q_peep() == '&') {
            p->reanalyse = 1;
            q_next();
        }
        int tok = q_peep();
        if (tok != TOK_IDENT && tok != '#' && tok != '@') {
            q_err("Encountered ", tok2str(tok), " instead of preselection prototype.");
            delete p;
            if (tok != TOK_EOF) skipitem();
            purge(t);
            return nullptr;
        }
        bool longproto = false;
        for (tok = q_peep(); tok != ',' && tok != TOK_PERCENT && tok != TOK_EOF; tok = q_peep()) {
            appendtoken(p->prototype, tok, longproto);
            q_next();
        }
        if (longproto) {
            q_err("Semantic Transformation prototype ", p->prototype.c_str(), " is too long");
            delete p;
            skipitem();
            purge(t);
            return nullptr;
        }
        if (t->last == nullptr) {
            t->first = p;
        } else {
            t->last->next = p;
        }
        t->last = p;
        if (tok == TOK_EOF) {
            q_err("Encountered ", tok2str(tok), " instead of %.");
            purge(t);
            return nullptr;
        }
        q_next();
        if (tok == TOK_PERCENT) return t;
    }
}

// ---------------------------------------------------------------------------------------------
// Expressions.

bool isdigitc(char c) { return c >= '0' && c <= '9'; }

// The number after a "#" or "@" at text[p]; p is left after its digits.
int fieldnumber(const std::string& text, size_t& p) {
    int n = 0;
    while (p < text.size() && isdigitc(text[p])) {
        if (n < 100000) n = n * 10 + (text[p] - '0');
        p++;
    }
    return n;
}

// Position just past the bracketed text that starts at text[p] ("["), or npos if unclosed.
size_t pastbrackets(const std::string& text, size_t p) {
    int depth = 0;
    for (; p < text.size(); p++) {
        if (text[p] == '[') depth++;
        if (text[p] == ']' && --depth == 0) return p + 1;
    }
    return std::string::npos;
}

// The elements of a normalised expression (split at "." outside brackets).
std::vector<std::string> elementsof(const std::string& norm) {
    std::vector<std::string> out;
    std::string cur;
    for (size_t p = 0; p < norm.size();) {
        if (norm[p] == '[') {
            size_t end = pastbrackets(norm, p);
            if (end == std::string::npos) end = norm.size();
            cur.append(norm, p, end - p);
            p = end;
        } else if (norm[p] == '.') {
            out.push_back(cur);
            cur.clear();
            p++;
        } else {
            cur += norm[p++];
        }
    }
    out.push_back(cur);
    return out;
}

// The name of an element: its text before any bracketed suffix.
std::string elementname(const std::string& element) { return element.substr(0, element.find('[')); }

// Reads an element's name as an attribute: 1 with its type and value (-1 for a type name).
bool attributeof(const std::string& name, int& type, int& value) {
    if (name.empty() || !lookup_attr(name.c_str())) return false;
    type = att_class;
    value = att_value;
    return true;
}

// The valence of an element: 0 for "0" and for a type name; false if it is no attribute.
bool valenceof(const std::string& element, int& valence) {
    std::string name = elementname(element);
    valence = 0;
    if (name == "0") return true;
    int type = 0;
    int value = 0;
    if (!attributeof(name, type, value)) return false;
    if (value >= 0 && value < static_cast<int>(attr_table[type].valence.size())) valence = attr_table[type].valence[value];
    return valence >= 0;
}

// Two names compared as compound attributes, the pattern's first: the types must agree, and
// the values where the pattern names a value. "0" on either side matches anything.
bool samecompound(const std::string& pattern, const std::string& name) {
    if (pattern == "0" || name == "0") return true;
    std::vector<std::string> a = elementsof(pattern);
    std::vector<std::string> b = elementsof(name);
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++) {
        int ta = 0, va = 0, tb = 0, vb = 0;
        if (!attributeof(elementname(a[i]), ta, va) || !attributeof(elementname(b[i]), tb, vb)) return false;
        if (ta != tb) return false;
        if (va != -1 && va != vb) return false;
    }
    return true;
}

void message(const char* text) { q_line(SEMCORE, 0, text); }

std::string nofield(int n) { return "Field " + std::to_string(n) + " not present in semantic expression"; }

void problem(const char* reason) {
    if (reason != nullptr) message(reason);
    message("There was a problem processing the semantic expression");
}

// Writes one preselection line; false (with the message written) past the bounds.
bool emit(const std::string& line) {
    if (static_cast<int>(line.size()) > SEMLINEMAX) {
        problem("Preselection line too long");
        return false;
    }
    if (++linecount > SEMMAXLINES) {
        problem("Too many preselection lines");
        return false;
    }
    q_line(SEMCORE, 0, line.c_str());
    return true;
}

// The lines of one template prototype; `final` for the last prototype of the outermost analysis.
bool writetemplate(const sem_prot& p, const std::string& elements, bool final) {
    sem_template t = sem_expand(p.prototype, elements);
    if (!t.ok) {
        problem(t.error.c_str());
        return false;
    }
    if (t.attach == 0) {
        if (!final) return emit(t.built + ",");
        return emit(t.built) && emit("%");
    }
    std::string field;
    if (!sem_field(elements, t.attach, true, field)) {
        problem(nofield(t.attach).c_str());
        return false;
    }
    size_t open = field.find('[');
    size_t end = open == std::string::npos ? open : pastbrackets(field, open);
    if (end == std::string::npos) {
        char text[80];
        snprintf(text, sizeof text, "Attach field %d holds no bracketed list", t.attach);
        problem(text);
        return false;
    }
    std::vector<std::string> items;
    std::string item;
    int depth = 0;
    for (size_t q = open + 1; q + 1 < end; q++) {
        char c = field[q];
        if (c == '[') depth++;
        if (c == ']') depth--;
        if (c == ',' && depth == 0) {
            if (!item.empty()) items.push_back(item);
            item.clear();
        } else if (c != ' ' && c != '\t') {
            item += c;
        }
    }
    if (!item.empty()) items.push_back(item);
    for (size_t i = 0; i < items.size(); i++) {
        std::string line = t.prefix + items[i] + t.built;
        if (!emit(final && i + 1 == items.size() ? line : line + ",")) return false;
    }
    return !final || emit("%");
}

bool analyse(const std::string& text);

bool runprototypes(const sem_trans& t, const sem_expr& e) {
    std::string elements = sem_elements(e.original);
    for (const sem_prot* p = t.first; p != nullptr; p = p->next) {
        bool last = p->next == nullptr;
        if (p->reanalyse) {
            std::string expr;
            std::string error;
            if (!sem_reanalysis_text(p->prototype, e.top_level_orig, expr, error)) {
                problem(error.c_str());
                return false;
            }
            if (!last) depthStack++;
            bool ok = analyse(expr);
            if (!last) depthStack--;
            if (!ok) return false;
        } else if (!writetemplate(*p, elements, last && depthStack == 0)) {
            return false;
        }
    }
    return true;
}

bool analyse(const std::string& text) {
    if (nesting >= SEMMAXNEST) {
        problem("Semantic re-analysis nested too deep");
        return false;
    }
    if (analyses >= SEMMAXANALYSES) {
        problem("Too many semantic re-analyses");
        return false;
    }
    analyses++;
    if (static_cast<int>(text.size()) > SEMBUF) {
        problem("Semantic expression too long");
        return false;
    }
    sem_expr e;
    if (const char* why = sem_normalise(text, e.original)) {
        problem(why);
        return false;
    }
    // Nothing to analyse (a blank line): a pattern "0" would otherwise match it.
    if (e.original.empty()) {
        problem("Empty semantic expression");
        return false;
    }
    if (!sem_split(e)) {
        problem("Attribute not recognized or invalid valence");
        return false;
    }
    const sem_trans* match = sem_trans_list;
    while (match != nullptr && !sem_match(*match, e)) match = match->next;
    if (match == nullptr) {
        message("No match found for semantic expression");
        return false;
    }
    nesting++;
    bool ok = runprototypes(*match, e);
    nesting--;
    return ok;
}

}  // namespace

void clear_sem_trans() {
    while (sem_trans_list != nullptr) {
        sem_trans* t = sem_trans_list;
        sem_trans_list = t->next;
        purge(t);
    }
}

void read_sem_trans(const char* filename) {
    clear_sem_trans();
    openreading(filename, "Semantic Transformation Input");
    while (q_peep() != TOK_EOF) {
        sem_trans* t = readitem();
        if (t == nullptr) {
            q_stat = 1;
            continue;
        }
        t->next = sem_trans_list;  // the later one in front
        sem_trans_list = t;
    }
    endreading();
}

const char* sem_normalise(const std::string& text, std::string& out) {
    static const char* const parentheses = "Unbalanced parentheses in semantic expression";
    static const char* const brackets = "Unbalanced brackets in semantic expression";
    out.clear();
    int parens = 0;
    for (size_t p = 0; p < text.size();) {
        char c = text[p];
        if (c == '[') {
            size_t end = pastbrackets(text, p);
            if (end == std::string::npos) return brackets;
            out.append(text, p, end - p);
            p = end;
            continue;
        }
        p++;
        switch (c) {
            case ' ':
            case '\t': break;
            case ')':
                if (--parens < 0) return parentheses;
                break;
            case '(':
                parens++;
                out += '.';
                break;
            case ',': out += '.'; break;
            case ']': return brackets;
            case '|': return "\"|\" outside brackets in semantic expression";
            default: out += c;
        }
    }
    return parens == 0 ? nullptr : parentheses;
}

bool sem_split(sem_expr& e) {
    std::vector<std::string> el = elementsof(e.original);
    e.top_level_orig = el[0] + "|";
    e.analysed = 1;
    if (el.size() == 1) return true;
    int valence = 0;
    if (!valenceof(el[0], valence)) return false;
    size_t next = 1;
    for (int arg = 0; arg < valence; arg++) {
        int counter = 1;
        std::string text;
        while (counter > 0) {
            if (next >= el.size()) return false;  // the valences ask for more than there is
            int v = 0;
            if (!valenceof(el[next], v)) return false;
            counter += v - 1;
            if (!text.empty()) text += '.';
            text += el[next++];
        }
        e.top_level_orig += text + "|";
    }
    return true;
}

bool sem_match(const sem_trans& t, const sem_expr& e) {
    const std::string& pattern = t.pattern;
    if (pattern.empty()) return false;
    if (t.form == 2) {
        std::string functor;
        sem_field(e.top_level_orig, 1, false, functor);
        return samecompound(pattern, functor);
    }
    std::vector<std::string> a = elementsof(pattern);
    std::vector<std::string> b = elementsof(e.original);
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++) {
        if (!samecompound(elementname(a[i]), elementname(b[i]))) return false;
    }
    return true;
}

std::string sem_elements(const std::string& normalised) {
    std::string out;
    for (const std::string& element : elementsof(normalised)) out += element + "|";
    return out;
}

namespace {

// The fields of a "|"-separated list, each ended by its "|" (bracketed text never separates).
std::vector<std::string> fieldsof(const std::string& list) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t p = 0; p < list.size();) {
        if (list[p] == '[') {
            size_t end = pastbrackets(list, p);
            p = end == std::string::npos ? list.size() : end;
        } else if (list[p] == '|') {
            out.push_back(list.substr(start, p - start));
            start = ++p;
        } else {
            p++;
        }
    }
    return out;
}

}  // namespace

bool sem_field(const std::string& list, int n, bool whole, std::string& out) {
    std::vector<std::string> fields = fieldsof(list);
    out.clear();
    if (n < 1 || n > static_cast<int>(fields.size())) return false;
    out = whole ? fields[n - 1] : elementname(fields[n - 1]);
    return true;
}

namespace {

// A "#" or "@" followed by a digit, or "." or ":": where copied text stops.
bool special(const std::string& t, size_t p) {
    char c = t[p];
    if (c == '.' || c == ':') return true;
    return (c == '#' || c == '@') && p + 1 < t.size() && isdigitc(t[p + 1]);
}

}  // namespace

sem_template sem_expand(const std::string& proto, const std::string& elements) {
    sem_template r;
    std::string* out = &r.built;
    // The element names, split once: a template may insert them a thousand times.
    std::vector<std::string> fields = fieldsof(elements);
    for (std::string& f : fields) f = elementname(f);
    auto fail = [&](const std::string& why) {
        r.ok = false;
        r.error = why;
        return r;
    };
    auto insert = [&](size_t& p) {
        p++;
        int n = fieldnumber(proto, p);
        if (n < 1 || n > static_cast<int>(fields.size())) {
            r.error = nofield(n);
            return false;
        }
        *out += fields[n - 1];
        return true;
    };
    auto attach = [&](size_t& p) {
        p++;
        r.attach = fieldnumber(proto, p);
        r.prefix += r.built;
        r.built.clear();
    };
    for (size_t p = 0; p < proto.size();) {
        if (r.prefix.size() + r.built.size() > static_cast<size_t>(SEMBUF)) return fail("Preselection line too long");
        char c = proto[p];
        if (c == '#' && special(proto, p)) {
            if (!insert(p)) return fail(r.error);
        } else if (c == '@' && special(proto, p)) {
            attach(p);
        } else if (c == '.') {
            *out += c;
            p++;
        } else if (c == ':') {
            // ":" and the text up to "[", then the bracketed list.
            *out += c;
            for (p++; p < proto.size() && proto[p] != '[' && !special(proto, p); p++) *out += proto[p];
            if (p >= proto.size() || proto[p] != '[') continue;
            *out += '[';
            p++;
            bool closed = false;
            while (p < proto.size() && !closed) {
                if (r.prefix.size() + r.built.size() > static_cast<size_t>(SEMBUF)) return fail("Preselection line too long");
                char d = proto[p];
                if (d == ']') {
                    *out += d;
                    p++;
                    closed = true;
                } else if (d == '#' && special(proto, p)) {
                    if (!insert(p)) return fail(r.error);
                } else if (d == '@' && special(proto, p)) {
                    attach(p);
                } else if (d == '.' || d == ',') {
                    // Item separators are copied as written. A prototype read from a file ends
                    // at its first ",", so there items are separated by "." and the list is
                    // one dotted compound.
                    *out += d;
                    p++;
                } else {
                    for (; p < proto.size() && proto[p] != ']' && proto[p] != ',' && proto[p] != '.' && !special(proto, p); p++) {
                        *out += proto[p];
                    }
                }
            }
        } else {
            for (; p < proto.size() && !special(proto, p); p++) *out += proto[p];
        }
    }
    if (r.prefix.size() + r.built.size() > static_cast<size_t>(SEMBUF)) return fail("Preselection line too long");
    return r;
}

bool sem_reanalysis_text(const std::string& proto, const std::string& top, std::string& out, std::string& error) {
    out.clear();
    std::vector<std::string> fields = fieldsof(top);
    for (size_t p = 0; p < proto.size();) {
        if (proto[p] == '#' && p + 1 < proto.size() && isdigitc(proto[p + 1])) {
            p++;
            int n = fieldnumber(proto, p);
            if (n < 1 || n > static_cast<int>(fields.size())) {
                error = nofield(n);
                return false;
            }
            out += fields[n - 1];
        } else {
            out += proto[p++];
        }
        if (static_cast<int>(out.size()) > SEMBUF) {
            error = "Semantic expression too long";
            return false;
        }
    }
    return true;
}

bool analyse_sem_expr(const char* text) {
    nesting = 0;
    analyses = 0;
    linecount = 0;
    depthStack = 0;
    message("PRESELECT = ");
    return analyse(text);
}

bool reanalyse_expr(const char* text) {
    if (nesting == 0) {
        analyses = 0;
        linecount = 0;
    }
    return analyse(text);
}

}  // namespace zek

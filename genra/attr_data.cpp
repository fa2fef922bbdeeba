// The attribute file reader, the lookup table of type and value names, the order test `valid`
// and the occurrence table `delayed`.
#include "genra/attr_data.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "genra/input_base.h"
#include "genra/lex_scan.h"
#include "genra/xref.h"

namespace zek {

attr_table_entry attr_table[MAXTYPES];
int total_types = 1;
std::vector<attr_qlookup> q_att_table;
int att_class = 0;
int att_value = 0;

t_delay delayed[DELAYSIZE];
int delayptr = 0;
t_delay lt_delayed[DELAYSIZE];
int lt_delayptr = 0;
int MState = 0;

static bool delayreported = false;

int newdelay(int class_, int choice) {
    int d;
    if (delayptr > DELAYSIZE - 2) {
        if (!delayreported) q_line(MSGCORE, 0, "Delay table exceeded");
        delayreported = true;
        d = DELAYSIZE - 1;
    } else {
        delayreported = false;
        d = delayptr++;
    }
    delayed[d] = {class_, choice, choice != -1 ? 1 : 0};
    return d;
}

static void emptytype(attr_table_entry& t) {
    t.type[0] = 0;
    t.entries = 1;
    t.list.assign(1, std::string());
    t.valence.assign(1, 0);
    t.partial = 0;
    t.trans.clear();
}

void initattributes() {
    for (attr_table_entry& t : attr_table) emptytype(t);
    total_types = 1;
    q_att_table.clear();
    forget_lookups();
}

void clearattributes() { initattributes(); }

int lookup_attr(const char* text) {
    int lo = 0;
    int hi = static_cast<int>(q_att_table.size()) - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int cmp = strcmp(text, q_att_table[mid].text);
        if (cmp == 0) {
            att_class = q_att_table[mid].type;
            att_value = q_att_table[mid].number;
            return 1;
        }
        if (cmp < 0) {
            hi = mid - 1;
        } else {
            lo = mid + 1;
        }
    }
    return 0;
}

const char* att_get_name(int class_, int value) {
    if (class_ < 0 || class_ >= total_types) return "IllegalClass";
    const attr_table_entry& t = attr_table[class_];
    if (value == -1) return t.type;
    if (value < 0 || value >= t.entries) return "IllegalValue";
    return t.list[value].c_str();
}

int valid(int sign, int class_, int dict_choice, int match_choice) {
    if (class_ <= 0 || class_ >= total_types) return 0;
    const attr_table_entry& t = attr_table[class_];
    bool ordered = t.partial && (sign == '<' || sign == '>');
    if (!ordered) return dict_choice == match_choice ? 1 : 0;
    int n = t.entries;
    if (dict_choice < 1 || dict_choice >= n || match_choice < 1 || match_choice >= n) return 0;
    if (sign == '<') return t.trans[match_choice * n + dict_choice];
    return t.trans[dict_choice * n + match_choice];
}

// Reading the attribute file.
namespace {

enum : int { K_IDENT = 1, K_LESS = 2, K_OPEN = 4, K_COMMA = 8, K_CLOSE = 16, K_END = 32, K_EOF = 64, K_OTHER = 128 };

int kindof(int tok) {
    switch (tok) {
        case TOK_IDENT: return K_IDENT;
        case '<': return K_LESS;
        case '(': return K_OPEN;
        case ',': return K_COMMA;
        case ')': return K_CLOSE;
        case TOK_PERCENT: return K_END;
        case TOK_EOF: return K_EOF;
        default: return K_OTHER;
    }
}

// The names declared by the reading, in order, with their places (kept only while reports or
// the cross-reference are wanted): a duplicated name is reported where it is declared again.
std::vector<xref_name> declared;

void declare(const char* name, bool type) {
    if (q_reports == nullptr && q_xref == nullptr) return;
    declared.push_back({name, q_here()});
    if (q_xref != nullptr) (type ? q_xref->types : q_xref->values).push_back(declared.back());
}

// The state of one declaration being read.
struct typereader {
    int acceptable = K_IDENT | K_END | K_EOF;
    bool typename_due = true;  // an identifier now starts a new type
    int current = 0;           // the type being read, 0 when it is refused or none
    int pending = 0;           // the number to give the next value
    int previous = 0;          // the value before a "<", 0 if none
    bool ordering = false;     // a "<" waits for its right-hand value
    unsigned char scratch[MAXVALUES][MAXVALUES];

    void resetscratch() {
        memset(scratch, 0, sizeof scratch);
        for (int i = 0; i < MAXVALUES; i++) scratch[i][i] = 1;
    }

    void addtype(const char* name) {
        current = 0;
        if (strlen(name) > TYPENAMELEN) {
            q_err("Attribute type name longer than 31 characters: ", name, "");
            q_stat = 1;
            return;
        }
        if (total_types >= MAXTYPES) {
            q_err("Too many attribute types (at most 253): ", name, "");
            q_stat = 1;
            return;
        }
        current = total_types++;
        attr_table_entry& t = attr_table[current];
        emptytype(t);
        snprintf(t.type, sizeof t.type, "%s", name);
        declare(name, true);
        resetscratch();
    }

    // The value number of `name` in the current type, added if new; 0 when refused.
    int addvalue(const char* name) {
        attr_table_entry& t = attr_table[current];
        for (int v = 1; v < t.entries; v++) {
            if (t.list[v] == name) return v;
        }
        if (t.entries >= MAXVALUES) {
            q_err("Table full", t.type, "");
            return 0;
        }
        t.list.push_back(name);
        t.valence.push_back(pending);
        pending = 0;
        declare(name, false);
        return t.entries++;
    }

    void value(const char* name) {
        bool number = name[0] != 0 && strspn(name, "0123456789") == strlen(name);
        if (number) {
            pending = atoi(name);
            acceptable = K_IDENT;
            return;
        }
        int v = current != 0 ? addvalue(name) : 0;
        if (ordering && previous != 0 && v != 0) {
            scratch[previous][v] = 1;
            attr_table[current].partial = 1;
        }
        ordering = false;
        previous = v;
        acceptable = K_LESS | K_COMMA | K_CLOSE;
    }

    // The closing ")": an ordered type gets the closure of its declared pairs.
    void close() {
        if (current != 0 && attr_table[current].partial) {
            attr_table_entry& t = attr_table[current];
            int n = t.entries;
            t.trans.assign(static_cast<size_t>(n) * n, 0);
            for (int i = 0; i < n; i++) {
                for (int j = 0; j < n; j++) t.trans[i * n + j] = scratch[i][j];
            }
            for (int k = 1; k < n; k++) {
                for (int i = 1; i < n; i++) {
                    if (!t.trans[i * n + k]) continue;
                    for (int j = 1; j < n; j++) {
                        if (t.trans[k * n + j]) t.trans[i * n + j] = 1;
                    }
                }
            }
        }
        resetscratch();
        current = 0;
        previous = 0;
        ordering = false;
        typename_due = true;
        acceptable = K_IDENT | K_END | K_EOF;
    }
};

void gettypes() {
    static typereader r;  // its scratch matrix is large
    r = typereader();
    r.resetscratch();
    for (;;) {
        int tok = q_peep();
        int kind = kindof(tok);
        if (!(r.acceptable & kind)) q_err("Inappropriate", tok2str(tok), "");
        if (kind == K_EOF) break;
        if (kind == K_END) {
            if (r.current != 0) r.close();
            q_skipall();  // what follows the end mark is not read
            break;
        }
        switch (kind) {
            case K_IDENT:
                if (r.typename_due) {
                    snprintf(file_position, sizeof file_position, "%s", identbuf);
                    r.addtype(identbuf);
                    r.typename_due = false;
                    r.acceptable = K_OPEN;
                } else {
                    r.value(identbuf);
                }
                break;
            case K_OPEN:
                r.typename_due = false;
                r.previous = 0;
                r.acceptable = K_IDENT;
                break;
            case K_COMMA:
                r.previous = 0;
                r.ordering = false;
                r.acceptable = K_IDENT;
                break;
            case K_LESS:
                r.ordering = true;
                r.acceptable = K_IDENT;
                break;
            case K_CLOSE:
                r.close();
                break;
            default:
                break;
        }
        q_next();
    }
    file_position[0] = 0;
}

}  // namespace

void readattr(const char* fname) {
    clearattributes();
    file_operation = "attribute input";
    file_position[0] = 0;
    q_stat = 0;
    declared.clear();
    openfile(fname, 0);
    gettypes();
    q_skipall();
    q_att_table.clear();
    for (int t = 1; t < total_types; t++) {
        q_att_table.push_back({attr_table[t].type, t, -1});
        for (int v = 1; v < attr_table[t].entries; v++) {
            q_att_table.push_back({attr_table[t].list[v].c_str(), t, v});
        }
    }
    std::stable_sort(q_att_table.begin(), q_att_table.end(),
                     [](const attr_qlookup& a, const attr_qlookup& b) { return strcmp(a.text, b.text) < 0; });
    for (size_t i = 1, repeat = 0; i < q_att_table.size(); i++) {
        if (strcmp(q_att_table[i - 1].text, q_att_table[i].text) != 0) {
            repeat = 0;
            continue;
        }
        // The place of the declaration after the first (then the third, ...) of this name.
        q_place where = q_here();
        size_t seen = 0;
        for (const xref_name& d : declared) {
            if (d.name == q_att_table[i].text && seen++ == repeat + 1) where = d.where;
        }
        repeat++;
        q_err_at(where, "Warning: attribute value ", q_att_table[i].text, " duplicated");
    }
    declared.clear();
    file_operation = "";
}

}  // namespace zek

// Morphology: reading the rules and tables files, evaluating morph expressions and guards for
// the leaves of a tree, the morphology passes and the MPASSES command.
#include "genra/morphology.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "editor/getparam.h"
#include "editor/scrout.h"
#include "genra/attr_data.h"
#include "genra/attr_fns.h"
#include "genra/input_base.h"
#include "genra/lt_rule.h"
#include "genra/misc.h"
#include "genra/syn_cf.h"
#include "genra/utilities.h"
#include "genra/xref.h"

namespace zek {

int morph_passes[MAXPASSROWS][6];
MSUBRULE* ruleheader[MAXMRULES];
int numrules = -1;
TABLE* tablelist = nullptr;
t_treenode current_node = nullptr;
char moutput[MOUTMAX + 1];
const char* end_guard = nullptr;
t_treenode offset_node = nullptr;

constexpr unsigned char ISCODE = 17;   // _is_ in a guard
constexpr long MAXSTEPS = 1000000;     // characters one evaluation may read
constexpr long long INDEXCAP = 1L << 30;
constexpr long MAXLEAVES = 100000;     // leaves one pass visits

// Rule names by number: a rule whose subrules were all incomplete is still defined.
static std::string mrulename[MAXMRULES];

// Reading: the guard or expression being collected, and the pending guard.
static char buf[MBUFMAX + 1];
static int bufptr = 0;
static std::string gbuf;

// Expression evaluation.
static const char* mstack[MSTACKSIZE];
static int mstackptr = -1;
static t_treenode lspstack[MSTACKSIZE];
static int lspstackptr = -1;
static std::string levelcopy[MSTACKSIZE];  // a field read by a level, cut at the field's end
static int moutptr = 0;
static char tablebuffer[TABLEREFMAX + 1];
static int tabptr = 0;
static std::string rulenamebuf;
static bool nestfailed = false;  // the nesting limit was met: no further level is entered
static long steps = 0;

// Guard evaluation.
static const char* guardptr = nullptr;
static int current = 0;
static int defstack[DEFSTACKSIZE];
static int defptr = 0;
static int gdepth = 0;
static t_treenode guardleaf = nullptr;

static bool digit(char c) { return c >= '0' && c <= '9'; }

void init_morph_passes() {
    for (int t = 0; t < MAXPASSROWS; t++) {
        for (int i = 0; i < 6; i++) morph_passes[t][i] = 0;
        morph_passes[t][1] = t == 21 ? 22 : 5;
        morph_passes[t][2] = t == 21 ? 23 : 6;
    }
}

// ---- Reading ----

// Keeps one character, leaving room for the ":" or "|" that closes a guard or an expression.
static void bufadd(char c) {
    if (bufptr < MBUFMAX - 1) buf[bufptr++] = c;
}

// Stores the current token in compact form and consumes it: an identifier as its characters,
// a double-quoted text with its quotes, a lone "%" not at all, any other token as its code.
static void storetoken(bool expression) {
    int tok = q_peep();
    if (expression) xref_expression_token(tok);
    if (tok == TOK_IDENT) {
        for (const char* p = identbuf; *p != 0; p++) bufadd(*p);
    } else if (tok == TOK_QUOTE) {
        bufadd('"');
        q_next();
        for (tok = q_peep(); tok != TOK_QUOTE && tok != TOK_EOF; q_next(), tok = q_peep()) bufadd(static_cast<char>(tok));
        if (tok == TOK_QUOTE) bufadd('"');
    } else if (tok != TOK_PERCENT) {
        bufadd(static_cast<char>(tok));
    }
    q_next();
}

static void skiptorule() {
    while (q_peep() != TOK_RULE && q_peep() != TOK_EOF) q_next();
}

// The subrules of rule `rule`, up to the next RULE or the end of input.
static void readsubrules(int rule) {
    bufptr = 0;
    bool guardpending = false;
    MSUBRULE** tail = &ruleheader[rule];
    for (int tok = q_peep(); tok != TOK_RULE && tok != TOK_EOF; tok = q_peep()) {
        if (tok == ':') {
            q_place colon = q_here();
            q_next();
            if (guardpending) {
                q_err_at(colon, "second COLON in subrule", "", "");
                bufptr = 0;
                continue;
            }
            buf[bufptr++] = ':';
            gbuf.assign(buf, static_cast<size_t>(bufptr));
            bufptr = 0;
            guardpending = true;
        } else if (tok == ';') {
            q_place semicolon = q_here();
            q_next();
            xref_expression_token(-1);
            if (!guardpending) {
                q_err_at(semicolon, "incomplete subrule", "", "");
                bufptr = 0;
                continue;
            }
            buf[bufptr++] = '|';
            MSUBRULE* s = new subrule();
            s->rulename = mrulename[rule];
            s->guard = gbuf;
            s->mexp.assign(buf, static_cast<size_t>(bufptr));
            *tail = s;
            tail = &s->nextsub;
            bufptr = 0;
            guardpending = false;
        } else {
            storetoken(guardpending);
        }
    }
    xref_expression_token(-1);
    if (guardpending || bufptr > 0) q_err("last subrule incomplete", "", "");
    bufptr = 0;
}

void m_read() {
    if (q_peep() != TOK_RULE && q_peep() != TOK_EOF) {
        q_err("text before first RULE", "", "");
        skiptorule();
    }
    while (q_peep() == TOK_RULE) {
        q_next();
        file_position[0] = 0;
        if (q_peep() != TOK_IDENT) {
            q_err("rule has no name", "", "");
            skiptorule();
            continue;
        }
        snprintf(file_position, sizeof file_position, "rule %s", identbuf);
        if (numrules >= MAXMRULES - 1) {
            q_err("too many rules", "", "");
            q_skipall();
            return;
        }
        if (m_ruleindex(identbuf) >= 0) {
            q_err("rule name repeated", "", "");
            skiptorule();
            continue;
        }
        int rule = ++numrules;
        mrulename[rule] = identbuf;
        if (q_xref != nullptr) q_xref->morphrules.push_back({identbuf, q_here()});
        ruleheader[rule] = nullptr;
        q_next();
        readsubrules(rule);
    }
}

void new_readmorph(const char* filename) {
    openreading(filename, "morphology input");
    m_read();
    endreading();
}

// The elements of one table, after its "(": up to ")" (true) or the end of input (false).
static bool readelements(TABLE* t) {
    bufptr = 0;
    for (;;) {
        int tok = q_peep();
        if (tok == TOK_EOF) return false;
        if (tok == ',' || tok == ')') {
            q_next();
            if (tok == ',' || bufptr > 0 || t->count > 0) {
                t->elements.append(buf, static_cast<size_t>(bufptr));
                t->elements += '|';
                t->count++;
            }
            bufptr = 0;
            if (tok == ')') return true;
        } else if (tok == '(' || tok == TOK_PERCENT) {
            q_next();
        } else {
            storetoken(true);
        }
    }
}

void table_read() {
    TABLE** tail = &tablelist;
    while (*tail != nullptr) tail = &(*tail)->next;
    std::string name;
    bool named = false;
    for (int tok = q_peep(); tok != TOK_EOF; tok = q_peep()) {
        if (tok == TOK_IDENT) {
            name = identbuf;
            named = true;
            snprintf(file_position, sizeof file_position, "table %s", identbuf);
            if (q_xref != nullptr) q_xref->tables.push_back({identbuf, q_here()});
            q_next();
        } else if (tok == '(') {
            q_next();
            if (!named) q_err("table has no name", "", "");
            TABLE* t = new table();
            t->tablename = name;
            bool closed = readelements(t);
            if (!closed) q_err("last table incomplete", "", "");
            if (closed && named) {
                *tail = t;
                tail = &t->next;
            } else {
                delete t;
            }
            named = false;
        } else {
            if (tok != TOK_PERCENT) q_err("unexpected symbol outside table: ", tok2str(tok), "");
            q_next();
        }
    }
}

void new_readtables(const char* filename) {
    openreading(filename, "table input");
    table_read();
    endreading();
}

void clear_subrules(MSUBRULE* s) {
    while (s != nullptr) {
        MSUBRULE* next = s->nextsub;
        delete s;
        s = next;
    }
}

void clear_mrules() {
    for (int r = 0; r < MAXMRULES; r++) {
        clear_subrules(ruleheader[r]);
        ruleheader[r] = nullptr;
        mrulename[r].clear();
    }
    numrules = -1;
}

void init_mrules() { clear_mrules(); }

void clear_tables() {
    while (tablelist != nullptr) {
        TABLE* next = tablelist->next;
        delete tablelist;
        tablelist = next;
    }
}

void m_check() {}
void table_check() {}

void print_mrules() {
    for (int r = 0; r <= numrules; r++) {
        for (MSUBRULE* s = ruleheader[r]; s != nullptr; s = s->nextsub) {
            q_printf(MSGCORE, "rule: %d name: %s guard: %s mexp: %s", r, s->rulename.c_str(), s->guard.c_str(),
                     s->mexp.c_str());
        }
    }
}

void print_tables() {
    for (TABLE* t = tablelist; t != nullptr; t = t->next) {
        q_printf(MSGCORE, "table %s, %d elements: %s", t->tablename.c_str(), t->count, t->elements.c_str());
    }
}

// ---- Leaves ----

t_treenode traverseleaves(t_treenode node, int count) {
    for (; node != nullptr && count > 0; count--) node = node->right;
    for (; node != nullptr && count < 0; count++) node = node->left;
    return node;
}

// The entry chosen for a leaf, or nullptr when it has none.
static const char* entryof(t_treenode leaf) {
    if (leaf == nullptr || leaf->dictionary == nullptr) return nullptr;
    const t_dict_lookup* d = leaf->dictionary;
    if (d->error != 0 || d->dictionary == nullptr || d->dictionary == noterminal) return nullptr;
    return d->dictionary;
}

// The attributes that tests read: the leaf's own, or its lookup's under lexical transformations.
static attr_list leafattributes(t_treenode leaf) {
    if (MState == 1) return leaf->dictionary != nullptr ? leaf->dictionary->attributes : nullptr;
    return leaf->attributes;
}

// The value of a compound's component, drawn now if it has none yet.
static int componentvalue(int index) {
    if (index < 0 || index >= DELAYSIZE) return -1;
    if (MState == 1) return lt_delayed[index].choice;
    if (delayed[index].choice == -1) make_choice(index);
    return delayed[index].choice;
}

int match_index(t_treenode node, const char* text, int* size) {
    *size = 0;
    if (node == nullptr || text == nullptr) return -1;
    text_to_comp_array(text, 1);
    if (attr_index == 0) return -1;
    int values[MAXROWS];
    for (int i = 0; i < attr_index; i++) values[i] = attr[i].value;
    if (!all_values) {
        comp_attr c = find_attr(leafattributes(node));
        if (c == nullptr) {
            q_err("Table index attribute type not present in node", "", "");
            return -1;
        }
        for (int i = 0; i < attr_index; i++) values[i] = componentvalue(comp_attr_element(c, i + 1));
    }
    // The first component is the most significant; marked components only select the compound.
    long long index = 0;
    long long combinations = 1;
    for (int i = 0; i < attr_index; i++) {
        if (attr[i].decon) continue;
        int type = attr[i].type;
        int n = type > 0 && type < total_types ? attr_table[type].entries - 1 : 0;
        if (n <= 0 || values[i] < 1 || values[i] > n) {
            q_err("Table index attribute type not present in node", "", "");
            return -1;
        }
        index = index * n + (values[i] - 1);
        combinations *= n;
        if (index > INDEXCAP) index = INDEXCAP;
        if (combinations > INDEXCAP) combinations = INDEXCAP;
    }
    *size = static_cast<int>(combinations);
    return static_cast<int>(index);
}

// ---- Expressions ----

void addch(int c) {
    if (c != 0 && moutptr < MOUTMAX) moutput[moutptr++] = static_cast<char>(c);
}

bool pushptr(const char* text) {
    if (nestfailed || mstackptr >= MSTACKSIZE - 1) {
        if (!nestfailed) q_err("Morph expressions nested too deeply", "", "");
        nestfailed = true;
        return false;
    }
    mstack[++mstackptr] = text;
    tabptr = 0;
    return true;
}

void push_lsp_ptr(t_treenode node) {
    if (mstackptr < 0) return;
    lspstackptr = mstackptr;
    lspstack[lspstackptr] = node;
}

// A nested level reading `text` for `leaf`.
static void enter(const char* text, t_treenode leaf) {
    if (pushptr(text)) push_lsp_ptr(leaf);
}

// The leaf the current level refers to.
static t_treenode levelnode() { return lspstackptr >= 0 ? lspstack[lspstackptr] : current_node; }

int mint() {
    if (mstackptr < 0) return 0;
    const char*& p = mstack[mstackptr];
    long n = 0;
    for (; digit(*p); p++) {
        if (n < 100000) n = n * 10 + (*p - '0');
    }
    return static_cast<int>(n);
}

int m_ruleindex(const char* name) {
    for (int r = 0; r <= numrules; r++) {
        if (mrulename[r] == name) return r;
    }
    return -1;
}

int m_readrulename() {
    rulenamebuf.clear();
    if (mstackptr < 0) return -1;
    const char*& p = mstack[mstackptr];
    for (; identchar(static_cast<unsigned char>(*p)); p++) {
        if (rulenamebuf.size() < TABLEREFMAX) rulenamebuf += *p;
    }
    return m_ruleindex(rulenamebuf.c_str());
}

static int guardfor(t_treenode leaf, const char* text);

void m_rule(int number) {
    if (number < 0 || number > numrules || nestfailed) return;
    t_treenode leaf = levelnode();
    for (MSUBRULE* s = ruleheader[number]; s != nullptr; s = s->nextsub) {
        if (guardfor(leaf, s->guard.c_str())) {
            enter(s->mexp.c_str(), leaf);
            return;
        }
    }
}

// Element n (from 0) of a table; "|" inside double quotes does not end an element.
static const char* tableelement(const TABLE* t, long n) {
    const char* p = t->elements.c_str();
    bool quoted = false;
    while (n > 0 && *p != 0) {
        if (*p == '"') quoted = !quoted;
        if (*p == '|' && !quoted) n--;
        p++;
    }
    return p;
}

void m_table() {
    tablebuffer[tabptr] = 0;
    tabptr = 0;
    std::string ref(tablebuffer);
    size_t open = ref.find('(');
    std::string name = ref.substr(0, open);
    TABLE* t = tablelist;
    while (t != nullptr && t->tablename != name) t = t->next;
    if (t == nullptr) {
        q_err("Table not found", name.c_str(), "");
        return;
    }
    t_treenode leaf = levelnode();
    long long index = 0;
    if (open != std::string::npos) {
        for (const char* p = ref.c_str() + open + 1; *p != 0 && *p != ')';) {
            if (*p == ',') {
                p++;
                continue;
            }
            int size = 0;
            int v = match_index(leaf, p, &size);
            if (v < 0) return;
            index = index * size + v;
            if (index > INDEXCAP) index = INDEXCAP;
            while (*p != 0 && *p != ',' && *p != ')') p++;
        }
    }
    if (index >= t->count) {
        q_err("Table index too high", "", "");
        return;
    }
    enter(tableelement(t, static_cast<long>(index)), leaf);
}

static void addtableref(char c) {
    if (tabptr < TABLEREFMAX) tablebuffer[tabptr++] = c;
}

// "#n", or "#n.m" under lexical transformations: field n of the level's leaf (or of the m-th
// leaf from the one being inflected) becomes a nested level.
static void fieldreference() {
    int n = mint();
    int m = 0;
    const char*& p = mstack[mstackptr];
    if (MState == 1 && *p == '.' && digit(p[1])) {
        p++;
        m = mint();
    }
    t_treenode leaf = m > 0 ? traverseleaves(current_node, m - 1) : levelnode();
    const char* entry = entryof(leaf);
    const char* field = getfieldptr(entry, n);
    int length = entry != nullptr && n > 0 ? fieldlength(field) : 0;
    if (length == 0) {
        q_printf(MSGCORE, "Bad field reference: field %d from lsp %d", n, m);
        std::string word = entry != nullptr ? entryword(entry) : std::string();
        q_notice(q_place(), true, ("Bad field reference: field " + std::to_string(n) + " of the entry of \"" + word + "\"").c_str());
        return;
    }
    int slot = mstackptr + 1;
    if (slot >= MSTACKSIZE || nestfailed) {
        pushptr(nullptr);  // refused, with the message
        return;
    }
    levelcopy[slot].assign(field, static_cast<size_t>(length));
    enter(levelcopy[slot].c_str(), leaf);
}

void m_exp(const char* text) {
    moutptr = 0;
    tabptr = 0;
    mstackptr = -1;
    lspstackptr = -1;
    nestfailed = false;
    steps = 0;
    if (text != nullptr) enter(text, current_node);
    while (mstackptr >= 0) {
        const char*& p = mstack[mstackptr];
        char c = *p;
        if (c == 0 || c == '|') {
            mstackptr--;
            lspstackptr = mstackptr;
            tabptr = 0;
            continue;
        }
        if (++steps > MAXSTEPS) {
            q_err("Morph expression too long to evaluate", "", "");
            break;
        }
        p++;
        switch (c) {
            case ' ':
            case '+': break;
            case '"':
                for (; *p != 0 && *p != '"'; p++) addch(*p);
                if (*p == '"') p++;
                break;
            case '!': {
                t_treenode leaf = levelnode();
                if (leaf != nullptr) {
                    for (char ch : leaf->morphed_word) addch(ch);
                }
                break;
            }
            case '#': fieldreference(); break;
            case '$': {
                int rule = m_readrulename();
                if (rule < 0) {
                    q_err("Reference to non-existent morph rule", rulenamebuf.c_str(), "");
                } else {
                    m_rule(rule);
                }
                break;
            }
            case '&':
                if (moutptr > 0) addch(moutput[moutptr - 1]);
                break;
            case '-':
                if (moutptr > 0) moutptr--;
                break;
            case ')':
                addtableref(c);
                m_table();
                break;
            default: addtableref(c); break;
        }
    }
    mstackptr = -1;
    lspstackptr = -1;
    moutput[moutptr] = 0;
    MState = 0;
}

int morph_word(t_treenode node, int pass) {
    current_node = node;
    const char* entry = entryof(node);
    if (entry == nullptr || pass <= 0) return 0;
    const char* field = getfieldptr(entry, pass);
    int length = fieldlength(field);
    if (length == 0) return 0;
    std::string expression(field, static_cast<size_t>(length));
    m_exp(expression.c_str());
    node->morphed_word = moutput;
    return 1;
}

void morph_tree(t_treenode root, int pass) {
    if (root == nullptr) return;
    long visited = 0;
    for (t_treenode leaf = root->right; leaf != nullptr && visited < MAXLEAVES; leaf = leaf->right, visited++) {
        morph_word(leaf, pass);
    }
}

// ---- Guards ----

static const char* skipquoted(const char* p) {
    p++;
    while (*p != 0 && *p != '"') p++;
    return *p == '"' ? p + 1 : p;
}

// Past a field test's items: at its ">", or at the end of the guard when it has none.
static const char* skipitems(const char* p) {
    while (*p != 0 && *p != '>' && *p != ':') p = *p == '"' ? skipquoted(p) : p + 1;
    return p;
}

// Past a compound in stored text: names, dots, marks and variables.
static const char* skipcompound(const char* p) {
    for (;;) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == VARMARK && p[1] != 0) {
            p += 2;
        } else if (c != 0 && (identchar(c) || c == '.' || c == '/')) {
            p++;
        } else {
            return p;
        }
    }
}

// Moves guardptr over whole elements (quoted texts, groups, field tests) up to the first
// character of `stops` outside them, the ")" that closes the current group, or the end of the
// guard (":" or the end of the text).
static void moveright(const char* stops) {
    int depth = 0;
    const char* p = guardptr;
    while (*p != 0 && *p != ':') {
        unsigned char c = static_cast<unsigned char>(*p);
        if (depth == 0 && strchr(stops, c) != nullptr) break;
        if (c == '"') {
            p = skipquoted(p);
            continue;
        }
        if (c == '<') {
            p = skipitems(p + 1);
            if (*p == '>') p++;
            continue;
        }
        if (c == VARMARK && p[1] != 0) {
            p += 2;
            continue;
        }
        if (c == '(') depth++;
        if (c == ')') {
            if (depth == 0) break;
            depth--;
        }
        p++;
    }
    guardptr = p;
}

static void skipblanks() {
    while (*guardptr == ' ') guardptr++;
}

static bool connective(char c) { return c == 0 || c == ':' || c == ',' || c == '|' || c == ')'; }

// A leaf offset before an element: an optionally negative number and one separator character.
static void designator() {
    const char* p = guardptr;
    bool negative = *p == '-';
    if (negative) p++;
    if (!digit(*p)) return;
    long n = 0;
    for (; digit(*p); p++) {
        if (n < 100000) n = n * 10 + (*p - '0');
    }
    if (!connective(*p)) p++;
    current = static_cast<int>(negative ? -n : n);
    guardptr = p;
}

static int m_g();

static int grouptest() {
    guardptr++;
    if (defptr >= DEFSTACKSIZE) {
        q_err("Guard groups nested too deeply", "", "");
        moveright("");
        if (*guardptr == ')') guardptr++;
        return 0;
    }
    defstack[defptr++] = current;
    gdepth++;
    int v = m_g();
    gdepth--;
    current = defstack[--defptr];
    if (*guardptr == ')') guardptr++;
    return v;
}

static int compoundtest(t_treenode leaf) {
    const char* end = text_to_comp_array(guardptr, 1);
    guardptr = end > guardptr ? end : guardptr + 1;
    if (attr_index == 0 || leaf == nullptr) return 0;
    return find_attr(leafattributes(leaf)) != nullptr ? 1 : 0;
}

static int patterntest(t_treenode leaf) {
    const char* pattern = guardptr + 1;
    guardptr = skipquoted(guardptr);
    if (leaf == nullptr) return 0;
    return match_wild(pattern, leaf->morphed_word.c_str(), '"', 0);
}

static int readnumber(const char** p) {
    long n = 0;
    for (; digit(**p); (*p)++) {
        if (n < 100000) n = n * 10 + (**p - '0');
    }
    return static_cast<int>(n);
}

// "<f=items>" or "<f.m=items>": field f of the leaf's entry (or of the m-th leaf of the
// sequence that starts at the leaf being inflected) matches one of the items.
static int fieldtest(t_treenode leaf) {
    const char* p = guardptr + 1;
    int f = readnumber(&p);
    int m = 0;
    if (*p == '.') {
        p++;
        m = readnumber(&p);
    }
    bool wellformed = *p == '=';
    const char* items = wellformed ? p + 1 : p;
    const char* close = skipitems(items);
    guardptr = *close == '>' ? close + 1 : close;
    if (!wellformed || *close != '>') return 0;
    // Under a lexical transformation ".m" names the m-th LSP of the rule being run.
    t_treenode target = leaf;
    if (m > 0) target = MState == 1 ? lt_getlspptr(m) : traverseleaves(current_node, m - 1);
    const char* entry = entryof(target);
    if (entry == nullptr || f <= 0) return 0;
    const char* field = getfieldptr(entry, f);
    std::string item;
    bool quoted = false;
    for (const char* q = items;; q++) {
        if (q == close || (*q == ',' && !quoted)) {
            if (match_list(item.c_str(), field)) return 1;
            if (q == close) return 0;
            item.clear();
            continue;
        }
        if (*q == '"') quoted = !quoted;
        item += *q;
    }
}

static int pretest() {
    const char* end = guardptr;
    int status = find_pst(guardptr, 1, &end);
    guardptr = end > guardptr ? end : skipcompound(guardptr + 1);
    if (status == 1 || status == 2) q_err("Preselection: ", pre_error.c_str(), "");
    return status > 3 ? 1 : 0;
}

static int istest() {
    const char* end = guardptr;
    int form = analyze_pre(guardptr, &end);
    if (end <= guardptr) {
        end = skipcompound(guardptr + 1);
        if (static_cast<unsigned char>(*end) == PRECODE) end = skipcompound(end + 1);
    }
    guardptr = end;
    if (form != 1) {
        q_err("Guard following _is_ not in proper form", "", "");
        return 0;
    }
    if (pre_status != 6) {
        q_err("Preselection: ", pre_error.c_str(), "");
        return 0;
    }
    return bool_from_pre() ? 1 : 0;
}

// One element, after its designator if any. An element that is missing holds; a character
// that begins no element is passed over and fails.
static int m_f() {
    skipblanks();
    designator();
    skipblanks();
    unsigned char c = static_cast<unsigned char>(*guardptr);
    t_treenode leaf = traverseleaves(guardleaf, current);
    offset_node = leaf;
    bool noleaf = leaf == nullptr && current != 0;
    if (connective(static_cast<char>(c))) return 1;
    if (c == PRECODE) return pretest();
    if (c == ISCODE) return istest();
    if (c == '(') return grouptest();
    if (c == '*') {
        guardptr++;
        return noleaf ? 0 : 1;
    }
    if (c == '"') return patterntest(leaf);
    if (c == '<') return fieldtest(leaf);
    if (identchar(c) || c == '/' || c == '.' || c == VARMARK) return compoundtest(leaf);
    guardptr++;
    return 0;
}

// Elements joined by "," (or written side by side): a false one skips the rest of them.
static int conjunction() {
    for (;;) {
        int v = m_f();
        skipblanks();
        char c = *guardptr;
        if (c == 0 || c == ':' || c == ')' || c == '|') return v;
        if (c == ',') guardptr++;
        if (!v) {
            moveright("|");
            return 0;
        }
    }
}

// Conjunctions joined by "|" up to the end of the guard or group (left unconsumed): a true one
// skips the rest; each alternative starts at the offset in force where the group began.
static int m_g() {
    for (;;) {
        int v = conjunction();
        if (*guardptr != '|') return v;
        if (v) {
            moveright("");
            return 1;
        }
        guardptr++;
        current = gdepth > 0 ? defstack[defptr - 1] : 0;
    }
}

static int guardfor(t_treenode leaf, const char* text) {
    if (text == nullptr) return 0;
    guardleaf = leaf;
    guardptr = text;
    current = 0;
    defptr = 0;
    gdepth = 0;
    int v = m_g();
    if (*guardptr == ':') guardptr++;
    end_guard = guardptr;
    return v;
}

int m_guard(const char* text) { return guardfor(current_node, text); }

// ---- MPASSES ----

void setmorphpasses() {
    int t = param[1];
    if (t >= MAXPASSROWS) {
        diserr("tree number too large");
        return;
    }
    if (t < 0) {
        diserr("tree number cannot be negative");
        return;
    }
    if (param[2] == 0) {
        diserr("first pass cannot be null");
        return;
    }
    for (int i = 1; i <= 4; i++) morph_passes[t][i] = param[i + 1];
    morph_passes[t][5] = 0;
    if (t == 21) progress("phonology passes have been set");
}

}  // namespace zek

// Selecting an LT rule, enumerating the combinations of lexical entries that match its LSPs,
// and interpreting right sides.
#include "genra/lt_rule.h"

#include <cstdio>
#include <cstring>

#include "editor/corutils.h"
#include "editor/scrout.h"
#include "editor/syshandler.h"
#include "genra/attr_data.h"
#include "genra/input_base.h"
#include "genra/lex_scan.h"
#include "genra/lt_mem.h"
#include "genra/misc.h"
#include "genra/morphology.h"
#include "genra/terminal.h"
#include "genra/uninstall.h"
#include "genra/utilities.h"

namespace zek {

LTRULE* ltruleheader[MAXLTRULES];
int lt_rule_num = -1;
t_stacknode* StackPtr = nullptr;
int numwords = 0;
char lt_result[LTRESULTSIZE];
int resptr = 0;
int resoverflow = 0;

// ---- Variables ----

// Two bytes in 1..200, so that a stored right side holds no 0 byte.
std::string encode_lt_var(int index) {
    int v = index + 1;
    std::string code(1, static_cast<char>(LTVARCODE));
    code += static_cast<char>(1 + v / 200);
    code += static_cast<char>(1 + v % 200);
    return code;
}

int decode_lt_var(const char* p) {
    int hi = static_cast<unsigned char>(p[0]);
    int lo = hi != 0 ? static_cast<unsigned char>(p[1]) : 0;
    if (hi < 1 || lo < 1 || lo > 200) return -1;
    return (hi - 1) * 200 + (lo - 1) - 1;
}

int add_lt_delayed(int class_, int choice) {
    if (lt_delayptr >= DELAYSIZE) {
        q_err("   Ran out of table space for attributes", "", "");
        return -1;
    }
    lt_delayed[lt_delayptr] = {class_, choice, choice != -1 ? 1 : 0};
    return lt_delayptr++;
}

int lookup_var(const char* name, const lt_var_list* list) {
    for (; list != nullptr; list = list->next) {
        if (list->name == name) return list->index;
    }
    return -1;
}

static bool validindex(int index) { return index >= 0 && index < DELAYSIZE; }

std::vector<int> unbound_lt_vars(const lt_var_list* vars) {
    std::vector<int> unbound;
    for (; vars != nullptr; vars = vars->next) {
        if (validindex(vars->index) && !lt_delayed[vars->index].fixed) unbound.push_back(vars->index);
    }
    return unbound;
}

void fix_lt_vars(const std::vector<int>& unbound, std::vector<int>& fixed) {
    for (int index : unbound) {
        if (lt_delayed[index].fixed) fixed.push_back(index);
    }
}

void clear_lt_vars(std::vector<int>& fixed) {
    for (int index : fixed) {
        if (!validindex(index)) continue;
        lt_delayed[index].choice = -1;
        lt_delayed[index].fixed = 0;
    }
    fixed.clear();
}

// ---- Selecting and enumerating ----

static const LTRULE* selectedrule() {
    return lt_rule_num > 0 && lt_rule_num < MAXLTRULES ? ltruleheader[lt_rule_num] : nullptr;
}

void inittrans(int n) {
    lt_cleanup(1);
    if (n < 1 || n >= MAXLTRULES) {
        lt_rule_num = -1;
        q_printf(MSGCORE, "Rule number out of range: %d", n);
        return;
    }
    if (!(installed & QF_LX) || ltruleheader[n] == nullptr) {
        lt_rule_num = -1;
        q_printf(MSGCORE, "Rule has not been loaded yet - %d", n);
        return;
    }
    lt_rule_num = n;
    q_printf(MSGCORE, "LT rule selected: %d.", n);
}

// A new level for `lsp`; false (reported) when its class is not a terminal.
static bool pushlevel(t_treenode lsp) {
    const t_dict_lookup* d = lsp->dictionary;
    recnode* first = nullptr;
    if (d->class_ != "?") {
        int terminal = lookup_terminal(d->class_.c_str());
        if (terminal < 0) {
            q_printf(MSGCORE, "Terminal class not recognized - %s", d->class_.c_str());
            return false;
        }
        if (terminal < static_cast<int>(dictionary.size())) first = dictionary[static_cast<size_t>(terminal)];
    }
    t_stacknode* s = new t_stacknode();
    s->previous = StackPtr;
    s->lsp = lsp;
    s->DictionaryPtr = first;
    StackPtr = s;
    return true;
}

static void poplevel() {
    t_stacknode* s = StackPtr;
    if (s == nullptr) return;
    clear_lt_vars(s->fixedvars);
    s->lsp->dictionary->dictionary = nullptr;
    s->lsp->dictionary->error = 3;
    s->lsp->morphed_word.clear();
    StackPtr = s->previous;
    delete s;
}

void lt_cleanup(int reset) {
    while (StackPtr != nullptr) poplevel();
    if (reset) {
        numwords = 0;
        resoverflow = 0;
    }
}

// The word test: the pattern (without its own quotes, when it has them) against the entry's
// word between its quotes.
static bool wordmatches(const std::string& pattern, const char* entry) {
    if (pattern.empty()) return true;
    const char* p = pattern.c_str();
    char pe = 0;
    if (*p == '"') {
        p++;
        pe = '"';
    }
    bool quoted = entry[0] == '"';
    return match_wild(p, quoted ? entry + 1 : entry, pe, quoted ? '"' : '|') == 1;
}

int lt_matchfield(const char* f, const char* g) {
    if (f == nullptr || (f[0] == '?' && (f[1] == 0 || f[1] == '|'))) return 1;
    return match_pattlist(f, g);
}

int lt_getdictent(t_stacknode* s) {
    t_dict_lookup* d = s->lsp->dictionary;
    const LTRULE* rule = selectedrule();
    const lt_var_list* vars = rule != nullptr ? rule->rule_vars : nullptr;
    bool anyclass = d->class_ == "?";
    int terminals = static_cast<int>(dictionary.size());
    for (;;) {
        if (s->DictionaryPtr == nullptr) {
            clear_lt_vars(s->fixedvars);
            if (!anyclass) return 0;
            do {
                s->term_ind++;
            } while (s->term_ind < terminals && dictionary[static_cast<size_t>(s->term_ind)] == nullptr);
            if (s->term_ind >= terminals) return 0;
            s->DictionaryPtr = dictionary[static_cast<size_t>(s->term_ind)];
        }
        recnode* r = s->DictionaryPtr;
        s->DictionaryPtr = r->previous;
        const char* entry = r->recordptr;
        clear_lt_vars(s->fixedvars);
        if (static_cast<unsigned char>(entry[0]) == ILTCODE) continue;  // rules, not words
        std::vector<int> unbound = unbound_lt_vars(vars);
        int matched = match_attr(entry, d->attributes);
        fix_lt_vars(unbound, s->fixedvars);
        if (!matched) continue;
        if (!wordmatches(d->preferredchoice, entry)) continue;
        if (!d->fields.empty() && !match_lsp(d->fields.c_str(), entry)) continue;
        d->dictionary = r->recordptr;
        d->error = 0;
        s->lsp->morphed_word = entryword(entry);
        return 1;
    }
}

void exectrans() {
    const LTRULE* rule = selectedrule();
    if (rule == nullptr || rule->lsp1 == nullptr) {
        q_line(MSGCORE, 0, "No Rule has been initialized");
        return;
    }
    if (StackPtr == nullptr) {
        lt_cleanup(1);
        if (!pushlevel(rule->lsp1)) return;
    }
    MState = 1;
    for (;;) {
        if (interruptpending()) {
            q_printf(MSGCORE, "LT run interrupted: %d words generated; resumelx continues", numwords);
            break;
        }
        if (StackPtr == nullptr) {
            q_printf(MSGCORE, "Total Words Generated: %d.", numwords);
            lt_cleanup(1);
            break;
        }
        if (!roomfor(LTRESULTSIZE)) {
            q_printf(MSGCORE, "LT run stopped, the store is full: %d words generated; resumelx continues", numwords);
            break;
        }
        int found = lt_getdictent(StackPtr);
        if (found == 0) {
            poplevel();
            continue;
        }
        t_treenode next = StackPtr->lsp->right;
        if (next != nullptr) {
            if (!pushlevel(next)) {
                lt_cleanup(1);
                break;
            }
            continue;
        }
        numwords++;
        if (numwords % 100 == 0) {
            char text[64];
            snprintf(text, sizeof text, "%d words generated", numwords);
            progress(text);
        }
        if (!lt_apply_rule(rule, rule->lsp1, 1)) {
            lt_cleanup(1);
            break;
        }
        MState = 1;  // the morph expression evaluator leaves 0: later entries match as LT again
        q_line(corenum, OBJ_RECORD, lt_result);
    }
    MState = 0;
}

// ---- Right sides ----

void addchar(int c) {
    if (resptr < LTRESULTSIZE - 1) {
        lt_result[resptr++] = static_cast<char>(c);
    } else {
        resoverflow = 1;
    }
}

static void addtext(const char* s, size_t n) {
    for (size_t i = 0; i < n; i++) addchar(static_cast<unsigned char>(s[i]));
}

namespace {

struct component {
    std::string text;  // as written: sign and name
    int type;
    int value;  // -1 for a type name
    int sign;
};

}  // namespace

std::string remove_attr(const char* field, const std::vector<std::string>& removals) {
    struct removal {
        int type, value;
    };
    std::vector<removal> gone;
    for (const std::string& name : removals) {
        if (lookup_attr(name.c_str())) gone.push_back({att_class, att_value});
    }
    auto removed = [&](const component& c) {
        for (const removal& r : gone) {
            if (c.type != r.type) continue;
            if (r.value == -1) return true;
            if (c.value == r.value && c.sign == 0) return true;
        }
        return false;
    };
    std::string out;
    std::vector<component> compound;
    auto close = [&]() {
        std::string text;
        for (const component& c : compound) {
            if (removed(c)) continue;
            if (!text.empty()) text += ".";
            text += c.text;
        }
        if (!text.empty()) out += text + ",";
        compound.clear();
    };
    int sign = 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(field != nullptr ? field : "");
    while (*p != 0 && *p != '|') {
        if (*p == ATTRMARKER && p[1] != 0 && p[2] != 0) {
            int type = p[1];
            int value = p[2] == NOVALUE ? -1 : p[2];
            std::string text = sign != 0 ? std::string(1, static_cast<char>(sign)) : std::string();
            compound.push_back({text + att_get_name(type, value), type, value, sign});
            sign = 0;
            p += 3;
        } else if (*p == '<' || *p == '>') {
            sign = *p++;
        } else if (*p == '.') {
            p++;
        } else if (*p == ' ' || *p == ',') {
            close();
            sign = 0;
            p++;
        } else if (identchar(*p)) {
            std::string name;
            while (*p != 0 && identchar(*p)) name += static_cast<char>(*p++);
            int type = -1, value = -1;
            if (lookup_attr(name.c_str())) {
                type = att_class;
                value = att_value;
            }
            std::string text = sign != 0 ? std::string(1, static_cast<char>(sign)) : std::string();
            compound.push_back({text + name, type, value, sign});
            sign = 0;
        } else {
            compound.push_back({std::string(1, static_cast<char>(*p)), -1, -1, 0});
            p++;
        }
    }
    close();
    return out;
}

static int readdigits(const char** p, bool* any) {
    long n = 0;
    *any = false;
    while (**p >= '0' && **p <= '9') {
        if (n < 100000) n = n * 10 + (**p - '0');
        (*p)++;
        *any = true;
    }
    return static_cast<int>(n);
}

// "!" n [. m] [-name ...]: field n of the entry matched by LSP m.
static bool fieldreference(const char** pp, t_treenode node) {
    const char* p = *pp;
    bool any;
    int n = readdigits(&p, &any);
    if (!any || n < 1) {
        q_line(MSGCORE, 0, "   Syntax error near '!' in right hand side of rule ");
        return false;
    }
    int m = 1;
    if (*p == '.' && p[1] >= '0' && p[1] <= '9') {
        p++;
        m = readdigits(&p, &any);
    }
    std::vector<std::string> removals;
    if (n == 3) {
        // "-" and an attribute name: a removal; anything else after "-" is text.
        while (*p == '-' && identchar(static_cast<unsigned char>(p[1]))) {
            const char* q = p + 1;
            std::string name;
            while (identchar(static_cast<unsigned char>(*q))) name += *q++;
            if (!lookup_attr(name.c_str())) break;
            removals.push_back(name);
            p = q;
        }
    }
    *pp = p;
    t_treenode lsp = m >= 1 ? node : nullptr;
    for (int i = 1; i < m && lsp != nullptr; i++) lsp = lsp->right;
    const t_dict_lookup* d = lsp != nullptr ? lsp->dictionary : nullptr;
    const char* entry = d != nullptr && d->error == 0 && d->dictionary != noterminal ? d->dictionary : nullptr;
    const char* field = getfieldptr(entry, n);
    int length = entry != nullptr ? fieldlength(field) : 0;
    if (length == 0) {
        q_printf(MSGCORE, "   Bad LSP field reference -- field %d from lsp %d", n, m);
        return false;
    }
    if (n == 3) {
        std::string names = remove_attr(field, removals);
        addtext(names.data(), names.size());
    } else {
        addtext(field, static_cast<size_t>(length));
    }
    return true;
}

// "[" expression "]": evaluated for `node`; the word between double quotes.
static bool morphexpression(const char** pp, t_treenode node, int morph_state) {
    const char* start = *pp;
    const char* p = start;
    bool quoted = false;
    while (*p != 0 && (quoted || *p != ']')) {
        if (*p == '"') quoted = !quoted;
        p++;
    }
    if (*p != ']') {
        q_line(MSGCORE, 0, "   Expecting closing brace for morphology expression ");
        return false;
    }
    if (p - start > LTMEXPMAX) {
        q_line(MSGCORE, 0, "   Morphology string too long ");
        return false;
    }
    std::string expression(start, static_cast<size_t>(p - start));
    *pp = p + 1;
    int savedstate = MState;
    t_treenode savednode = current_node;
    current_node = node;
    MState = morph_state;
    m_exp(expression.c_str());
    MState = savedstate;
    current_node = savednode;
    addchar('"');
    addtext(moutput, strlen(moutput));
    addchar('"');
    return true;
}

int lt_apply_rule(const std::string& rhs, t_treenode node, int morph_state) {
    resptr = 0;
    resoverflow = 0;
    lt_result[0] = 0;
    if (rhs.empty()) {
        q_line(MSGCORE, 0, "   Right hand side of rule is null");
        return 0;
    }
    const char* p = rhs.c_str();
    while (*p != 0) {
        unsigned char c = static_cast<unsigned char>(*p++);
        if (c == '!') {
            if (!fieldreference(&p, node)) return 0;
        } else if (c == LTVARCODE && p[0] != 0 && p[1] != 0) {
            int index = decode_lt_var(p);
            p += 2;
            if (validindex(index)) {
                const char* name = att_get_name(lt_delayed[index].class_, lt_delayed[index].choice);
                addtext(name, strlen(name));
            }
        } else if (c == '[') {
            if (!morphexpression(&p, node, morph_state)) return 0;
        } else {
            addchar(c);
        }
    }
    lt_result[resptr] = 0;
    if (resoverflow) {
        q_line(MSGCORE, 0, "   Result of LT rule too long ");
        return 0;
    }
    return 1;
}

int lt_apply_rule(const LTRULE* ruleptr, t_treenode node, int morph_state) {
    if (ruleptr == nullptr) return 0;
    return lt_apply_rule(ruleptr->rhs, node, morph_state);
}

t_treenode lt_getlspptr(int n) {
    const LTRULE* rule = selectedrule();
    if (rule == nullptr) {
        q_line(MSGCORE, 0, "   Rule has not been selected yet ");
        return nullptr;
    }
    t_treenode lsp = n >= 1 ? rule->lsp1 : nullptr;
    for (int i = 1; i < n && lsp != nullptr; i++) lsp = lsp->right;
    if (lsp == nullptr) q_line(MSGCORE, 0, "      Bad LSP number");
    return lsp;
}

}  // namespace zek

// Storing a run's trees and chosen entries as text lines (into the current corefile or to the
// driver program), and RECOVER, which reads such lines back into trees, lookups and sentences.
#include "genra/print_procs.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <memory>

#include "editor/corutils.h"
#include "editor/dxio_xq.h"
#include "editor/sys_linux.h"
#include "editor/sysutils.h"
#include "genra/attr_data.h"
#include "genra/attr_fns.h"
#include "genra/input_base.h"
#include "genra/lex_read.h"
#include "genra/misc.h"
#include "genra/syn_globals.h"
#include "genra/uninstall.h"
#include "genra/utilities.h"

namespace zek {

int xmit = 0;
char signature[SIGNATURESIZE];
int siglen = 0;
std::vector<storedline> recoveredstrings[RECOVERTREES];
int nodetorecover = -1;
int nodecounter = 0;

// A recovered QUESTION and ANSWER store has trees without a ROOT tree: any root counts.
bool there_has_been_no_generation() {
    if (root != nullptr) return false;
    for (t_treenode r : rootPtrs) {
        if (r != nullptr) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Storing

namespace {
bool xmitfailed = false;  // the driver stopped reading during this store: the rest is dropped
bool linecut = false;     // a line of this store was too long for a corefile line
int skipped = 0;          // nodes of the tree being stored that lie beyond the path limit
}  // namespace

static bool driverconnected() { return progstate != 0 && zekoutput != nullptr; }

void transmit(const std::string& line) {
    if (xmit == 1 && driverconnected()) {
        if (xmitfailed) return;
        todriverf("%s\n", line.c_str());
        if (!flushdriver()) xmitfailed = true;
        return;
    }
    q_line(corenum, 0, line.c_str());
    if (line.size() > STORELINEMAX && !linecut) {
        linecut = true;
        q_printf(MSGCORE, "Stored line longer than %d characters cut: %.40s", STORELINEMAX, line.c_str());
    }
}

std::string storepath(int style) {
    if (style == 1) return siglen == 0 ? std::string("N|G|") : std::string(signature, static_cast<size_t>(siglen)) + "|G|";
    std::string indent;
    if (style == 2) {
        for (int i = 0; i < siglen; i++) {
            if (signature[i] == 'S') indent += "  ";
        }
    }
    return indent;
}

void storenode(t_treenode node, int style) {
    std::string line = storepath(style);
    line += node->name;
    line += '|';
    line += print_attr_list(node->attributes);
    line += '|';
    line += std::to_string(indirect_count(node->indirections));
    line += "|\"";
    line += node->morphed_word;
    line += "\"|";
    if (node->dictionary != nullptr && node->index >= 0) line += "LEX_" + std::to_string(node->index);
    line += '|';
    transmit(line);
}

static bool pushstep(char step) {
    if (siglen >= MAXPATHSTEPS) return false;
    signature[siglen++] = step;
    signature[siglen] = 0;
    return true;
}

// Nodes of t and below (not t's siblings).
static int countnodes(t_treenode t) {
    int n = 1;
    for (t_treenode c = t->son; c != nullptr; c = c->sibling) n += countnodes(c);
    return n;
}

static void skipfrom(t_treenode first) {
    for (t_treenode n = first; n != nullptr; n = n->sibling) skipped += countnodes(n);
}

// Writes `first`, whose path is in signature, then its subtree, then its later siblings. A
// node whose path would pass the fixed length is left out with everything after it.
static void storefrom(t_treenode first, int style) {
    int base = siglen;
    for (t_treenode n = first; n != nullptr; n = n->sibling) {
        if (n != first && !pushstep('R')) {
            skipfrom(n);
            break;
        }
        storenode(n, style);
        if (n->son == nullptr) continue;
        if (pushstep('S')) {
            storefrom(n->son, style);
            signature[--siglen] = 0;
        } else {
            skipfrom(n->son);
        }
    }
    siglen = base;
    signature[siglen] = 0;
}

void storetree(t_treenode tree, int style) {
    siglen = 0;
    signature[0] = 0;
    storenode(tree, style);
    if (tree->son != nullptr && pushstep('S')) storefrom(tree->son, style);
    siglen = 0;
    signature[0] = 0;
}

void storeleafnodes(t_treenode tree) {
    siglen = 0;
    signature[0] = 0;
    for (t_treenode leaf = tree->right; leaf != nullptr; leaf = leaf->right) storenode(leaf, 0);
}

void storesingle(t_treenode tree, int number, int style) {
    char head[32];
    snprintf(head, sizeof head, "$%c %d", style == 0 ? 'l' : 't', number);
    transmit(head);
    skipped = 0;
    if (style == 0) {
        storeleafnodes(tree);
    } else {
        storetree(tree, style);
    }
    if (skipped > 0) {
        q_printf(MSGCORE, "Tree %d: %d nodes lie more than %d steps from the root and are not stored", number, skipped,
                 MAXPATHSTEPS);
    }
}

// The attribute field of a compiled entry in names: components by their value (or type)
// name, signs and dots kept, compounds joined by ", ".
static std::string readablefield(const char* p, const char* end) {
    std::string out;
    bool incompound = false;
    bool first = true;
    while (p < end) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == ' ') {
            incompound = false;
            p++;
            continue;
        }
        if (!incompound) {
            if (!first) out += ", ";
            first = false;
            incompound = true;
        }
        if (c == ATTRMARKER) {
            if (end - p < 3) break;  // a cut component names nothing
            int type = static_cast<unsigned char>(p[1]);
            int value = static_cast<unsigned char>(p[2]);
            out += att_get_name(type, value == NOVALUE ? -1 : value);
            p += 3;
        } else {
            out += static_cast<char>(c);
            p++;
        }
    }
    return out;
}

std::string outputrecord(const char* entry) {
    if (entry == nullptr) return std::string();
    const char* field3 = getfieldptr(entry, 3);
    std::string out(entry, static_cast<size_t>(field3 - entry));
    if (*field3 == 0) return out;
    const char* end = field3 + fieldlength(field3);
    out += readablefield(field3, end);
    out += end;
    return out;
}

void storelexicon() {
    transmit("$L");
    for (int i = 0; i < d_table_count && i < MAXLOOKUPS; i++) {
        const t_dict_lookup& d = dict_table[i];
        if (d.error == 2) continue;
        std::string line = "{LEX_" + std::to_string(i) + "} ";
        bool entry = d.dictionary != nullptr && d.dictionary != noterminal;
        if (d.error == 0 && entry) {
            line += outputrecord(d.dictionary);
        } else if (d.error == 1) {
            line += "*terminal not found " + d.class_;
        } else if (!d.pointed_at) {
            line += "*unused";
        } else {
            line += "*no lexical entry found for " + d.class_;
        }
        transmit(line);
    }
}

void store(int style, int destination) {
    if (style < 0 || style > 2) return;
    xmit = destination;
    xmitfailed = false;
    linecut = false;
    transmit("$u");
    bool further = false;
    for (int i = 1; i < NUMROOTS; i++) further = further || rootPtrs[i] != nullptr;
    if (!further) {
        if (oldroot != nullptr) storesingle(oldroot, OLDROOTNUMBER, style);
        if (root != nullptr) storesingle(root, 0, style);
    } else {
        for (int i = 1; i < NUMROOTS; i++) {
            if (rootPtrs[i] != nullptr) storesingle(rootPtrs[i], i, style);
        }
    }
    storelexicon();
    transmit("%%");
    if (style == 1 && xmit == 1 && driverconnected()) transmit("=");
}

// ---------------------------------------------------------------------------------------------
// Recovering

namespace {

const char* const CAUSE = "Unable to recover tree. Cause:";

// What the lexicon section says about one lookup.
enum lookupkind { LK_NONE, LK_ENTRY, LK_NOENTRY, LK_NOTERMINAL, LK_UNUSED };
struct lookupline {
    lookupkind kind = LK_NONE;
    std::string class_;
    char* entry = nullptr;
};

// The label of a lexicon line ("{LEX_n}" at its start) and the first character after it.
struct lexlabel {
    int label;
    int first;
};

// State of one recovery.
struct recovery {
    int line = 0;  // logical lines (those the tokenizer ends with a line end) read so far
    std::map<int, lexlabel> labels;
    // Paths longer than an identifier, which the tokenizer cuts: the whole path by line.
    std::map<int, std::string> longpaths;
    bool labelsusable = true;
    int prevlookup = -1;
    lookupline lookups[MAXLOOKUPS];
    bool treeseen[RECOVERTREES] = {};
    bool treefull = false;
    bool attributeswarned = false;
    int reports = 0;
};
recovery* rec = nullptr;

}  // namespace

// A failure of recovery as an error line in corefile 7; only the first few are listed.
static void fault(const char* msga, const std::string& msgb) {
    if (rec != nullptr && ++rec->reports > MAXREPORTS) return;
    q_err(msga, msgb.c_str(), "");
}

static bool endmark(int tok) { return tok == TOK_PERCENT || (tok == TOK_IDENT && identbuf[0] == '%'); }

// "LEX_n" (or the comment text "LEX_n") as n; -1 when it is not of that form.
static int lexnumber(const std::string& text) {
    if (text.compare(0, 4, "LEX_") != 0 || text.size() == 4 || text.size() > 13) return -1;
    long n = 0;
    for (size_t i = 4; i < text.size(); i++) {
        if (text[i] < '0' || text[i] > '9') return -1;
        n = n * 10 + (text[i] - '0');
    }
    return static_cast<int>(n);
}

// Reads the file raw for what the tokenizer cannot deliver: the "{LEX_n}" labels, which it
// skips as comments, and node paths longer than an identifier. Lines are counted as the
// tokenizer ends them: a line end inside a comment does not end the line, one inside quotes
// ends the quote too. False when the file cannot be opened.
static bool prescan(const char* filename, recovery& r) {
    FILE* f = fopenregular(filename, "r");
    if (f == nullptr) return false;
    std::map<int, lexlabel>& labels = r.labels;
    int line = 0;
    int state = 0;  // 0 plain, 1 quoted, 2 comment
    bool start = true;
    int label = -1;
    std::string comment;
    std::string word;
    std::string path;  // the line's first field while it holds only path steps
    bool inpath = true;
    bool directive = false;
    int c;
    while ((c = getc(f)) != EOF) {
        if (state == 2) {
            if (c == '}') {
                state = 0;
                if (start && label < 0) label = lexnumber(comment);
            } else if (comment.size() < 16) {
                comment += static_cast<char>(c);
            }
            continue;
        }
        if (state == 0 && identchar(c)) {
            if (word.size() < 16) word += static_cast<char>(c);
        } else if (!word.empty()) {
            // Inclusions and macro definitions change the line count the tokenizer sees.
            directive = directive || word == "%INCLUDE" || word == "%include" || word == "%define";
            word.clear();
        }
        if (c == '\n') {
            line++;
            start = true;
            label = -1;
            state = 0;
            path.clear();
            inpath = true;
            continue;
        }
        if (state == 1) {
            if (c == '"') state = 0;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c < 32 || c == 127) continue;
        if (c == '{') {
            state = 2;
            comment.clear();
            continue;
        }
        if (start) {
            if (label >= 0 && labels.size() < 4u * MAXLOOKUPS) labels[line] = {label, c};
            start = false;
        }
        if (inpath && (c == 'S' || c == 'R')) {
            if (path.size() <= static_cast<size_t>(MAXPATHSTEPS)) path += static_cast<char>(c);
        } else if (inpath) {
            inpath = false;
            if (c == '|' && path.size() > static_cast<size_t>(IDENTMAX) && r.longpaths.size() < 4u * MAXNODELINES) {
                r.longpaths[line] = path;
            }
        }
        if (c == '"') state = 1;
    }
    fclose(f);
    if (directive) {
        labels.clear();
        r.longpaths.clear();
    }
    return true;
}

// The lookup number of the lexicon line now starting with token `tok`: its label when the
// labels are in step with the lines, else the one after the previous line's.
static int lookupnumber(int tok) {
    int n = rec->prevlookup + 1;
    auto it = rec->labels.find(rec->line);
    if (rec->labelsusable && it != rec->labels.end()) {
        int first = it->second.first;
        bool same = tok == TOK_QUOTE ? first == '"'
                    : tok == TOK_IDENT ? first == static_cast<unsigned char>(identbuf[0])
                    : tok < 32         ? identchar(first)  // a reserved word
                                       : first == tok;
        if (same) {
            n = it->second.label;
        } else {
            rec->labelsusable = false;
            fault("Lexicon labels out of step with the lines: lookups numbered in order", "");
        }
    }
    rec->prevlookup = n;
    return n;
}

static lookupline* lookupslot(int n) {
    if (n < 0 || n >= MAXLOOKUPS) {
        fault("Lookup number out of range:", std::to_string(n));
        return nullptr;
    }
    lookupline* l = &rec->lookups[n];
    if (l->kind != LK_NONE) fault("Lookup given twice:", std::to_string(n));
    return l;
}

// A lexicon line for a lookup without an entry: "*no lexical entry found for X",
// "*terminal not found X" or "*unused".
static void starline(int n) {
    std::vector<std::string> words;
    q_next();
    int tok;
    while ((tok = q_peep()) != TOK_LF && tok != TOK_EOF) {
        if (words.size() < 8) words.push_back(tok == TOK_IDENT ? std::string(identbuf) : std::string(1, static_cast<char>(tok)));
        q_next();
    }
    if (tok == TOK_LF) q_next();
    auto says = [&](std::initializer_list<const char*> text) {
        size_t i = 0;
        for (const char* w : text) {
            if (i >= words.size() || words[i] != w) return false;
            i++;
        }
        return true;
    };
    lookupline line;
    if (says({"no", "lexical", "entry", "found", "for"})) {
        line.kind = LK_NOENTRY;
        if (words.size() > 5) line.class_ = words[5];
    } else if (says({"terminal", "not", "found"})) {
        line.kind = LK_NOTERMINAL;
        if (words.size() > 3) line.class_ = words[3];
    } else if (says({"unused"})) {
        line.kind = LK_UNUSED;
    } else {
        fault("Unknown lookup line for lookup", std::to_string(n));
        return;
    }
    if (lookupline* l = lookupslot(n)) *l = line;
}

// Steps over empty lines; false at the end of a section (the file's end, "$" or an end mark).
static bool sectionline() {
    for (;;) {
        int tok = q_peep();
        if (tok == TOK_EOF || tok == '$' || endmark(tok)) return false;
        if (tok != TOK_LF) return true;
        q_next();
        rec->line++;
    }
}

// The lexicon section: each line an entry of the read-back list, or a lookup without entry.
static void restorelexicon() {
    rec->prevlookup = -1;
    while (sectionline()) {
        int tok = q_peep();
        int n = lookupnumber(tok);
        if (tok == '*') {
            starline(n);
        } else {
            int before = lastrestored;
            readentry(0);
            if (lastrestored > before) {
                if (lookupline* l = lookupslot(n)) {
                    l->kind = LK_ENTRY;
                    l->entry = restoredlexarray[lastrestored - 1]->recordptr;
                }
            }
        }
        rec->line++;
    }
}

// The fields of one line, closed by "|" outside quotes; quotes are dropped, blanks outside
// them are lost to the tokenizer. Fields and their lengths are bounded.
static std::vector<std::string> readfields() {
    std::vector<std::string> fields(1);
    bool quoted = false;
    int tok;
    while ((tok = q_peep()) != TOK_LF && tok != TOK_EOF) {
        std::string& f = fields.back();
        if (tok == TOK_QUOTE) {
            quoted = !quoted;
        } else if (tok == '|' && !quoted) {
            if (fields.size() < 16) fields.emplace_back();
        } else if (f.size() < STORELINEMAX) {
            if (tok == TOK_IDENT) {
                f += identbuf;
            } else {
                f += static_cast<char>(tok);
            }
        }
        q_next();
    }
    if (tok == TOK_LF) q_next();
    return fields;
}

static const char* pathproblem(const std::string& path) {
    if (path == "N") return nullptr;
    if (path.empty() || path.find_first_not_of("SR") != std::string::npos) return "Invalid node path:";
    if (path.size() > static_cast<size_t>(MAXPATHSTEPS)) return "Node path longer than 99 steps:";
    if (path[0] != 'S') return "Node path leads out of the tree:";
    return nullptr;
}

void xrestorenode(int kind) {
    rec->treefull = false;
    while (sectionline()) {
        int at = rec->line;
        std::vector<std::string> f = readfields();
        rec->line++;
        if (nodetorecover < 0) continue;
        nodecounter++;
        snprintf(file_position, sizeof file_position, "tree %d, node line %d",
                 nodetorecover == OLDROOTSLOT ? OLDROOTNUMBER : nodetorecover, nodecounter);
        std::vector<storedline>& lines = recoveredstrings[nodetorecover];
        if (lines.size() >= static_cast<size_t>(MAXNODELINES)) {
            if (!rec->treefull) fault("More than 1024 node lines: the rest of the tree is not recovered", "");
            rec->treefull = true;
            continue;
        }
        size_t k = kind == 1 ? 2 : 0;
        if (f.size() < k + 5) {
            fault(kind == 1 ? "Not a node line of a full tree" : "Incomplete node line", "");
            continue;
        }
        storedline s;
        s.list = kind == 0;
        s.number = nodecounter;
        if (kind == 1) {
            s.path = f[0];
            auto whole = rec->longpaths.find(at);
            if (whole != rec->longpaths.end() && whole->second.compare(0, s.path.size(), s.path) == 0) s.path = whole->second;
            if (const char* problem = pathproblem(s.path)) {
                fault(problem, s.path.substr(0, 40));
                continue;
            }
            if (f[1] != "G") {
                fault("Not a node line of a full tree", "");
                continue;
            }
        }
        s.name = f[k];
        s.attributes = f[k + 1];
        s.word = f[k + 3];
        const std::string& lex = f[k + 4];
        if (!lex.empty()) {
            int n = lexnumber(lex);
            if (n < 0) {
                fault("Invalid lookup:", lex.substr(0, 40));
            } else if (n >= MAXLOOKUPS) {
                fault("Lookup number out of range:", lex.substr(0, 40));
            } else {
                s.lookup = n;
            }
        }
        lines.push_back(std::move(s));
    }
}

static t_treenode& slotroot(int slot) {
    if (slot == 0) return root;
    if (slot == OLDROOTSLOT) return oldroot;
    return rootPtrs[slot];
}

// The slot of a stored tree number: 0, 1 to 20, or the old ROOT; -1 for any other.
static int treeslot(const char* text) {
    char* end = nullptr;
    long n = strtol(text, &end, 10);
    if (*text == 0 || *end != 0) return -1;
    if (n == OLDROOTNUMBER) return OLDROOTSLOT;
    return n >= 0 && n < NUMROOTS ? static_cast<int>(n) : -1;
}

// The compounds of a node line's attribute field ("noun.sing,verb").
static attr_list nodeattributes(const std::string& text) {
    attr_list list = nullptr;
    if (text.empty()) return list;
    if (total_types <= 1) {
        if (!rec->attributeswarned) fault("No attributes loaded: the nodes' attributes are not recovered", "");
        rec->attributeswarned = true;
        return list;
    }
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        std::string compound = text.substr(start, comma - start);
        start = comma + 1;
        if (compound.empty()) continue;
        bool plain = true;
        for (char c : compound) plain = plain && (c == '.' || identchar(static_cast<unsigned char>(c)));
        if (!plain) {
            fault("Invalid attribute text:", compound.substr(0, 40));
            continue;
        }
        // Names are checked here so that a file of unknown names gives a bounded report.
        std::string unknown;
        for (size_t from = 0; from < compound.size() && unknown.empty();) {
            size_t dot = std::min(compound.find('.', from), compound.size());
            std::string name = compound.substr(from, dot - from);
            if (!name.empty() && (name.size() > static_cast<size_t>(IDENTMAX) || !lookup_attr(name.c_str()))) unknown = name;
            from = dot + 1;
        }
        if (!unknown.empty()) {
            fault("Unknown attribute", unknown.substr(0, 40));
            continue;
        }
        text_to_comp_struct(compound.c_str(), 0);
        if (comp_attr_register != nullptr) add_attr_to_list(&list, comp_attr_register);
        comp_attr_register = nullptr;
    }
    return list;
}

// The compounds of a compiled entry's attribute field, as a lookup's attributes.
static attr_list entryattributes(const char* entry) {
    attr_list list = nullptr;
    comp_attr c = nullptr;
    const char* p = getfieldptr(entry, 3);
    const char* end = p + fieldlength(p);
    while (p < end) {
        unsigned char b = static_cast<unsigned char>(*p);
        if (b == ATTRMARKER && end - p >= 3) {
            int type = static_cast<unsigned char>(p[1]);
            int value = static_cast<unsigned char>(p[2]);
            if (type < total_types) add_comp_attr(&c, newdelay(type, value == NOVALUE ? -1 : value));
            p += 3;
            continue;
        }
        if (b == ' ' && c != nullptr) {
            add_attr_to_list(&list, c);
            c = nullptr;
        }
        p++;
    }
    if (c != nullptr) add_attr_to_list(&list, c);
    return list;
}

// Field 2 of an entry: its terminal.
static std::string entryterminal(const char* entry) {
    const char* f = getfieldptr(entry, 2);
    return std::string(f, static_cast<size_t>(fieldlength(f)));
}

// The lookups named by the lexicon section and by the node lines, numbered as stored.
static void makelookups() {
    int count = 0;
    for (int i = 0; i < MAXLOOKUPS; i++) {
        if (rec->lookups[i].kind != LK_NONE) count = i + 1;
    }
    for (const std::vector<storedline>& lines : recoveredstrings) {
        for (const storedline& s : lines) count = std::max(count, s.lookup + 1);
    }
    for (int i = 0; i < count; i++) {
        t_dict_lookup& d = dict_table[i];
        purge_attr_list(&d.attributes);
        d = t_dict_lookup();
        const lookupline& l = rec->lookups[i];
        switch (l.kind) {
            case LK_ENTRY:
                d.class_ = entryterminal(l.entry);
                d.dictionary = l.entry;
                d.attributes = entryattributes(l.entry);
                d.pointed_at = 1;
                break;
            case LK_NOENTRY:
                d.class_ = l.class_;
                d.error = 3;
                d.pointed_at = 1;
                break;
            case LK_NOTERMINAL:
                d.class_ = l.class_;
                d.dictionary = noterminal;
                d.error = 1;
                d.pointed_at = 1;
                break;
            case LK_UNUSED:
            case LK_NONE: break;
        }
    }
    d_table_count = count;
}

static void fillnode(t_treenode node, const storedline& s) {
    node->name = s.name;
    purge_attr_list(&node->attributes);
    node->attributes = nodeattributes(s.attributes);
    node->morphed_word = s.word;
    if (s.lookup >= 0) {
        node->dictionary = &dict_table[s.lookup];
        node->index = s.lookup;
    }
}

// Places one node line in its tree: by its path, or as the next leaf of a list.
static void placeline(t_treenode tree, const storedline& s) {
    if (s.list) {
        t_treenode* last = &tree->son;
        while (*last != nullptr) last = &(*last)->sibling;
        *last = makenode("");
        fillnode(*last, s);
        return;
    }
    if (s.path == "N") {
        fillnode(tree, s);
        return;
    }
    t_treenode at = tree;
    for (size_t i = 0; i + 1 < s.path.size(); i++) {
        at = s.path[i] == 'S' ? at->son : at->sibling;
        if (at == nullptr) {
            fault("Node path leads out of the tree:", s.path.substr(0, 40));
            return;
        }
    }
    t_treenode* place = s.path.back() == 'S' ? &at->son : &at->sibling;
    if (*place != nullptr) {
        fault("Node given twice:", s.path.substr(0, 40));
        return;
    }
    *place = makenode("");
    fillnode(*place, s);
}

static void placetrees() {
    for (int slot = 0; slot < RECOVERTREES; slot++) {
        if (!rec->treeseen[slot]) continue;
        int number = slot == OLDROOTSLOT ? OLDROOTNUMBER : slot;
        t_treenode& tree = slotroot(slot);
        if (tree == nullptr) tree = makenode(slot == 0 ? "ROOT" : slot == OLDROOTSLOT ? "OLDROOT" : tree_roots[slot].name);
        for (const storedline& s : recoveredstrings[slot]) {
            snprintf(file_position, sizeof file_position, "tree %d, node line %d", number, s.number);
            placeline(tree, s);
        }
        thread(tree);
        if (slot < NUMROOTS) {
            snprintf(sentbuf, sizeof sentbuf, "%s", new_extract_sentence(tree).c_str());
            postmorph();
            genSentences[slot] = sentbuf2;
        }
    }
}

// Reads the file: "$" lines switch the mode, node lines and lexicon lines follow them, "%"
// ends. False when the file ended before "%" or an invalid "$" line stopped the reading.
static bool readstored(bool& lexiconseen, bool& treeseen) {
    for (;;) {
        int tok = q_peep();
        if (tok == TOK_EOF) {
            fault("The stored trees end before \"%%\": the file may be cut short", "");
            return false;
        }
        if (endmark(tok)) return true;
        if (tok == TOK_LF) {
            q_next();
            rec->line++;
            continue;
        }
        if (tok != '$') {  // a line outside any section
            q_skipline();
            rec->line++;
            continue;
        }
        q_next();
        file_position[0] = 0;
        if (q_peep() != TOK_IDENT) {
            q_err(CAUSE, "Invalid identifier encountered.", "");
            return false;
        }
        std::string id = identbuf;
        q_next();
        if (id == "t" || id == "l") {
            std::string number = q_peep() == TOK_IDENT ? identbuf : "";
            int slot = treeslot(number.c_str());
            if (slot < 0) fault("Invalid tree number:", number.substr(0, 40));
            nodetorecover = slot;
            nodecounter = 0;
            q_skipline();
            rec->line++;
            if (slot >= 0) {
                rec->treeseen[slot] = true;
                treeseen = true;
            }
            xrestorenode(id == "t" ? 1 : 0);
        } else if (id == "L") {
            q_skipline();
            rec->line++;
            lexiconseen = true;
            restorelexicon();
        } else {  // "u", the header, and any other identifier: the line is skipped
            q_skipline();
            rec->line++;
        }
    }
}

void restorenode(const char* filename) {
    file_operation = "stored tree input";
    file_position[0] = 0;
    if (filename == nullptr || filename[0] == 0) {
        q_err(CAUSE, "RECOVER filename not specified.", "");
        file_operation = "";
        return;
    }
    std::unique_ptr<recovery> state = std::make_unique<recovery>();
    rec = state.get();
    if (!prescan(filename, *rec)) {
        std::string cause = "RECOVER filename [" + std::string(filename) + "] does not exist or insufficient access";
        q_err(CAUSE, cause.c_str(), "");
        file_operation = "";
        rec = nullptr;
        return;
    }
    // The stored lookups are numbered from 0: a global preselection cannot keep its own.
    if (installed & QF_GP) uninstall(QF_GP);
    clear_SE_PRE(1);
    for (std::vector<storedline>& lines : recoveredstrings) lines.clear();
    numerrors = 0;
    nodetorecover = -1;
    nodecounter = 0;

    openfile(filename, 1);
    bool lexiconseen = false;
    bool treeseen = false;
    readstored(lexiconseen, treeseen);
    q_skipall();  // closes the file with its report
    file_position[0] = 0;
    if (treeseen && !lexiconseen) fault("No lexicon section: the lookups are not recovered", "");
    makelookups();
    placetrees();
    for (int i = 0; i < NUMROOTS; i++) generated = generated || rootPtrs[i] != nullptr;
    generated = generated || root != nullptr;
    nodetorecover = -1;
    file_position[0] = 0;
    file_operation = "";
    rec = nullptr;
}

}  // namespace zek

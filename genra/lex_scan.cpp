// Selecting lexical entries by terminal, word pattern, attributes and fields, and changing
// their frequencies.
#include "genra/lex_scan.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

#include "editor/scrin.h"
#include "editor/scrout.h"
#include "genra/attr_data.h"
#include "genra/attr_fns.h"
#include "genra/ilt.h"
#include "genra/input_base.h"
#include "genra/lt_rule.h"
#include "genra/syn_cf.h"
#include "genra/terminal.h"
#include "genra/utilities.h"

namespace zek {

std::vector<recnode*> nodearray;
std::vector<long> prob_array;
int numnodes = 0;
long prob_tot = 0;

static lex_comp lexatt[MAXLEXATT];
static int lexatt_index = 0;

long entryfrequency(const char* entry) { return atol(getfieldptr(entry, 4)); }

// The compounds of the entry's attribute field, in stored order; returns the start of the
// field after it (the frequency).
static const char* entrycompounds(const char* entry) {
    lexatt_index = 0;
    // Fields 1 and 2 hold no attribute bytes: two bars lead to field 3.
    const char* bar = strchr(entry, '|');
    if (bar != nullptr) bar = strchr(bar + 1, '|');
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bar != nullptr ? bar + 1 : entry + strlen(entry));
    while (*p != 0 && *p != '|' && lexatt_index < MAXLEXATT) {
        while (*p == ' ') p++;
        if (*p == 0 || *p == '|') break;
        lex_comp& c = lexatt[lexatt_index];
        c.start = p;
        c.count = 0;
        while (*p != 0 && *p != ' ' && *p != '|') {
            if (*p == ATTRMARKER && p[1] != 0 && p[2] != 0) {
                c.count++;
                p += 3;
            } else {
                p++;
            }
        }
        if (c.count > 0) lexatt_index++;
    }
    while (*p != 0 && *p != '|') p++;  // compounds past the table's size
    return reinterpret_cast<const char*>(*p == '|' ? p + 1 : p);
}

// The components of a compiled compound: sign, type, value.
struct component {
    int sign, type, value;
};
static int components(const lex_comp& c, component* out) {
    int n = 0;
    int sign = 0;
    for (const unsigned char* p = c.start; n < c.count && *p != 0;) {
        if (*p == '<' || *p == '>') {
            sign = *p++;
        } else if (*p == ATTRMARKER) {
            out[n++] = {sign, p[1], p[2]};
            sign = 0;
            p += 3;
        } else {
            p++;
        }
    }
    return n;
}

// Whether the entry compound agrees with the working rows; the values an entry gives to rows
// without one are written back to the lexical transformation entries they came from.
static bool match_comp(const lex_comp& c) {
    if (c.count != attr_index || c.count > MAXROWS) return false;
    component parts[MAXROWS];
    components(c, parts);
    int noted[MAXROWS];
    for (int i = 0; i < attr_index; i++) {
        noted[i] = -1;
        if (parts[i].type != attr[i].type) return false;
        if (parts[i].value == NOVALUE) continue;
        if (attr[i].value == -1) {
            noted[i] = parts[i].value;
        } else if (!valid(parts[i].sign, attr[i].type, parts[i].value, attr[i].value)) {
            return false;
        }
    }
    for (int i = 0; i < attr_index; i++) {
        if (noted[i] == -1) continue;
        attr[i].lttmp = noted[i];
        if (attr[i].ltindex >= 0 && attr[i].ltindex < DELAYSIZE) {
            lt_delayed[attr[i].ltindex].choice = noted[i];
            lt_delayed[attr[i].ltindex].fixed = 1;
        }
    }
    return true;
}

// Whether some compound of the entry parsed last agrees with the working rows.
static int matchparsed() {
    if (attr_index == 0) return 1;
    for (int i = 0; i < lexatt_index; i++) {
        int firsttype = lexatt[i].start[0] == ATTRMARKER ? lexatt[i].start[1] : lexatt[i].start[2];
        if (firsttype > attr[0].type) return 0;  // compounds are sorted by their first type
        if (match_comp(lexatt[i])) return 1;
    }
    return 0;
}

int match_single_attr(const char* entry) {
    entrycompounds(entry);
    return matchparsed();
}

// The entry's compounds are parsed once for all the requested compounds.
static int matchattributes(attr_list list) {
    for (; list != nullptr; list = list->next) {
        if (MState == 1) {
            lt_decompose_comp_attr(list->first);
        } else {
            decompose_comp_attr(list->first);
        }
        if (!matchparsed()) return 0;
    }
    return 1;
}

int match_attr(const char* entry, attr_list list) {
    entrycompounds(entry);
    return matchattributes(list);
}

// The entry's word test: the pattern against the word between its quotes.
static bool wordmatches(const std::string& pattern, const char* entry) {
    if (pattern.empty()) return true;
    const char* word = entry[0] == '"' ? entry + 1 : entry;
    return match_wild(pattern.c_str(), word, 0, entry[0] == '"' ? '"' : '|') == 1;
}

// The candidates of a lookup depend only on its terminal, word pattern, fields and the rows its
// compounds decompose into, while the lexicon and the attribute tables stay as they are; the
// generator repeats the same few lookups in every run. So the candidates found by one scan are
// kept under those keys, with the running totals of their frequencies, and a repeated lookup
// draws from them without scanning: its cost no longer grows with the lexicon. The candidates
// keep the scan's order, so a draw picks exactly the entry the scan would have led to.
namespace {

struct candidate {
    recnode* node;
    long total;  // the frequencies up to and including this candidate
};

struct lookupmemo {
    std::vector<candidate> candidates;
    recnode* lastscanned = nullptr;  // the last entry that passed the word test
    unsigned long stamp = 0;         // frequencystamp when the totals were made
};

std::unordered_map<std::string, lookupmemo> memo;
std::string memokey;
size_t memocandidates = 0;        // candidates held in memo, all keys together
size_t lexiconentries = 0;        // entries in the lexicon
unsigned long frequencystamp = 1;  // changes whenever an entry's frequency is changed

// The memo holds at most a few candidates for each entry of the lexicon (the example grammar's
// lookups need about two and a half), 16 bytes each; past that it is emptied and fills again.
constexpr size_t MEMOPERENTRY = 4;
constexpr size_t MEMOSLACK = 4096;

}  // namespace

void forget_lookups() {
    memo.clear();
    memocandidates = 0;
}

void lexicon_grown() {
    lexiconentries++;
    if (!memo.empty()) forget_lookups();
}

void lexicon_cleared() {
    lexiconentries = 0;
    forget_lookups();
}

// The memo key of a lookup, in memokey; false for a lookup the memo does not take: one whose
// compound is too long for the rows (the scan reports that for every entry it tries).
static bool makekey(const t_dict_lookup* lookup, int terminal) {
    memokey.clear();
    auto putint = [](long v) { memokey.append(reinterpret_cast<const char*>(&v), sizeof v); };
    auto putstring = [&](const std::string& text) {
        putint(static_cast<long>(text.size()));
        memokey += text;
    };
    putint(terminal);
    putstring(lookup->preferredchoice);
    putstring(lookup->fields);
    for (attr_list list = lookup->attributes; list != nullptr; list = list->next) {
        int n = attr_seg_count(list->first);
        if (n > MAXROWS) return false;
        putint(n);
        for (int i = 1; i <= n; i++) {
            const t_delay& d = delayed[comp_attr_element(list->first, i)];
            putint(d.class_);
            putint(d.choice);
        }
    }
    return true;
}

// The totals of the frequencies as they stand now.
static void retotal(lookupmemo& m) {
    long total = 0;
    for (candidate& c : m.candidates) {
        total += atol(entrycompounds(c.node->recordptr));
        c.total = total;
    }
    m.stamp = frequencystamp;
}

// The candidates of the lookup among the terminal's entries, in the lexicon's order (the entry
// read last first), with the running totals of their frequencies.
static void scaninto(lookupmemo& m, const t_dict_lookup* lookup, int terminal) {
    m.candidates.clear();
    m.lastscanned = nullptr;
    long prob = 0;
    for (recnode* r = dictionary[static_cast<size_t>(terminal)]; r != nullptr; r = r->previous) {
        const char* entry = r->recordptr;
        if (!wordmatches(lookup->preferredchoice, entry)) continue;
        m.lastscanned = r;
        const char* frequency = entrycompounds(entry);
        if (!matchattributes(lookup->attributes)) continue;
        if (!lookup->fields.empty() && !match_lsp(lookup->fields.c_str(), entry)) continue;
        prob += atol(frequency);
        m.candidates.push_back({r, prob});
    }
    m.stamp = frequencystamp;
}

void locate_matches(t_dict_lookup* lookup, int terminal) {
    nodearray.clear();
    prob_array.clear();
    if (terminal >= 0 && terminal < static_cast<int>(dictionary.size())) {
        static lookupmemo found;
        scaninto(found, lookup, terminal);
        for (const candidate& c : found.candidates) {
            nodearray.push_back(c.node);
            prob_array.push_back(c.total);
        }
    }
    numnodes = static_cast<int>(nodearray.size());
    prob_tot = prob_array.empty() ? 0 : prob_array.back();
}

// The candidates of the lookup from the memo, scanning on the first use of its key; nullptr
// where the memo does not apply (lexical transformations match against rows that each entry
// changes, so they always scan).
static const lookupmemo* memoized(const t_dict_lookup* lookup, int terminal) {
    if (MState != 0 || terminal >= static_cast<int>(dictionary.size()) || !makekey(lookup, terminal)) return nullptr;
    auto found = memo.find(memokey);
    if (found == memo.end()) {
        lookupmemo m;
        scaninto(m, lookup, terminal);
        if (memocandidates + m.candidates.size() > MEMOPERENTRY * lexiconentries + MEMOSLACK) forget_lookups();
        memocandidates += m.candidates.size();
        return &memo.emplace(memokey, std::move(m)).first->second;
    }
    lookupmemo& m = found->second;
    if (m.stamp != frequencystamp) {
        // Fields may test the frequency field itself: then the candidates are found again.
        if (!lookup->fields.empty()) {
            memocandidates -= m.candidates.size();
            scaninto(m, lookup, terminal);
            memocandidates += m.candidates.size();
            return &m;
        }
        retotal(m);
    }
    // The scan leaves the rows and compounds of the last entry it tried; later steps may read
    // them, so they are made again from that entry.
    if (m.lastscanned != nullptr) {
        entrycompounds(m.lastscanned->recordptr);
        matchattributes(lookup->attributes);
    }
    return &m;
}

// A candidate drawn by frequency: the first whose running total exceeds the draw.
static char* drawfrom(const lookupmemo& m) {
    long r = getrandom(m.candidates.back().total);
    auto first = std::upper_bound(m.candidates.begin(), m.candidates.end(), r,
                                  [](long v, const candidate& c) { return v < c.total; });
    return (first != m.candidates.end() ? first->node : m.candidates.back().node)->recordptr;
}

char* select_match() {
    long r = getrandom(prob_tot);
    auto first = std::upper_bound(prob_array.begin(), prob_array.end(), r);
    if (first != prob_array.end()) return nodearray[static_cast<size_t>(first - prob_array.begin())]->recordptr;
    return numnodes > 0 ? nodearray.back()->recordptr : nullptr;
}

void apply_vf_single(char* entry, int n) {
    if (entry == nullptr || n == -1) return;
    char* field = const_cast<char*>(getfieldptr(entry, 4));
    if (fieldlength(field) != 4) return;
    frequencystamp++;
    long value = atol(field);
    if (n >= 0) {
        value = n;
    } else if (n == -2) {
        value += 5;
    } else if (n == -3) {
        value *= 2;
    } else if (n == -4) {
        value /= 2;
    } else {
        return;
    }
    memcpy(field, fourdigits(value).c_str(), 4);
}

void getdictent(t_dict_lookup* lookup) {
    int terminal = lookup_terminal(lookup->class_.c_str());
    if (terminal < 0) {
        lookup->dictionary = noterminal;
        lookup->error = 1;
        return;
    }
    char* entry = nullptr;
    if (const lookupmemo* m = memoized(lookup, terminal)) {
        numnodes = static_cast<int>(m->candidates.size());
        prob_tot = m->candidates.empty() ? 0 : m->candidates.back().total;
        if (numnodes != 0 && prob_tot != 0) entry = drawfrom(*m);
    } else {
        locate_matches(lookup, terminal);
        if (numnodes != 0 && prob_tot != 0) entry = select_match();
    }
    if (entry == nullptr) {
        lookup->dictionary = nullptr;
        lookup->error = 3;
        return;
    }
    apply_vf_single(entry, lookup->vf);
    lookup->dictionary = entry;
    lookup->error = 0;
}

void getwords(int start) {
    for (int i = start < 0 ? 0 : start; i < d_table_count; i++) {
        t_dict_lookup& d = dict_table[i];
        if (!d.pointed_at) continue;
        getdictent(&d);
        // An entry of inline rules: its LSPs get lookups of their own, made later in this loop.
        if (d.error == 0 && d.dictionary != nullptr && static_cast<unsigned char>(d.dictionary[0]) == ILTCODE) {
            ilt_create_lsps(&d);
        }
        if (d.error == 3) q_err("No lexical entry found for", d.class_.c_str(), "");
        if (d.error == 1) q_err("Terminal not found:", d.class_.c_str(), "");
    }
    scan_ilts(start < 0 ? 0 : start);
}

char* exactword(const char* word, recnode* list) {
    const char* pattern = word[0] == '"' ? word + 1 : word;
    for (; list != nullptr; list = list->previous) {
        const char* entry = list->recordptr;
        const char* text = entry[0] == '"' ? entry + 1 : entry;
        if (match_wild(pattern, text, '"', entry[0] == '"' ? '"' : '|')) return list->recordptr;
    }
    return nullptr;
}

void vary_frequency(const char* text) {
    q_printf(MSGCORE, "VF %s", text);
    int delaysaved = delayptr;
    int lookupsaved = d_table_count;
    t_treenode node = nodefromtext(text);
    t_dict_lookup* lookup = node != nullptr ? node->dictionary : nullptr;
    int terminal = lookup != nullptr ? lookup_terminal(lookup->class_.c_str()) : -1;
    if (terminal < 0) {
        diserr("terminal class not found");
    } else {
        locate_matches(lookup, terminal);
        char question[80];
        snprintf(question, sizeof question, "%d matches; <RETN> continues, <DEL> aborts", numnodes);
        if (diserr(question) == 1) {
            for (int i = 0; i < numnodes; i++) apply_vf_single(nodearray[i]->recordptr, node->vf);
        }
        if (diserr("Display matches? <RETN> yes, <DEL> no") == 1) {
            for (int i = 0; i < numnodes; i++) q_line(MSGCORE, 0, nodearray[i]->recordptr);
        }
    }
    delayptr = delaysaved;
    purgelookups(lookupsaved);
    purge_node(&node);
}

}  // namespace zek

// Morphological errors: the alternatives of each terminal, the variants of a leaf, their minimal
// differences from the leaf, and the enumeration listing.
#include "genra/stud_mor.h"

#include <algorithm>
#include <cstring>

#include "genra/attr_data.h"
#include "genra/attr_fns.h"
#include "genra/input_base.h"
#include "genra/misc.h"
#include "genra/stud_err.h"
#include "genra/morphology.h"
#include "genra/syn_globals.h"
#include "genra/utilities.h"

namespace zek {

int mrdata[MAXTERMINALS][MRROWLEN];
int mrmod[MAXTERMINALS][MRMAXTYPES + 1][MRMAXALT + 1];
int comb[MRMAXTYPES + 1];
int hitype = 0;

bool mrwritten = false;

void clear_mrdata() {
    // Tables never written are still zero: not touching them keeps their pages unmapped.
    if (!mrwritten) return;
    memset(mrdata, 0, sizeof mrdata);
    memset(mrmod, 0, sizeof mrmod);
    mrwritten = false;
}

// The values a pair stands for: its own, or every value of the type for -1.
static int firstvalue(int value) { return value == -1 ? 1 : value; }
static int lastvalue(int type, int value) { return value == -1 ? attr_table[type].entries - 1 : value; }

void mrrowneeds(const int* row, int* types, int* alternatives, long* variants) {
    *types = 0;
    *alternatives = 0;
    int lasttype = 0;
    int count = 0;
    long combinations = 1;  // of the slots closed so far, within the bounds
    for (int k = 0; k + 1 < MRROWLEN && row[k] > 0 && row[k] < total_types; k += 2) {
        if (row[k] != lasttype) {
            if (*types > 0 && *types <= MRMAXTYPES) combinations *= std::min(count, MRMAXALT) + 1;
            ++*types;
            lasttype = row[k];
            count = 0;
        }
        count += lastvalue(row[k], row[k + 1]) - firstvalue(row[k + 1]) + 1;
        *alternatives = std::max(*alternatives, count);
    }
    if (*types > 0 && *types <= MRMAXTYPES) combinations *= std::min(count, MRMAXALT) + 1;
    *variants = combinations - 1;
}

void mrmodify() {
    mrwritten = true;
    for (int r = 0; r < MAXTERMINALS; r++) {
        int(*slots)[MRMAXALT + 1] = mrmod[r];
        slots[0][0] = 0;
        int lasttype = 0;
        int t = 0;
        // A row beyond the table's bounds is cut short (the reader has said so).
        for (int k = 0; k + 1 < MRROWLEN && mrdata[r][k] != 0; k += 2) {
            int type = mrdata[r][k];
            int value = mrdata[r][k + 1];
            if (type < 1 || type >= total_types) break;
            if (type != lasttype) {
                if (t == MRMAXTYPES) break;
                slots[++t][0] = 0;
                lasttype = type;
            }
            for (int v = firstvalue(value); v <= lastvalue(type, value) && slots[t][0] < MRMAXALT; v++) {
                slots[t][++slots[t][0]] = newdelay(type, v);
            }
        }
        slots[0][0] = t;
    }
}

// The leaf's chosen entry, or nullptr.
static const char* leafentry(t_treenode leaf) {
    const t_dict_lookup* d = leaf != nullptr ? leaf->dictionary : nullptr;
    if (d == nullptr || d->error != 0 || d->dictionary == nullptr || d->dictionary == noterminal) return nullptr;
    return d->dictionary;
}

std::string chosenword(t_treenode leaf) {
    const char* entry = leafentry(leaf);
    return entry != nullptr ? entryword(entry) : std::string();
}

std::string inflect(t_treenode leaf, const std::string& chosen) {
    std::string saved = std::move(leaf->morphed_word);
    leaf->morphed_word = chosen;
    morph_word(leaf, 5);
    morph_word(leaf, 6);
    std::string word = std::move(leaf->morphed_word);
    leaf->morphed_word = std::move(saved);
    return word;
}

namespace {

// Alternatives applied to a leaf's own attribute list for the time of one inflection, as if on a
// copy: a one-component compound of the alternative's type takes it, a type the leaf lacks is
// added at the end. Undone when it goes out of scope.
class applied {
   public:
    applied(t_treenode leaf, const int* alternatives, int n) : leaf_(leaf) {
        for (int k = 0; k < n; k++) {
            int a = alternatives[k];
            comp_attr c = find_type_in_attr(a, leaf->attributes);
            if (c != nullptr) {
                replaced_[nreplaced_] = c;
                oldindex_[nreplaced_++] = c->index[0];
                c->index[0] = a;
            } else {
                pool()[nextra_].index[0] = a;
                extra_[nextra_] = s_attr_list{1, &pool()[nextra_], nullptr};
                if (nextra_ > 0) extra_[nextra_ - 1].next = &extra_[nextra_];
                nextra_++;
            }
        }
        if (nextra_ == 0) return;
        tail_ = leaf->attributes;
        while (tail_ != nullptr && tail_->next != nullptr) tail_ = tail_->next;
        (tail_ != nullptr ? tail_->next : leaf->attributes) = &extra_[0];
    }
    ~applied() {
        for (int k = 0; k < nreplaced_; k++) replaced_[k]->index[0] = oldindex_[k];
        if (nextra_ == 0) return;
        (tail_ != nullptr ? tail_->next : leaf_->attributes) = nullptr;
    }
    applied(const applied&) = delete;
    applied& operator=(const applied&) = delete;

   private:
    static s_comp_attr* pool() {
        static s_comp_attr compounds[MRMAXTYPES];
        static bool made = false;
        if (!made) {
            for (s_comp_attr& c : compounds) c.index.assign(1, 0);
            made = true;
        }
        return compounds;
    }
    t_treenode leaf_;
    comp_attr replaced_[MRMAXTYPES] = {};
    int oldindex_[MRMAXTYPES] = {};
    int nreplaced_ = 0;
    s_attr_list extra_[MRMAXTYPES];
    int nextra_ = 0;
    s_attr_list* tail_ = nullptr;
};

}  // namespace

void make_variants(t_treenode leaf) {
    std::vector<morphvar>().swap(leaf->mvar);
    const char* entry = leafentry(leaf);
    if (entry == nullptr) return;
    int r = lookup_terminal(getfieldptr(entry, 2));
    if (r < 0) return;
    hitype = std::min(mrmod[r][0][0], MRMAXTYPES);
    if (hitype == 0) return;
    std::string chosen = chosenword(leaf);
    // Without expressions in fields 5 and 6 every variant is the word as chosen.
    bool inflects = fieldlength(getfieldptr(entry, 5)) > 0 || fieldlength(getfieldptr(entry, 6)) > 0;
    long total = 1;
    for (int t = 1; t <= hitype; t++) total *= mrmod[r][t][0] + 1;
    leaf->mvar.reserve(static_cast<size_t>(std::min(total - 1, MAXVARIANTS)));
    for (int t = 0; t <= MRMAXTYPES; t++) comb[t] = 0;
    while (static_cast<long>(leaf->mvar.size()) < MAXVARIANTS) {
        // The odometer: the highest slot turns fastest.
        int t = hitype;
        for (; t >= 1; t--) {
            if (++comb[t] <= mrmod[r][t][0]) break;
            comb[t] = 0;
        }
        if (t < 1) break;
        morphvar v;
        for (int s = 1; s <= hitype; s++) {
            if (comb[s] != 0) v.attrcomb[++v.attrcomb[0]] = mrmod[r][s][comb[s]];
        }
        if (inflects) {
            applied changed(leaf, v.attrcomb + 1, v.attrcomb[0]);
            v.variant = inflect(leaf, chosen);
        } else {
            v.variant = chosen;
        }
        leaf->mvar.push_back(std::move(v));
    }
}

void clear_variants(t_treenode tree) {
    for (t_treenode leaf : leavesof(tree)) std::vector<morphvar>().swap(leaf->mvar);
}

// The names of `delayed` entries, joined as an attribute list is printed.
static std::string names(const int* entries, int n) {
    std::string text;
    for (int k = 0; k < n; k++) {
        if (!text.empty()) text += ", ";
        text += att_get_name(delayed[entries[k]].class_, delayed[entries[k]].choice);
    }
    return text;
}

// Whether `word` without its "^" marks is `text` (no copy: this runs for every variant).
static bool samewithoutcaret(const std::string& word, const std::string& text) {
    size_t j = 0;
    for (char c : word) {
        if (c == '^') continue;
        if (j == text.size() || text[j] != c) return false;
        j++;
    }
    return j == text.size();
}

namespace {

// One variant's difference from the leaf, in fixed arrays: a variant changes at most
// MRMAXTYPES types.
struct difference {
    int left[MRMAXTYPES];  // the alternatives that differ from the leaf
    int nleft = 0;
    int right[MRMAXTYPES];  // the leaf's values of the same types
    int nright = 0;
    std::pair<int, int> key[MRMAXTYPES];  // left as sorted (type, value)

    const std::pair<int, int>* keyend() const { return key + nleft; }
    // Whether this difference includes every change of `other`.
    bool includes(const difference& other) const { return std::includes(key, keyend(), other.key, other.keyend()); }
};

}  // namespace

bool compare_var(t_treenode leaf, const std::string& response, std::vector<std::string>& breakup) {
    // The minimal differences found, in a buffer kept between calls: the comparison runs for
    // every pair of words of every analysis and allocates nothing once the buffer has grown.
    static std::vector<difference> diffs;
    diffs.clear();
    bool matched = false;
    for (auto v = leaf->mvar.rbegin(); v != leaf->mvar.rend(); ++v) {
        if (!samewithoutcaret(v->variant, response)) continue;
        matched = true;
        difference d;
        for (int k = 1; k <= v->attrcomb[0] && k <= MRMAXTYPES; k++) {
            int a = v->attrcomb[k];
            comp_attr c = find_type_in_attr(a, leaf->attributes);
            if (c == nullptr) {
                d.left[d.nleft++] = a;
            } else if (delayed[c->index[0]].choice != delayed[a].choice) {
                d.left[d.nleft++] = a;
                d.right[d.nright++] = c->index[0];
            }
        }
        for (int k = 0; k < d.nleft; k++) d.key[k] = {delayed[d.left[k]].class_, delayed[d.left[k]].choice};
        std::sort(d.key, d.key + d.nleft);
        // Only minimal differences stay: one that includes another is dropped.
        bool covers = false;
        for (const difference& e : diffs) {
            if (d.includes(e)) covers = true;
        }
        if (covers) continue;
        std::erase_if(diffs, [&](const difference& e) { return e.includes(d); });
        diffs.push_back(d);
    }
    for (const difference& d : diffs) {
        if (static_cast<int>(breakup.size()) >= MAXBREAKUP) break;
        breakup.push_back(names(d.right, d.nright) + "/" + names(d.left, d.nleft));
    }
    return matched;
}

void generate_enumerations() {
    if (root == nullptr) {
        q_line(MSGCORE, 0, "Error: ROOT tree does not exist");
        return;
    }
    q_line(MSGCORE, 0, "Beginning enumerations");
    int delaysaved = delayptr;
    mrmodify();
    std::vector<t_treenode> leaves = leavesof(root);
    for (t_treenode leaf : leaves) make_variants(leaf);
    for (t_treenode leaf : leaves) {
        if (leaf->morphed_word.empty()) continue;
        q_line(MSGCORE, 0, "");
        q_printf(MSGCORE, "ORIGINAL WORD: %s", leaf->morphed_word.c_str());
        q_line(MSGCORE, 0, "");
        q_line(MSGCORE, 0, "Morphological variations:     Attribute list:");
        for (auto v = leaf->mvar.rbegin(); v != leaf->mvar.rend(); ++v) {
            q_printf(MSGCORE, "%s;%s", names(v->attrcomb + 1, v->attrcomb[0]).c_str(), v->variant.c_str());
        }
        q_line(MSGCORE, 0, "");
    }
    // The alternatives live only as long as the listing.
    clear_variants(root);
    delayptr = delaysaved;
}

}  // namespace zek

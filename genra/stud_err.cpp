// The response analysis: word lists, the spelling distance, the comparison of every expected
// word with every response word, the scores of the roots and the best root's report.
#include "genra/stud_err.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "editor/scrout.h"
#include "genra/attr_data.h"
#include "genra/input_base.h"
#include "genra/stud_ind.h"
#include "genra/stud_mor.h"
#include "genra/stud_phon.h"
#include "genra/stud_report.h"
#include "genra/uninstall.h"

namespace zek {

int rootset[NUMROOTS];
int rootsetinit = 0;

int strdiff(const char* x, const char* y) {
    if (x == nullptr || y == nullptr || *x == 0 || *y == 0) return NOMATCH;
    const size_t xlen = strlen(x);
    const size_t ylen = strlen(y);
    // The distance is at least the difference of the lengths: when that alone breaks the
    // rules below, the table is not needed.
    const size_t least = xlen > ylen ? xlen - ylen : ylen - xlen;
    if (xlen != 3 && least > 0 && (least >= xlen / 2 || least >= ylen / 2)) return NOMATCH;
    // The largest distance the rules at the end accept: once a whole row of the table lies above
    // it, the distance does too (no later row has a smaller least entry).
    long accept = static_cast<long>(std::min(xlen, ylen)) / 2 - 1;
    if (xlen == 3) accept = std::max(accept, 1L);
    if (xlen == 1 && ylen == 1) accept = std::max(accept, 0L);
    if (accept < 0) return NOMATCH;
    // The table row by row, keeping two rows: on the stack for words of ordinary length, in a
    // buffer kept between calls for longer ones, so that no call allocates once it has grown.
    constexpr size_t SHORT = 64;
    int onstack[2 * (SHORT + 1)];
    static std::vector<int> longer;
    int* previous = onstack;
    if (ylen > SHORT) {
        if (longer.size() < 2 * (ylen + 1)) longer.resize(2 * (ylen + 1));
        previous = longer.data();
    }
    int* row = previous + ylen + 1;
    for (size_t j = 0; j <= ylen; j++) previous[j] = static_cast<int>(j);
    for (size_t i = 1; i <= xlen; i++) {
        row[0] = static_cast<int>(i);
        int least_in_row = row[0];
        for (size_t j = 1; j <= ylen; j++) {
            int substitute = previous[j - 1] + (x[i - 1] != y[j - 1] ? 1 : 0);
            row[j] = std::min({substitute, previous[j] + 1, row[j - 1] + 1});
            least_in_row = std::min(least_in_row, row[j]);
        }
        if (least_in_row > accept) return NOMATCH;
        std::swap(previous, row);
    }
    const int d = previous[ylen];
    const long xl = static_cast<long>(xlen);
    const long yl = static_cast<long>(ylen);
    // A short word counts as misspelt only under these rules; a one-letter word never does.
    if (xl == 1 && yl == 1 && d == 0) return d;
    if (xl == 3 && d <= 1) return d;
    if (d < xl / 2 && d < yl / 2) return d;
    return NOMATCH;
}

std::string stripcaret(const std::string& word) {
    std::string out;
    for (char c : word) {
        if (c != '^') out += c;
    }
    return out;
}

std::vector<std::string> responsewords(const std::string& text) {
    std::vector<std::string> words;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); i++) {
        if (i == text.size() || text[i] == ' ') {
            if (i > start) words.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return words;
}

std::vector<leafinfo> expectedwords(t_treenode tree) {
    std::vector<leafinfo> words;
    for (t_treenode leaf : leavesof(tree)) {
        std::string word = stripcaret(leaf->morphed_word);
        if (word.empty()) continue;  // not in the sentence
        leafinfo info;
        info.leaf = leaf;
        info.word = std::move(word);
        words.push_back(std::move(info));
    }
    return words;
}

void err_word_diff(leafinfo& expected, const std::string& response, lexdiff& out) {
    out.matchclass = MC_UNSET;
    out.error = "none";
    out.breakup.clear();
    int d = strdiff(expected.word.c_str(), response.c_str());
    if (d == 0) {
        out.matchclass = MC_EXACT;
        return;
    }
    q_line(MSGCORE, 0, "Performing morphological analysis");
    bool variant = expected.variantwords == nullptr || expected.variantwords->count(response) != 0;
    if (variant && expected.leaf != nullptr && compare_var(expected.leaf, response, out.breakup)) {
        out.matchclass = MC_MORPH;
        return;
    }
    q_line(MSGCORE, 0, "Performing lexicon analysis");
    out.matchclass = d == NOMATCH ? MC_NONE : MC_APPROX;
    if (!taglist.empty()) {
        int tag = err_match_syn(expected, response);
        if (tag != 0) out.matchclass = tag;
    }
    if (out.matchclass <= MC_PHONO && phontablelist != nullptr) {
        q_line(MSGCORE, 0, "Performing phonological analysis");
        err_match_phono(expected, response, out);
    }
}

int err_lexlist_diff(wordmatrix& m) {
    const size_t x = m.expected.size();
    const size_t y = m.response.size();
    m.cells.assign((x + 1) * (y + 1), lexdiff());
    int score = 0;
    for (size_t i = 1; i <= x; i++) {
        for (size_t j = 1; j <= y; j++) {
            lexdiff& d = m.at(i, j);
            err_word_diff(m.expected[i - 1], m.response[j - 1], d);
            if (i != j) continue;
            switch (d.matchclass) {
                case MC_MORPH: score += 5; break;
                case MC_APPROX: score += 2; break;
                case MC_NONE: score += 10; break;
                case MC_PHONO: score += 1; break;
                default: break;  // exact, or a lexical link
            }
        }
    }
    return score + 10 * static_cast<int>(x > y ? x - y : y - x);
}

t_treenode roottree(int j) {
    if (j < 0 || j >= NUMROOTS) return nullptr;
    if (j > 0) return rootPtrs[j];
    for (int k = 1; k < NUMROOTS; k++) {
        if (rootPtrs[k] != nullptr) return nullptr;  // ROOT was only expanded for them
    }
    return root;
}

void err_initrootset() {
    for (int j = 0; j < NUMROOTS; j++) rootset[j] = j >= 2;
    rootsetinit = 1;
}

void err_set_rootset(const char* text) {
    if (text == nullptr || *text == 0) {
        err_initrootset();
        char message[80];
        snprintf(message, sizeof message, "ROOTSET restored to default set: 2 3 4 ... %d", NUMROOTS);
        q_line(MSGCORE, 0, message);
        progress(message);
        return;
    }
    for (int& r : rootset) r = 0;
    rootsetinit = 1;
    for (const char* p = text; *p != 0;) {
        if (*p < '0' || *p > '9') {
            p++;
            continue;
        }
        long n = 0;
        for (; *p >= '0' && *p <= '9'; p++) {
            if (n < NUMROOTS) n = n * 10 + (*p - '0');
        }
        if (n < NUMROOTS) rootset[n] = 1;
    }
    std::string message = "ROOTSET changed to set: ";
    for (int j = 0; j < NUMROOTS; j++) {
        if (rootset[j]) message += std::to_string(j) + " ";
    }
    q_line(MSGCORE, 0, message.c_str());
    progress(message.c_str());
}

// What the inflection of any leaf of a tree can read: each leaf's entry text, word and attribute
// values, in thread order. Empty when a value is still to be drawn, since an inflection would
// draw it.
static std::string inflectionstate(const std::vector<t_treenode>& leaves) {
    std::string state;
    for (t_treenode leaf : leaves) {
        const t_dict_lookup* d = leaf->dictionary;
        const char* entry = d != nullptr && d->error == 0 ? d->dictionary : nullptr;
        if (entry != nullptr) state += entry;
        state += '\0';
        state += leaf->morphed_word;
        state += '\0';
        for (attr_list a = leaf->attributes; a != nullptr; a = a->next) {
            for (int index : a->first->index) {
                const t_delay& v = delayed[index];
                if (v.choice == -1) return std::string();
                state += static_cast<char>(v.class_);
                state += static_cast<char>(v.choice);
            }
            state += ',';
        }
        state += ';';
    }
    return state;
}

namespace {

// The variants of the leaves of trees analysed before, by the trees' inflection state: they do
// not depend on the response, so a tree analysed again (the same exercise, another response)
// takes them instead of inflecting every alternative again. Kept while the description files,
// and the start of the alternatives in `delayed`, stay the same. Variants whose making reported
// something (errors of the morph rules) are made again in each analysis, so that every analysis
// reports what it always reported.
struct keptvariants {
    std::string state;
    std::vector<std::vector<morphvar>> leaves;            // per leaf, in thread order
    std::vector<std::unordered_set<std::string>> words;  // per leaf, its variants without "^"
    long analysis;                                        // the analysis that made them
    bool quiet;                                           // making them reported nothing
};
std::vector<keptvariants> kept;
std::vector<keptvariants> unkept;  // the variants of a tree whose state cannot be kept
unsigned long keptstamp = 0;
int keptdelay = -1;
long analyses = 0;
constexpr size_t MAXKEPT = 2 * NUMROOTS;

// Gives the leaves of a tree their variants, from `kept` when it may; returns them with their
// words, valid until the next call.
const keptvariants& variantsof(const std::vector<t_treenode>& leaves) {
    std::string state = inflectionstate(leaves);
    for (const keptvariants& k : kept) {
        if (state.empty() || k.state != state || (!k.quiet && k.analysis != analyses)) continue;
        for (size_t i = 0; i < leaves.size(); i++) leaves[i]->mvar = k.leaves[i];
        return k;
    }
    long reports = q_reportcount;
    for (t_treenode leaf : leaves) make_variants(leaf);
    std::vector<keptvariants>& store = state.empty() ? unkept : kept;
    if (store.size() >= MAXKEPT) store.clear();
    keptvariants k{std::move(state), {}, {}, analyses, q_reportcount == reports};
    k.leaves.reserve(leaves.size());
    k.words.resize(leaves.size());
    for (size_t i = 0; i < leaves.size(); i++) {
        k.leaves.push_back(leaves[i]->mvar);
        for (const morphvar& v : leaves[i]->mvar) k.words[i].insert(stripcaret(v.variant));
    }
    store.push_back(std::move(k));
    return store.back();
}

}  // namespace

void err_analysis(const char* response) {
    if (!rootsetinit) err_initrootset();
    bool any = false;
    for (int j = 0; j < NUMROOTS; j++) any = any || (rootset[j] && roottree(j) != nullptr);
    if (!any) {
        q_line(MSGCORE, 0, "No roots found in ROOTSET to perform error testing");
        progress("No roots found in ROOTSET to perform error testing");
        return;
    }
    q_line(MSGCORE, 0, "Beginning error analysis");
    q_line(MSGCORE, 0, "Parsing response");
    std::string text = response != nullptr ? response : "";
    wordmatrix m;
    m.response = responsewords(text);
    if (m.response.empty()) {
        diserr("Error analysis called but no student response found");
        q_line(MSGCORE, 0, "No student response");
        return;
    }
    // The alternatives of the morph error table live for this analysis only.
    const int delaysaved = delayptr;
    if (keptstamp != grammarstamp || keptdelay != delayptr) {
        kept.clear();
        keptstamp = grammarstamp;
        keptdelay = delayptr;
    }
    analyses++;
    unkept.clear();
    mrmodify();
    std::vector<scorelist_t> scores;
    int best = 2;
    int bestscore = INT_MAX;
    const scorelist_t* bestroot = nullptr;
    scores.reserve(NUMROOTS);
    for (int j = 0; j < NUMROOTS; j++) {
        t_treenode tree = roottree(j);
        if (!rootset[j] || tree == nullptr) continue;
        q_line(MSGCORE, 0, "Finding lexical units");
        m.expected = expectedwords(tree);
        // Roots that are the same words with the same attributes (alternative answers often
        // are, and so is a root analysed before) have the same variants: they are made once.
        std::vector<t_treenode> leaves = leavesof(tree);
        const keptvariants& made = variantsof(leaves);
        // The expected words are the leaves in the sentence, in the same order.
        size_t k = 0;
        for (leafinfo& e : m.expected) {
            while (k < leaves.size() && leaves[k] != e.leaf) k++;
            if (k < leaves.size()) e.variantwords = &made.words[k];
        }
        q_printf(MSGCORE, "Comparing response to root %i", j);
        int score = err_lexlist_diff(m);
        scores.push_back({j, err_get_report(m), score});
        q_line(MSGCORE, 0, "  *****");
        q_printf(MSGCORE, "CURRENT ROOT : R%d", j);
        q_printf(MSGCORE, "SCORE        : %d", score);
        q_line(MSGCORE, 0, "");
        q_printf(MSGCORE, "EXPECTED : %s", genSentences[j].c_str());
        q_printf(MSGCORE, "RESPONSE : %s", text.c_str());
        q_line(MSGCORE, 0, "  *****");
        if (score < bestscore) {
            best = j;
            bestscore = score;
            bestroot = &scores.back();
        }
    }
    if (bestroot == nullptr) {
        q_line(ERRCORE, 0, "Error: no score was found");
    } else {
        q_printf(ERRCORE, "BEST ROOT : R%d", best);
        q_printf(ERRCORE, "SCORE     : %d", bestscore);
        q_line(ERRCORE, 0, "");
        q_printf(ERRCORE, "EXPECTED : %s", genSentences[best].c_str());
        q_printf(ERRCORE, "RESPONSE : %s", text.c_str());
        const std::string& report = bestroot->output_text;
        for (size_t start = 0; start < report.size();) {
            size_t end = report.find('\n', start);
            if (end == std::string::npos) end = report.size();
            q_line(ERRCORE, 0, report.substr(start, end - start).c_str());
            start = end + 1;
        }
    }
    q_line(MSGCORE, 0, "Cleaning up data structures");
    for (int j = 0; j < NUMROOTS; j++) {
        if (rootset[j]) clear_variants(roottree(j));
    }
    delayptr = delaysaved;
}

void err_analysis_single(const char* response, int rootnumber) {
    int saved[NUMROOTS];
    memcpy(saved, rootset, sizeof saved);
    const int savedinit = rootsetinit;
    for (int& r : rootset) r = 0;
    if (rootnumber >= 0 && rootnumber < NUMROOTS) rootset[rootnumber] = 1;
    rootsetinit = 1;
    err_analysis(response);
    memcpy(rootset, saved, sizeof saved);
    rootsetinit = savedinit;
}

}  // namespace zek

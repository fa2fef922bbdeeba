// Phonological errors: the tables of spellings and the spelling of IPA forms with backtracking.
#include "genra/stud_phon.h"

#include "genra/input_base.h"

namespace zek {

TABLE* phontablelist = nullptr;

// The tables by symbol, and their spellings split once.
static const TABLE* bysymbol[256];
static std::vector<std::string> spellings[256];

void clear_phon_tables() {
    while (phontablelist != nullptr) {
        TABLE* next = phontablelist->next;
        delete phontablelist;
        phontablelist = next;
    }
    for (int c = 0; c < 256; c++) {
        bysymbol[c] = nullptr;
        spellings[c].clear();
    }
}

bool add_phon_table(TABLE* t) {
    unsigned char symbol = static_cast<unsigned char>(t->tablename[0]);
    if (t->tablename.empty() || bysymbol[symbol] != nullptr) return false;
    TABLE** tail = &phontablelist;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = t;
    bysymbol[symbol] = t;
    std::string s;
    for (char c : t->elements) {
        if (c == '|') {
            spellings[symbol].push_back(s);
            s.clear();
        } else {
            s += c;
        }
    }
    return true;
}

const TABLE* phontable(unsigned char symbol) { return bysymbol[symbol]; }

namespace {

// Depth-first over the symbols; a (symbol, position) pair that once failed fails again, so the
// search stays polynomial whatever the tables hold.
struct speller {
    const std::string& ipa;
    const std::string& word;
    std::vector<std::string>& spelling;
    std::vector<char> failed;

    bool from(size_t i, size_t pos) {
        if (i == ipa.size()) return pos == word.size();
        char& known = failed[i * (word.size() + 1) + pos];
        if (known) return false;
        for (const std::string& s : spellings[static_cast<unsigned char>(ipa[i])]) {
            if (word.compare(pos, s.size(), s) != 0 || pos + s.size() > word.size()) continue;
            spelling[i] = s;
            if (from(i + 1, pos + s.size())) return true;
        }
        known = 1;
        return false;
    }
};

}  // namespace

bool phonspell(const std::string& ipa, const std::string& word, std::vector<std::string>& spelling) {
    spelling.assign(ipa.size(), std::string());
    if (ipa.size() > MAXIPA) return false;
    speller s{ipa, word, spelling, std::vector<char>((ipa.size() + 1) * (word.size() + 1), 0)};
    return s.from(0, 0);
}

void err_phonform(leafinfo& expected) {
    if (expected.phondone) return;
    expected.phondone = true;
    expected.phonok = expected.expectedspelled = false;
    expected.ipa.clear();
    expected.expectedspelling.clear();
    t_treenode leaf = expected.leaf;
    if (phontablelist == nullptr || leaf == nullptr) return;
    // The phonology passes build the form from an empty word.
    std::string saved = std::move(leaf->morphed_word);
    leaf->morphed_word.clear();
    for (int k = 1; k < 6 && morph_passes[21][k] != 0; k++) morph_word(leaf, morph_passes[21][k]);
    expected.ipa = std::move(leaf->morphed_word);
    leaf->morphed_word = std::move(saved);
    for (char c : expected.ipa) {
        if (bysymbol[static_cast<unsigned char>(c)] == nullptr) {
            q_line(MSGCORE, 0, "ipa symbol has no entry in phonology tables");
            return;
        }
    }
    if (expected.ipa.size() > MAXIPA) {
        q_line(MSGCORE, 0, "ipa string longer than 20 symbols");
        return;
    }
    expected.phonok = true;
    expected.expectedspelled = phonspell(expected.ipa, expected.word, expected.expectedspelling);
}

bool err_match_phono(leafinfo& expected, const std::string& response, lexdiff& out) {
    if (phontablelist == nullptr) return false;
    err_phonform(expected);
    if (!expected.phonok || expected.ipa.empty()) return false;
    std::vector<std::string> spelled;
    if (!phonspell(expected.ipa, response, spelled)) return false;
    out.matchclass = MC_PHONO;
    if (!expected.expectedspelled) {
        out.error = "ERROR: correct word does not match ipa string, though student response does";
        return true;
    }
    for (size_t i = 0; i < spelled.size(); i++) {
        if (spelled[i] != expected.expectedspelling[i]) out.breakup.push_back(expected.expectedspelling[i] + "/" + spelled[i]);
    }
    return true;
}

}  // namespace zek

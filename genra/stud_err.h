// The response analysis: a learner's response compared word by word with the sentences of the
// selected roots, each root scored, and the best root's report written to corefile 15; the
// spelling distance and the set of roots analysed (QROOTSET).
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "genra/syn_globals.h"
#include "genra/trees.h"

namespace zek {

constexpr int ERRCORE = 15;      // receives the best root's report
constexpr int NOMATCH = 1000;    // strdiff: too different to be a misspelling
constexpr int MAXBREAKUP = 20;   // difference descriptions kept for one word

// Classes of a word comparison; a lexical link gives its tag's number, from MC_LEX up.
enum : int { MC_UNSET = -1, MC_EXACT = 0, MC_MORPH = 1, MC_APPROX = 2, MC_NONE = 3, MC_PHONO = 4, MC_LEX = 5 };

// One expected word against one response word.
struct lexdiff {
    int matchclass = MC_UNSET;
    std::string error = "none";         // a note for the report
    std::vector<std::string> breakup;   // "expected/response" differences
};

// What the comparisons of one leaf share, worked out once per analysis: its word as compared,
// the words its lexical links lead to, and its phonological form and spelling.
struct leafinfo {
    t_treenode leaf = nullptr;
    std::string word;  // the leaf's word without "^"
    // Its variants' words without "^", when the analysis indexed them: a response word that is
    // none of them needs no comparison with each variant.
    const std::unordered_set<std::string>* variantwords = nullptr;
    bool linksdone = false;
    std::vector<std::pair<int, std::string>> links;  // tag number, inflected linked word
    bool phondone = false;
    bool phonok = false;                  // the form has a table for every symbol
    std::string ipa;
    bool expectedspelled = false;         // the word itself spells the form
    std::vector<std::string> expectedspelling;  // per symbol
};

// The comparisons of one root: x expected and y response words, and the (x+1) x (y+1) cells,
// row i and column j from 1.
struct wordmatrix {
    std::vector<leafinfo> expected;
    std::vector<std::string> response;
    std::vector<lexdiff> cells;
    lexdiff& at(size_t i, size_t j) { return cells[i * (response.size() + 1) + j]; }
    const lexdiff& at(size_t i, size_t j) const { return cells[i * (response.size() + 1) + j]; }
};

struct scorelist_t {
    int root;
    std::string output_text;  // the report
    int score;                // lower is better
};

extern int rootset[NUMROOTS];
extern int rootsetinit;  // the set has been given a value

// The spelling distance of response y from expected x: the edit distance when the length rules
// allow it as a misspelling, else NOMATCH (also for a missing or empty text).
int strdiff(const char* x, const char* y);
// A word without the "^" marks of the generator's output.
std::string stripcaret(const std::string& word);
// Splits a response at blanks; empty words are skipped.
std::vector<std::string> responsewords(const std::string& text);
// The leaves of a tree that hold a word, with their words as compared.
std::vector<leafinfo> expectedwords(t_treenode tree);

// Compares one expected leaf with one response word.
void err_word_diff(leafinfo& expected, const std::string& response, lexdiff& out);
// Fills the matrix (expected and response already set) and returns the score.
int err_lexlist_diff(wordmatrix& m);

// The tree of root j (0: ROOT when no further roots were made), or nullptr.
t_treenode roottree(int j);
void err_analysis(const char* response);
void err_analysis_single(const char* response, int rootnumber);
void err_set_rootset(const char* text);
void err_initrootset();

}  // namespace zek

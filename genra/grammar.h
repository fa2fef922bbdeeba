// A grammar folder: a manifest that names the description files in load order with the few
// settings a run needs, loaded into the generator through the very operations of the editor's
// commands; and generation runs made through the generate key's operation, with their
// sentences in a form a program can use. This is what the genra program is built on.
//
// The manifest is a text file named "manifest" in the folder, one entry a line, "#" begins a
// comment:
//     attributes  english.att        a description file: its kind, then its name
//     seed        100769             a setting: its name, then numbers
// The kinds, in the order a grammar usually needs them, are listed in grammar_kinds; the
// settings are "seed N" (the random seed of the first run, 0 for the clock), "mpasses TREE
// FIELD..." (the morphology passes of a tree, as MPASSES sets them), "unused NAME..."
// (attribute values declared or rules written for other files, of which genra check is not to
// warn that this grammar does not use them) and "explain NAME WORDS..." (how an exercise names an attribute
// value or a tag of related words to a learner: "explain past the past").
//
// A folder may hold further manifests under other names (an exercise over the same files, say):
// a program named a manifest file instead of a folder reads that one, with its folder.
#pragma once

#include <string>
#include <vector>

#include "genra/input_base.h"

namespace zek {

constexpr const char* MANIFEST = "manifest";

// A kind of description file: its word in a manifest, the editor command that loads it, and
// the row of the file kinds it belongs to (uninstall.h).
struct grammar_kind {
    const char* word;
    const char* command;
    void (*load)();  // the command's operation; it reads the file named by curfile
    int row;
};
extern const grammar_kind grammar_kinds[];
extern const int grammar_kind_count;

struct grammar_file {
    const grammar_kind* kind;
    std::string name;  // relative to the grammar folder (or absolute)
    q_place where;     // its line in the manifest
};

struct grammar_setting {
    std::string name;
    std::vector<long> numbers;       // of a setting that takes numbers
    std::vector<std::string> words;  // of one that takes names
    q_place where;
};

// An "explain" setting: the learner's words for an attribute value or a tag.
struct grammar_explanation {
    std::string name;
    std::string words;
    q_place where;
};

struct grammar_manifest {
    std::string folder;
    std::string manifest = MANIFEST;  // its file name in the folder
    std::vector<grammar_file> files;  // in load order
    std::vector<grammar_setting> settings;
    bool hasseed = false;
    unsigned long seed = 0;
    std::vector<std::string> unused;  // the names of the "unused" settings
    std::vector<grammar_explanation> explain;
};

// Every place in a report of the functions below names a file relative to the grammar folder
// (the manifest by its own name); grammar_path gives its name as seen from the caller's
// directory.
std::string grammar_path(const std::string& folder, const std::string& file);

// Reads GRAMMAR/manifest, or GRAMMAR itself when it names a file, into `m` (m.folder and
// m.manifest say which), appending its problems to `reports` (an entry with an error is left
// out). False when the manifest cannot be read at all.
bool read_manifest(const std::string& grammar, grammar_manifest& m, std::vector<q_report>& reports);

// Sets up the editor's state and the generator for a program without a terminal: the
// front-end's output is discarded and no key is ever read. Once per process, before anything
// below.
void start_engine();

// Loads the manifest's files in order into a freshly reset generator, with the working
// directory the grammar folder while they are read (so that %INCLUDE names are found there as
// the editor would find them), then applies its settings. Every report of the readers goes to
// `reports`. False when an error was reported.
bool load_grammar(const grammar_manifest& m, std::vector<q_report>& reports);

// What stops a generation run, in the generate key's own words ("There is no lexicon", "There
// is no ROOT rule"), or nullptr when a run can be made.
const char* cannot_generate();

struct generated_leaf {
    std::string node;                     // the terminal's name
    std::string word;                     // after morphology, before the sentence's marks
    std::vector<std::string> attributes;  // each compound as "value.value"
};

struct generated_sentence {
    std::string root;  // ROOT, or QUESTION, ANSWER, R_3 ... R_20
    std::string sentence;
    std::vector<generated_leaf> leaves;
};

// Empties corefile n, as CLEAR does, for a program that reads what an operation writes there.
void clear_corefile(int n);

// One generation run through the generate key's operation (check cannot_generate first). Its
// sentences: ROOT's alone, or those of QUESTION, ANSWER and R_3 to R_20 in order when the
// grammar has them. Corefile 7 is emptied before the run, so that any number of runs fits in
// the store; with q_reports set, the problems the run meets (a leaf without a word, ...) are
// collected there. The random seed goes on from run to run (reseed sets it).
std::vector<generated_sentence> generate_once();

}  // namespace zek

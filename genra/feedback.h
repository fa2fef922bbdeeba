// The learner's exercise, shared by genra exercise and genra serve: a question made by a
// generation run, the learner's answer made ready for the response analysis, and the
// analysis' report told in plain words.
//
// An answer is data: it goes to the analysis as the text of a response, never as keys, so
// nothing in it can reach a command line, a shell, a file or a driver program.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "genra/grammar.h"

namespace zek {

constexpr size_t ANSWERMAX = 199;  // characters of a response the analysis takes

// Latin-1, the store's character set, as UTF-8.
std::string latin1_to_utf8(const std::string& text);
// UTF-8 as Latin-1. False when the text is no valid UTF-8 (`refused` stays empty) or holds
// characters that Latin-1 cannot hold (each is added to `refused` once, in UTF-8).
bool utf8_to_latin1(const std::string& text, std::string& out, std::vector<std::string>& refused);

// The question of one run and what the analysis compares an answer with.
struct exercise_question {
    unsigned long seed = 0;
    std::string question;                 // QUESTION's sentence
    std::vector<generated_sentence> run;  // every root's sentence, QUESTION first
};

// What keeps a loaded grammar from making exercises (no QUESTION root, no answer root, no
// run possible), or nullptr.
const char* cannot_exercise();
// A run from `seed` (made odd, as RANDOM SEED makes it). False when it makes no question.
bool make_question(unsigned long seed, exercise_question& q);
// A digest of a run's sentences: two runs with the same digest asked and answered the same.
std::string run_digest(const exercise_question& q);

// Why an answer is not analysed.
enum class answer_refusal { none, empty, too_long, control, not_utf8, letters };

struct prepared_answer {
    answer_refusal refusal = answer_refusal::none;
    std::string message;              // the refusal told to the learner (UTF-8)
    std::vector<std::string> shown;   // the learner's words as written (Latin-1)
    std::vector<std::string> words;   // the same as the analysis takes them
    std::string response;             // the words joined by blanks
};

// Makes a learner's UTF-8 answer into a response: marks (. , ! ? ; : and quotes) and runs of
// blanks separate words and are dropped; letter case follows the run's words, so that a
// capital at the start, the final stop, extra spaces and case are no mistakes. Refused: an
// empty answer, one over ANSWERMAX characters, control characters, text that is no UTF-8 and
// letters Latin-1 cannot hold.
prepared_answer prepare_answer(const std::string& utf8, const exercise_question& q);

// One problem of an answer, in plain words.
struct answer_problem {
    std::string kind;         // form, spelling, sound, related, wrong, missing, extra
    std::string word;         // the learner's word; for "missing" the word the sentence needs
    int position = 0;         // the learner's word's place from 1; for "missing" the place in
                              // the good answer
    std::string expected;     // the word the sentence needs there ("" for "extra")
    std::string explanation;  // UTF-8
};

// A word of the answer in sentence order, with how it fared: "right", a problem's kind, or
// "missing" for a gap where a word is needed (its word then empty).
struct answer_word {
    std::string word;
    std::string kind;
};

struct answer_feedback {
    bool right = false;
    std::string good_answer;  // the closest answer of the run, as a sentence
    std::vector<answer_word> words;
    std::vector<answer_problem> problems;
};

// Runs the response analysis on a prepared answer against the run made by make_question
// (still the generator's last run) and tells its report. `explain` gives the learner's words
// for attribute values and tags (the manifest's "explain" settings).
answer_feedback check_answer(const prepared_answer& a, const std::map<std::string, std::string>& explain);

// The explanations of a manifest as a map.
std::map<std::string, std::string> explanations(const grammar_manifest& m);

// A generated sentence as a learner reads it: a capital at the start and a final stop.
std::string as_sentence(const std::string& text);

}  // namespace zek

// The learner's exercise: questions from runs, answers made ready for the response analysis,
// and its report (corefile 15) told in plain words.
#include "genra/feedback.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "editor/corutils.h"
#include "genra/stud_err.h"
#include "genra/utilities.h"

namespace zek {

std::string latin1_to_utf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xc0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    return out;
}

bool utf8_to_latin1(const std::string& text, std::string& out, std::vector<std::string>& refused) {
    out.clear();
    refused.clear();
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int more = c < 0x80 ? 0 : (c & 0xe0) == 0xc0 ? 1 : (c & 0xf0) == 0xe0 ? 2 : (c & 0xf8) == 0xf0 ? 3 : -1;
        if (more < 0 || i + static_cast<size_t>(more) >= text.size() + (more == 0 ? 1 : 0)) {
            refused.clear();
            return false;
        }
        unsigned long cp = more == 0 ? c : c & (0x3f >> more);
        for (int k = 1; k <= more; k++) {
            unsigned char d = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((d & 0xc0) != 0x80) {
                refused.clear();
                return false;
            }
            cp = cp << 6 | (d & 0x3f);
        }
        // Overlong forms, surrogates and what lies beyond Unicode are no UTF-8.
        static const unsigned long least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[more] || (cp >= 0xd800 && cp <= 0xdfff) || cp > 0x10ffff) {
            refused.clear();
            return false;
        }
        std::string letter = text.substr(i, static_cast<size_t>(more) + 1);
        i += static_cast<size_t>(more) + 1;
        if (cp <= 0xff) {
            out += static_cast<char>(cp);
        } else if (std::find(refused.begin(), refused.end(), letter) == refused.end()) {
            refused.push_back(letter);
        }
    }
    return refused.empty();
}

namespace {

unsigned char lower(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xc0 && c <= 0xde && c != 0xd7)) return static_cast<unsigned char>(c + 32);
    return c;
}

unsigned char upper(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xe0 && c <= 0xfe && c != 0xf7)) return static_cast<unsigned char>(c - 32);
    return c;
}

std::string lowered(const std::string& word) {
    std::string out = word;
    for (char& c : out) c = static_cast<char>(lower(static_cast<unsigned char>(c)));
    return out;
}

// What separates the words of an answer and is dropped: blanks, the marks of a sentence and
// quotes (in Latin-1: inverted marks and guillemets too).
bool separator(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || strchr(".,!?;:\"", c) != nullptr || c == 0xa1 ||
           c == 0xbf || c == 0xab || c == 0xbb;
}

bool control(unsigned char c) { return c < 32 || c == 127 || (c >= 0x80 && c < 0xa0); }

std::string quoted(const std::string& latin1) { return "\"" + latin1_to_utf8(latin1) + "\""; }

// "a", "a and b", "a, b and c"
std::string listed(const std::vector<std::string>& items) {
    std::string out;
    for (size_t k = 0; k < items.size(); k++) {
        out += (k == 0 ? "" : k + 1 == items.size() ? " and " : ", ") + items[k];
    }
    return out;
}

// The learner's words for a value as the analysis prints it ("past", or a compound
// "noun.sing" by its last part), or "" when the grammar gives none.
std::string valuewords(const std::string& value, const std::map<std::string, std::string>& explain) {
    auto found = explain.find(value);
    if (found == explain.end()) {
        size_t dot = value.rfind('.');
        if (dot != std::string::npos) found = explain.find(value.substr(dot + 1));
    }
    return found == explain.end() ? "" : found->second;
}

// The values a wrong form lacks, from the first difference of a MORPH line's tail
// ("plur, past/sing, pres  OR  ..."): the sentence's side, before the slash.
std::vector<std::string> neededvalues(const std::string& tail) {
    size_t start = tail.find_first_not_of(' ');
    if (start == std::string::npos) return {};
    std::string first = tail.substr(start, tail.find("  ", start) - start);
    first = first.substr(0, first.find('/'));
    std::vector<std::string> values;
    for (size_t at = 0; at <= first.size();) {
        size_t comma = first.find(',', at);
        if (comma == std::string::npos) comma = first.size();
        std::string v = first.substr(at, comma - at);
        v.erase(0, v.find_first_not_of(' '));
        v.erase(v.find_last_not_of(' ') + 1);
        if (!v.empty()) values.push_back(v);
        at = comma + 1;
    }
    return values;
}

// A paired line of the report: "C%i S%i   KIND ..." with what follows the pair of words.
struct pairline {
    int expected = 0, response = 0;
    std::string kind;  // EXACT, MORPH, APPROX, PHONO, LEX
    std::string tail;
};

std::vector<std::string> corefilelines(int n) {
    std::vector<std::string> lines;
    for (LINE* l = core[n].header->down; l != core[n].header; l = l->down) {
        lines.emplace_back(l->object == OBJ_EMPTY ? "" : std::string(reinterpret_cast<const char*>(textbase) + l->index,
                                                                     static_cast<size_t>(l->length)));
    }
    return lines;
}

std::string explanation(const answer_problem& p, const std::string& tail, const std::string& before,
                        const std::map<std::string, std::string>& explain) {
    if (p.kind == "form") {
        std::vector<std::string> needs;
        for (const std::string& v : neededvalues(tail)) {
            std::string said = valuewords(v, explain);
            if (said.empty()) {
                needs.clear();
                break;
            }
            if (std::find(needs.begin(), needs.end(), said) == needs.end()) needs.push_back(said);
        }
        return "you wrote " + quoted(p.word) + ": here the sentence needs " +
               (needs.empty() ? "another form" : listed(needs)) + ", " + quoted(p.expected);
    }
    if (p.kind == "spelling") return quoted(p.word) + " is misspelt: it is written " + quoted(p.expected);
    if (p.kind == "sound") return quoted(p.word) + " sounds right but is written " + quoted(p.expected);
    if (p.kind == "related") {
        std::string said = valuewords(tail.substr(tail.rfind(':') + 1), explain);
        if (said.empty()) {
            return quoted(p.word) + " is a word related to " + quoted(p.expected) + ", but here the sentence needs " +
                   quoted(p.expected);
        }
        return quoted(p.word) + " is " + said + " " + quoted(p.expected) +
               ": here the sentence needs " + quoted(p.expected);
    }
    if (p.kind == "wrong") return "you wrote " + quoted(p.word) + ": here the sentence needs " + quoted(p.expected);
    if (p.kind == "missing") {  // the tail is the number of words missing
        std::string what = tail == "1" ? "a word is missing" : tail + " words are missing";
        return before.empty() ? what + " at the start" : what + " after " + quoted(before);
    }
    return quoted(p.word) + " is not needed here";
}

}  // namespace

const char* cannot_exercise() {
    if (const char* why = cannot_generate()) return why;
    bool question = false, answer = false;
    for (const generated_sentence& s : generate_once()) {
        question = question || s.root == "QUESTION";
        answer = answer || (s.root != "QUESTION" && s.root != "ROOT");
    }
    if (!question) return "the grammar makes no question: an exercise needs a QUESTION root";
    if (!answer) return "the grammar makes no answer: an exercise needs an ANSWER root (or R_3 to R_20)";
    return nullptr;
}

bool make_question(unsigned long seed, exercise_question& q) {
    reseed(seed);
    q.seed = seed;
    q.run = generate_once();
    q.question.clear();
    for (const generated_sentence& s : q.run) {
        if (s.root == "QUESTION") q.question = s.sentence;
    }
    return !q.question.empty();
}

std::string run_digest(const exercise_question& q) {
    uint64_t h = 14695981039346656037ULL;  // FNV-1a over the roots and their sentences
    for (const generated_sentence& s : q.run) {
        for (const std::string* text : {&s.root, &s.sentence}) {
            for (char c : *text + '\n') h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        }
    }
    char hex[17];
    snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return hex;
}

prepared_answer prepare_answer(const std::string& utf8, const exercise_question& q) {
    prepared_answer a;
    auto refuse = [&](answer_refusal why, const std::string& message) {
        a.refusal = why;
        a.message = message;
        a.shown.clear();
        a.words.clear();
        a.response.clear();
        return a;
    };
    // Far too long to look at letter by letter.
    if (utf8.size() > 16 * ANSWERMAX) return refuse(answer_refusal::too_long, "an answer has at most 199 letters");
    std::string text;
    std::vector<std::string> refused;
    if (!utf8_to_latin1(utf8, text, refused)) {
        if (refused.empty()) return refuse(answer_refusal::not_utf8, "the answer is no text that can be read (not UTF-8)");
        std::vector<std::string> shown;
        for (const std::string& r : refused) shown.push_back("\"" + r + "\"");
        return refuse(answer_refusal::letters, std::string(refused.size() == 1 ? "this letter" : "these letters") +
                                                   " cannot be used in an answer: " + listed(shown));
    }
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (control(u) && !separator(u)) return refuse(answer_refusal::control, "an answer cannot hold control characters");
    }
    // Each word takes the case of the run's word it equals apart from case.
    std::map<std::string, std::string> known;
    for (const generated_sentence& s : q.run) {
        for (const generated_leaf& l : s.leaves) {
            std::string word = stripcaret(l.word);
            if (!word.empty()) known.emplace(lowered(word), word);
        }
    }
    for (size_t i = 0; i < text.size();) {
        if (separator(static_cast<unsigned char>(text[i]))) {
            i++;
            continue;
        }
        size_t start = i;
        while (i < text.size() && !separator(static_cast<unsigned char>(text[i]))) i++;
        std::string word = text.substr(start, i - start);
        auto found = known.find(lowered(word));
        a.shown.push_back(word);
        a.words.push_back(found != known.end() ? found->second : lowered(word));
        a.response += (a.response.empty() ? "" : " ") + a.words.back();
    }
    if (a.words.empty()) return refuse(answer_refusal::empty, "the answer is empty: write a sentence");
    if (a.response.size() > ANSWERMAX) return refuse(answer_refusal::too_long, "an answer has at most 199 letters");
    return a;
}

std::string as_sentence(const std::string& text) {
    std::string out = text;
    if (!out.empty()) out[0] = static_cast<char>(upper(static_cast<unsigned char>(out[0])));
    if (!out.empty() && strchr(".!?", out.back()) == nullptr) out += '.';
    return out;
}

std::map<std::string, std::string> explanations(const grammar_manifest& m) {
    std::map<std::string, std::string> out;
    for (const grammar_explanation& e : m.explain) out[e.name] = e.words;
    return out;
}

answer_feedback check_answer(const prepared_answer& a, const std::map<std::string, std::string>& explain) {
    answer_feedback f;
    clear_corefile(MSGCORE);
    clear_corefile(ERRCORE);
    err_analysis(a.response.c_str());
    int best = -1;
    std::vector<pairline> pairs;
    std::vector<int> missing, extra;
    for (const std::string& line : corefilelines(ERRCORE)) {
        int i = 0, j = 0, used = 0;
        if (sscanf(line.c_str(), "BEST ROOT : R%d", &i) == 1) {
            best = i;
        } else if (line == "CORRECT") {
            f.right = true;
        } else if (sscanf(line.c_str(), "C%d --  MISSING %n", &i, &used) == 1 && used > 0) {
            missing.push_back(i);
        } else if (sscanf(line.c_str(), "-- S%d  EXTRA %n", &j, &used) == 1 && used > 0) {
            extra.push_back(j);
        } else if (sscanf(line.c_str(), "C%d S%d %n", &i, &j, &used) == 2 && used > 0) {
            pairline p{i, j, "", ""};
            size_t end = line.find(' ', static_cast<size_t>(used));
            p.kind = line.substr(static_cast<size_t>(used), end == std::string::npos ? std::string::npos : end - static_cast<size_t>(used));
            // what follows "expected/response": the words are known, so their letters cannot mislead
            size_t after = end == std::string::npos ? line.size() : line.find_first_not_of(' ', end);
            if (after != std::string::npos && j >= 1 && static_cast<size_t>(j) <= a.words.size()) {
                size_t slash = line.find("/" + a.words[static_cast<size_t>(j) - 1], after);
                if (slash != std::string::npos) p.tail = line.substr(slash + 1 + a.words[static_cast<size_t>(j) - 1].size());
            }
            pairs.push_back(p);
        }
    }
    if (best < 0) return f;  // no root was compared: the caller's run has no answer root
    f.good_answer = as_sentence(genSentences[best]);
    std::vector<leafinfo> expected = expectedwords(roottree(best));
    const int x = static_cast<int>(expected.size());
    const int y = static_cast<int>(a.words.size());
    auto expectedword = [&](int i) { return i >= 1 && i <= x ? expected[static_cast<size_t>(i) - 1].word : std::string(); };
    if (f.right) {
        for (const std::string& w : a.shown) f.words.push_back({w, "right"});
        return f;
    }
    // What happened to each response word, and which response word each expected word has.
    std::vector<std::string> kindof(static_cast<size_t>(y) + 1, "");
    std::vector<const pairline*> pairof(static_cast<size_t>(y) + 1, nullptr);
    std::vector<int> partner(static_cast<size_t>(x) + 1, 0);
    static const std::map<std::string, std::string> kinds = {
        {"EXACT", "right"}, {"MORPH", "form"}, {"APPROX", "spelling"}, {"PHONO", "sound"}, {"LEX", "related"}};
    for (const pairline& p : pairs) {
        if (p.response < 1 || p.response > y || p.expected < 1 || p.expected > x) continue;
        auto k = kinds.find(p.kind);
        kindof[static_cast<size_t>(p.response)] = k == kinds.end() ? "wrong" : k->second;
        pairof[static_cast<size_t>(p.response)] = &p;
        partner[static_cast<size_t>(p.expected)] = p.response;
    }
    for (int j : extra) {
        if (j >= 1 && j <= y) kindof[static_cast<size_t>(j)] = "extra";
    }
    // A missing word stands after the response word of the last expected word before it that
    // has one; an extra word in just that place is a wrong word in its stead. Words missing in
    // one place are one problem.
    std::sort(missing.begin(), missing.end());
    std::vector<int> insteadof(static_cast<size_t>(y) + 1, 0);  // the expected word a wrong word stands for
    std::map<int, std::vector<int>> gapafter;                    // response word: the words missing after it
    for (int i : missing) {
        if (i < 1 || i > x) continue;
        int anchor = 0;
        for (int p = i - 1; p >= 1 && anchor == 0; p--) anchor = partner[static_cast<size_t>(p)];
        if (anchor + 1 <= y && kindof[static_cast<size_t>(anchor + 1)] == "extra") {
            kindof[static_cast<size_t>(anchor + 1)] = "wrong";
            insteadof[static_cast<size_t>(anchor + 1)] = i;
            partner[static_cast<size_t>(i)] = anchor + 1;
        } else {
            gapafter[anchor].push_back(i);
        }
    }
    auto addproblem = [&](answer_problem p, const std::string& tail, const std::string& before) {
        p.explanation = explanation(p, tail, before, explain);
        f.problems.push_back(p);
    };
    auto gap = [&](int after) {
        auto g = gapafter.find(after);
        if (g == gapafter.end()) return;
        std::string words;
        for (int i : g->second) words += (words.empty() ? "" : " ") + expectedword(i);
        f.words.push_back({"", "missing"});
        answer_problem p{"missing", words, g->second.front(), words, ""};
        p.explanation = explanation(p, std::to_string(g->second.size()), after >= 1 ? a.shown[static_cast<size_t>(after) - 1] : "", explain);
        f.problems.push_back(p);
    };
    gap(0);
    for (int j = 1; j <= y; j++) {
        const std::string& kind = kindof[static_cast<size_t>(j)];
        const std::string& written = a.shown[static_cast<size_t>(j) - 1];
        const pairline* p = pairof[static_cast<size_t>(j)];
        f.words.push_back({written, kind.empty() ? "extra" : kind});
        if (kind == "wrong") {
            int i = insteadof[static_cast<size_t>(j)] != 0 ? insteadof[static_cast<size_t>(j)] : p != nullptr ? p->expected : 0;
            addproblem({"wrong", written, j, expectedword(i), ""}, "", "");
        } else if (kind == "extra" || kind.empty()) {
            addproblem({"extra", written, j, "", ""}, "", "");
        } else if (kind != "right") {
            addproblem({kind, written, j, expectedword(p->expected), ""}, p->tail, "");
        }
        gap(j);
    }
    return f;
}

}  // namespace zek

// Grammar folders: reading the manifest, loading its files through the commands' operations,
// and generation runs for programs outside the editor.
#include "genra/grammar.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "editor/corutils.h"
#include "editor/getparam.h"
#include "editor/sys_linux.h"
#include "genra/attr_fns.h"
#include "genra/misc.h"
#include "genra/morphology.h"
#include "genra/syn_globals.h"
#include "genra/uninstall.h"
#include "genra/utilities.h"

namespace zek {

const grammar_kind grammar_kinds[] = {
    {"attributes", "ATTRIBUTE", qreadattr, 1},
    {"terminals", "TMNLS", qreadterm, 6},
    {"lexicon", "LEXICON", qreadlex, 7},
    {"addlexicon", "QADDLEX", addlex, 7},
    {"syntax", "SYNTAX", qreadsyn, 3},
    {"user", "USER", qreaduser, 2},
    {"morphology", "MORPHOLOGY", qreadmorph, 4},
    {"tables", "TBLS", qreadtables, 5},
    {"lextransforms", "LXTRANSF", qreadtrans, 12},
    {"semantic", "SMTRANSF", qreadsem, 11},
    {"taginfo", "TGINFO", qreadtag, 10},
    {"morpherrors", "MRPHERROR", qreadmerror, 9},
    {"phonology", "IPA", qreadipa, 8},
};
const int grammar_kind_count = sizeof grammar_kinds / sizeof grammar_kinds[0];

namespace {

// A setting: its name, how many values it takes, and whether they are names or numbers in a
// range (the first number may have its own range).
struct setting_rule {
    const char* name;
    int least, most;
    bool names;
    long firstlow, firsthigh;
    long low, high;
};
const setting_rule setting_rules[] = {
    {"seed", 1, 1, false, 0, 4294967295L, 0, 0},
    {"mpasses", 2, 5, false, 0, MAXPASSROWS - 1, 0, 999},
    {"unused", 1, 1000, true, 0, 0, 0, 0},
    {"explain", 2, 1000, true, 0, 0, 0, 0},
};

constexpr size_t LINEMAX = 1000;  // characters of a manifest line

struct manifestreader {
    grammar_manifest& m;
    std::vector<q_report>& reports;

    void error(int line, int column, const std::string& message) {
        reports.push_back({{m.manifest, line, column}, false, message});
    }

    static bool number(const std::string& word, long* value) {
        if (word.empty() || word.size() > 10 || strspn(word.c_str(), "0123456789") != word.size()) return false;
        *value = atol(word.c_str());
        return true;
    }

    void entry(int line, const std::vector<std::pair<std::string, int>>& words) {
        const std::string& key = words[0].first;
        for (int k = 0; k < grammar_kind_count; k++) {
            if (key != grammar_kinds[k].word) continue;
            if (words.size() != 2) {
                error(line, words.size() < 2 ? words[0].second : words[2].second,
                      key + (words.size() < 2 ? " needs a file name" : " takes one file name"));
            } else if (words[1].first.size() > NAMELEN) {
                error(line, words[1].second, "file name longer than 48 characters");
            } else {
                m.files.push_back({&grammar_kinds[k], words[1].first, {m.manifest, line, words[0].second}});
            }
            return;
        }
        for (const setting_rule& r : setting_rules) {
            if (key != r.name) continue;
            int given = static_cast<int>(words.size()) - 1;
            if (given < r.least || given > r.most) {
                std::string count = r.names ? (r.least == 1 ? "at least one name" : "a name and the words for it")
                                    : r.least == r.most ? std::to_string(r.least) + (r.least == 1 ? " number" : " numbers")
                                                        : std::to_string(r.least) + " to " + std::to_string(r.most) + " numbers";
                error(line, words[0].second, key + " takes " + count);
                return;
            }
            grammar_setting s{key, {}, {}, {m.manifest, line, words[0].second}};
            if (key == "explain") {
                std::string said;
                for (size_t i = 2; i < words.size(); i++) said += (i > 2 ? " " : "") + words[i].first;
                m.explain.push_back({words[1].first, said, {m.manifest, line, words[1].second}});
                return;
            }
            for (size_t i = 1; r.names && i < words.size(); i++) {
                s.words.push_back(words[i].first);
                m.unused.push_back(words[i].first);
            }
            for (size_t i = 1; !r.names && i < words.size(); i++) {
                long low = i == 1 ? r.firstlow : r.low, high = i == 1 ? r.firsthigh : r.high;
                long v = 0;
                if (!number(words[i].first, &v) || v < low || v > high) {
                    error(line, words[i].second,
                          "expected a number from " + std::to_string(low) + " to " + std::to_string(high));
                    return;
                }
                s.numbers.push_back(v);
            }
            if (key == "mpasses" && s.numbers[1] == 0) {
                error(line, words[2].second, "first pass cannot be null");
                return;
            }
            if (key == "seed") {
                m.hasseed = true;
                m.seed = static_cast<unsigned long>(s.numbers[0]);
            }
            m.settings.push_back(s);
            return;
        }
        std::string known;
        for (int k = 0; k < grammar_kind_count; k++) known += std::string(grammar_kinds[k].word) + ", ";
        for (const setting_rule& r : setting_rules) known += std::string(r.name) + ", ";
        known.resize(known.size() - 2);
        error(line, words[0].second, "unknown kind or setting '" + key + "' (known: " + known + ")");
    }

    void line(int number, const std::string& text) {
        std::vector<std::pair<std::string, int>> words;
        for (size_t i = 0; i < text.size();) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            if (c == ' ' || c == '\t' || c == '\r') {
                i++;
                continue;
            }
            if (c == '#') break;
            size_t start = i;
            while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r') {
                unsigned char d = static_cast<unsigned char>(text[i]);
                if (d < 32 || d == 127) {
                    error(number, static_cast<int>(i) + 1, "unexpected control character (code " + std::to_string(d) + ")");
                    return;
                }
                i++;
            }
            words.emplace_back(text.substr(start, i - start), static_cast<int>(start) + 1);
        }
        if (!words.empty()) entry(number, words);
    }
};

}  // namespace

void clear_corefile(int n) {
    int saved = corenum;
    corenum = n;
    clrfile();
    corenum = saved;
}

std::string grammar_path(const std::string& folder, const std::string& file) {
    if (file.empty() || file[0] == '/' || folder.empty() || folder == ".") return file;
    return folder.back() == '/' ? folder + file : folder + "/" + file;
}

bool read_manifest(const std::string& grammar, grammar_manifest& m, std::vector<q_report>& reports) {
    m = grammar_manifest();
    m.folder = grammar;
    struct stat st;
    if (stat(grammar.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
        size_t slash = grammar.rfind('/');
        m.folder = slash == std::string::npos ? "." : slash == 0 ? "/" : grammar.substr(0, slash);
        m.manifest = grammar.substr(slash == std::string::npos ? 0 : slash + 1);
    }
    manifestreader r{m, reports};
    std::string path = grammar_path(m.folder, m.manifest);
    FILE* f = fopenregular(path.c_str(), "r");
    if (f == nullptr) {
        int why = errno;
        reports.push_back({{m.manifest, 0, 0}, false,
                           std::string("cannot read the manifest: ") +
                               (why == EINVAL ? "not a regular file" : strerror(why))});
        return false;
    }
    std::string text;
    int number = 1;
    for (int c = getc(f);; c = getc(f)) {
        if (c == '\n' || c == EOF) {
            if (text.size() > LINEMAX) {
                r.error(number, static_cast<int>(LINEMAX) + 1, "line longer than 1000 characters");
            } else {
                r.line(number, text);
            }
            if (c == EOF) break;
            text.clear();
            number++;
        } else if (text.size() <= LINEMAX) {
            text += static_cast<char>(c);
        }
    }
    fclose(f);
    return true;
}

bool load_grammar(const grammar_manifest& m, std::vector<q_report>& reports) {
    resetgenra();
    size_t first = reports.size();
    auto problem = [&](const q_place& where, bool warning, const std::string& message) {
        reports.push_back({where, warning, message});
    };
    int here = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (here < 0 || chdir(m.folder.c_str()) != 0) {
        problem({m.manifest, 0, 0}, false, std::string("cannot enter the grammar folder: ") + strerror(errno));
        if (here >= 0) close(here);
        return false;
    }
    std::vector<q_report>* saved = q_reports;
    q_reports = &reports;
    for (const grammar_file& f : m.files) {
        const grammar_kind& k = *f.kind;
        int fd = openregular(f.name.c_str(), O_RDONLY);
        if (fd < 0) {
            int why = errno;
            problem(f.where, false, "cannot read " + f.name + ": " + (why == EINVAL ? "not a regular file" : strerror(why)));
            continue;
        }
        close(fd);
        bool addition = k.load == addlex;
        if (k.row == 7 && !(installed & QF_TM)) {
            problem(f.where, false, "Terminals file not present");  // the lexicon needs the terminals
            continue;
        }
        void (*load)() = k.load;
        if (addition && !(installed & QF_LE)) {
            problem(f.where, true, "Lexicon not present; defaulting to LExicon");
            load = qreadlex;
        }
        // Loading a kind removes the kinds that depend on it, as the command does.
        int removes = addition ? 0 : installed & qfile_table[k.row].filebits;
        int own = 1 << (k.row - 1);
        if (removes & own) problem(f.where, true, std::string("this ") + k.word + " file replaces the one listed before it");
        if (removes & ~own) {
            problem(f.where, true,
                    std::string(k.word) + " removes " + bits_to_text(removes & ~own) + ", loaded before it: list it earlier");
        }
        snprintf(curfile, sizeof curfile, "%s", f.name.c_str());
        load();
    }
    q_reports = saved;
    if (fchdir(here) != 0) problem({m.manifest, 0, 0}, false, std::string("cannot return from the grammar folder: ") + strerror(errno));
    close(here);
    for (const grammar_setting& s : m.settings) {
        if (s.name == "seed") {
            reseed(m.seed);
        } else if (s.name == "mpasses") {
            for (int i = 1; i <= 5; i++) param[i] = i <= static_cast<int>(s.numbers.size()) ? static_cast<int>(s.numbers[static_cast<size_t>(i - 1)]) : 0;
            setmorphpasses();
        }
    }
    for (size_t i = first; i < reports.size(); i++) {
        if (!reports[i].warning) return false;
    }
    return true;
}

const char* cannot_generate() {
    if (!(installed & QF_LE)) return "There is no lexicon";
    if (!synstat && !userstat) return "There is no ROOT rule";
    return nullptr;
}

std::vector<generated_sentence> generate_once() {
    clear_corefile(MSGCORE);
    generate();
    std::vector<generated_sentence> sentences;
    auto add = [&](t_treenode tree, const char* name, int number) {
        generated_sentence s{name, genSentences[number], {}};
        for (t_treenode leaf = tree->right; leaf != nullptr; leaf = leaf->right) {
            generated_leaf l{leaf->name, leaf->morphed_word, {}};
            for (attr_list a = leaf->attributes; a != nullptr; a = a->next) l.attributes.push_back(print_comp_attr(a->first));
            s.leaves.push_back(l);
        }
        sentences.push_back(s);
    };
    bool further = false;
    for (int i = 1; i < NUMROOTS; i++) {
        if (rootPtrs[i] == nullptr) continue;
        further = true;
        add(rootPtrs[i], tree_roots[i].name, i);
    }
    if (!further && root != nullptr) add(root, "ROOT", 0);
    return sentences;
}

}  // namespace zek

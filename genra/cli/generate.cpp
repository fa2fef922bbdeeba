// genra generate: sentences of a grammar on standard output, reproducible from a seed.
#include <getopt.h>

#include <nlohmann/json.hpp>
#include <string>

#include "genra/cli/cli.h"
#include "genra/feedback.h"
#include "genra/grammar.h"
#include "genra/utilities.h"

namespace zek {

static const char usage[] = "usage: genra generate [-h] [-n N] [--seed S] [--json] [GRAMMAR]";

static void help() {
    printf("%s\n\n"
           "Loads the grammar folder GRAMMAR and makes N generation runs, as zek's generate key\n"
           "makes them. Each run prints one line: its sentence, or, when the grammar has the roots\n"
           "QUESTION, ANSWER and R_3 to R_20, their sentences in that order separated by a tab.\n"
           "The grammar's errors go to standard error; so does, once, each problem a run meets\n"
           "(a leaf without a word, say). Without GRAMMAR: %s.\n\n"
           "options:\n"
           "  -n N          make N runs (1 to 1000000; default 1)\n"
           "  --seed S      the random seed of the first run (0 to 4294967295; 0 takes the clock);\n"
           "                the same seed gives the same sentences. Default: the manifest's seed\n"
           "                setting, else the clock\n"
           "  --json        one JSON object a line per sentence: {\"run\": 1, \"root\": \"ROOT\",\n"
           "                \"sentence\": ..., \"leaves\": [{\"node\": \"N\", \"word\": ..., \"attributes\":\n"
           "                [\"noun.sing\", ...]}, ...]}\n"
           "  -h, --help    this text\n\n"
           "exit status: 0 done, 1 the grammar has errors or cannot generate, 2 a wrong command line\n",
           usage, default_grammar().c_str());
}

// JSON wants UTF-8: text that is not UTF-8 is taken as Latin-1, the editor's own character
// set, and converted.
static std::string utf8(const std::string& text) {
    std::string latin1;
    std::vector<std::string> beyond;  // letters Latin-1 lacks: the text is UTF-8 all the same
    if (utf8_to_latin1(text, latin1, beyond) || !beyond.empty()) return text;
    return latin1_to_utf8(text);
}

static void printjson(int run, const std::vector<generated_sentence>& sentences) {
    for (const generated_sentence& s : sentences) {
        nlohmann::ordered_json leaves = nlohmann::ordered_json::array();
        for (const generated_leaf& l : s.leaves) {
            nlohmann::ordered_json attributes = nlohmann::ordered_json::array();
            for (const std::string& a : l.attributes) attributes.push_back(utf8(a));
            leaves.push_back({{"node", utf8(l.node)}, {"word", utf8(l.word)}, {"attributes", attributes}});
        }
        nlohmann::ordered_json line = {
            {"run", run}, {"root", s.root}, {"sentence", utf8(s.sentence)}, {"leaves", leaves}};
        // What still is no valid UTF-8 (an overlong form, say) is replaced rather than thrown.
        printf("%s\n", line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
    }
}

int generate_main(int argc, char** argv) {
    static const option options[] = {{"help", no_argument, nullptr, 'h'},
                                     {"seed", required_argument, nullptr, 's'},
                                     {"json", no_argument, nullptr, 'j'},
                                     {nullptr, 0, nullptr, 0}};
    unsigned long runs = 1, seedwanted = 0;
    bool seeded = false, json = false;
    opterr = 0;
    optind = 1;
    for (int c; (c = getopt_long(argc, argv, "+:hn:", options, nullptr)) != -1;) {
        switch (c) {
            case 'h': help(); return 0;
            case 'n':
                if (!number_option("generate", usage, "-n", optarg, 1, 1000000, &runs)) return EXIT_USAGE;
                break;
            case 's':
                if (!number_option("generate", usage, "--seed", optarg, 0, 4294967295UL, &seedwanted)) return EXIT_USAGE;
                seeded = true;
                break;
            case 'j': json = true; break;
            default: return option_error("generate", usage, c, argv);
        }
    }
    if (argc - optind > 1) return usage_error("generate", usage, "one grammar folder at most");
    std::string folder = optind < argc ? argv[optind] : default_grammar();

    std::vector<q_report> reports;
    grammar_manifest m;
    if (!read_manifest(folder, m, reports)) {
        print_reports(stderr, m.folder, reports);
        return EXIT_FOUND;
    }
    start_engine();
    load_grammar(m, reports);
    bool clean = print_reports(stderr, m.folder, reports, false) == 0;
    if (const char* why = cannot_generate()) {
        print_reports(stderr, m.folder, {{{m.manifest, 0, 0}, false, why}});
        return EXIT_FOUND;
    }
    if (seeded) reseed(seedwanted);
    std::vector<q_report> met;  // what the runs report, each text once
    for (unsigned long run = 1; run <= runs; run++) {
        std::vector<q_report> now;
        q_reports = &now;
        std::vector<generated_sentence> sentences = generate_once();
        q_reports = nullptr;
        for (const q_report& r : now) {
            bool known = false;
            for (const q_report& k : met) known = known || k.message == r.message;
            if (!known) met.push_back({{}, true, r.message});
        }
        if (json) {
            printjson(static_cast<int>(run), sentences);
            continue;
        }
        std::string line;
        for (const generated_sentence& s : sentences) line += (line.empty() ? "" : "\t") + s.sentence;
        printf("%s\n", line.c_str());
    }
    fflush(stdout);  // the sentences come before what the runs met, also where both go to one pipe
    print_reports(stderr, m.folder, met);
    return clean ? 0 : EXIT_FOUND;
}

}  // namespace zek

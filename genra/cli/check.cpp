// genra check: loads every file of a grammar and reports each problem the way compilers do.
#include <getopt.h>

#include <cstring>

#include "genra/cli/cli.h"
#include "genra/grammar.h"
#include "genra/lint.h"

namespace zek {

static const char usage[] = "usage: genra check [-h] [GRAMMAR]";

static void help() {
    printf("%s\n\n"
           "Loads the files of the grammar folder GRAMMAR in the order of its manifest, as zek's\n"
           "commands load them, and prints every problem as FILE:LINE:COLUMN: error: MESSAGE\n"
           "(or warning:). Beyond the readers' own errors it warns of node names that are neither\n"
           "a rule nor a terminal, rules that no root reaches, terminals without a lexical entry,\n"
           "attribute values that nothing uses, and morphology rules or tables that are referred\n"
           "to but missing. Without GRAMMAR: %s.\n\n"
           "options:\n"
           "  -h, --help   this text\n\n"
           "exit status: 0 no errors (warnings allowed), 1 errors found, 2 a wrong command line\n",
           usage, default_grammar().c_str());
}

int check_main(int argc, char** argv) {
    static const option options[] = {{"help", no_argument, nullptr, 'h'}, {nullptr, 0, nullptr, 0}};
    opterr = 0;
    optind = 1;
    for (int c; (c = getopt_long(argc, argv, "+h", options, nullptr)) != -1;) {
        if (c == 'h') {
            help();
            return 0;
        }
        return option_error("check", usage, c, argv);
    }
    if (argc - optind > 1) return usage_error("check", usage, "one grammar folder at most");
    std::string folder = optind < argc ? argv[optind] : default_grammar();

    std::vector<q_report> reports;
    grammar_manifest m;
    if (read_manifest(folder, m, reports)) {
        start_engine();
        grammar_xref x;
        q_xref = &x;
        load_grammar(m, reports);
        q_xref = nullptr;
        const char* why = cannot_generate();
        if (why != nullptr) reports.push_back({{m.manifest, 0, 0}, false, why});
        lint_grammar(x, m, reports);
    }
    int errors = print_reports(stdout, m.folder, reports);
    int warnings = static_cast<int>(reports.size()) - errors;
    fflush(stdout);  // the diagnostics come before the count, also where both go to one pipe
    fprintf(stderr, "genra check: %s: %d error%s, %d warning%s\n", folder.c_str(), errors, errors == 1 ? "" : "s",
            warnings, warnings == 1 ? "" : "s");
    return errors > 0 ? EXIT_FOUND : 0;
}

}  // namespace zek

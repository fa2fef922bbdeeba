// The genra program's entry: the subcommand table, its help, and what subcommands share.
#include <getopt.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "genra/cli/cli.h"
#include "genra/grammar.h"

namespace zek {

const subcommand subcommands[] = {
    {"check", "load a grammar and report every problem by file, line and column", check_main},
    {"generate", "print sentences generated from a grammar", generate_main},
    {"exercise", "practise in the terminal: questions, answers and feedback in plain words", exercise_main},
    {"serve", "serve the exercise to learners' browsers: a web page and a JSON API", serve_main},
};
const int subcommand_count = sizeof subcommands / sizeof subcommands[0];

static const char usage[] = "usage: genra [-h] COMMAND [OPTIONS] [GRAMMAR]";

static void help() {
    printf("%s\n\n", usage);
    printf("genra works with a grammar folder: a manifest that lists the description files and\n"
           "their kinds in load order, with the settings of a run (docs/grammar.md).\n"
           "Without GRAMMAR it uses the example grammar, %s.\n\n",
           default_grammar().c_str());
    printf("commands:\n");
    for (int i = 0; i < subcommand_count; i++) printf("  %-10s %s\n", subcommands[i].name, subcommands[i].summary);
    printf("\noptions:\n  -h, --help   this text; \"genra COMMAND -h\" describes a command's options\n\n"
           "exit status: 0 done, 1 errors found, 2 a wrong command line\n");
}

std::string default_grammar() {
    struct stat st;
    std::string relative = std::string("examples/grammar/") + MANIFEST;
    if (stat(relative.c_str(), &st) == 0) return "examples/grammar";
    return ZEK_EXAMPLES;
}

int usage_error(const char* name, const char* usage, const std::string& message) {
    fprintf(stderr, "genra%s%s: %s\n%s\n", name[0] != 0 ? " " : "", name, message.c_str(), usage);
    return EXIT_USAGE;
}

bool parse_number(const char* text, unsigned long low, unsigned long high, unsigned long* value) {
    size_t n = strlen(text);
    if (n == 0 || n > 10 || strspn(text, "0123456789") != n) return false;
    unsigned long v = strtoul(text, nullptr, 10);
    if (v < low || v > high) return false;
    *value = v;
    return true;
}

bool number_option(const char* name, const char* usage, const char* flag, const char* text, unsigned long low,
                   unsigned long high, unsigned long* value) {
    if (parse_number(text, low, high, value)) return true;
    usage_error(name, usage, std::string(flag) + " takes a number from " + std::to_string(low) + " to " +
                                 std::to_string(high) + ", not " + text);
    return false;
}

int option_error(const char* name, const char* usage, int c, char** argv) {
    std::string given = argv[optind - 1];
    return usage_error(name, usage, c == ':' ? given + " needs a value" : "unknown option " + given);
}

// A message may quote the grammar's text: control bytes are shown as "?", never sent to the
// terminal.
static std::string printable(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
    }
    return out;
}

int print_reports(FILE* out, const std::string& folder, const std::vector<q_report>& reports, bool warnings) {
    int errors = 0;
    for (const q_report& r : reports) {
        if (!r.warning) errors++;
        if (r.warning && !warnings) continue;
        std::string file = printable(r.where.file.empty() ? folder : grammar_path(folder, r.where.file));
        const char* kind = r.warning ? "warning" : "error";
        if (r.where.line > 0) {
            fprintf(out, "%s:%d:%d: %s: %s\n", file.c_str(), r.where.line, r.where.column, kind, printable(r.message).c_str());
        } else {
            fprintf(out, "%s: %s: %s\n", file.c_str(), kind, printable(r.message).c_str());
        }
    }
    return errors;
}

}  // namespace zek

int main(int argc, char** argv) {
    using namespace zek;
    if (argc < 2) return usage_error("", usage, "a command is needed (check, generate, exercise or serve)");
    const char* name = argv[1];
    if (strcmp(name, "-h") == 0 || strcmp(name, "--help") == 0) {
        help();
        return 0;
    }
    for (int i = 0; i < subcommand_count; i++) {
        if (strcmp(name, subcommands[i].name) == 0) return subcommands[i].run(argc - 1, argv + 1);
    }
    if (name[0] == '-') return usage_error("", usage, std::string("unknown option ") + name);
    return usage_error("", usage, std::string("unknown command ") + name);
}

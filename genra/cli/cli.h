// The genra program: a table of subcommands, one file each, thin over the library (the
// grammar folder and the generator of genra/grammar.h), and what they share: exit codes, the
// default grammar, option errors and the form of diagnostics.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "genra/grammar.h"
#include "genra/input_base.h"

namespace zek {

constexpr int EXIT_FOUND = 1;  // errors were found (in the grammar, or it cannot be used)
constexpr int EXIT_USAGE = 2;  // the command line was wrong

struct subcommand {
    const char* name;
    const char* summary;                // one line for "genra -h"
    int (*run)(int argc, char** argv);  // argv[0] is the subcommand's name
};
// The subcommands, in the order "genra -h" lists them; a new one is a row and a file.
extern const subcommand subcommands[];
extern const int subcommand_count;

int check_main(int argc, char** argv);
int generate_main(int argc, char** argv);
int exercise_main(int argc, char** argv);
int serve_main(int argc, char** argv);

// The grammar used when none is named: the shipped example grammar, named relative to the
// working directory when it is the source tree's root.
std::string default_grammar();
// The exercise used when none is named: the example grammar's exercise manifest.
std::string default_exercise();

// Reads and loads an exercise grammar (a folder or a manifest file) into the engine, its
// errors on standard error. 0, or the exit status when it cannot make exercises.
int load_exercise(const std::string& grammar, grammar_manifest& m);
// The seed of question n of an exercise that starts from `seed`, odd and the same everywhere.
unsigned long question_seed(unsigned long seed, unsigned long n);

// Reports a wrong command line on standard error ("genra NAME: MESSAGE" and the usage line)
// and returns EXIT_USAGE.
int usage_error(const char* name, const char* usage, const std::string& message);

// Parses a whole decimal number from low to high; false when `text` is anything else.
bool parse_number(const char* text, unsigned long low, unsigned long high, unsigned long* value);

// The number an option takes, as parse_number reads it; otherwise reports "FLAG takes a number
// from LOW to HIGH, not TEXT" as usage_error does and returns false.
bool number_option(const char* name, const char* usage, const char* flag, const char* text, unsigned long low,
                   unsigned long high, unsigned long* value);

// Reports what getopt_long refused, `c` being what it returned: an option without its value
// (':') or an unknown one, the last argument it looked at. Returns EXIT_USAGE.
int option_error(const char* name, const char* usage, int c, char** argv);

// Writes reports as compilers write diagnostics, "FILE:LINE:COLUMN: error: MESSAGE" (or
// "warning"), the file named as seen from the working directory; a report without a line
// names the file (or the grammar folder) alone. Returns the number of errors among them.
int print_reports(FILE* out, const std::string& folder, const std::vector<q_report>& reports, bool warnings = true);

}  // namespace zek

// Shared set-up of the generator tests: description files written into a scratch directory
// and the lines the generator reports in corefile 7.
#pragma once

#include <string>
#include <vector>

#include "tests/unit/harness.h"

namespace zektest {

void writefile(const std::string& name, const std::string& bytes);

// The lines appended to corefile 7 since the last call (the corefile is emptied again).
std::vector<std::string> report();

// Loads attributes, terminals and a lexicon through their commands (files written first)
// and empties the report.
void loadgrammar(const std::string& attributes, const std::string& terminals, const std::string& lexicon);

// Loads `text` as the syntax file (written first) and empties the report.
void loadsyntax(const std::string& text);

// Makes the next getrandom draw take the fraction `u` (0 <= u < 1) of its range.
void nextdraw(double u);

}  // namespace zektest

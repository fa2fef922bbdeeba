// The terminals: the lexical categories that syntax rules end in, numbered in reading order.
#pragma once

#include <string>
#include <vector>

namespace zek {

constexpr int MAXTERMINALS = 128;

extern std::vector<std::string> terminal_table;
extern int terminal_count;

void read_terminals(const char* file);
// The number of the terminal named by `name` (which ends at "|" or its end), or -1.
int lookup_terminal(const char* name);
void clear_terminals();

}  // namespace zek

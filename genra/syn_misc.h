// The rule and transformation stacks: barriers between files, finding rules by name,
// removing a file's rules, and listing them.
#pragma once

#include "genra/syn_globals.h"

namespace zek {

// The compiled text of the newest rule of that name, or nullptr.
const char* getrule(const char* name);
// The newest transformation of that name, or nullptr.
transformation* findtransformation(const char* name);
void add_barrier();
// Removes the rules and transformations above the newest barrier, and the barrier.
void dump_syntax();
void print_cf();
void print_transf();

}  // namespace zek

// Reading syntax and user files: context-free rules, transformations and the PRESELECT rule,
// compiled into the rule notation that expansion interprets.
#pragma once

namespace zek {

// Reads a syntax or user file; q_stat becomes 2 when a ROOT rule was stored.
void read_syntax(const char* file);

}  // namespace zek

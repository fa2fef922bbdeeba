// The help view of screen mode: every key and what it does, every command with its parameters,
// made from the key table, the terminal's keys and the command table as they stand.
#pragma once

#include <string>
#include <vector>

namespace zek {

// The help text laid out for a screen `width` columns wide, one Latin-1 string per row.
std::vector<std::string> helplines(int width);

// Screen mode: shows the help, scrolled by the cursor and page keys, until ESC, q or F1. The
// text and the cursor are left as they were. Does nothing in the protocol mode.
void helpview();

}  // namespace zek

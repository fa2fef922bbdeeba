// The command line: reading a command name and running the command with its parameters.
#pragma once

namespace zek {

void prcmnd();
int getcmnd();

}  // namespace zek

// The command line: reading a command name and running the command with its parameters.
#include "editor/prcmnd.h"

namespace zek {

void prcmnd() {}

}  // namespace zek

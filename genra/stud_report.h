// The report of one root's comparison: missing and extra words, and for each expected word the
// kind of its match with the nearest response word.
#pragma once

#include <string>

#include "genra/stud_err.h"

namespace zek {

// The report as lines, each ended by "\n", the last "***".
std::string err_get_report(const wordmatrix& m);

}  // namespace zek

// The warnings genra check adds to the readers' own reports: names used but never defined,
// rules no root reaches, terminals without words, attribute values nothing uses, morphology
// rules and tables referred to but missing, explanations of names that do not exist. They
// need the whole grammar loaded.
#pragma once

#include <vector>

#include "genra/grammar.h"
#include "genra/input_base.h"
#include "genra/xref.h"

namespace zek {

// Appends the warnings about the grammar loaded from `m`, whose readers filled `x`, to
// `reports`. The values named by the manifest's "unused" settings are not warned of (a name
// there that is no attribute value is).
void lint_grammar(const grammar_xref& x, const grammar_manifest& m, std::vector<q_report>& reports);

}  // namespace zek

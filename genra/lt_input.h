// Reading LT rules files (the LXTRANSF command, file operation "LT Rules"):
//   RULE n [ ( var : type , ... ) ] lsp { _and_ lsp } _makes_ right side %
// an LSP being fields separated by "|": word pattern, terminal class, attribute compounds, and
// further field patterns. Errors are reported through q_err and the rule is skipped.
#pragma once

#include <string>

#include "genra/lt_rule.h"

namespace zek {

void readlextrans(const char* filename);
void read_lt_rules();
// One rule after its header; nullptr when it fails (reported).
LTRULE* read_lt_rule();
// The common attribute clause at "(": false when it fails (reported).
bool read_ca_clause(LTRULE* rule);
// One variable of the clause; false when it fails (reported).
bool read_next_var(LTRULE* rule);
bool read_lsps(LTRULE* rule);
// One field up to "|", _and_ or _makes_ (not consumed): identifiers as text, quoted text with
// its quotes, other tokens as their characters. False (reported) on "%", a reserved word, the
// end of the file, or more than LTFIELDSIZE - 1 characters.
bool gen_read_field(std::string& field);
bool read_rhs(LTRULE* rule);
// Skips the rest of a rule: up to and including its "%", or up to the next RULE.
void skip_lt_rule();
// RULE and its number: the number, or -1 (reported) when there is none usable.
int get_header();

}  // namespace zek

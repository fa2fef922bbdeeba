// Inline lexical transformations: a lexicon entry whose text begins with the code of _ilt_
// carries its own LSPs (each introduced by the code of _lsp_: word pattern, class, attribute
// compounds, restrictions, separated by "|") and a right side (after the code of _rhs_). When
// a lookup selects such an entry, the LSPs become tree nodes with lookups of their own; once
// the lookups are made the entry text of the lookup is replaced by the right side's result.
#pragma once

#include <string>

#include "genra/trees.h"

namespace zek {

// The position after the next "|" of an entry text (or its end), stepping over the three
// bytes of encoded attributes and over quoted text.
const char* nextbar(const char* p);
// The start of the next LSP or right side at or after p: the code of _lsp_ or _rhs_ (outside
// quotes and encoded attributes), or the end of the text.
const char* nextfield(const char* p);
// A node for one LSP (its text from after _lsp_ up to the next _lsp_ or _rhs_), given a lookup
// and filled; nullptr when no lookup is left.
t_treenode make_lsp(const std::string& lspcon);
// Makes the LSP sequence of a lookup that selected an _ilt_ entry.
void ilt_create_lsps(t_dict_lookup* iltptr);
// The lookups from the last down to `start` that have a sequence get their entry text
// replaced by the result of the right side.
void scan_ilts(int start);
// Frees the sequence of a lookup (the LSP nodes; their lookups stay in dict_table).
void purge_lspseq(t_dict_lookup* d);

}  // namespace zek

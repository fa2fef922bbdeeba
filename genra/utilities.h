// The generator's random source and the pattern matching used to select lexical entries:
// wildcard texts, lists of items in an entry field, and field-by-field restrictions.
#pragma once

#include <cstdint>

namespace zek {

extern uint32_t seed;

// An integer from 0 to range - 1 (0 when range is not positive).
long getrandom(long range);
// Sets the seed (from the clock when sd is 0), always odd, and reports it in corefile 7.
void reseed(unsigned long sd);
void printseed(int corefile);

// Text s (ending at the character se or its end) against pattern p (ending at pe or its end):
// "*" matches any run of characters.
int match_wild(const char* p, const char* s, char pe, char se);
// p against the items of an entry field (separated by ",", ":" or ";" outside quotes; the
// field ends at "|" or the text's end): 1 when some item matches.
int match_list(const char* p, const char* list);
// The patterns of one restriction field (separated by "," outside quotes, ending at "|"): 1
// when every one matches the entry field `list`.
int match_pattlist(const char* patterns, const char* list);
// From field 4 on, every field of `lsp` that is not "?" must match the entry's field.
int match_lsp(const char* lsp, const char* lex);

// The start of field n (from 1) of an entry text: the fields end at "|", and the three bytes
// of a compiled attribute component (marker, type, value) are stepped over whole.
const char* getfieldptr(const char* entry, int n);
// The length of the field that starts at f.
int fieldlength(const char* f);

}  // namespace zek

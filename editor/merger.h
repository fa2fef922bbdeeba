// Merging the fields of the record (or the words of the paragraph) at the cursor into
// templates: text for corefile 16, a value for the register, new values for record fields.
#pragma once

namespace zek {

constexpr int MRGFIELDS = 50;  // fields a merge can refer to

extern char mrgstring[49];  // the text merge template (MERGE)
extern const char* mrgptr;  // the template being expanded
extern int mrglen;
extern int mrgcnt;          // characters of it consumed
extern long mrgavail;       // end of the expansion, which starts at avail
extern char terminate;      // field terminator: "|" on a record line, blank in text
extern int mrgnumfields;
extern long fieldptr[MRGFIELDS + 1];  // start of each field in textbase, from 1
extern int mrgflen[MRGFIELDS + 1];

void initmerger();

// Collects the fields at the cursor: a record line's fields, or the words of the paragraph
// from the cursor (the text view follows the paragraph onto its next lines).
void mrgsetup();
int mrggetnum();

// Expands mrgptr/mrglen against the fields at the cursor into the free end of the character
// array, textbase[avail .. mrgavail). "#n" stands for field n and "`" is dropped. Returns 0
// when the whole template was expanded, 3 when it stopped at a reference to a field the
// record lacks (fperror is then 3), 4 when the array had no room for the rest.
int merge();

// The expansion of a template for evaluation: 0 and the value on top of the number stack, or
// an fperror (a template cut short counts as a syntax error).
int mrgevaluate(const char* templ, int len);

void domerge();
void mrgexp();
void mrgtext();
void mrgassign();
void mrgrec();

}  // namespace zek

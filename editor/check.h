// Record checks: field conditions, expression conditions, and the check lines of corefile 18
// that turn a record into a word of check bits.
#pragma once

#include "editor/corutils.h"

namespace zek {

constexpr int CHECKCORE = 18;  // holds the check lines
constexpr int RINGSIZE = 50;   // the unit position ring; it keeps up to 49 units
constexpr int MAXCHECKS = 32;  // check lines that fit the bit words; further ones are not evaluated

extern char recboolcheck[49];  // the record filter of FETCH, APPEND and INSERT

extern long boolcheck;   // one bit per check line, the first line's the most significant
extern long boolerror;   // 1 bits for the checks whose expression did not evaluate
extern int numchecks;
extern char boolstring[33];
extern int cmperr;       // set when a field condition is malformed

extern LINE* findlptr[RINGSIZE];
extern int findcptr[RINGSIZE];
extern int findbufptr;  // ring index of the unit that field 1 designates
extern int findbotptr;  // ring index of the last unit stored

void initcheck();

// Fills the ring from the text pointer: the field starts of the line under test when the
// corefile's current line is a record line, else the word starts from the test position.
void checksetup();
// Slides the ring on by one word.
void checkupdate();

// "$#n=a\b...": 1 when unit n of the ring begins with one of the alternatives (">" and "<"
// compare the unit's text with the alternative in byte order instead).
int recstrmatch(const char* pattern);
// 1 when the pattern, merged against the record at the text pointer, evaluates to non-zero.
int recmathmatch(const char* pattern);

// "0" demands a false check, "1" a true one, any other character ignores that check; the
// pattern's last character stands for the last check line.
void makecheck(const char* pat, long* chk, long* mask);
// Evaluates every check line of corefile 18 against the cursor of the current corefile.
void multicheck();
void getboolstring(long num, int len);
void extchk();

// The record tests of the scan units rec (5) and check (6) at the text pointer: 1 when the
// record passes.
int recordtest(int firstloop);

// The record filter of file reading: prepared from recboolcheck (false when it is empty),
// then asked for each record line read, which stands as the current line.
bool filterprepare();
bool filterpasses();

}  // namespace zek

// Sorting lines or starred blocks by keys.
#pragma once

namespace zek {

struct coreline;

extern int sortdir;
extern int keylength;
extern int sortln1;
extern int sortln2;
extern int sortpos;
extern int sorttable;  // 0 ASCII, 1 letters without their accents, 2 the accents alone
extern int unaccented[256];
extern int accents[256];

void initsort();
void sortchk();
int appropriate(int object);
int getnumptr();
// Stable sort of the `num` lines from h to t, relinked in place.
void zeksort(coreline* h, coreline* t, int num);

void sort();
void skey();

}  // namespace zek

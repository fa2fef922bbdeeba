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
int linecmp(coreline* l1, coreline* l2);
int compare(coreline* a, coreline* b);
coreline* getpivot(coreline* h, int n);
void iqsort(coreline* head, coreline* tail, coreline* pivot, coreline** h1, coreline** t1, int* n1, coreline** h2,
            coreline** t2, int* n2);
void zeksort(coreline* h, coreline* t, int num);
void isort(coreline* hp, coreline* tp);

void sort();
void skey();

}  // namespace zek

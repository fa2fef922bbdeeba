// Find and change: scan units, pattern codes, wildcard lines and the text statistics.
#pragma once

#include <cstddef>

namespace zek {

extern char targetstring[49];

extern char scanpattern[49];
extern int scanunit;

extern char peepchar;
extern int wordlen[21];
extern int sentlen[101];

void initscan();
int match(const char* pattern);
// The first occurrence of the n (at least 1) bytes of pattern in size bytes of text, or nullptr.
const void* findplain(const unsigned char* text, size_t size, const char* pattern, size_t n);
int fastsearch();
int basictest(int firstloop);
void moveoneunit();
void nextwdend();
void nextlett();
void nextfldend();
void nextline();
void altnextline();
void nextsent();
void nextword();
void findchk();
void changechk();

void find();
void resfind();
void resnumber();
void rescheck();
void scantext();
void change();

}  // namespace zek

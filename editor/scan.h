// Find and change: scan units, pattern codes, wildcard lines and the text statistics.
#pragma once

namespace zek {

extern char targetstring[49];

extern char scanpattern[49];
extern int scanunit;

void initscan();
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

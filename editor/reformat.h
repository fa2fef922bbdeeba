// Reformat of paragraphs between the margins, justification and hyphenation.
#pragma once

namespace zek {

extern int hyphlevel;
extern int jmode;

extern long bit_p;

void initreformat();
int refblock();
int hyphenate(int hlen, int hmax);
void justify();
void rpeep();
void rnext();
int countword();
void copyword();
void rput(int ch);
void newhdr();
int rule1();
int ruleprefix();
int rulesuffix();
int rule5();
int rule6();
int rule7();
int rule8();
void upcase();
int vowel(int ch);
int together(int ch);
void wordmask();
void savepoint(int point);

void reformat();
void hyphenset();
void justset();

}  // namespace zek

// Reformat of paragraphs between the margins, justification and hyphenation.
#pragma once

namespace zek {

extern int hyphlevel;
extern int jmode;

void initreformat();

void reformat();
void hyphenset();
void justset();

}  // namespace zek

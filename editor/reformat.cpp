// Reformat of paragraphs between the margins, justification and hyphenation.
#include "editor/reformat.h"

namespace zek {

int hyphlevel = 0;
int jmode = 0;

void initreformat() {
    hyphlevel = 0;
    jmode = 0;
}

void reformat() {}
void hyphenset() {}
void justset() {}

}  // namespace zek

// Views of records through a page template.
#include "editor/view.h"

namespace zek {

void viewterm() {}
void view() {}

}  // namespace zek

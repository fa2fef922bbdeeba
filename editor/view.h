// Views of records through a page template.
#pragma once

namespace zek {


void viewterm();
void view();

}  // namespace zek

// Storing the last run's trees and chosen entries as text (leaf lists, full trees with node
// paths, indented trees) into the current corefile or to the driver program, and reading a
// stored file back so that the sentences and lookups of a run exist again.
#pragma once

namespace zek {

extern int xmit;  // the store goes to the driver (1) or into the current corefile (0)

// style 0 leaf lists, 1 full trees, 2 indented trees; destination 0 corefile, 1 driver.
void store(int style, int destination);
// Reads a stored file back (RECOVER).
void restorenode(const char* filename);
bool there_has_been_no_generation();

}  // namespace zek

// Writing to the driver program's input: answers, emitted text and stored trees.
#pragma once

namespace zek {

// Formatted output to the running driver program; nothing when no program runs.
void todriverf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void todriverflush();

}  // namespace zek

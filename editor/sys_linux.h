// Small platform helpers that the rest of the editor keeps out of its own code.
#pragma once

#include <cstdio>

namespace zek {

// True when a read from `stream` would be served from its buffer without blocking.
bool inputpending(FILE* stream);

}  // namespace zek

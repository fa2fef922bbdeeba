// Small platform helpers that the rest of the editor keeps out of its own code.
#pragma once

#include <sys/types.h>

#include <cstdio>

namespace zek {

// True when a read from `stream` would be served from its buffer without blocking.
bool inputpending(FILE* stream);
// True when a read from `stream` would not block within `ms` milliseconds (its buffer holds
// bytes, or its descriptor becomes readable); false after the time or an interruption.
bool inputwithin(FILE* stream, int ms);

// Every file the editor or the generator opens goes through these. The file is opened without
// blocking (a FIFO or a device never holds the editor up) and kept only when it is a regular
// file; otherwise the result is -1 (nullptr) with errno EISDIR for a directory and EINVAL for
// anything else. `flags` are open(2) flags; the descriptor is returned in blocking mode.
int openregular(const char* name, int flags, mode_t mode = 0666);
// `how` is "r", "w" (truncate or create) or "a" (append or create).
FILE* fopenregular(const char* name, const char* how);

// write(2) of the whole buffer, retried after interrupts and short writes; false on failure.
bool writeall(int fd, const void* data, size_t size);

}  // namespace zek

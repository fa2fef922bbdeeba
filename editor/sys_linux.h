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

// Moves the file `from` to the name `to`, replacing what is there, without a shell: rename(2),
// or across file systems a copy made beside `to` (a symbolic link as a link, a file with its
// permission bits), renamed over it when complete and followed by the removal of `from`.
// Returns 0 or the errno of the step that failed; a failure before the copy is in place leaves
// both names as they were. `kept` becomes true when the copy is in place but `from` could not
// be removed (the errno returned is then that removal's).
int movefile(const char* from, const char* to, bool& kept);

}  // namespace zek

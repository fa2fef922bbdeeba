// Small platform helpers that the rest of the editor keeps out of its own code.
#include "editor/sys_linux.h"

namespace zek {

bool inputpending(FILE* stream) {
    if (stream == nullptr) return false;
    // glibc keeps the unread part of a stream's buffer between these two pointers.
    return stream->_IO_read_ptr < stream->_IO_read_end;
}

}  // namespace zek

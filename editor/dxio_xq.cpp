// Writing to the driver program's input: answers, emitted text and stored trees.
#include "editor/dxio_xq.h"

#include <cstdarg>
#include <cstdio>

#include "editor/sysutils.h"

namespace zek {

void todriverf(const char* format, ...) {
    if (zekoutput == nullptr) return;
    va_list args;
    va_start(args, format);
    vfprintf(zekoutput, format, args);
    va_end(args);
}

void todriverflush() { flushdriver(); }

}  // namespace zek

// Small platform helpers that the rest of the editor keeps out of its own code.
#include "editor/sys_linux.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zek {

bool inputpending(FILE* stream) {
    if (stream == nullptr) return false;
    // glibc keeps the unread part of a stream's buffer between these two pointers.
    return stream->_IO_read_ptr < stream->_IO_read_end;
}

bool inputwithin(FILE* stream, int ms) {
    if (stream == nullptr) return false;
    if (inputpending(stream)) return true;
    struct pollfd p = {fileno(stream), POLLIN, 0};
    return poll(&p, 1, ms) > 0;
}

int openregular(const char* name, int flags, mode_t mode) {
    if (name == nullptr || name[0] == 0) {
        errno = ENOENT;
        return -1;
    }
    int fd;
    do {
        fd = open(name, flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat st;
    bool known = fstat(fd, &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
        int why = (known && S_ISDIR(st.st_mode)) ? EISDIR : EINVAL;
        close(fd);
        errno = why;
        return -1;
    }
    int fl = fcntl(fd, F_GETFL);
    if (fl >= 0) fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    return fd;
}

FILE* fopenregular(const char* name, const char* how) {
    int flags = O_RDONLY;
    if (strcmp(how, "w") == 0) flags = O_WRONLY | O_CREAT | O_TRUNC;
    if (strcmp(how, "a") == 0) flags = O_WRONLY | O_CREAT | O_APPEND;
    int fd = openregular(name, flags);
    if (fd < 0) return nullptr;
    FILE* f = fdopen(fd, how);
    if (f == nullptr) close(fd);
    return f;
}

bool writeall(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace zek

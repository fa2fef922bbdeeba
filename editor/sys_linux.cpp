// Small platform helpers that the rest of the editor keeps out of its own code.
#include "editor/sys_linux.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

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

// A name beside `to` for the copy, unused at the moment of the call.
static std::string besidename(const char* to) {
    static unsigned counter = 0;
    const char* slash = strrchr(to, '/');
    std::string dir(to, slash != nullptr ? static_cast<size_t>(slash - to) + 1 : 0);
    return dir + ".zek-move-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

// The copy of `from` (described by `st`) as the name `to`. Returns 0 or an errno.
static int copyover(const char* from, const struct stat& st, const char* to) {
    std::string temp = besidename(to);
    int err = 0;
    if (S_ISLNK(st.st_mode)) {
        std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 2);
        ssize_t n = readlink(from, target.data(), target.size() - 1);
        if (n < 0) return errno;
        target[static_cast<size_t>(n)] = 0;
        if (symlink(target.data(), temp.c_str()) != 0) return errno;
    } else {
        int in = openregular(from, O_RDONLY);
        if (in < 0) return errno;
        int out = openregular(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (out < 0) {
            err = errno;
            close(in);
            return err;
        }
        char buffer[65536];
        for (;;) {
            ssize_t n = read(in, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) err = errno;
            if (n <= 0) break;
            if (!writeall(out, buffer, static_cast<size_t>(n))) {
                err = errno != 0 ? errno : EIO;
                break;
            }
        }
        if (err == 0 && fchmod(out, st.st_mode & 07777) != 0) err = errno;
        if (close(out) != 0 && err == 0) err = errno;
        close(in);
    }
    if (err == 0 && rename(temp.c_str(), to) != 0) err = errno;
    if (err != 0) unlink(temp.c_str());
    return err;
}

int movefile(const char* from, const char* to, bool& kept) {
    kept = false;
    if (rename(from, to) == 0) return 0;
    if (errno != EXDEV) return errno;
    struct stat st;
    if (lstat(from, &st) != 0) return errno;
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return EXDEV;  // a directory or a device stays
    int err = copyover(from, st, to);
    if (err != 0) return err;
    if (unlink(from) != 0) {
        kept = true;
        return errno;
    }
    return 0;
}

}  // namespace zek

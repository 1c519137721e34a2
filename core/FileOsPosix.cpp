#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/FileOs.h"

namespace fileos {

long Open(const char* name, Access access, Handle& handle) {
    int flags = O_CLOEXEC;
    switch (access) {
        case Access::read:
            flags |= O_RDONLY;
            break;
        case Access::write:
            flags |= O_WRONLY;
            break;
        case Access::createAndWrite:
            flags |= O_WRONLY | O_CREAT | O_TRUNC;
            break;
    }
    const int fd = ::open(name, flags, 0666);
    if (fd < 0) return errno;
    // POSIX opens a directory for reading; Windows does not, and the two must agree.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        return EISDIR;
    }
    handle = fd;
    return 0;
}

long Read(Handle handle, void* buffer, std::size_t size, std::size_t& got) {
    ssize_t count;
    do {
        count = ::read(static_cast<int>(handle), buffer, size);
    } while (count < 0 && errno == EINTR);
    if (count < 0) return errno;
    got = static_cast<std::size_t>(count);
    return 0;
}

long Write(Handle handle, const void* bytes, std::size_t size) {
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t count = ::write(static_cast<int>(handle), next, size);
        if (count < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        next += count;
        size -= static_cast<std::size_t>(count);
    }
    return 0;
}

long Close(Handle handle) { return ::close(static_cast<int>(handle)) == 0 ? 0 : errno; }

CString Describe(long error) { return std::strerror(static_cast<int>(error)); }

}  // namespace fileos

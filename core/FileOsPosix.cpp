#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/FileOs.h"

namespace fileos {

long Open(const char* name, Handle& handle) {
    // Not blocking on a named pipe that has no writer: it is refused below, as every pipe.
    const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat info {};
    long error = ::fstat(fd, &info) == 0 ? 0 : errno;
    // POSIX opens a directory for reading; Windows does not, and the two must agree. A pipe is no
    // file to read whole: reading it waits for what a writer may never send.
    if (error == 0 && S_ISDIR(info.st_mode)) error = EISDIR;
    if (error == 0 && S_ISFIFO(info.st_mode)) error = ESPIPE;
    // A device reads as it always did, waiting where it waits.
    if (error == 0 && ::fcntl(fd, F_SETFL, 0) != 0) error = errno;
    if (error != 0) {
        ::close(fd);
        return error;
    }
    handle = fd;
    return 0;
}

bool IsNotFound(long error) { return error == ENOENT; }

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

namespace {

// `name` with its symbolic links followed, as far as they lead: a link to nothing yet gives the
// name the file is to have.
CString Resolve(const char* name) {
    CString path = name;
    char link[PATH_MAX];
    // Beyond the system's own limit of links, opening the path reports the loop.
    for (int hops = 0; hops < 40; ++hops) {
        const ssize_t length = ::readlink(path, link, sizeof link);
        if (length <= 0 || length == static_cast<ssize_t>(sizeof link)) break;
        const char* slash = std::strrchr(path, '/');
        CString next;
        if (link[0] != '/' && slash != nullptr)
            next = path.Left(static_cast<int>(slash - static_cast<const char*>(path)) + 1);
        next += CString(link, static_cast<int>(length));
        path = next;
    }
    return path;
}

CString DirectoryOf(const char* path) {
    const char* slash = std::strrchr(path, '/');
    if (slash == nullptr) return ".";
    return slash == path ? CString("/") : CString(path, static_cast<int>(slash - path));
}

}  // namespace

long OpenReplacement(const char* name, Handle& handle, CString& temporary, CString& target) {
    const CString path = Resolve(name);
    target = path;
    temporary.Empty();
    // Not blocking on a pipe without a reader: that fails at once with ENXIO.
    const int probe = ::open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0 && errno != ENOENT) return errno;
    struct stat info {};
    const bool existed = probe >= 0;
    if (existed) {
        if (::fstat(probe, &info) != 0 || (!S_ISREG(info.st_mode) && ::fcntl(probe, F_SETFL, 0) != 0)) {
            const long error = errno;
            ::close(probe);
            return error;
        }
        if (!S_ISREG(info.st_mode)) {
            handle = probe;  // written in place, with blocking writes
            return 0;
        }
        ::close(probe);
    }
    for (unsigned attempt = 0;; ++attempt) {
        temporary.Format("%s.%ld-%u.tmp", static_cast<const char*>(path), static_cast<long>(::getpid()), attempt);
        const int fd = ::open(temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST && attempt < 100) continue;
        if (fd < 0 && errno == EACCES && existed) {
            // A folder that takes no new file, holding a file that may be written: written in place,
            // as it always could be, rather than not at all.
            temporary.Empty();
            const int file = ::open(path, O_WRONLY | O_TRUNC | O_CLOEXEC);
            if (file < 0) return errno;
            handle = file;
            return 0;
        }
        // The new file keeps the old one's permissions; a new file gets the umask's, as ever.
        if (fd < 0 || (existed && ::fchmod(fd, info.st_mode & 07777) != 0)) {
            const long error = errno;
            if (fd >= 0) {
                ::close(fd);
                ::unlink(temporary);
            }
            temporary.Empty();
            return error;
        }
        handle = fd;
        return 0;
    }
}

long Replace(Handle handle, const char* temporary, const char* target) {
    const int fd = static_cast<int>(handle);
    if (*temporary == '\0') return Close(handle);
    if (::fsync(fd) != 0) {
        const long error = errno;
        ::close(fd);
        return error;
    }
    if (::close(fd) != 0) return errno;
    if (::rename(temporary, target) != 0) return errno;
    // The move is on the disk only once the directory that records it is.
    const int directory = ::open(DirectoryOf(target), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0) return errno;
    const long error = ::fsync(directory) == 0 || errno == EINVAL ? 0 : errno;
    ::close(directory);
    return error;
}

void Remove(const char* temporary) { ::unlink(temporary); }

}  // namespace fileos

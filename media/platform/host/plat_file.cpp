// plat_file.cpp - read-only file access over POSIX descriptors (see plat_file.h).
//
// Owns: nothing but the descriptors it hands out; the file layer keeps them.
// Must not: block on anything that is not a regular file.
#include "media/platform/plat_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int PlatFileOpenRead(const char* path, uint64_t* size) {
    if (!path || !path[0]) return -1;
    // A plain open of a FIFO waits for a writer, and some devices wait for a carrier:
    // the non-blocking open returns at once, and fstat then refuses all but regular
    // files.
    int fd;
    do {
        fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat info;
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return -1;
    }
    *size = static_cast<uint64_t>(info.st_size);
    return fd;
}

int64_t PlatFileReadAt(int file, uint64_t offset, void* buffer, size_t size) {
    char* out = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = pread(file, out + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}

void PlatFileClose(int file) {
    if (file >= 0) close(file);
}

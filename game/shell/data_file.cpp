// data_file.cpp - whole-file reads and crash-safe whole-file writes of the game's data
// files. Owns nothing but the system calls; the layouts belong to the units of each
// file.
#include "shell/data_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// write() until everything is out, resuming after signals and short writes.
bool WriteAll(int fd, const uint8_t* data, int size) {
    while (size > 0) {
        ssize_t n = write(fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<int>(n);
    }
    return true;
}

// The folder part of `path` ("." when it has none), for the fsync that makes the
// rename itself durable.
void FolderOf(const char* path, char* folder, size_t capacity) {
    const char* slash = strrchr(path, '/');
    if (slash == nullptr) {
        snprintf(folder, capacity, ".");
    } else if (slash == path) {
        snprintf(folder, capacity, "/");
    } else {
        snprintf(folder, capacity, "%.*s", static_cast<int>(slash - path), path);
    }
}

}  // namespace

int ReadDataFile(const char* path, void* buffer, int capacity) {
    // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return -1;
    }
    uint8_t* out = static_cast<uint8_t*>(buffer);
    int total = 0;
    while (total < capacity) {
        ssize_t n = read(fd, out + total, static_cast<size_t>(capacity - total));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += static_cast<int>(n);
    }
    close(fd);
    return total;
}

bool WriteDataFile(const char* path, const void* data, int size) {
    char temp[4096];
    int length = snprintf(temp, sizeof temp, "%s.tmp%ld", path, static_cast<long>(getpid()));
    if (length < 0 || length >= static_cast<int>(sizeof temp)) return false;
    int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool written = WriteAll(fd, static_cast<const uint8_t*>(data), size) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written || rename(temp, path) != 0) {
        unlink(temp);
        return false;
    }
    char folder[4096];
    FolderOf(path, folder, sizeof folder);
    int dir = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

int32_t GetLe32(const uint8_t* bytes, int index) {
    const uint8_t* p = bytes + 4 * index;
    uint32_t value = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
    return static_cast<int32_t>(value);
}

void PutLe32(uint8_t* bytes, int index, int32_t value) {
    uint8_t* p = bytes + 4 * index;
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// file_save.cpp - whole-file writes through a temporary file and a rename (see
// plat_save.h).
//
// Owns: the temporary file while it exists. The rename is atomic within one folder,
// so readers see either the old file or the whole new one.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "media/platform/plat_save.h"

namespace {

bool WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Makes the rename itself durable: flush the folder's entry list.
void SyncFolder(const char* path) {
    char folder[4096];
    const char* slash = strrchr(path, '/');
    if (!slash) {
        strcpy(folder, ".");
    } else {
        const size_t length = slash == path ? 1 : static_cast<size_t>(slash - path);
        if (length >= sizeof folder) return;
        memcpy(folder, path, length);
        folder[length] = '\0';
    }
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

int PlatSaveFile(const char* path, const PlatSavePart* parts, int count) {
    if (!path || !path[0] || (count > 0 && !parts)) return -1;
    char temporary[4096];
    const int n = snprintf(temporary, sizeof temporary, "%s.tmpXXXXXX", path);
    if (n < 0 || static_cast<size_t>(n) >= sizeof temporary) return -1;
    const int fd = mkostemp(temporary, O_CLOEXEC);
    if (fd < 0) return -1;
    bool ok = fchmod(fd, 0644) == 0;
    for (int i = 0; ok && i < count; ++i) ok = WriteAll(fd, parts[i].data, parts[i].size);
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temporary, path) == 0;
    if (!ok) {
        unlink(temporary);
        return -1;
    }
    SyncFolder(path);
    return 0;
}

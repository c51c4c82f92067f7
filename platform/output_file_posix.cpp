// Output files on POSIX systems, as output_file.cpp makes them on Windows: the
// partial file created exclusively, synced to the disk, then renamed over the
// target (rename replaces it in one step).
#include "platform/output_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/views/wide_text.h"
#include "platform/posix_names.h"

// The wide name as the system's bytes.
static bool utf8_name(const wchar_t* path, char* out, size_t cap) {
    if (posix_name_of_wide(path, out, cap))
        return true;
    errno = ENAMETOOLONG;
    return false;
}

enum { NAME_BYTES = wide_utf8_bytes(OUTPUT_FILE_PATH_CHARS + 16) };

// A missing file may be created when its folder is there (0); a missing
// folder is ENOENT, as Windows tells a path not found.
static int folder_error(char* name) {
    char* slash = strrchr(name, '/');
    if (slash == name)
        return 0;
    struct stat st;
    if (slash)
        *slash = 0;
    const bool folder = stat(slash ? name : ".", &st) == 0 && S_ISDIR(st.st_mode);
    if (slash)
        *slash = '/';
    return folder ? 0 : ENOENT;
}

int output_file_check(const wchar_t* target) {
    char name[NAME_BYTES];
    if (!utf8_name(target, name, sizeof name))
        return ENAMETOOLONG;
    struct stat st;
    if (stat(name, &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? folder_error(name) : errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    // Opened for writing without truncating: whether it could be replaced, unchanged.
    const int fd = open(name, O_WRONLY | O_NONBLOCK);
    if (fd < 0)
        return errno;
    close(fd);
    return 0;
}

bool output_file_open(OutputFile* o, const wchar_t* target) {
    o->f = NULL;
    o->target = target;
    if (wcslen(target) >= OUTPUT_FILE_PATH_CHARS) {
        errno = ENAMETOOLONG;
        return false;
    }
    for (int n = 1; n <= 9; n++) {
        if (n == 1)
            swprintf(o->partial, sizeof o->partial / sizeof o->partial[0], L"%ls.partial", target);
        else
            swprintf(o->partial, sizeof o->partial / sizeof o->partial[0], L"%ls.%d.partial", target, n);
        char name[NAME_BYTES];
        if (!utf8_name(o->partial, name, sizeof name))
            return false;
        const int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return false;
        o->f = fdopen(fd, "wb");
        if (o->f)
            return true;
        close(fd);
        unlink(name);
        return false;
    }
    errno = EEXIST;
    return false;
}

bool output_file_commit(OutputFile* o) {
    FILE* f = o->f;
    o->f = NULL;
    if (f && (fflush(f) != 0 || fsync(fileno(f)) != 0)) {
        const int error = errno;
        fclose(f);
        errno = error;
        return false;
    }
    if (f && fclose(f) != 0)
        return false;
    char partial[NAME_BYTES], target[NAME_BYTES];
    if (!utf8_name(o->partial, partial, sizeof partial) || !utf8_name(o->target, target, sizeof target))
        return false;
    return rename(partial, target) == 0;
}

void output_file_discard(OutputFile* o) {
    if (!o->f)
        return;
    fclose(o->f);
    o->f = NULL;
    char name[NAME_BYTES];
    if (utf8_name(o->partial, name, sizeof name))
        unlink(name);
}

// The partial file is created exclusively, so a partial file an interrupted
// run left behind (what it measured) is never overwritten by the next run.
#include "platform/output_file.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

static int errno_of(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    default:
        return EIO;
    }
}

int output_file_check(const wchar_t* target) {
    DWORD attributes = GetFileAttributesW(target);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : errno_of(error);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return EISDIR;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return EACCES;
    // Opened for writing without truncating: whether it could be replaced, unchanged.
    HANDLE h = CreateFileW(target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return errno_of(GetLastError());
    CloseHandle(h);
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
        int fd = _wopen(o->partial, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return false;
        o->f = _fdopen(fd, "wb");
        if (o->f)
            return true;
        _close(fd);
        _wremove(o->partial);
        return false;
    }
    errno = EEXIST;
    return false;
}

// The data is on the disk before the name moves: after a crash or a power
// loss the target is the old file or the whole new one, never an empty one.
static bool flush_to_disk(FILE* f) {
    if (fflush(f) != 0)
        return false;
    if (FlushFileBuffers((HANDLE)_get_osfhandle(_fileno(f))))
        return true;
    errno = errno_of(GetLastError());
    return false;
}

bool output_file_commit(OutputFile* o) {
    FILE* f = o->f;
    o->f = NULL;
    if (f && !flush_to_disk(f)) {
        const int error = errno;
        fclose(f);
        errno = error;
        return false;
    }
    if (f && fclose(f) != 0)
        return false;
    if (MoveFileExW(o->partial, o->target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = errno_of(GetLastError());
    return false;
}

void output_file_discard(OutputFile* o) {
    if (!o->f)
        return;
    fclose(o->f);
    o->f = NULL;
    _wremove(o->partial);
}

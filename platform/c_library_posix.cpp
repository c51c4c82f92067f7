// The shared C library calls on POSIX systems: a wide name is made the
// system's bytes again (platform/posix_names), whatever they were.
#include "platform/c_library.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/views/wide_text.h"
#include "platform/posix_names.h"

// The name as UTF-8 in a block the caller frees; null with errno set.
static char* utf8_name(const wchar_t* path) {
    const size_t bytes = wide_utf8_bytes(wcslen(path));
    char* name = (char*)malloc(bytes);
    if (!name) {
        errno = ENOMEM;
        return NULL;
    }
    posix_name_of_wide(path, name, bytes);  // made room: it fits
    return name;
}

FILE* file_open_read(const wchar_t* path) {
    char* name = utf8_name(path);
    if (!name)
        return NULL;
    FILE* f = fopen(name, "rb");
    const int error = errno;
    free(name);
    errno = error;
    return f;
}

int file_remove(const wchar_t* path) {
    char* name = utf8_name(path);
    if (!name)
        return -1;
    const int result = unlink(name);
    const int error = errno;
    free(name);
    errno = error;
    return result;
}

bool file_is_directory(const wchar_t* path) {
    char* name = utf8_name(path);
    struct stat st;
    const bool folder = name && stat(name, &st) == 0 && S_ISDIR(st.st_mode);
    free(name);
    return folder;
}

// The name made whole: the working folder before a relative one, then "." and
// ".." and doubled slashes taken out by their words, as Windows does, so a
// file that does not exist yet compares too.
static char* whole_name(const wchar_t* path) {
    char* name = utf8_name(path);
    char* cwd = name && name[0] != '/' ? getcwd(NULL, 0) : NULL;
    const size_t len = (cwd ? strlen(cwd) + 1 : 0) + (name ? strlen(name) : 0) + 2;
    char* joined = name ? (char*)malloc(len) : NULL;
    if (joined)
        snprintf(joined, len, "%s%s%s", cwd ? cwd : "", cwd ? "/" : "", name);
    free(cwd);
    free(name);
    if (!joined)
        return NULL;
    char* out = joined;  // written over the joined name, never ahead of the read
    size_t n = 0;
    for (const char* p = joined; *p;) {
        while (*p == '/')
            p++;
        const char* end = strchr(p, '/');
        const size_t word = end ? (size_t)(end - p) : strlen(p);
        const bool here = word == 0 || (word == 1 && p[0] == '.');
        if (word == 2 && p[0] == '.' && p[1] == '.') {
            while (n > 0 && out[n - 1] != '/')
                n--;
            if (n > 0)
                n--;
        } else if (!here) {
            out[n++] = '/';
            memmove(out + n, p, word);
            n += word;
        }
        p += word;
    }
    if (n == 0)
        out[n++] = '/';
    out[n] = 0;
    return out;
}

bool file_names_same(const wchar_t* a, const wchar_t* b) {
    char* whole_a = whole_name(a);
    char* whole_b = whole_name(b);
    const bool same = whole_a && whole_b ? strcmp(whole_a, whole_b) == 0 : wcscmp(a, b) == 0;
    free(whole_a);
    free(whole_b);
    return same;
}

bool utc_calendar(int64_t seconds, struct tm* out) {
    const int64_t kEndOf3000 = 32535244799LL;
    const time_t t = (time_t)seconds;
    return seconds >= 0 && seconds <= kEndOf3000 && gmtime_r(&t, out) != NULL;
}

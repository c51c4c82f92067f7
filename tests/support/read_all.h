// Reads back everything written to a temporary file.
#pragma once

#include <stdio.h>

#include <string>

inline std::string read_all(FILE* f) {
    fflush(f);
    rewind(f);
    std::string text;
    char buf[1024];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    return text;
}

#ifdef _WIN32
// A file's bytes by its name; empty when it cannot be opened.
inline std::string read_file(const std::wstring& path) {
    std::string bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        bytes = read_all(f);
        fclose(f);
    }
    return bytes;
}
#endif

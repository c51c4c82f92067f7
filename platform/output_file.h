// Output files that never stand half-written in place of the user's: written
// under "<target>.partial" beside the target and renamed over it when complete.
// Not a seam: tests write real files (under Wine) through it.
#pragma once

#include <stdio.h>
#include <wchar.h>

enum { OUTPUT_FILE_PATH_CHARS = 1024 };

struct OutputFile {
    FILE* f;  // open on the partial file; null when none is open
    const wchar_t* target;
    wchar_t partial[OUTPUT_FILE_PATH_CHARS + 16];
};

// 0 when target can be written; otherwise an errno value (EISDIR for a
// folder, EACCES for a file that cannot be replaced, ENOENT for a missing
// folder). Creates and changes nothing.
int output_file_check(const wchar_t* target);
// Creates the partial file: "<target>.partial", or "<target>.2.partial" up to
// ".9.partial" when an earlier run left that name behind. False with errno set.
bool output_file_open(OutputFile* o, const wchar_t* target);
// Writes the partial file through to the disk, closes it and renames it over
// the target. False with errno set when any of that failed; the partial file
// then stays, closed, and the target is as it was.
bool output_file_commit(OutputFile* o);
// Closes the partial file and deletes it: nothing worth keeping was written.
void output_file_discard(OutputFile* o);

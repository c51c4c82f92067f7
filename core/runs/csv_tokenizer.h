// The one CSV tokenizer behind every CSV the program reads back (--compare's
// times, --analyze, --ab, the window's saved run): bytes in, fields and row
// ends out, as a stream, so memory holds one field's first bytes whatever the
// file's length. Quotes as spreadsheets write them (a doubled quote is one,
// line ends inside quotes are text), LF or CRLF line ends, an optional UTF-8
// byte order mark, blank lines passed over.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <atomic>

enum {
    CSV_LINE_BYTES = 1 << 16,  // a longer line is an error: the program's rows are under 160
    CSV_FIELD_BYTES = 40,      // the bytes of a field kept; enough for any name or number read
    CSV_SHOWN_BYTES = 48,      // room for csv_shown's text
    // Fields of a row handed over; those after them are passed over. A row
    // within one line has fewer, but quoted line ends let a row run on.
    CSV_ROW_FIELDS = CSV_LINE_BYTES + 1,
};

struct CsvField {
    const char* text;  // its first CSV_FIELD_BYTES bytes at most, terminated, quotes taken off
    size_t len;        // its whole length: more than CSV_FIELD_BYTES when text is cut
    int index;         // its place in the row, from 0, below CSV_ROW_FIELDS
    uint64_t line;     // the line it ends on, from 1
};

// What a reader does with the walk's output. field and row return false when
// the reader failed (it keeps its own error); fail is told the walk's errors.
struct CsvSink {
    bool (*field)(void* reader, const CsvField* f);
    // A row's end, with its count of fields handed over.
    bool (*row)(void* reader, int fields, uint64_t line);
    void (*fail)(void* reader, uint64_t line, const char* why);  // line 0: the file as a whole
};

// All zero is the start of a file.
struct CsvTokenizer {
    uint64_t lines_done;  // line feeds passed
    uint64_t rows;        // rows given, the header among them
    size_t line_bytes;    // bytes of the current line so far
    int bom_matched;      // bytes of a byte order mark seen at the start
    int field;            // index of the current field in its row, held at CSV_ROW_FIELDS
    char text[CSV_FIELD_BYTES + 1];
    size_t text_len;      // the current field's length, counted past what text keeps
    bool field_quoted, in_quotes, quote_pending;
    bool after_quote;     // the field's closing quote was seen: only , or a line end may follow
    bool cr_pending;      // a carriage return, which only a line feed may follow
    bool stopped;         // the walk or the reader failed: nothing more is taken
    uint64_t quote_line;  // where the open quoted field began
};

// The next bytes of the file; false once stopped.
bool csv_feed(CsvTokenizer* t, const CsvSink* s, void* reader, const char* bytes, size_t n);
// The end of the file: a last line without its line end counts; a file
// without a row is "it is empty". False when stopped.
bool csv_finish(CsvTokenizer* t, const CsvSink* s, void* reader);
// The whole file, in chunks, then finished; false when stopped (a read error
// too). When stop is given and becomes true, it ends at the next chunk,
// unfinished, and gives false without failing.
bool csv_read(FILE* f, CsvTokenizer* t, const CsvSink* s, void* reader,
              const std::atomic<bool>* stop = nullptr);

// A field (text and len as in CsvField) as an error shows it, into buf of
// CSV_SHOWN_BYTES: its first 40 bytes, never half a UTF-8 character, control
// characters as '?' (the error stays one line), and "..." when it was longer.
const char* csv_shown(const char* text, size_t len, char* buf);
// A field (text, len as a CsvField gives them) as a whole decimal number from
// lowest to highest, with a leading '-' only when lowest < 0; false for
// anything else, a cut field or a number past the range included.
bool csv_whole_number(const char* text, size_t len, int64_t lowest, int64_t highest, int64_t* out);

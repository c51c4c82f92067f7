// The --compare CSV reader: columns by name, quotes, BOM, CRLF, long lines,
// empty fields, strict numbers with the line of a bad one, slots, and the
// tokenizer's bound on a row's fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/runs/csv_tokenizer.h"
#include "core/runs/program_csv.h"

namespace {

struct Read {
    bool ok;
    std::vector<int64_t> times;
    uint64_t rows, slots_seen, line;
    std::string error;
};

// The text fed in pieces of `piece` bytes, so fields and line ends split.
Read read(const std::string& text, int slot = -1, size_t piece = 7) {
    ProgramCsv c;
    program_csv_init(&c, slot);
    bool ok = true;
    for (size_t at = 0; ok && at < text.size(); at += piece)
        ok = program_csv_feed(&c, text.data() + at, std::min(piece, text.size() - at));
    ok = ok && program_csv_finish(&c);
    Read r = {ok, std::vector<int64_t>(c.times, c.times + c.count), c.rows, c.slots_seen,
              c.error_line, c.error};
    program_csv_free(&c);
    return r;
}

const char kHeader[] = "t_us,slot,interval_us,class,background,utc_us\n";

TEST(ProgramCsvTest, ColumnsAreFoundByNameInAnyLayout) {
    // The program's own CSV: the first row's interval_us is empty.
    Read r = read(std::string(kHeader) + "0.000,1,,first,0,1000\n1.000,2,1.000,accepted,0,1001\n");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.times, (std::vector<int64_t>{1000, 1001}));
    EXPECT_EQ(r.slots_seen, 6u);
    // A spreadsheet's re-save: BOM, quoted names, columns moved, CRLF, no last line end.
    r = read("\xEF\xBB\xBF\"utc_us\",\"x,y\",\"slot\"\r\n5,\"a \"\"b\"\", c\",3\r\n\r\n6,,3");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.times, (std::vector<int64_t>{5, 6}));
    EXPECT_EQ(r.rows, 2u);
    // A line of 10,000 bytes is one row, not two.
    r = read("note,utc_us\n" + std::string(10000, 'n') + ",42\n7,43\n", -1, 4096);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.times, (std::vector<int64_t>{42, 43}));
    // No slot column: every row, unless a slot is asked for.
    EXPECT_TRUE(read("utc_us\n1\n").ok);
    r = read("utc_us\n1\n", 2);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.line, 0u);
    EXPECT_EQ(r.error, "it has no slot column to choose slot 2 by");
}

TEST(ProgramCsvTest, ABadFieldNamesItsLine) {
    const std::string head = kHeader;
    const struct {
        std::string text;
        uint64_t line;
        const char* error;
    } bad[] = {
        {head + "0,1,,first,0,100\n1,1,1,accepted,0,1.65908E+15\n", 3,
         "utc_us is \"1.65908E+15\", not a whole number of microseconds"},
        {head + "0,1,,first,0,\n", 2, "utc_us is empty"},
        {head + "0,1,,first,0,-5\n", 2, "utc_us is \"-5\", not a whole number of microseconds"},
        {head + "0,1,,first,0,99999999999999999999\n", 2,
         "utc_us is \"99999999999999999999\", not a whole number of microseconds"},
        {head + "0,x,,first,0,100\n", 2, "slot is \"x\", not a slot number from 0 to 63"},
        {head + "0,64,,first,0,100\n", 2, "slot is \"64\", not a slot number from 0 to 63"},
        {head + "0,1,,first\n", 2, "the row ends before its utc_us field (field 6)"},
        // A stray carriage return or text after a closing quote would change a number.
        {"utc_us\n1\r00\n", 2, "a carriage return in the middle of a line"},
        {"slot,utc_us\n1,\"10\"0\n", 2, "text after a quoted field's closing quote"},
        {"slot,utc_us\n1,\"10\n2,3\n", 2, "a quoted field that starts here is not closed"},
        {"a,b\n1,2\n", 0, "it has no utc_us column (write one with -c ... --csv)"},
        {"", 0, "it is empty"},
        // The tokenizer's rules are --analyze's: a line of 64 KiB and more is not a run's.
        {"note,utc_us\n" + std::string(70000, 'n') + ",1\n", 2, "the line is longer than 65536 bytes"},
    };
    for (const auto& b : bad) {
        Read r = read(b.text);
        EXPECT_FALSE(r.ok) << b.text;
        EXPECT_EQ(r.line, b.line) << b.text;
        EXPECT_EQ(r.error, b.error) << b.text;
    }
}

TEST(ProgramCsvTest, ASlotTakesOnlyItsRowsAndZeroTakesAll) {
    const std::string text = std::string(kHeader) + "0,1,,first,0,10\n1,2,1,accepted,0,11\n"
                                                    "2,1,1,accepted,0,12\n3,2,1,accepted,0,13\n";
    EXPECT_EQ(read(text).times, (std::vector<int64_t>{10, 11, 12, 13}));
    EXPECT_EQ(read(text, 0).times, (std::vector<int64_t>{10, 11, 12, 13}));
    EXPECT_EQ(read(text, 2).times, (std::vector<int64_t>{11, 13}));
    Read none = read(text, 3);
    EXPECT_TRUE(none.ok);
    EXPECT_TRUE(none.times.empty());
    EXPECT_EQ(none.rows, 4u);
    EXPECT_EQ(none.slots_seen, 6u);
}

// Quoted line ends keep every line short but let a row run on without end:
// its field count stops at the bound, so no row can carry it past an int.
TEST(ProgramCsvTest, ARowOfEndlessFieldsIsCountedOnlyToTheBound) {
    struct Seen {
        int highest_index = -1, fields = 0, rows = 0;
    } seen;
    const CsvSink sink = {
        [](void* r, const CsvField* f) {
            Seen* s = (Seen*)r;
            s->highest_index = std::max(s->highest_index, f->index);
            return true;
        },
        [](void* r, int fields, uint64_t) {
            ((Seen*)r)->fields = fields;
            ((Seen*)r)->rows++;
            return true;
        },
        [](void*, uint64_t, const char*) {}};
    std::string text = "7,";
    for (int i = 0; i < CSV_ROW_FIELDS + 100; i++)
        text += "\"\n\",";
    text += "x\n";
    CsvTokenizer t = {};
    ASSERT_TRUE(csv_feed(&t, &sink, &seen, text.data(), text.size()));
    ASSERT_TRUE(csv_finish(&t, &sink, &seen));
    EXPECT_EQ(seen.highest_index, CSV_ROW_FIELDS - 1);
    EXPECT_EQ(seen.fields, CSV_ROW_FIELDS);
    EXPECT_EQ(seen.rows, 1);
    // The columns read lie before the bound: such a row is read as any other.
    Read r = read("utc_us,note\n" + text + "8,y\n", -1, 4096);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.times, (std::vector<int64_t>{7, 8}));
}

}  // namespace

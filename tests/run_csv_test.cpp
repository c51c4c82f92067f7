// --analyze's reader: a run's CSV read back gives the record and the report
// clock the run had, bit for bit; and a bad file fails at its line.
#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>

#include <random>
#include <string>

#include "core/runs/arrival_clock.h"
#include "core/runs/arrival_csv.h"
#include "core/runs/run_csv.h"
#include "core/views/texts.h"

namespace {

struct Read {
    bool ok;
    uint64_t line;
    std::string error;
};

Read read(const std::string& text, int slot = 0) {
    static RunCsv c;
    run_csv_init(&c, slot);
    bool ok = true;
    for (size_t at = 0; ok && at < text.size(); at += 5)
        ok = run_csv_feed(&c, text.data() + at, std::min<size_t>(5, text.size() - at));
    ok = ok && run_csv_finish(&c);
    Read r = {ok, c.error_line, c.error};
    run_csv_free(&c);
    return r;
}

TEST(RunCsvTest, ABadFileFailsAtItsLineSayingWhy) {
    const std::string h = "t_us,slot,class,dx\n";
    const struct {
        std::string text;
        int slot;
        uint64_t line;
        std::string error;
    } cases[] = {
        {"", 0, 0, "it is empty"},
        {"slot,dx\n0,1\n", 0, 1, "it has no t_us column"},
        {"t_us,dx\n0.000,1\n", 2, 1, "it has no slot column to choose slot 2 by"},
        {h + "0.000,1,first,0\n12.5x,1,accepted,0\n", 0, 3, "t_us is \"12.5x\", not a time"},
        {h + "0.000,1,first,0\r\n\r\n-1.000,1,accepted,0\n", 0, 4, "t_us is \"-1.000\""},
        {h + "5.000,1,first,0\n4.900,1,accepted,0\n", 0, 3, "t_us is 4.900, before the row above's"},
        {h + "0.000,64,first,0\n", 0, 2, "slot is \"64\", not a whole number from 0 to 63"},
        {h + "0.000,1,first\n", 0, 2, "the row ends before its dx field (field 4)"},
        {h + "0.000,1,firsts,0\n", 0, 2, "class is \"firsts\", not first, accepted"},
        {h + "0.000,1," + std::string(39, 'a') + "\xC3\xA9,0\n", 0, 2,  // no half of the é
         "class is \"" + std::string(39, 'a') + "...\", not first"},
        {h + "0.000,1,first,0\n0.100,1,first," + std::string(70000, '1') + "\n", 0, 3,
         "the line is longer than 65536 bytes"},
        // The tokenizer's rules are --compare's: a stray carriage return changes a number.
        {h + "0.000,1,first,0\n0.1\r00,1,first,0\n", 0, 3, "a carriage return in the middle of a line"},
        {h + "0.000,1,\"first\n", 0, 2, "a quoted field that starts here is not closed"},
    };
    for (const auto& c : cases) {
        Read r = read(c.text, c.slot);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.line, c.line) << c.text;
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
    }
    // The reason in the chosen language; the column's name and the field as written.
    texts_set_lang(LANG_ZH);
    const Read zh = read(h + "0.000,64,first,0\n");
    texts_set_lang(LANG_EN);
    EXPECT_EQ(zh.error, "slot 为 \"64\"，不是 0 到 63 之间的整数");
    EXPECT_TRUE(read("\xEF\xBB\xBF\"t_us\",x\n\"0.000\",\"a,b\"\n\n").ok);
    // A spreadsheet's re-save: a note with a line break and doubled quotes, a
    // column far to the right, CRLF, blank lines; the rows stay whole.
    const std::string wide = "t_us," + std::string(200, ',') + "slot\r\n";
    Read r = read(wide + "0.000,\"a \"\"b\"\"\r\nc\"" + std::string(200, ',') + "2\r\n\r\n1.000," +
                  std::string(200, ',') + "2\r\n", 2);
    EXPECT_TRUE(r.ok) << r.error;
}

// A run as the reader thread records it: two mice on one 1 ms lattice read
// a little late, reads of one to four reports, motion, a report lost (every
// record's next interval a pause) and a long stop, the records and the log
// fed as reception feeds them.
struct LiveRun {
    Run run;
    ReportClock clock[3];
};

void record_run(LiveRun* run) {
    std::mt19937 rng(21);
    int64_t slot_t = 5000000;
    for (int i = 0; i < 3; i++)
        report_clock_init(&run->clock[i]);
    for (int read = 0; read < 3000; read++) {
        if (read == 1500)
            run_pause_all(&run->run);
        // Each report its own slot; the read stamps them all a little after the last.
        const int reports = 1 + (int)(rng() % 4);
        slot_t += 10000 * (reports + (rng() % 4 == 0) + (read == 2000 ? 700 : 0));
        const int64_t t = slot_t + 500 + rng() % 1500;
        uint64_t positions[STATS_RECORDS] = {};
        for (int k = 0; k < reports; k++) {
            const int slot = 1 + (int)(rng() % 2);
            const ReportMotion m = {(int32_t)(rng() % 7) - 3, (int32_t)(rng() % 300) - 150, 0, 0, 0};
            run_take_report(&run->run, t, slot, true, positions, &m);
        }
    }
}

void expect_same_figures(DeviceStats* live, ReportClock* live_clock, const ReportClockFigures* peeked,
                         RunCsv* back) {
    Distribution a, b;
    record_distribution(live, &a);
    record_distribution(back->rec, &b);
    EXPECT_EQ(a.n, b.n);
    EXPECT_EQ(a.mean_us, b.mean_us);
    EXPECT_EQ(a.sd_us, b.sd_us);
    for (int p = 0; p < PCT_COUNT; p++)
        EXPECT_EQ(a.pct_us[p], b.pct_us[p]);
    EXPECT_EQ(a.coalesced, b.coalesced);
    EXPECT_EQ(a.pauses, b.pauses);
    StatsReadings ra, rb;
    stats_read(live, &ra);
    stats_read(back->rec, &rb);
    EXPECT_EQ(ra.elapsed_s, rb.elapsed_s);
    EXPECT_EQ(ra.batch_count, rb.batch_count);
    EXPECT_EQ(ra.batched_reports, rb.batched_reports);
    MotionFigures ma, mb;
    record_motion(live, &ma);
    record_motion(back->rec, &mb);
    EXPECT_EQ(ma.moving, mb.moving);
    EXPECT_EQ(ma.idle, mb.idle);
    EXPECT_EQ(ma.median_speed, mb.median_speed);
    EXPECT_EQ(ma.moving_n, mb.moving_n);
    EXPECT_EQ(ma.moving_p1_hz, mb.moving_p1_hz);
    ReportClockFigures ca, cb;
    report_clock_finish(live_clock, &ca);
    report_clock_finish(&back->clock, &cb);
    EXPECT_EQ(ca.refusal, REPORT_CLOCK_OK);
    EXPECT_EQ(cb.refusal, REPORT_CLOCK_OK);
    EXPECT_EQ(ca.period_us, cb.period_us);
    EXPECT_EQ(ca.filled_pct, cb.filled_pct);
    // A window's look while the run went on saw what the end saw.
    EXPECT_EQ(peeked->period_us, ca.period_us);
    EXPECT_EQ(peeked->filled_pct, ca.filled_pct);
    EXPECT_EQ(peeked->jitter_p99_us, ca.jitter_p99_us);
}

TEST(RunCsvTest, ARunsCsvReadBackGivesTheRunsFiguresForEachRecord) {
    static LiveRun run;
    run_init(&run.run, 1e7);
    record_run(&run);
    ArrivalView view;
    arrival_view_take(&view, &run.run.log, ARRIVAL_READER_TEST);
    static RecordClock looked;
    ReportClockFigures peeked[3];
    for (int slot = 0; slot < 3; slot++) {
        ArrivalClockFeed feed;
        arrival_clock_feed_init(&feed, slot);
        arrival_clock_feed(&run.clock[slot], &feed, &view, 1e7);
        record_clock_look(&looked, &view, slot, 1e7, &peeked[slot]);
        record_clock_look(&looked, &view, slot, 1e7, &peeked[slot]);  // a look changes nothing
    }
    record_clock_free(&looked);
    ClockMap map;
    clock_map_clear(&map, 1e7);
    FILE* f = tmpfile();
    ASSERT_TRUE(f && write_arrival_csv(f, &view, 1e7, &map));
    arrival_view_release(&view);
    static RunCsv back;
    for (int slot = 0; slot < 3; slot++) {
        rewind(f);
        run_csv_init(&back, slot);
        ASSERT_TRUE(run_csv_read(f, &back)) << back.error;
        SCOPED_TRACE(slot);
        expect_same_figures(&run.run.records[slot], &run.clock[slot], &peeked[slot], &back);
        run_csv_free(&back);
        report_clock_free(&run.clock[slot]);
    }
    fclose(f);
    run_free(&run.run);
}

}  // namespace

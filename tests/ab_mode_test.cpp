// --ab on two runs' CSVs written here: the line shapes of a comparison with a
// verdict and of one without, the slot applied to both, the same text twice,
// a malformed file named by its line, and --json alike in either language.
#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>

#include <algorithm>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "app/ab_mode.h"
#include "app/analyze_mode.h"
#include "app/text_out.h"
#include "core/views/texts.h"
#include "tests/fakes/fake_heap.h"
#include "tests/support/read_all.h"

namespace {

// A run's CSV: mouse 1 every period_us, its times off by up to jitter_us
// (a fixed generator), or with wander its intervals, so that no clock
// underlies them; with other_mouse, mouse 2's rows between them.
std::string run_csv(double seconds, double period_us, double jitter_us, bool other_mouse,
                    bool wander = false) {
    std::vector<std::pair<double, int>> rows;
    uint32_t state = 12345;
    for (double t = 1000; t < seconds * 1e6; t += period_us) {
        state = state * 1664525u + 1013904223u;
        const double off = jitter_us * ((state >> 8) / 8388608.0 - 1);
        t += wander ? off : 0;
        rows.push_back({t + (wander ? 0 : off), 1});
        if (other_mouse && rows.size() % 3 == 0)
            rows.push_back({t + 400, 2});
    }
    std::sort(rows.begin(), rows.end());
    std::string text = "t_us,slot,class\n";
    char line[64];
    for (const auto& r : rows) {
        snprintf(line, sizeof line, "%.3f,%d,accepted\n", r.first - rows[0].first, r.second);
        text += line;
    }
    return text;
}

class AbModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        a = std::wstring(dir) + L"quorvin-ab-a.csv";
        b = std::wstring(dir) + L"quorvin-ab-b.csv";
        out = tmpfile();
        g_error_out = out;
    }
    void TearDown() override {
        g_error_out = NULL;
        fclose(out);
        DeleteFileW(a.c_str());
        DeleteFileW(b.c_str());
    }
    static void write(const std::wstring& path, const std::string& bytes) {
        FILE* f = _wfopen(path.c_str(), L"wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    std::string run(int slot) {
        rewind(out);
        result = run_ab(a.c_str(), b.c_str(), slot, out);
        std::string text = read_all(out);
        return text.substr(0, text.find('\0'));
    }
    std::string name(const std::wstring& path) { return std::string(path.begin(), path.end()); }
    std::wstring a, b;
    FILE* out;
    int result = -1;
};

const char kFigures[] =
    " n=\\d+ median_hz=\\d+\\.\\d p1_hz=\\d+\\.\\d p99_us=\\d+\\.\\d sd_us=\\d+\\.\\d "
    "stability=\\d+\\.\\d% clock_us=(\\d+\\.\\d{3}|none)\n";
const char kDifference[] = "( [a-z0-9_]+=[-+]\\d+\\.\\d+ \\[[-+]\\d+\\.\\d+,[-+]\\d+\\.\\d+\\])";

TEST_F(AbModeTest, TwoRunsGiveTheirFiguresTheIntervalsAndAVerdictTheSameEachTime) {
    write(a, run_csv(12, 1000, 20, false));
    write(b, run_csv(12, 1000, 40, true));  // twice the jitter, and mouse 2 to be left out
    const std::string text = run(1);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(text.rfind("A: file=" + name(a) + " n=", 0), 0u) << text;
    const std::regex shape(std::string("A: file=.*quorvin-ab-a\\.csv") + kFigures +
                           "B: file=.*quorvin-ab-b\\.csv" + kFigures +
                           "B-A \\(95% CI, 1 s blocks\\):" + kDifference + "{6}\nVerdict: [^\n]*\\.\n");
    EXPECT_TRUE(std::regex_match(text, shape)) << text;
    EXPECT_NE(text.find("B: file=" + name(b) + " n=11998 "), std::string::npos) << text;
    EXPECT_NE(text.find(" clock_us=1000.000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nVerdict: B's slow end is 3.2% slower and its intervals 100% more spread; "
                        "the median rate, the stability and the report clock period do not "
                        "differ.\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(run(1), text);
}

TEST_F(AbModeTest, AShortRunGetsItsFiguresButNoVerdict) {
    write(a, run_csv(12, 1000, 20, false));
    write(b, run_csv(4.5, 1000, 200, false, true));  // no report clock
    const std::string text = run(-1);
    EXPECT_EQ(result, 0);
    EXPECT_NE(text.find(" clock_us=none\nB-A (95% CI, 1 s blocks): median_hz="), std::string::npos)
        << text;
    EXPECT_EQ(text.find(" clock_us=+"), std::string::npos) << text;
    EXPECT_NE(text.find("\nVerdict: none: run B has 5 blocks of 1 s; a verdict needs at least 10 in "
                        "each run.\n"),
              std::string::npos)
        << text;
}

TEST_F(AbModeTest, AMalformedFileIsOneLineNamingItsLine) {
    write(a, run_csv(2, 1000, 0, false));
    write(b, "t_us,slot\n0.000,1\n1000.000,1\n999.000,1\n");
    EXPECT_EQ(run(-1), "Error: " + name(b) + ":4: t_us is 999.000, before the row above's; give the "
                       "CSV of a -c run as it was written.\n");
    EXPECT_EQ(result, 1);
}

// A saved run that finds no memory says so, and no row is replayed into it.
TEST_F(AbModeTest, NoMemoryForARunIsAnErrorNotACrash) {
    write(a, run_csv(2, 1000, 0, false));
    write(b, run_csv(2, 1000, 0, false));
    fake_heap_reset();
    g_fake_heap.fail_all = true;
    const std::string text = run(-1);
    fake_heap_reset();
    EXPECT_EQ(text, "Error: " + name(a) + " cannot be analysed: there is no memory to read it into; "
                    "give the CSV of a -c run.\n");
    EXPECT_EQ(result, 1);
}

// --json is read by scripts: the verdict, and why a run has no report clock,
// are English whatever language the text is in.
TEST_F(AbModeTest, TheJsonIsTheSameInEitherLanguage) {
    const std::wstring json = a + L".json", short_run = b + L".short.csv";
    write(a, run_csv(12, 1000, 20, false));
    write(b, run_csv(12, 1000, 40, true));
    write(short_run, run_csv(0.5, 1000, 0, false));  // too few reports for a clock
    std::string ab[2], analyzed[2];
    for (Lang lang : {LANG_EN, LANG_ZH}) {
        texts_set_lang(lang);
        EXPECT_EQ(run_ab(a.c_str(), b.c_str(), 1, out, json.c_str()), 0);
        ab[lang] = read_file(json);
        EXPECT_EQ(run_analyze(short_run.c_str(), 1, out, json.c_str()), 0);
        analyzed[lang] = read_file(json);
        DeleteFileW(json.c_str());
    }
    texts_set_lang(LANG_EN);
    DeleteFileW(short_run.c_str());
    EXPECT_EQ(ab[LANG_ZH], ab[LANG_EN]);
    EXPECT_NE(ab[LANG_EN].find("\"verdict\": \"Verdict: B's slow end is"), std::string::npos) << ab[LANG_EN];
    EXPECT_EQ(analyzed[LANG_ZH], analyzed[LANG_EN]);
    EXPECT_NE(analyzed[LANG_EN].find("\"none\": \"fewer than 1000 reports\""), std::string::npos)
        << analyzed[LANG_EN];
}

}  // namespace

// The two language tables: complete, one row per text, and every format
// taking the same arguments in both (a %d where the other has %ls would read
// the wrong argument, only in one language).
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "core/views/texts.h"

// A format's conversions in order, flags and widths dropped: "%-8.1f %ls" -> "f ls".
static std::string conversions(const char* text) {
    std::string out;
    for (const char* p = text; *p; p++) {
        if (*p != '%')
            continue;
        if (p[1] == '%') {
            p++;
            continue;
        }
        p++;
        while (*p && strchr("-+ #0123456789.*", *p))
            p++;
        while (*p && strchr("hlLzjtI64", *p))
            out += *p++;
        if (*p)
            out += *p;
        out += ' ';
        if (!*p)
            break;
    }
    return out;
}

static void expect_complete(const TextRow* rows, size_t count, const char* name) {
    std::vector<int> seen(TEXT_COUNT, 0);
    for (size_t i = 0; i < count; i++) {
        ASSERT_GE(rows[i].id, 0) << name;
        ASSERT_LT(rows[i].id, TEXT_COUNT) << name;
        seen[rows[i].id]++;
    }
    for (int id = 0; id < TEXT_COUNT; id++)
        EXPECT_EQ(seen[id], 1) << name << " has text " << id << " " << seen[id] << " times";
}

TEST(Texts, EachLanguageHasEveryTextOnceWithTheSameConversions) {
    expect_complete(kEnglishTexts, kEnglishTextCount, "English");
    expect_complete(kChineseTexts, kChineseTextCount, "Chinese");
    for (int id = 0; id < TEXT_COUNT; id++) {
        const TextId t = (TextId)id;
        EXPECT_EQ(conversions(tx_in(LANG_EN, t)), conversions(tx_in(LANG_ZH, t)))
            << "text " << id << ": " << tx_in(LANG_EN, t) << " / " << tx_in(LANG_ZH, t);
    }
}

TEST(Texts, TheChosenLanguageAnswersInUtf8AndWide) {
    Lang was = texts_lang();
    Lang zh;
    ASSERT_TRUE(texts_lang_from_name(L"zh", &zh));
    EXPECT_FALSE(texts_lang_from_name(L"fr", &zh));
    EXPECT_FALSE(texts_lang_from_name(nullptr, &zh));
    texts_set_lang(LANG_ZH);
    EXPECT_STREQ(tx(TX_LANG_REFUSED), "--lang 只接受 en 或 zh，不是 '%ls'。");
    EXPECT_STREQ(txw(TX_LANG_REFUSED), L"--lang 只接受 en 或 zh，不是 '%ls'。");
    texts_set_lang(LANG_EN);
    EXPECT_STREQ(txw(TX_LANG_REFUSED), L"--lang takes en or zh, not '%ls'.");
    EXPECT_STREQ(tx((TextId)TEXT_COUNT), "");
    texts_set_lang(was);
}

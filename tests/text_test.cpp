// Text in fixed buffers: the builder leaves out whole what does not fit and
// says so; the conversion to UTF-8 says when it had to cut, never half a
// character.
#include <gtest/gtest.h>

#include "core/views/text_buf.h"
#include "core/views/wide_text.h"

namespace {

TEST(TextTest, APieceThatDoesNotFitIsLeftOutWithAllAfterIt) {
    char buf[16];
    TextBuf t = text_buf(buf, sizeof buf);
    text_appendf(&t, "%d,%s", 12, "ab");
    text_append(&t, "|", 1);
    text_appendf(&t, "%.3f", 3.14159);
    EXPECT_STREQ(buf, "12,ab|3.142");
    EXPECT_FALSE(t.overflowed);
    text_appendf(&t, "%s", "12345");  // would need the terminator's byte too
    text_append(&t, "x", 1);
    EXPECT_TRUE(t.overflowed);
    EXPECT_STREQ(buf, "12,ab|3.142");
    EXPECT_EQ(t.len, 11u);
    // Appended after what the buffer holds, up to its last byte.
    t = text_buf(buf, sizeof buf, 5);
    text_appendf(&t, "%s", "-012345678");
    EXPECT_FALSE(t.overflowed);
    EXPECT_STREQ(buf, "12,ab-012345678");

    wchar_t wide[8];
    WideBuf w = text_buf(wide, 8);
    text_appendf(&w, L"%ls=%d", L"ab", 7);
    text_appendf(&w, L"%d", 12345);
    EXPECT_TRUE(w.overflowed);
    EXPECT_STREQ(wide, L"ab=7");
}

TEST(TextTest, Utf8SaysWhenItCutAndCutsWholeCharacters) {
    char out[8];
    EXPECT_TRUE(wide_to_utf8(L"a\u00e9\u4e2d", out, sizeof out));  // 1 + 2 + 3 bytes
    EXPECT_STREQ(out, "a\xC3\xA9\xE4\xB8\xAD");
    EXPECT_FALSE(wide_to_utf8(L"abc\u00e9\u4e2d", out, sizeof out));
    EXPECT_STREQ(out, "abc\xC3\xA9");
    EXPECT_FALSE(wide_to_utf8(L"x", out, 1));
    EXPECT_STREQ(out, "");
    const wchar_t lone[] = {L'a', (wchar_t)0xD800, L'b', 0};
    char room[wide_utf8_bytes(3)];
    EXPECT_TRUE(wide_to_utf8(lone, room, sizeof room));
    EXPECT_STREQ(room, "a\xEF\xBF\xBD" "b");
}

}  // namespace

namespace {

TEST(TextTest, Utf8BecomesWideWholeOrCutAtACharacter) {
    wchar_t out[8];
    EXPECT_TRUE(utf8_to_wide("a\xE4\xB8\xAD\xF0\x9F\x98\x80", out, 8));  // a, 中, an emoji
    EXPECT_EQ(out[0], L'a');
    EXPECT_EQ(out[1], (wchar_t)0x4E2D);
    char back[16];
    ASSERT_TRUE(wide_to_utf8(out, back, sizeof back));
    EXPECT_STREQ(back, "a\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_TRUE(utf8_to_wide("\xE4\xB8x", out, 8));  // a sequence broken off
    EXPECT_EQ(out[0], (wchar_t)0xFFFD);
    EXPECT_FALSE(utf8_to_wide("abcdefghij", out, 4));
    EXPECT_STREQ(out, L"abc");
}

}  // namespace

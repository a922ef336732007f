// UTF-8, UTF-16 and the single-byte code page at the storage boundary.
#include <gtest/gtest.h>

#include "foundation/TextConvert.h"

namespace {

TEST(TextConvert, Utf8OfWideText) {
  struct Case {
    std::u16string wide;
    std::string utf8;
  } cases[] = {
      {u"", ""},
      {u"abc", "abc"},
      {u"\u00E9", "\xC3\xA9"},
      {u"\u20AC", "\xE2\x82\xAC"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WideToUtf8(c.wide), c.utf8);
    EXPECT_EQ(Utf8ToWide(c.utf8), c.wide);
  }
}

TEST(TextConvert, MalformedUtf8GivesEmptyText) {
  for (std::string bad :
       {"ab\x80", "\xC3", "\xE2\x82", "\xC3(", "\xF8\x80\x80\x80", "\xF4\x90\x80\x80"})
    EXPECT_EQ(Utf8ToWide(bad), u"") << bad;
  EXPECT_EQ(UnicodeFromUtf8(nullptr, 0, "\xC3", 1), -1);
  EXPECT_EQ(Utf8ToWide(std::string("ok\0\x80", 4)), u"ok");  // stops at the zero byte
}

TEST(TextConvert, CountingAndCapacity) {
  const char16_t text[] = u"a\u00E9\u20AC";
  EXPECT_EQ(Utf8FromUnicode(nullptr, 0, text, 3), 7);
  char small[4];
  EXPECT_EQ(Utf8FromUnicode(small, sizeof small, text, 3), 4);  // the euro does not fit
  EXPECT_STREQ(small, "a\xC3\xA9");
  char16_t units[3];
  EXPECT_EQ(UnicodeFromUtf8(units, 3, "abcd", 4), 3);
  EXPECT_EQ(std::u16string(units), u"ab");
  EXPECT_EQ(UnicodeFromUtf8(nullptr, 0, "\xF0\x9F\x98\x80", 4), 3);
}

TEST(TextConvert, CodePage) {
  EXPECT_EQ(AnsiToUtf8("caf\xE9 \x80 \x9F"), "caf\xC3\xA9 \xE2\x82\xAC \xC5\xB8");
  EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9 \xE2\x82\xAC \xD0\xB8"), "caf\xE9 \x80 ?");
  EXPECT_EQ(WideToAnsi(u"\u0152\U0001F600"), "\x8C?");
  EXPECT_EQ(AnsiToWide("\x81\x8D"), u"\u0081\u008D");
  EXPECT_EQ(WideToAnsi(u""), "");
  EXPECT_TRUE(FitsAnsi("\xE2\x82\xAC\xC3\xBF"));
  EXPECT_FALSE(FitsAnsi("\xD0\xB8"));
}

TEST(TextConvert, CheckAndCanonicalForm) {
  std::string out;
  EXPECT_EQ(CheckUtf8("plain"), Utf8State::Canonical);
  EXPECT_EQ(CheckUtf8("\xC3\xA9\xF0\x9F\x98\x80"), Utf8State::Canonical);
  EXPECT_EQ(CheckUtf8("\xC1\x81"), Utf8State::NeedsRewrite);  // overlong "A"
  EXPECT_EQ(CheckUtf8("\xED\xA0\xBD\xED\xB8\x80"), Utf8State::NeedsRewrite);
  EXPECT_EQ(CheckUtf8("\xFF"), Utf8State::Malformed);
  ASSERT_TRUE(CanonicalUtf8("\xC1\x81\xED\xA0\xBD\xED\xB8\x80", out));
  EXPECT_EQ(out, "A\xF0\x9F\x98\x80");
}

}  // namespace

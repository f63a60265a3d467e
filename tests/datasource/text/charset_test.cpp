/* charset_test.cpp: application text to UTF-8 and back: the automatic
 * rule (UTF-8 kept, anything else read as WINDOWS-1252), a named
 * encoding, the bytes it refuses, and UTF-8's own checks. */
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "text/charset.h"

namespace {

TEST(Charset, TheAutomaticRule) {
  const struct {
    const char *in;
    TextResult result;
    const char *utf8; /* the converted text, for TEXT_CONVERTED */
  } rows[] = {
    {"plain ASCII", TEXT_KEPT, ""},
    {"caf\xC3\xA9", TEXT_KEPT, ""},
    {"caf\xE9", TEXT_CONVERTED, "caf\xC3\xA9"},
    {"\x80 5", TEXT_CONVERTED, "\xE2\x82\xAC 5"},      /* the euro sign of WINDOWS-1252 */
    {"\x81", TEXT_CONVERTED, "\xC2\x81"},              /* undefined there: kept as Latin-1 */
    {"\xC3\xA9 and \xE9", TEXT_CONVERTED, "\xC3\x83\xC2\xA9 and \xC3\xA9"}, /* not UTF-8 as a whole */
  };
  Charset automatic;
  ASSERT_TRUE(automatic.Open(""));
  EXPECT_FALSE(automatic.Explicit());
  for (const auto &r : rows) {
    std::string out;
    size_t bad = 99;
    EXPECT_EQ(automatic.ToUtf8(r.in, strlen(r.in), &out, &bad), r.result) << r.in;
    EXPECT_EQ(out, r.utf8) << r.in;
  }
  std::string back;
  automatic.FromUtf8("caf\xC3\xA9", 5, &back);
  EXPECT_EQ(back, "caf\xC3\xA9");
}

TEST(Charset, NamedEncodings) {
  Charset latin1;
  ASSERT_TRUE(latin1.Open("ISO-8859-1"));
  EXPECT_EQ(latin1.Name(), "ISO-8859-1");
  std::string out;
  size_t bad = 0;
  EXPECT_EQ(latin1.ToUtf8("caf\xE9", 4, &out, &bad), TEXT_CONVERTED);
  EXPECT_EQ(out, "caf\xC3\xA9");
  latin1.FromUtf8("caf\xC3\xA9", 5, &out);
  EXPECT_EQ(out, "caf\xE9");

  Charset utf8;
  ASSERT_TRUE(utf8.Open("UTF-8"));
  EXPECT_EQ(utf8.ToUtf8("ab\xFF" "c", 4, &out, &bad), TEXT_INVALID);
  EXPECT_EQ(bad, 2u);

  Charset unknown;
  EXPECT_FALSE(unknown.Open("NO-SUCH-CHARSET"));
  EXPECT_FALSE(unknown.Explicit());
}

TEST(Charset, Utf8Checks) {
  const struct {
    const char *bytes;
    bool valid;
  } rows[] = {
    {"", true},
    {"eight ok and \xE2\x82\xAC", true},
    {"\xF0\x9F\x98\x80", true},
    {"\xC0\xAF", false},          /* overlong '/' */
    {"\xED\xA0\x80", false},      /* a surrogate */
    {"\xF4\x90\x80\x80", false},  /* above U+10FFFF */
    {"ok until the end \xE2\x82", false},
  };
  for (const auto &r : rows) EXPECT_EQ(IsValidUtf8(r.bytes, strlen(r.bytes)), r.valid) << r.bytes;
}

TEST(Charset, Utf16BothWays) {
  const unsigned short lone[] = {'a', 0xD800, 'b'};
  std::string utf8;
  Utf16ToUtf8(lone, 3, &utf8);
  EXPECT_EQ(utf8, "a\xEF\xBF\xBD" "b");
  std::u16string units;
  Utf8ToUtf16("\xF0\x9F\x98\x80!", 5, &units);
  EXPECT_EQ(units, (std::u16string{0xD83D, 0xDE00, u'!'}));
  Utf8ToUtf16("\xFFz", 2, &units);
  EXPECT_EQ(units, (std::u16string{0xFFFD, u'z'}));
}

/* Whether text went out whole: a character the encoding lacks is '?' (or
 * transliterated) and reported; without a Charset, UTF-8 goes out as is. */
TEST(Charset, TellsWhenACharacterIsLostOnTheWayOut) {
  const struct {
    const char *charset, *utf8, *bytes;
    bool whole;
  } rows[] = {
    {"CP850", "\xC3\xBC", "\x81", true},              /* ü */
    {"CP850", "a\xE2\x82\xAC" "b", "aEURb", false},   /* € is not in CP850: transliterated */
    {"CP850", "a\xFF" "b", "a?b", false},                /* not UTF-8 */
    {"ISO-8859-1", "\xE2\x9C\x93", "?", false},       /* ✓ */
    {"UTF-8", "\xE2\x9C\x93", "\xE2\x9C\x93", true},
    {"", "\xE2\x9C\x93", "\xE2\x9C\x93", true},
  };
  for (const auto &r : rows) {
    Charset cs;
    ASSERT_TRUE(cs.Open(r.charset)) << r.charset;
    std::string out;
    EXPECT_EQ(cs.FromUtf8(r.utf8, strlen(r.utf8), &out), r.whole) << r.charset << " " << r.utf8;
    EXPECT_EQ(out, r.bytes) << r.charset << " " << r.utf8;
  }
}

}  // namespace

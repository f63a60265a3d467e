/* value_text_test.cpp: the exact text of decimals, GUIDs, times and
 * fractions of a second that parameters are given to the backends as. */
#include <gtest/gtest.h>
#include <string.h>

#include "core/value_text.h"

namespace {

SQL_NUMERIC_STRUCT Numeric(unsigned long long magnitude, int scale, bool positive, unsigned long long high = 0) {
  SQL_NUMERIC_STRUCT n;
  memset(&n, 0, sizeof n);
  n.precision = 38;
  n.scale = (SQLSCHAR)scale;
  n.sign = positive ? 1 : 0;
  for (int i = 0; i < 8; i++) n.val[i] = (SQLCHAR)(magnitude >> (8 * i));
  for (int i = 0; i < 8; i++) n.val[8 + i] = (SQLCHAR)(high >> (8 * i));
  return n;
}

TEST(ValueText, DecimalsKeepEveryDigit) {
  const struct { SQL_NUMERIC_STRUCT n; const char *text; } cases[] = {
    {Numeric(1234567, 3, true), "1234.567"},
    {Numeric(1234567, 3, false), "-1234.567"},
    {Numeric(5, 3, true), "0.005"},
    {Numeric(12, 0, true), "12"},
    {Numeric(12, -3, true), "12000"},
    {Numeric(0, 2, false), "0.00"}, /* no negative zero */
    {Numeric(9007199254740993ULL, 0, true), "9007199254740993"},
    {Numeric(~0ULL, 0, true, ~0ULL), "340282366920938463463374607431768211455"},
    {Numeric(~0ULL, 38, true, ~0ULL), "3.40282366920938463463374607431768211455"},
  };
  for (const auto &c : cases) EXPECT_EQ(NumericText(c.n), c.text);
}

TEST(ValueText, GuidsTimesAndFractions) {
  SQLGUID g = {0x12345678, 0x9abc, 0xdef0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef}};
  EXPECT_EQ(GuidText(g), "12345678-9abc-def0-0123-456789abcdef");

  const struct { SQL_TIME_STRUCT t; bool ok; const char *text; } times[] = {
    {{0, 0, 0}, true, "00:00:00"}, {{23, 59, 60}, true, "23:59:60"}, {{24, 0, 0}, false, ""}, {{1, 60, 0}, false, ""},
  };
  for (const auto &c : times) {
    std::string text;
    EXPECT_EQ(TimeText(c.t, &text), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(text, c.text);
    }
  }

  const struct { SQLUINTEGER nanos; const char *text; } fractions[] = {
    {0, "x"}, {123456000, "x.123456"}, {500000000, "x.5"}, {1, "x.000000001"}, {999999999, "x.999999999"},
  };
  for (const auto &c : fractions) {
    std::string text = "x";
    AppendFraction(c.nanos, &text);
    EXPECT_EQ(text, c.text);
  }
}

TEST(ValueText, DecimalTextReadsBackExactly) {
  /* text, what NumericText gives back, precision, scale, fraction dropped; "" = refused */
  const struct { const char *text, *back; int precision, scale; bool dropped; } cases[] = {
    {"123.456", "123.456", 6, 3, false},
    {"-1234", "-1234", 4, 0, false},
    {"+0.005", "0.005", 3, 3, false},
    {"-0.00", "0.00", 2, 2, false}, /* no negative zero */
    {"1.5e3", "1500", 4, 0, false},
    {"1.5E-3", "0.0015", 4, 4, false},
    {"-12345678901234567890.123456789", "-12345678901234567890.123456789", 29, 9, false},
    {"99999999999999999999999999999999999999", "99999999999999999999999999999999999999", 38, 0, false},
    {"1.00000000000000000000000000000000000000", "1.0000000000000000000000000000000000000", 38, 37, false},
    {"0.123456789012345678901234567890123456789", "0.12345678901234567890123456789012345678", 38, 38, true},
    {"100000000000000000000000000000000000000", "", 0, 0, false}, /* 39 whole digits */
    {"1e40", "", 0, 0, false},
    {"12a", "", 0, 0, false},
    {".", "", 0, 0, false},
    {"", "", 0, 0, false},
    {"NaN", "", 0, 0, false},
  };
  for (const auto &c : cases) {
    SQL_NUMERIC_STRUCT n;
    bool dropped = true;
    bool ok = NumericOfText(c.text, &n, &dropped);
    EXPECT_EQ(ok, *c.back != 0) << c.text;
    if (!ok) continue;
    EXPECT_EQ(NumericText(n), c.back) << c.text;
    EXPECT_EQ(n.precision, c.precision) << c.text;
    EXPECT_EQ(n.scale, c.scale) << c.text;
    EXPECT_EQ(dropped, c.dropped) << c.text;
  }
}

TEST(ValueText, GuidTextReadsBack) {
  const struct { const char *text, *back; } cases[] = {
    {"12345678-9abc-def0-0123-456789abcdef", "12345678-9abc-def0-0123-456789abcdef"},
    {"{12345678-9ABC-DEF0-0123-456789ABCDEF}", "12345678-9abc-def0-0123-456789abcdef"},
    {"ffffffff-ffff-ffff-ffff-ffffffffffff", "ffffffff-ffff-ffff-ffff-ffffffffffff"},
    {"12345678-9abc-def0-0123-456789abcdeg", ""},
    {"12345678-9abc-def0-0123+456789abcdef", ""},
    {"123456789abcdef00123456789abcdef", ""},
    {"{12345678-9abc-def0-0123-456789abcdef", ""},
  };
  for (const auto &c : cases) {
    SQLGUID g;
    bool ok = GuidOfText(c.text, &g);
    EXPECT_EQ(ok, *c.back != 0) << c.text;
    if (!ok) continue;
    EXPECT_EQ(GuidText(g), c.back);
  }
}

}  // namespace

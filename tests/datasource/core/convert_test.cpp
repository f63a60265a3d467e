/* convert_test.cpp: the arithmetic that the parameters and SQLGetData
 * share: whole numbers fitted into integer types (a fraction dropped
 * toward zero, the edges of each range, 2^63, NaN), numbers read from C
 * buffers and from result values, and the calendar. */
#include <gtest/gtest.h>
#include <math.h>

#include <limits>

#include "core/convert.h"

namespace {

Number Whole(int64_t n) { return {true, false, n, (double)n}; }
Number Real(double d) { return {false, false, 0, d}; }

TEST(Convert, FitInteger) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    Number n;
    IntegerRange range;
    IntegerFit fit;
    int64_t whole;
  } rows[] = {
    {Whole(127), kInt8Range, FIT_EXACT, 127},
    {Whole(128), kInt8Range, FIT_OUT_OF_RANGE, 0},
    {Whole(-128), kInt8Range, FIT_EXACT, -128},
    {Whole(-1), kUint32Range, FIT_OUT_OF_RANGE, 0},
    {Whole(4294967295), kUint32Range, FIT_EXACT, 4294967295},
    {Whole(2), kBitRange, FIT_OUT_OF_RANGE, 0},
    {Whole(INT64_MAX), kUint64GivenRange, FIT_EXACT, INT64_MAX},
    {{true, true, INT64_MAX, 1e19}, kUint64GivenRange, FIT_OUT_OF_RANGE, 0},
    {Real(2.75), kInt32Range, FIT_TRUNCATED, 2},
    {Real(-2.75), kInt32Range, FIT_TRUNCATED, -2},
    {Real(32767.9), kInt16Range, FIT_TRUNCATED, 32767},
    {Real(32768.0), kInt16Range, FIT_OUT_OF_RANGE, 0},
    {Real(-9223372036854775808.0), kInt64Range, FIT_EXACT, INT64_MIN},
    {Real(9223372036854775807.0), kInt64Range, FIT_OUT_OF_RANGE, 0}, /* the double is 2^63 */
    {Real(nan), kInt64Range, FIT_OUT_OF_RANGE, 0},
    {Real(INFINITY), kInt64Range, FIT_OUT_OF_RANGE, 0},
  };
  for (const auto &r : rows) {
    int64_t whole = 0;
    IntegerFit fit = FitInteger(r.n, r.range, &whole);
    EXPECT_EQ(fit, r.fit) << r.n.integer << " " << r.n.real;
    if (fit != FIT_OUT_OF_RANGE) {
      EXPECT_EQ(whole, r.whole) << r.n.integer << " " << r.n.real;
    }
  }
}

TEST(Convert, NumbersFromResultValues) {
  const struct {
    const char *text;
    bool ok, whole;
    int64_t integer;
    double real;
  } rows[] = {
    {"42", true, true, 42, 42},     {" -7  ", true, true, -7, -7},  {"4.5", true, false, 0, 4.5},
    {"1e3", true, false, 0, 1000},  {"99999999999999999999", true, false, 0, 1e20},
    {"abc", false, false, 0, 0},    {"", false, false, 0, 0},       {"12abc", false, false, 0, 0},
  };
  for (const auto &r : rows) {
    Value v;
    v.kind = VALUE_TEXT;
    v.data = r.text;
    v.size = strlen(r.text);
    Number n{};
    ASSERT_EQ(NumberOfValue(v, &n), r.ok) << r.text;
    if (!r.ok) continue;
    EXPECT_EQ(n.whole, r.whole) << r.text;
    if (r.whole) {
      EXPECT_EQ(n.integer, r.integer) << r.text;
    } else {
      EXPECT_DOUBLE_EQ(n.real, r.real) << r.text;
    }
  }
  Value blob;
  blob.kind = VALUE_BLOB;
  Number n{};
  EXPECT_FALSE(NumberOfValue(blob, &n));
}

TEST(Convert, NumbersFromCBuffers) {
  SQLUBIGINT high = 18446744073709551615ull;
  SQLSMALLINT small = -3;
  float half = 0.5f;
  Number n{};
  ASSERT_TRUE(NumberOfC(SQL_C_UBIGINT, &high, &n));
  EXPECT_TRUE(n.unsignedHigh);
  EXPECT_EQ(n.integer, INT64_MAX);
  ASSERT_TRUE(NumberOfC(SQL_C_SSHORT, &small, &n));
  EXPECT_TRUE(n.whole && !n.unsignedHigh && n.integer == -3);
  ASSERT_TRUE(NumberOfC(SQL_C_FLOAT, &half, &n));
  EXPECT_TRUE(!n.whole && n.real == 0.5);
  EXPECT_FALSE(NumberOfC(SQL_C_CHAR, &small, &n));
}

TEST(Convert, CalendarDates) {
  const struct {
    int year;
    unsigned month, day;
    bool valid;
  } rows[] = {
    {2024, 2, 29, true}, {2023, 2, 29, false}, {1900, 2, 29, false}, {2000, 2, 29, true}, {2024, 4, 31, false},
    {9999, 12, 31, true}, {10000, 1, 1, false}, {0, 1, 1, false},    {1999, 13, 1, false}, {1999, 1, 0, false},
  };
  for (const auto &r : rows)
    EXPECT_EQ(IsCalendarDate(r.year, r.month, r.day), r.valid) << r.year << "-" << r.month << "-" << r.day;
}

}  // namespace

/* convert.cpp: numbers between C buffers, result values and integer
 * types, and the calendar. */
#include "core/convert.h"

#include <errno.h>
#include <math.h>
#include <stdlib.h>

#include <string>

/* 2^63 as a double: every double below it converts to int64_t exactly. */
static const double kTwoTo63 = 9223372036854775808.0;

IntegerFit FitInteger(const Number &n, const IntegerRange &range, int64_t *whole) {
  *whole = n.integer;
  bool fraction = false;
  if (!n.whole) {
    double t = trunc(n.real);
    if (!isfinite(n.real) || t < -kTwoTo63 || t >= kTwoTo63) return FIT_OUT_OF_RANGE;
    *whole = (int64_t)t;
    fraction = t != n.real;
  }
  if (n.unsignedHigh || *whole < range.low || (*whole > 0 && (uint64_t)*whole > range.high)) return FIT_OUT_OF_RANGE;
  return fraction ? FIT_TRUNCATED : FIT_EXACT;
}

bool NumberOfC(SQLSMALLINT cType, SQLPOINTER p, Number *n) {
  *n = {true, false, 0, 0};
  switch (cType) {
    case SQL_C_DOUBLE: n->whole = false, n->real = ReadUnaligned<double>(p); return true;
    case SQL_C_FLOAT: n->whole = false, n->real = ReadUnaligned<float>(p); return true;
    case SQL_C_LONG: case SQL_C_SLONG: n->integer = ReadUnaligned<SQLINTEGER>(p); return true;
    case SQL_C_ULONG: n->integer = ReadUnaligned<SQLUINTEGER>(p); return true;
    case SQL_C_SHORT: case SQL_C_SSHORT: n->integer = ReadUnaligned<SQLSMALLINT>(p); return true;
    case SQL_C_USHORT: n->integer = ReadUnaligned<SQLUSMALLINT>(p); return true;
    case SQL_C_TINYINT: case SQL_C_STINYINT: n->integer = ReadUnaligned<SQLSCHAR>(p); return true;
    case SQL_C_UTINYINT: case SQL_C_BIT: n->integer = ReadUnaligned<SQLCHAR>(p); return true;
    case SQL_C_SBIGINT: n->integer = ReadUnaligned<SQLBIGINT>(p); return true;
    case SQL_C_UBIGINT: {
      SQLUBIGINT u = ReadUnaligned<SQLUBIGINT>(p);
      n->unsignedHigh = u > (SQLUBIGINT)INT64_MAX;
      n->integer = n->unsignedHigh ? INT64_MAX : (int64_t)u;
      n->real = (double)u;
      return true;
    }
    default: return false;
  }
}

bool NumberOfValue(const Value &v, Number *n) {
  switch (v.kind) {
    case VALUE_INTEGER: *n = {true, false, v.integer, (double)v.integer}; return true;
    case VALUE_REAL: *n = {false, false, 0, v.real}; return true;
    case VALUE_TEXT: {
      std::string text(v.data, v.size);
      char *end;
      errno = 0;
      long long whole = strtoll(text.c_str(), &end, 10);
      while (*end == ' ') end++;
      if (end != text.c_str() && *end == 0 && errno == 0) {
        *n = {true, false, whole, (double)whole};
        return true;
      }
      double real = strtod(text.c_str(), &end);
      while (*end == ' ') end++;
      if (end == text.c_str() || *end != 0) return false;
      *n = {false, false, 0, real};
      return true;
    }
    default: return false;
  }
}

static bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool IsCalendarDate(int year, unsigned month, unsigned day) {
  static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  return day <= kDays[month - 1] + (month == 2 && IsLeapYear(year));
}

/* convert.h: the arithmetic of ODBC's conversions between C and SQL
 * types, shared by the parameters (a C value to a SQL type) and by
 * SQLGetData (a SQL value to a C type): numbers read from either side,
 * whole numbers fitted into an integer type, calendar dates, and the
 * application's unaligned buffers. */
#ifndef LUMETRA_DS_CONVERT_H
#define LUMETRA_DS_CONVERT_H

#include <stdint.h>
#include <string.h>

#include "backend/backend.h"

/* A number on its way: whole numbers exactly, the rest as a double. */
struct Number {
  bool whole;
  bool unsignedHigh; /* an SQLUBIGINT above INT64_MAX, in real */
  int64_t integer;
  double real;
};

/* The values of an integer type. */
struct IntegerRange {
  int64_t low;
  uint64_t high;
};

inline constexpr IntegerRange kInt8Range{INT8_MIN, INT8_MAX}, kInt16Range{INT16_MIN, INT16_MAX},
    kInt32Range{INT32_MIN, INT32_MAX}, kInt64Range{INT64_MIN, INT64_MAX}, kUint8Range{0, UINT8_MAX},
    kUint16Range{0, UINT16_MAX}, kUint32Range{0, UINT32_MAX}, kBitRange{0, 1};
/* An SQLUBIGINT as the driver gives it: what an int64_t holds. */
inline constexpr IntegerRange kUint64GivenRange{0, INT64_MAX};

enum IntegerFit { FIT_EXACT, FIT_TRUNCATED, FIT_OUT_OF_RANGE };

/* n as a whole number of the range in *whole: FIT_TRUNCATED when a
 * fraction was dropped toward zero, FIT_OUT_OF_RANGE when it does not fit. */
IntegerFit FitInteger(const Number &n, const IntegerRange &range, int64_t *whole);

/* The number in a numeric C buffer of type cType; false for another type. */
bool NumberOfC(SQLSMALLINT cType, SQLPOINTER value, Number *n);
/* The number a result value holds, its text read as one; false when it
 * holds none. */
bool NumberOfValue(const Value &v, Number *n);

bool IsCalendarDate(int year, unsigned month, unsigned day);

/* The value of type T at p, which the application need not have aligned. */
template <typename T>
T ReadUnaligned(const void *p) {
  T v;
  memcpy(&v, p, sizeof v);
  return v;
}

/* Writes v to the application's buffer, which need not be aligned. */
template <typename T>
void WriteUnaligned(void *out, T v) {
  memcpy(out, &v, sizeof v);
}

#endif

/* getdata.cpp: a result value in the C type the application asks for, as
 * ODBC's SQL-to-C rules say: text and bytes in pieces over repeated calls
 * (01004 while some is left, SQL_NO_DATA once all was given), numbers
 * exactly or with 01S07 for a dropped fraction and 22003 out of range,
 * dates and timestamps parsed from their text (22018 when it is none),
 * exact decimals and GUIDs from their text too. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/convert.h"
#include "core/results.h"
#include "core/value_text.h"

/* getDataOffset of a column once all of a value was given. */
static const SQLLEN kAllGiven = -1;

enum { NUMBER_TEXT_SIZE = 32 };

static std::string NumberText(const Value &v) {
  char text[NUMBER_TEXT_SIZE];
  if (v.kind == VALUE_INTEGER) {
    snprintf(text, sizeof text, "%lld", (long long)v.integer);
  } else {
    /* the shortest form that reads back as the same double */
    snprintf(text, sizeof text, "%.15g", v.real);
    if (strtod(text, nullptr) != v.real) snprintf(text, sizeof text, "%.17g", v.real);
  }
  return text;
}

static std::string HexText(const Value &v) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s;
  for (size_t i = 0; i < v.size; i++) {
    s += kHex[(unsigned char)v.data[i] >> 4];
    s += kHex[(unsigned char)v.data[i] & 15];
  }
  return s;
}

/* The value as UTF-8 text. */
static std::string TextOf(const Value &v) {
  switch (v.kind) {
    case VALUE_INTEGER: case VALUE_REAL: return NumberText(v);
    case VALUE_BLOB: return HexText(v);
    default: return std::string(v.data, v.size);
  }
}

/* Hands out what is left of bytes after the column's offset, in a buffer
 * of size bytes that keeps room for a terminator of `terminator` bytes,
 * cut at a multiple of unit. */
static SQLRETURN Pieces(Stmt *stmt, int i, const std::string &bytes, SQLPOINTER out, SQLLEN size,
                        SQLLEN *indicator, size_t terminator, size_t unit) {
  SQLLEN &offset = stmt->getDataOffset[(size_t)i];
  if (offset == kAllGiven) return SQL_NO_DATA;
  size_t left = bytes.size() - (size_t)offset;
  if (indicator) *indicator = (SQLLEN)left;
  size_t room = out && size > (SQLLEN)terminator ? (size_t)size - terminator : 0;
  room -= room % unit;
  size_t n = left < room ? left : room;
  if (out && size >= (SQLLEN)terminator) {
    memcpy(out, bytes.data() + offset, n);
    memset((char *)out + n, 0, terminator);
  }
  if (n == left) {
    offset = kAllGiven;
    return SQL_SUCCESS;
  }
  offset += (SQLLEN)n;
  PostInfo(stmt->diag, "01004", "String data, right truncated");
  return SQL_SUCCESS_WITH_INFO;
}

/* Text in the application's encoding. A character it lacks is given as
 * '?' with a warning, once per value, at its first piece. */
static SQLRETURN GetChar(Stmt *stmt, int i, const Value &v, SQLPOINTER out, SQLLEN size, SQLLEN *indicator) {
  std::string text = TextOf(v), converted;
  bool whole = true;
  if (v.kind == VALUE_TEXT) {
    whole = stmt->dbc->charset.FromUtf8(text.data(), text.size(), &converted);
    text.swap(converted);
  }
  bool first = stmt->getDataOffset[(size_t)i] == 0;
  SQLRETURN rc = Pieces(stmt, i, text, out, size, indicator, 1, 1);
  if (whole || !first || rc == SQL_NO_DATA) return rc;
  PostInfo(stmt->diag, "01000", "General warning: a character the client's character set lacks is given as '?'");
  return SQL_SUCCESS_WITH_INFO;
}

static SQLRETURN GetWide(Stmt *stmt, int i, const Value &v, SQLPOINTER out, SQLLEN size, SQLLEN *indicator) {
  std::string text = TextOf(v);
  std::u16string units;
  Utf8ToUtf16(text.data(), text.size(), &units);
  std::string bytes((const char *)units.data(), units.size() * sizeof(char16_t));
  return Pieces(stmt, i, bytes, out, size, indicator, sizeof(SQLWCHAR), sizeof(SQLWCHAR));
}

/* The integer C types a value can be given in, and their sizes. */
struct IntegerTarget {
  SQLSMALLINT cType;
  IntegerRange range;
  int size;
};

static const IntegerTarget kIntegerTargets[] = {
  {SQL_C_LONG, kInt32Range, 4},    {SQL_C_SLONG, kInt32Range, 4},   {SQL_C_ULONG, kUint32Range, 4},
  {SQL_C_SHORT, kInt16Range, 2},   {SQL_C_SSHORT, kInt16Range, 2},  {SQL_C_USHORT, kUint16Range, 2},
  {SQL_C_TINYINT, kInt8Range, 1},  {SQL_C_STINYINT, kInt8Range, 1}, {SQL_C_UTINYINT, kUint8Range, 1},
  {SQL_C_BIT, kBitRange, 1},       {SQL_C_SBIGINT, kInt64Range, 8}, {SQL_C_UBIGINT, kUint64GivenRange, 8},
};

static SQLRETURN OutOfRange(Stmt *stmt) { return PostError(stmt->diag, "22003", 0, "Numeric value out of range"); }
static SQLRETURN NotANumber(Stmt *stmt) {
  return PostError(stmt->diag, "22018", 0, "Invalid character value: the text is not a number or a date");
}

static SQLRETURN GetInteger(Stmt *stmt, const IntegerTarget &t, const Number &n, SQLPOINTER out, SQLLEN *indicator) {
  int64_t whole;
  IntegerFit fit = FitInteger(n, t.range, &whole);
  if (fit == FIT_OUT_OF_RANGE) return OutOfRange(stmt);
  switch (t.size) {
    case 1: WriteUnaligned(out, (int8_t)whole); break;
    case 2: WriteUnaligned(out, (int16_t)whole); break;
    case 4: WriteUnaligned(out, (int32_t)whole); break;
    default: WriteUnaligned(out, whole); break;
  }
  if (indicator) *indicator = t.size;
  if (fit == FIT_EXACT) return SQL_SUCCESS;
  PostInfo(stmt->diag, "01S07", "Fractional truncation");
  return SQL_SUCCESS_WITH_INFO;
}

/* "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fraction]]" (or with a 'T'), or
 * "HH:MM[:SS]" when timeOnly. */
struct Moment {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  long nanos = 0;
};

static bool ParseTime(const char *s, Moment *m) {
  int used = 0;
  if (sscanf(s, "%2d:%2d%n", &m->hour, &m->minute, &used) != 2) return false;
  s += used;
  if (*s == ':') {
    if (sscanf(s, ":%2d%n", &m->second, &used) != 1) return false;
    s += used;
    if (*s == '.') {
      long scale = 100000000;
      for (s++; *s >= '0' && *s <= '9'; s++, scale /= 10) m->nanos += scale * (*s - '0');
    }
  }
  return *s == 0 && m->hour < 24 && m->minute < 60 && m->second < 62;
}

static bool ParseMoment(const std::string &text, bool timeOnly, Moment *m) {
  const char *s = text.c_str();
  if (timeOnly && ParseTime(s, m)) return true;
  int used = 0;
  if (sscanf(s, "%4d-%2d-%2d%n", &m->year, &m->month, &m->day, &used) != 3 || used != 10) return false;
  s += used;
  if (m->month < 1 || m->month > 12 || m->day < 1 || m->day > 31) return false;
  if (*s == 0) return true;
  return (*s == ' ' || *s == 'T') && ParseTime(s + 1, m);
}

static SQLRETURN GetMoment(Stmt *stmt, SQLSMALLINT cType, const Value &v, SQLPOINTER out, SQLLEN *indicator) {
  bool timeOnly = cType == SQL_C_TIME || cType == SQL_C_TYPE_TIME;
  Moment m;
  bool textual = v.kind == VALUE_TEXT || v.kind == VALUE_DATE || v.kind == VALUE_TIMESTAMP;
  if (!textual) return PostError(stmt->diag, "07006", 0, "Restricted data type attribute violation");
  if (!ParseMoment(std::string(v.data, v.size), timeOnly, &m)) return NotANumber(stmt);
  bool dropped = false;
  if (cType == SQL_C_DATE || cType == SQL_C_TYPE_DATE) {
    DATE_STRUCT d = {(SQLSMALLINT)m.year, (SQLUSMALLINT)m.month, (SQLUSMALLINT)m.day};
    WriteUnaligned(out, d);
    if (indicator) *indicator = sizeof d;
    dropped = m.hour || m.minute || m.second || m.nanos;
  } else if (timeOnly) {
    TIME_STRUCT t = {(SQLUSMALLINT)m.hour, (SQLUSMALLINT)m.minute, (SQLUSMALLINT)m.second};
    WriteUnaligned(out, t);
    if (indicator) *indicator = sizeof t;
    dropped = m.nanos != 0;
  } else {
    TIMESTAMP_STRUCT t = {(SQLSMALLINT)m.year,   (SQLUSMALLINT)m.month,  (SQLUSMALLINT)m.day,
                          (SQLUSMALLINT)m.hour,  (SQLUSMALLINT)m.minute, (SQLUSMALLINT)m.second,
                          (SQLUINTEGER)m.nanos};
    WriteUnaligned(out, t);
    if (indicator) *indicator = sizeof t;
  }
  if (!dropped) return SQL_SUCCESS;
  PostInfo(stmt->diag, "01S07", "Fractional truncation");
  return SQL_SUCCESS_WITH_INFO;
}

/* An exact decimal, every digit of the value's text up to 38 (01S07 when
 * fraction digits beyond are dropped); its scale is the value's own. */
static SQLRETURN GetNumeric(Stmt *stmt, const Value &v, SQLPOINTER out, SQLLEN *indicator) {
  if (v.kind == VALUE_BLOB) return PostError(stmt->diag, "07006", 0, "Restricted data type attribute violation");
  SQL_NUMERIC_STRUCT n;
  bool dropped = false;
  if (!NumericOfText(TextOf(v), &n, &dropped)) {
    Number ignored;
    return NumberOfValue(v, &ignored) ? OutOfRange(stmt) : NotANumber(stmt);
  }
  WriteUnaligned(out, n);
  if (indicator) *indicator = sizeof n;
  if (!dropped) return SQL_SUCCESS;
  PostInfo(stmt->diag, "01S07", "Fractional truncation");
  return SQL_SUCCESS_WITH_INFO;
}

static SQLRETURN GetGuid(Stmt *stmt, const Value &v, SQLPOINTER out, SQLLEN *indicator) {
  if (v.kind != VALUE_TEXT) return PostError(stmt->diag, "07006", 0, "Restricted data type attribute violation");
  SQLGUID g;
  if (!GuidOfText(std::string(v.data, v.size), &g))
    return PostError(stmt->diag, "22018", 0, "Invalid character value: the text is not a GUID");
  WriteUnaligned(out, g);
  if (indicator) *indicator = sizeof g;
  return SQL_SUCCESS;
}

/* The C type SQL_C_DEFAULT stands for, by the column's SQL type. */
static SQLSMALLINT DefaultCType(SQLSMALLINT sqlType) {
  switch (sqlType) {
    case SQL_INTEGER: return SQL_C_SLONG;
    case SQL_SMALLINT: return SQL_C_SSHORT;
    case SQL_BIGINT: return SQL_C_SBIGINT;
    case SQL_DOUBLE: return SQL_C_DOUBLE;
    case SQL_TYPE_DATE: return SQL_C_TYPE_DATE;
    case SQL_TYPE_TIMESTAMP: return SQL_C_TYPE_TIMESTAMP;
    case SQL_LONGVARBINARY: return SQL_C_BINARY;
    case SQL_GUID: return SQL_C_GUID;
    case SQL_WCHAR: case SQL_WVARCHAR: case SQL_WLONGVARCHAR: return SQL_C_WCHAR;
    default: return SQL_C_CHAR;
  }
}

SQLRETURN GetValue(Stmt *stmt, int i, SQLSMALLINT cType, SQLPOINTER out, SQLLEN size, SQLLEN *indicator) {
  Value v = stmt->cursor->Get(i);
  bool fixed = cType != SQL_C_CHAR && cType != SQL_C_WCHAR && cType != SQL_C_BINARY && cType != SQL_C_DEFAULT;
  if (fixed || v.kind == VALUE_NULL) {
    SQLLEN &offset = stmt->getDataOffset[(size_t)i];
    if (offset == kAllGiven) return SQL_NO_DATA;
    offset = kAllGiven;
  }
  if (v.kind == VALUE_NULL) {
    if (!indicator) return PostError(stmt->diag, "22002", 0, "Indicator variable required but not supplied");
    *indicator = SQL_NULL_DATA;
    return SQL_SUCCESS;
  }
  if (cType == SQL_C_DEFAULT) cType = DefaultCType(ClientSqlType(stmt, stmt->cursor->Column(i).sqlType));
  if (fixed && !out) return PostError(stmt->diag, "HY009", 0, "Invalid use of null pointer");
  switch (cType) {
    case SQL_C_CHAR: return GetChar(stmt, i, v, out, size, indicator);
    case SQL_C_WCHAR: return GetWide(stmt, i, v, out, size, indicator);
    case SQL_C_BINARY:
      return Pieces(stmt, i, std::string(v.data ? v.data : "", v.kind == VALUE_INTEGER || v.kind == VALUE_REAL ? 0 : v.size),
                    out, size, indicator, 0, 1);
    case SQL_C_DATE: case SQL_C_TYPE_DATE: case SQL_C_TIME: case SQL_C_TYPE_TIME: case SQL_C_TIMESTAMP:
    case SQL_C_TYPE_TIMESTAMP:
      return GetMoment(stmt, cType, v, out, indicator);
    case SQL_C_NUMERIC: return GetNumeric(stmt, v, out, indicator);
    case SQL_C_GUID: return GetGuid(stmt, v, out, indicator);
    default: break;
  }
  Number n;
  if (!NumberOfValue(v, &n)) return v.kind == VALUE_TEXT ? NotANumber(stmt) : PostError(stmt->diag, "07006", 0, "Restricted data type attribute violation");
  if (cType == SQL_C_DOUBLE || cType == SQL_C_FLOAT) {
    double d = n.whole ? (double)n.integer : n.real;
    if (cType == SQL_C_DOUBLE) WriteUnaligned(out, d);
    else WriteUnaligned(out, (float)d);
    if (indicator) *indicator = cType == SQL_C_DOUBLE ? 8 : 4;
    return SQL_SUCCESS;
  }
  for (const IntegerTarget &t : kIntegerTargets)
    if (t.cType == cType) return GetInteger(stmt, t, n, out, indicator);
  return PostError(stmt->diag, "07006", 0, "Restricted data type attribute violation");
}

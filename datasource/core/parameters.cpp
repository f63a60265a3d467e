/* parameters.cpp: SQLBindParameter, and the conversion of the bound C values
 * to the SQL type of each parameter at every execution, as ODBC's C-to-SQL
 * rules say: text as UTF-8 (see charset.h), whole numbers exactly and
 * doubles truncated toward zero into an integer type (01S07 when a
 * fraction is dropped, 22003 out of range), dates checked against the
 * calendar (22008) and given as timestamps with their fraction of a
 * second; exact decimals, GUIDs and times of day as text (value_text.h).
 * Nothing reaches the backend before every parameter has passed. */
#include <stdio.h>
#include <string.h>

#include <charconv>

#include "backend/sql_types.h"
#include "core/convert.h"
#include "core/parameters.h"
#include "core/value_text.h"

static bool IsDateType(SQLSMALLINT t) {
  return t == SQL_DATE || t == SQL_TYPE_DATE || t == SQL_TIMESTAMP || t == SQL_TYPE_TIMESTAMP;
}

/* The integer SQL types a parameter can be converted to. */
struct IntegerSqlType {
  SQLSMALLINT sqlType;
  IntegerRange range;
};

static const IntegerSqlType kIntegerSqlTypes[] = {
  {SQL_INTEGER, kInt32Range}, {SQL_SMALLINT, kInt16Range}, {SQL_TINYINT, kInt8Range},
  {SQL_BIGINT, kInt64Range},  {SQL_BIT, kBitRange},
};

static const IntegerRange *RangeOf(SQLSMALLINT sqlType) {
  for (const IntegerSqlType &t : kIntegerSqlTypes)
    if (t.sqlType == sqlType) return &t.range;
  return nullptr;
}

static std::string Where(int n) { return " (parameter " + std::to_string(n) + ")"; }

static SQLRETURN TypeViolation(Stmt *stmt, int n) {
  return PostError(stmt->diag, "07006", 0, "Restricted data type attribute violation" + Where(n));
}

enum { VALUE_TEXT_SIZE = 48 };

/* The bytes of a parameter's value: the application's buffer, or what it
 * sent with SQLPutData for a parameter given at execution. */
static const void *DataOf(const Param &p) { return p.atExec ? (const void *)p.sent.data() : p.value; }
/* The most nanoseconds a TIMESTAMP_STRUCT's fraction can hold. */
static const SQLUINTEGER kMaxNanos = 999999999;
/* The nanoseconds of the last digit of a fraction of 0 to 9 digits. */
static const SQLUINTEGER kNanosUnit[] = {1000000000, 100000000, 10000000, 1000000, 100000, 10000, 1000, 100, 10, 1};

/* A refused date as the user can read it: 0000-00-00, or its fields one
 * by one when they do not fit that form (eight blanks, say). */
static std::string DateText(int year, unsigned month, unsigned day) {
  char text[VALUE_TEXT_SIZE];
  if (year >= 0 && year <= 9999 && month <= 99 && day <= 99)
    snprintf(text, sizeof text, "%04d-%02u-%02u", year, month, day);
  else
    snprintf(text, sizeof text, "year %d, month %u, day %u", year, month, day);
  return text;
}

static SQLRETURN OutOfRange(Stmt *stmt, int n, const Number &v) {
  char text[VALUE_TEXT_SIZE];
  if (v.unsignedHigh) snprintf(text, sizeof text, "%.17g", v.real);
  else if (v.whole) snprintf(text, sizeof text, "%lld", (long long)v.integer);
  else snprintf(text, sizeof text, "%.17g", v.real);
  return PostError(stmt->diag, "22003", 0, std::string("Numeric value out of range: ") + text + Where(n));
}

static SQLRETURN ConvertNumber(Stmt *stmt, int n, const Param &p, const Number &v, Value *out) {
  if (p.sqlType == SQL_DOUBLE || p.sqlType == SQL_FLOAT || p.sqlType == SQL_REAL || p.sqlType == SQL_NUMERIC ||
      p.sqlType == SQL_DECIMAL) {
    out->kind = VALUE_REAL;
    out->real = v.whole && !v.unsignedHigh ? (double)v.integer : v.real;
    return SQL_SUCCESS;
  }
  const IntegerRange *range = RangeOf(p.sqlType);
  if (!range) return TypeViolation(stmt, n);
  int64_t whole;
  IntegerFit fit = FitInteger(v, *range, &whole);
  if (fit == FIT_OUT_OF_RANGE) return OutOfRange(stmt, n, v);
  out->kind = VALUE_INTEGER;
  out->integer = whole;
  if (fit == FIT_EXACT) return SQL_SUCCESS;
  /* a CDF number with decimals in an I4 column: this runs for many records */
  static const char kTruncation[] = "Fractional truncation (parameter ";
  char text[VALUE_TEXT_SIZE];
  memcpy(text, kTruncation, sizeof kTruncation - 1);
  char *end = std::to_chars(text + sizeof kTruncation - 1, text + sizeof text - 2, n).ptr;
  end[0] = ')';
  end[1] = 0;
  PostInfo(stmt->diag, "01S07", text);
  return SQL_SUCCESS_WITH_INFO;
}

static SQLRETURN ConvertDate(Stmt *stmt, int n, Param &p, Value *out) {
  if (!IsDateType(p.sqlType)) return TypeViolation(stmt, n);
  int year;
  unsigned month, day, hour = 0, minute = 0, second = 0;
  SQLUINTEGER nanos = 0;
  if (p.cType == SQL_C_TIMESTAMP || p.cType == SQL_C_TYPE_TIMESTAMP) {
    TIMESTAMP_STRUCT t = ReadUnaligned<TIMESTAMP_STRUCT>(DataOf(p));
    year = t.year, month = t.month, day = t.day, hour = t.hour, minute = t.minute, second = t.second;
    nanos = t.fraction;
    if (hour > 23 || minute > 59 || second > 61 || nanos > kMaxNanos)
      return PostError(stmt->diag, "22008", 0, "Datetime field overflow: no time of day" + Where(n));
  } else {
    DATE_STRUCT d = ReadUnaligned<DATE_STRUCT>(DataOf(p));
    year = d.year, month = d.month, day = d.day;
  }
  if (!IsCalendarDate(year, month, day))
    return PostError(stmt->diag, "22008", 0,
                     "Datetime field overflow: " + DateText(year, month, day) + " is no calendar date" + Where(n));
  bool dateOnly = p.sqlType == SQL_DATE || p.sqlType == SQL_TYPE_DATE;
  /* "YYYY-MM-DD HH:MM:SS", written by hand: this runs for every record */
  char text[] = "0000-00-00 00:00:00";
  const unsigned fields[] = {(unsigned)year / 100, (unsigned)year % 100, month, day, hour, minute, second};
  static const int kAt[] = {0, 2, 5, 8, 11, 14, 17};
  for (int k = 0; k < 7; k++) {
    text[kAt[k]] = (char)('0' + fields[k] / 10);
    text[kAt[k] + 1] = (char)('0' + fields[k] % 10);
  }
  p.text.assign(text, dateOnly ? 10 : sizeof text - 1);
  /* what the target cannot hold is dropped with a warning: the time of
   * day of a date, the digits of a fraction beyond the backend's */
  SQLUINTEGER kept = nanos - nanos % kNanosUnit[stmt->dbc->backend->FractionDigits()];
  bool dropped = dateOnly ? hour || minute || second || nanos : kept != nanos;
  if (!dateOnly) AppendFraction(kept, &p.text);
  out->kind = dateOnly ? VALUE_DATE : VALUE_TIMESTAMP;
  out->data = p.text.data();
  out->size = p.text.size();
  if (dropped) {
    PostInfo(stmt->diag, "01S07", "Fractional truncation: the value holds more than the column can" + Where(n));
    return SQL_SUCCESS_WITH_INFO;
  }
  return SQL_SUCCESS;
}

/* The byte count of a text or binary parameter from its indicator. */
static bool LengthOf(const Param &p, SQLLEN indicator, size_t unit, size_t *length) {
  if (indicator == SQL_NTS) {
    size_t n = 0;
    if (unit == 1) n = strlen((const char *)DataOf(p));
    else
      while (ReadUnaligned<SQLWCHAR>((const char *)DataOf(p) + n) != 0) n += unit;
    *length = n;
    return true;
  }
  if (indicator < 0) return false;
  *length = (size_t)indicator;
  return true;
}

static SQLRETURN ConvertText(Stmt *stmt, int n, Param &p, SQLLEN indicator, Value *out) {
  bool wide = p.cType == SQL_C_WCHAR;
  bool binary = IsBinaryType(p.sqlType);
  bool decimal = p.sqlType == SQL_NUMERIC || p.sqlType == SQL_DECIMAL; /* text of a decimal, kept exact */
  if (!IsCharType(p.sqlType) && !binary && !decimal) return TypeViolation(stmt, n);
  size_t length;
  if (!LengthOf(p, indicator, wide ? sizeof(SQLWCHAR) : 1, &length))
    return PostError(stmt->diag, "HY090", 0, "Invalid string or buffer length" + Where(n));
  const char *s = (const char *)DataOf(p);
  out->kind = binary ? VALUE_BLOB : VALUE_TEXT;
  out->data = s;
  out->size = length;
  if (binary) return SQL_SUCCESS;
  if (wide) {
    std::u16string units(length / sizeof(SQLWCHAR), u'\0');
    memcpy(units.data(), s, units.size() * sizeof(SQLWCHAR));
    Utf16ToUtf8((const unsigned short *)units.data(), units.size(), &p.text);
  } else {
    size_t bad = 0;
    switch (stmt->dbc->charset.ToUtf8(s, length, &p.text, &bad)) {
      case TEXT_KEPT: return SQL_SUCCESS;
      case TEXT_CONVERTED: break;
      case TEXT_INVALID: {
        char detail[VALUE_TEXT_SIZE];
        snprintf(detail, sizeof detail, "byte 0x%02X at offset %zu", (unsigned char)s[bad], bad);
        return PostError(stmt->diag, "22018", 0,
                         std::string("Invalid character value: ") + detail + " is not " +
                             stmt->dbc->charset.Name() + Where(n));
      }
    }
  }
  out->data = p.text.data();
  out->size = p.text.size();
  return SQL_SUCCESS;
}

/* A value given as text to a parameter of the SQL types that take it,
 * or of a text type. */
static SQLRETURN GiveText(Stmt *stmt, int n, Param &p, std::string text, const SQLSMALLINT *types, Value *out) {
  bool taken = IsCharType(p.sqlType);
  for (const SQLSMALLINT *t = types; *t; t++) taken = taken || *t == p.sqlType;
  if (!taken) return TypeViolation(stmt, n);
  p.text = std::move(text);
  out->kind = VALUE_TEXT;
  out->data = p.text.data();
  out->size = p.text.size();
  return SQL_SUCCESS;
}

static const SQLSMALLINT kDecimalTypes[] = {SQL_NUMERIC, SQL_DECIMAL, 0};
static const SQLSMALLINT kGuidTypes[] = {SQL_GUID, 0};
static const SQLSMALLINT kTimeTypes[] = {SQL_TIME, SQL_TYPE_TIME, 0};

/* SQL_C_NUMERIC: exact text for a decimal or text type; a number, read
 * from that text, for the others. */
static SQLRETURN ConvertDecimal(Stmt *stmt, int n, Param &p, Value *out) {
  std::string text = NumericText(ReadUnaligned<SQL_NUMERIC_STRUCT>(DataOf(p)));
  if (!RangeOf(p.sqlType) && p.sqlType != SQL_DOUBLE && p.sqlType != SQL_FLOAT && p.sqlType != SQL_REAL)
    return GiveText(stmt, n, p, std::move(text), kDecimalTypes, out);
  Value asText;
  asText.kind = VALUE_TEXT, asText.data = text.data(), asText.size = text.size();
  Number v;
  if (!NumberOfValue(asText, &v)) return TypeViolation(stmt, n);
  return ConvertNumber(stmt, n, p, v, out);
}

static SQLRETURN ConvertTime(Stmt *stmt, int n, Param &p, Value *out) {
  std::string text;
  if (!TimeText(ReadUnaligned<SQL_TIME_STRUCT>(DataOf(p)), &text))
    return PostError(stmt->diag, "22008", 0, "Datetime field overflow: no time of day" + Where(n));
  return GiveText(stmt, n, p, std::move(text), kTimeTypes, out);
}

/* Converts parameter n from its C value. */
static SQLRETURN ConvertOne(Stmt *stmt, int n, Param &p, Value *out) {
  *out = Value();
  out->sqlType = p.sqlType;
  SQLLEN indicator = p.atExec ? (p.sentNull ? SQL_NULL_DATA : (SQLLEN)p.sent.size())
                   : p.indicator ? *p.indicator
                                 : (p.cType == SQL_C_CHAR || p.cType == SQL_C_WCHAR ? SQL_NTS : 0);
  if (indicator == SQL_NULL_DATA || !DataOf(p)) return SQL_SUCCESS;
  switch (p.cType) {
    case SQL_C_CHAR: case SQL_C_WCHAR: case SQL_C_BINARY: return ConvertText(stmt, n, p, indicator, out);
    case SQL_C_DATE: case SQL_C_TYPE_DATE: case SQL_C_TIMESTAMP: case SQL_C_TYPE_TIMESTAMP:
      return ConvertDate(stmt, n, p, out);
    case SQL_C_TIME: case SQL_C_TYPE_TIME: return ConvertTime(stmt, n, p, out);
    case SQL_C_NUMERIC: return ConvertDecimal(stmt, n, p, out);
    case SQL_C_GUID: return GiveText(stmt, n, p, GuidText(ReadUnaligned<SQLGUID>(DataOf(p))), kGuidTypes, out);
    default: {
      Number v;
      if (!NumberOfC(p.cType, (SQLPOINTER)DataOf(p), &v)) return TypeViolation(stmt, n);
      return ConvertNumber(stmt, n, p, v, out);
    }
  }
}

SQLRETURN ConvertParameters(Stmt *stmt, int count) {
  stmt->values.resize((size_t)count);
  SQLRETURN result = SQL_SUCCESS;
  for (int n = 1; n <= count; n++) {
    if ((size_t)n > stmt->params.size() || !stmt->params[n - 1].bound)
      return PostError(stmt->diag, "07002", 0, "COUNT field incorrect: parameter " + std::to_string(n) + " not bound");
    SQLRETURN rc = ConvertOne(stmt, n, stmt->params[n - 1], &stmt->values[n - 1]);
    if (rc == SQL_ERROR) return rc;
    if (rc == SQL_SUCCESS_WITH_INFO) result = rc;
  }
  return result;
}

SQLRETURN BindParameter(Stmt *stmt, SQLUSMALLINT number, SQLSMALLINT ioType, SQLSMALLINT cType,
                        SQLSMALLINT sqlType, SQLPOINTER value, SQLLEN *indicator) {
  if (number < 1) return PostError(stmt->diag, "07009", 0, "Invalid descriptor index");
  if (ioType != SQL_PARAM_INPUT) return PostError(stmt->diag, "HYC00", 0, "Only input parameters are supported");
  if (stmt->params.size() < number) stmt->params.resize(number);
  Param &p = stmt->params[number - 1];
  if (cType == SQL_C_DEFAULT) cType = IsCharType(sqlType) ? SQL_C_CHAR : IsBinaryType(sqlType) ? SQL_C_BINARY : cType;
  p.bound = true;
  p.cType = cType;
  p.sqlType = sqlType;
  p.value = value;
  p.indicator = indicator;
  return SQL_SUCCESS;
}

SQLRETURN NumParams(Stmt *stmt, SQLSMALLINT *count) {
  if (count) *count = stmt->prepared ? (SQLSMALLINT)stmt->prepared->ParamCount() : 0;
  return SQL_SUCCESS;
}

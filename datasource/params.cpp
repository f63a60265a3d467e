/* params.cpp: SQLBindParameter, and the conversion of the bound C values
 * to the SQL type of each parameter at every execution, as ODBC's C-to-SQL
 * rules say: text as its bytes, numbers truncated toward zero into an
 * integer type (01S07 when a fraction is dropped, 22003 out of range),
 * dates checked against the calendar (22008) and stored as timestamps. */
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "driver.h"

static bool IsCharType(SQLSMALLINT t) {
  return t == SQL_CHAR || t == SQL_VARCHAR || t == SQL_LONGVARCHAR || t == SQL_WCHAR || t == SQL_WVARCHAR ||
         t == SQL_WLONGVARCHAR;
}

static bool IsDateType(SQLSMALLINT t) {
  return t == SQL_DATE || t == SQL_TYPE_DATE || t == SQL_TIMESTAMP || t == SQL_TYPE_TIMESTAMP;
}

struct IntegerRange {
  SQLSMALLINT sqlType;
  double low, high;
};

static const IntegerRange kIntegerRanges[] = {
  {SQL_INTEGER, -2147483648.0, 2147483647.0},
  {SQL_SMALLINT, -32768.0, 32767.0},
  {SQL_TINYINT, -128.0, 127.0},
  {SQL_BIGINT, -9223372036854775808.0, 9223372036854774784.0},
};

static const IntegerRange *RangeOf(SQLSMALLINT sqlType) {
  for (const IntegerRange &r : kIntegerRanges)
    if (r.sqlType == sqlType) return &r;
  return nullptr;
}

/* The value of type T at p, which the application need not have aligned. */
template <typename T>
static double Read(SQLPOINTER p) {
  T v;
  memcpy(&v, p, sizeof v);
  return (double)v;
}

/* The C value of a numeric parameter as a double; false for a C type
 * that is not numeric. */
static bool NumberOf(const Param &p, double *v) {
  switch (p.cType) {
    case SQL_C_DOUBLE: *v = Read<double>(p.value); return true;
    case SQL_C_FLOAT: *v = Read<float>(p.value); return true;
    case SQL_C_LONG: case SQL_C_SLONG: *v = Read<SQLINTEGER>(p.value); return true;
    case SQL_C_ULONG: *v = Read<SQLUINTEGER>(p.value); return true;
    case SQL_C_SHORT: case SQL_C_SSHORT: *v = Read<SQLSMALLINT>(p.value); return true;
    case SQL_C_USHORT: *v = Read<SQLUSMALLINT>(p.value); return true;
    case SQL_C_TINYINT: case SQL_C_STINYINT: *v = Read<SQLSCHAR>(p.value); return true;
    case SQL_C_UTINYINT: *v = Read<SQLCHAR>(p.value); return true;
    case SQL_C_SBIGINT: *v = Read<SQLBIGINT>(p.value); return true;
    default: return false;
  }
}

static bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

static bool IsCalendarDate(const DATE_STRUCT &d) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1) return false;
  int days = kDays[d.month - 1] + (d.month == 2 && IsLeapYear(d.year));
  return d.day <= days;
}

static std::string Where(int n) { return " (parameter " + std::to_string(n) + ")"; }

/* The refused value in a message, so the user can find the record. */
enum { VALUE_TEXT_SIZE = 32 };

static std::string NumberText(double v) {
  char text[VALUE_TEXT_SIZE];
  snprintf(text, sizeof text, "%.17g", v);
  return text;
}

static std::string DateText(const DATE_STRUCT &d) {
  char text[VALUE_TEXT_SIZE];
  snprintf(text, sizeof text, "%04d-%02u-%02u", d.year, d.month, d.day);
  return text;
}

static SQLRETURN BindNumber(Stmt *stmt, int n, const Param &p) {
  double v;
  if (!NumberOf(p, &v)) return PostError(stmt->diag, "07006", 0, "Restricted data type attribute violation" + Where(n));
  if (p.sqlType == SQL_DOUBLE || p.sqlType == SQL_FLOAT || p.sqlType == SQL_REAL) {
    sqlite3_bind_double(stmt->prepared, n, v);
    return SQL_SUCCESS;
  }
  const IntegerRange *range = RangeOf(p.sqlType);
  if (!range) return PostError(stmt->diag, "07006", 0, "Restricted data type attribute violation" + Where(n));
  double whole = trunc(v);
  if (!isfinite(v) || whole < range->low || whole > range->high)
    return PostError(stmt->diag, "22003", 0, "Numeric value out of range: " + NumberText(v) + Where(n));
  sqlite3_bind_int64(stmt->prepared, n, (sqlite3_int64)whole);
  if (whole == v) return SQL_SUCCESS;
  PostInfo(stmt->diag, "01S07", "Fractional truncation" + Where(n));
  return SQL_SUCCESS_WITH_INFO;
}

static SQLRETURN BindDate(Stmt *stmt, int n, Param &p) {
  if (!IsDateType(p.sqlType)) return PostError(stmt->diag, "07006", 0, "Restricted data type attribute violation" + Where(n));
  DATE_STRUCT d;
  memcpy(&d, p.value, sizeof d);
  if (!IsCalendarDate(d)) return PostError(stmt->diag, "22008", 0, "Datetime field overflow: " + DateText(d) + " is no calendar date" + Where(n));
  bool dateOnly = p.sqlType == SQL_DATE || p.sqlType == SQL_TYPE_DATE;
  int len = snprintf(p.dateText, sizeof p.dateText, dateOnly ? "%04d-%02u-%02u" : "%04d-%02u-%02u 00:00:00",
                     d.year, d.month, d.day);
  sqlite3_bind_text(stmt->prepared, n, p.dateText, len, SQLITE_STATIC);
  return SQL_SUCCESS;
}

static SQLRETURN BindText(Stmt *stmt, int n, const Param &p, SQLLEN indicator) {
  if (!IsCharType(p.sqlType)) return PostError(stmt->diag, "07006", 0, "Restricted data type attribute violation" + Where(n));
  const char *s = (const char *)p.value;
  SQLLEN len = indicator == SQL_NTS ? (SQLLEN)strlen(s) : indicator;
  if (len < 0) return PostError(stmt->diag, "HY090", 0, "Invalid string or buffer length" + Where(n));
  sqlite3_bind_text(stmt->prepared, n, s, (int)len, SQLITE_STATIC);
  return SQL_SUCCESS;
}

/* Binds parameter n from its C value. */
static SQLRETURN BindOne(Stmt *stmt, int n, Param &p) {
  SQLLEN indicator = p.indicator ? *p.indicator : (p.cType == SQL_C_CHAR ? SQL_NTS : 0);
  if (indicator == SQL_NULL_DATA || !p.value) {
    sqlite3_bind_null(stmt->prepared, n);
    return SQL_SUCCESS;
  }
  switch (p.cType) {
    case SQL_C_CHAR: return BindText(stmt, n, p, indicator);
    case SQL_C_DATE: case SQL_C_TYPE_DATE: return BindDate(stmt, n, p);
    default: return BindNumber(stmt, n, p);
  }
}

SQLRETURN BindParameters(Stmt *stmt) {
  int count = sqlite3_bind_parameter_count(stmt->prepared);
  SQLRETURN result = SQL_SUCCESS;
  for (int n = 1; n <= count; n++) {
    if ((size_t)n > stmt->params.size() || !stmt->params[n - 1].bound)
      return PostError(stmt->diag, "07002", 0, "COUNT field incorrect: parameter " + std::to_string(n) + " not bound");
    SQLRETURN rc = BindOne(stmt, n, stmt->params[n - 1]);
    if (rc == SQL_ERROR) return rc;
    if (rc == SQL_SUCCESS_WITH_INFO) result = rc;
  }
  return result;
}

DS_EXPORT SQLRETURN SQL_API SQLBindParameter(SQLHSTMT hstmt, SQLUSMALLINT number, SQLSMALLINT ioType,
                                             SQLSMALLINT cType, SQLSMALLINT sqlType, SQLULEN columnSize,
                                             SQLSMALLINT, SQLPOINTER value, SQLLEN bufferLength,
                                             SQLLEN *indicator) {
  Stmt *stmt = (Stmt *)hstmt;
  stmt->diag.Clear();
  if (number < 1) return PostError(stmt->diag, "07009", 0, "Invalid descriptor index");
  if (ioType != SQL_PARAM_INPUT) return PostError(stmt->diag, "HYC00", 0, "Only input parameters are supported");
  if (stmt->params.size() < number) stmt->params.resize(number);
  Param &p = stmt->params[number - 1];
  if (cType == SQL_C_DEFAULT) cType = IsCharType(sqlType) ? SQL_C_CHAR : cType;
  p = {true, cType, sqlType, columnSize, value, bufferLength, indicator};
  return SQL_SUCCESS;
}

DS_EXPORT SQLRETURN SQL_API SQLNumParams(SQLHSTMT hstmt, SQLSMALLINT *count) {
  Stmt *stmt = (Stmt *)hstmt;
  if (count) *count = stmt->prepared ? (SQLSMALLINT)sqlite3_bind_parameter_count(stmt->prepared) : 0;
  return SQL_SUCCESS;
}

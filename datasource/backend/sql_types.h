/* sql_types.h: facts about ODBC's SQL type codes that the core and the
 * backends both go by: which types hold text, bytes, whole numbers,
 * doubles, dates and times, and how ODBC 2 names the date types. */
#ifndef LUMETRA_DS_SQL_TYPES_H
#define LUMETRA_DS_SQL_TYPES_H

#include <sql.h>
#include <sqlext.h>

inline bool IsCharType(SQLSMALLINT t) {
  return t == SQL_CHAR || t == SQL_VARCHAR || t == SQL_LONGVARCHAR || t == SQL_WCHAR || t == SQL_WVARCHAR ||
         t == SQL_WLONGVARCHAR;
}

inline bool IsBinaryType(SQLSMALLINT t) { return t == SQL_BINARY || t == SQL_VARBINARY || t == SQL_LONGVARBINARY; }

inline bool IsIntegerType(SQLSMALLINT t) {
  return t == SQL_INTEGER || t == SQL_SMALLINT || t == SQL_TINYINT || t == SQL_BIGINT || t == SQL_BIT;
}

inline bool IsDoubleType(SQLSMALLINT t) { return t == SQL_DOUBLE || t == SQL_FLOAT || t == SQL_REAL; }

/* The numeric types a result column of the driver can have. */
inline bool IsNumeric(SQLSMALLINT t) {
  return t == SQL_INTEGER || t == SQL_SMALLINT || t == SQL_BIGINT || t == SQL_TINYINT || t == SQL_DOUBLE ||
         t == SQL_NUMERIC || t == SQL_DECIMAL;
}

/* The exact decimal types, whose size is their precision in digits. */
inline bool IsDecimal(SQLSMALLINT t) { return t == SQL_NUMERIC || t == SQL_DECIMAL; }

/* The radix of a numeric column's precision; 0 for any other. */
inline int RadixOf(SQLSMALLINT t) { return IsNumeric(t) ? (t == SQL_DOUBLE ? 2 : 10) : 0; }

/* The ODBC 3 date and time types. */
inline bool IsDatetime(SQLSMALLINT t) { return t == SQL_TYPE_DATE || t == SQL_TYPE_TIME || t == SQL_TYPE_TIMESTAMP; }

/* The subcode of a date or time type under SQL_DATETIME (SQL_CODE_DATE ...). */
inline SQLSMALLINT DatetimeSubcode(SQLSMALLINT t) { return (SQLSMALLINT)(t - SQL_DATETIME * 10); }

/* The wide type of a text type, as a Unicode client is given it; any
 * other type as it is. */
inline SQLSMALLINT WideType(SQLSMALLINT t) {
  switch (t) {
    case SQL_CHAR: return SQL_WCHAR;
    case SQL_VARCHAR: return SQL_WVARCHAR;
    case SQL_LONGVARCHAR: return SQL_WLONGVARCHAR;
    default: return t;
  }
}

/* The type code an application of the ODBC version knows: ODBC 2 has
 * other codes for the date and time types. */
inline SQLSMALLINT AppType(SQLINTEGER odbcVersion, SQLSMALLINT t) {
  if (odbcVersion != SQL_OV_ODBC2) return t;
  switch (t) {
    case SQL_TYPE_DATE: return SQL_DATE;
    case SQL_TYPE_TIME: return SQL_TIME;
    case SQL_TYPE_TIMESTAMP: return SQL_TIMESTAMP;
    default: return t;
  }
}

#endif

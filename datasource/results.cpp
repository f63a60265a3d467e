/* results.cpp: result sets for clients such as isql: SQLTables over the
 * SQLite schema, the description of result columns, SQLFetch and
 * SQLGetData (as text or numbers, in parts when the buffer is short). */
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include "driver.h"

enum { DISPLAY_SIZE_TEXT = 255, DISPLAY_SIZE_INTEGER = 20, DISPLAY_SIZE_REAL = 24 };

static Stmt *Begin(SQLHSTMT hstmt) {
  Stmt *stmt = (Stmt *)hstmt;
  stmt->diag.Clear();
  return stmt;
}

static std::string Text(SQLCHAR *s, SQLSMALLINT n) {
  if (!s) return "";
  return n == SQL_NTS ? std::string((const char *)s) : std::string((const char *)s, (size_t)n);
}

DS_EXPORT SQLRETURN SQL_API SQLTables(SQLHSTMT hstmt, SQLCHAR *, SQLSMALLINT, SQLCHAR *, SQLSMALLINT,
                                      SQLCHAR *table, SQLSMALLINT tableLength, SQLCHAR *, SQLSMALLINT) {
  Stmt *stmt = Begin(hstmt);
  std::string pattern = Text(table, tableLength);
  if (pattern.empty()) pattern = "%";
  std::string sql =
      "SELECT NULL AS TABLE_CAT, NULL AS TABLE_SCHEM, name AS TABLE_NAME, "
      "CASE type WHEN 'view' THEN 'VIEW' ELSE 'TABLE' END AS TABLE_TYPE, NULL AS REMARKS "
      "FROM sqlite_master WHERE type IN ('table','view') AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
      "AND name LIKE ?1 ESCAPE '\\' ORDER BY name";
  SQLRETURN rc = PrepareStatement(stmt, sql);
  if (rc == SQL_ERROR) return rc;
  std::vector<Param> saved;
  saved.swap(stmt->params);
  static SQLLEN nts = SQL_NTS;
  stmt->params.push_back({true, SQL_C_CHAR, SQL_VARCHAR, 0, (SQLPOINTER)pattern.c_str(), 0, &nts});
  rc = ExecuteStatement(stmt);
  stmt->params.swap(saved);
  return rc;
}

DS_EXPORT SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT hstmt, SQLSMALLINT *count) {
  Stmt *stmt = Begin(hstmt);
  if (count) *count = stmt->prepared ? (SQLSMALLINT)sqlite3_column_count(stmt->prepared) : 0;
  return SQL_SUCCESS;
}

/* The SQL type of result column i, from its declared type. */
static SQLSMALLINT SqlTypeOf(Stmt *stmt, int i) {
  const char *decl = sqlite3_column_decltype(stmt->prepared, i);
  if (!decl) return SQL_VARCHAR;
  if (strcasestr(decl, "SMALLINT")) return SQL_SMALLINT;
  if (strcasestr(decl, "INT")) return SQL_INTEGER;
  if (strcasestr(decl, "REAL") || strcasestr(decl, "DOUB") || strcasestr(decl, "FLOA")) return SQL_DOUBLE;
  if (strcasestr(decl, "TIMESTAMP")) return SQL_TYPE_TIMESTAMP;
  return SQL_VARCHAR;
}

static SQLLEN DisplaySizeOf(SQLSMALLINT type) {
  switch (type) {
    case SQL_SMALLINT: return 6;
    case SQL_INTEGER: return DISPLAY_SIZE_INTEGER;
    case SQL_DOUBLE: return DISPLAY_SIZE_REAL;
    case SQL_TYPE_TIMESTAMP: return 19;
    default: return DISPLAY_SIZE_TEXT;
  }
}

static bool ValidColumn(Stmt *stmt, SQLUSMALLINT column) {
  return stmt->prepared && column >= 1 && column <= sqlite3_column_count(stmt->prepared);
}

DS_EXPORT SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT hstmt, SQLUSMALLINT column, SQLCHAR *name, SQLSMALLINT size,
                                           SQLSMALLINT *nameLength, SQLSMALLINT *type, SQLULEN *columnSize,
                                           SQLSMALLINT *digits, SQLSMALLINT *nullable) {
  Stmt *stmt = Begin(hstmt);
  if (!ValidColumn(stmt, column)) return PostError(stmt->diag, "07009", 0, "Invalid descriptor index");
  SQLSMALLINT t = SqlTypeOf(stmt, column - 1);
  SQLLEN full;
  SQLRETURN rc = CopyOut(&stmt->diag, sqlite3_column_name(stmt->prepared, column - 1), name, size, &full);
  if (nameLength) *nameLength = (SQLSMALLINT)full;
  if (type) *type = t;
  if (columnSize) *columnSize = (SQLULEN)DisplaySizeOf(t);
  if (digits) *digits = 0;
  if (nullable) *nullable = SQL_NULLABLE;
  return rc;
}

DS_EXPORT SQLRETURN SQL_API SQLColAttribute(SQLHSTMT hstmt, SQLUSMALLINT column, SQLUSMALLINT field,
                                            SQLPOINTER text, SQLSMALLINT size, SQLSMALLINT *length,
                                            SQLLEN *number) {
  Stmt *stmt = Begin(hstmt);
  if (field == SQL_DESC_COUNT || field == SQL_COLUMN_COUNT) {
    if (number) *number = stmt->prepared ? sqlite3_column_count(stmt->prepared) : 0;
    return SQL_SUCCESS;
  }
  if (!ValidColumn(stmt, column)) return PostError(stmt->diag, "07009", 0, "Invalid descriptor index");
  SQLSMALLINT t = SqlTypeOf(stmt, column - 1);
  SQLLEN value = 0;
  std::string s;
  bool isText = false;
  switch (field) {
    case SQL_DESC_LABEL: case SQL_DESC_NAME: case SQL_COLUMN_NAME: case SQL_DESC_BASE_COLUMN_NAME:
      s = sqlite3_column_name(stmt->prepared, column - 1);
      isText = true;
      break;
    case SQL_DESC_TYPE_NAME: {
      const char *decl = sqlite3_column_decltype(stmt->prepared, column - 1);
      s = decl ? decl : "";
      isText = true;
      break;
    }
    case SQL_DESC_TABLE_NAME: case SQL_DESC_BASE_TABLE_NAME: case SQL_DESC_SCHEMA_NAME:
    case SQL_DESC_CATALOG_NAME: case SQL_DESC_LITERAL_PREFIX: case SQL_DESC_LITERAL_SUFFIX:
    case SQL_DESC_LOCAL_TYPE_NAME:
      isText = true;
      break;
    case SQL_DESC_TYPE: case SQL_DESC_CONCISE_TYPE: value = t; break;
    case SQL_DESC_DISPLAY_SIZE: case SQL_DESC_LENGTH: case SQL_DESC_OCTET_LENGTH: case SQL_DESC_PRECISION:
    case SQL_COLUMN_LENGTH: case SQL_COLUMN_PRECISION:
      value = DisplaySizeOf(t);
      break;
    case SQL_DESC_NULLABLE: case SQL_COLUMN_NULLABLE: value = SQL_NULLABLE; break;
    case SQL_DESC_SEARCHABLE: value = SQL_PRED_SEARCHABLE; break;
    case SQL_DESC_UPDATABLE: value = SQL_ATTR_READWRITE_UNKNOWN; break;
    case SQL_DESC_CASE_SENSITIVE: value = t == SQL_VARCHAR ? SQL_TRUE : SQL_FALSE; break;
    default: value = 0; break; /* scale, unsigned, auto-unique, money ... */
  }
  if (!isText) {
    if (number) *number = value;
    return SQL_SUCCESS;
  }
  SQLLEN full;
  SQLRETURN rc = CopyOut(&stmt->diag, s, (SQLCHAR *)text, size, &full);
  if (length) *length = (SQLSMALLINT)full;
  return rc;
}

DS_EXPORT SQLRETURN SQL_API SQLFetch(SQLHSTMT hstmt) {
  Stmt *stmt = Begin(hstmt);
  if (!stmt->executed) return PostError(stmt->diag, "24000", 0, "Invalid cursor state: no result set");
  if (stmt->rowPending) {
    stmt->rowPending = false;
  } else {
    int rc = sqlite3_step(stmt->prepared);
    if (rc == SQLITE_DONE) {
      stmt->onRow = false;
      return SQL_NO_DATA;
    }
    if (rc != SQLITE_ROW) return PostSqliteError(stmt->diag, stmt->dbc->db, rc);
  }
  stmt->onRow = true;
  std::fill(stmt->getDataOffset.begin(), stmt->getDataOffset.end(), 0);
  return SQL_SUCCESS;
}

/* A column value as text in parts: what remains after the offset. */
static SQLRETURN GetText(Stmt *stmt, int i, SQLCHAR *out, SQLLEN size, SQLLEN *indicator) {
  const char *value = (const char *)sqlite3_column_text(stmt->prepared, i);
  SQLLEN total = sqlite3_column_bytes(stmt->prepared, i);
  SQLLEN &offset = stmt->getDataOffset[i];
  if (offset > 0 && offset >= total) return SQL_NO_DATA;
  std::string rest(value + offset, (size_t)(total - offset));
  SQLLEN full;
  SQLRETURN rc = CopyOut(&stmt->diag, rest, out, size, &full);
  if (indicator) *indicator = full;
  offset += size > 0 ? (full < size ? full : size - 1) : 0;
  if (rc == SQL_SUCCESS) offset = total > 0 ? total : 1;
  return rc;
}

DS_EXPORT SQLRETURN SQL_API SQLGetData(SQLHSTMT hstmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER value,
                                       SQLLEN size, SQLLEN *indicator) {
  Stmt *stmt = Begin(hstmt);
  if (!stmt->onRow) return PostError(stmt->diag, "24000", 0, "Invalid cursor state: no current row");
  if (!ValidColumn(stmt, column)) return PostError(stmt->diag, "07009", 0, "Invalid descriptor index");
  int i = column - 1;
  if (sqlite3_column_type(stmt->prepared, i) == SQLITE_NULL) {
    if (!indicator) return PostError(stmt->diag, "22002", 0, "Indicator variable required but not supplied");
    *indicator = SQL_NULL_DATA;
    return SQL_SUCCESS;
  }
  switch (cType) {
    case SQL_C_CHAR: case SQL_C_DEFAULT: return GetText(stmt, i, (SQLCHAR *)value, size, indicator);
    case SQL_C_LONG: case SQL_C_SLONG:
      *(SQLINTEGER *)value = (SQLINTEGER)sqlite3_column_int64(stmt->prepared, i);
      if (indicator) *indicator = sizeof(SQLINTEGER);
      return SQL_SUCCESS;
    case SQL_C_SBIGINT:
      *(SQLBIGINT *)value = sqlite3_column_int64(stmt->prepared, i);
      if (indicator) *indicator = sizeof(SQLBIGINT);
      return SQL_SUCCESS;
    case SQL_C_DOUBLE:
      *(double *)value = sqlite3_column_double(stmt->prepared, i);
      if (indicator) *indicator = sizeof(double);
      return SQL_SUCCESS;
    default: return PostError(stmt->diag, "07006", 0, "Restricted data type attribute violation");
  }
}

DS_EXPORT SQLRETURN SQL_API SQLRowCount(SQLHSTMT hstmt, SQLLEN *count) {
  Stmt *stmt = Begin(hstmt);
  if (count) *count = stmt->rowCount;
  return SQL_SUCCESS;
}

DS_EXPORT SQLRETURN SQL_API SQLMoreResults(SQLHSTMT hstmt) {
  CloseCursor(Begin(hstmt));
  return SQL_NO_DATA;
}

DS_EXPORT SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT hstmt) {
  CloseCursor(Begin(hstmt));
  return SQL_SUCCESS;
}

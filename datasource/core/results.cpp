/* results.cpp: the description of result columns, bound columns,
 * SQLFetch and SQLGetData over whichever result set is open: a query's
 * rows or a catalog function's. A result set that reached its end stays
 * there. */
#include "core/results.h"

#include <string.h>

#include "backend/sql_types.h"
#include "core/app_text.h"
#include "core/statement.h"

/* Text columns are as wide as the longest value an import writes; clients
 * that size their display by the column are given at most this. */
enum { DISPLAY_SIZE_FLOAT = 24, DISPLAY_SIZE_TEXT_MAX = 255, GUID_TEXT_SIZE = 36 };

static bool ValidColumn(Stmt *stmt, SQLUSMALLINT column) {
  return stmt->cursor && column >= 1 && column <= stmt->cursor->ColumnCount();
}

/* The columns of the open result set, or of the prepared statement. */
static Cursor *Described(Stmt *stmt) {
  if (stmt->cursor) return stmt->cursor;
  return stmt->prepared.get();
}

static SQLLEN DisplaySize(const ColumnInfo &c) {
  switch (c.sqlType) {
    case SQL_SMALLINT: return 6;
    case SQL_INTEGER: return 11;
    case SQL_BIGINT: return 20;
    case SQL_TINYINT: return 4;
    case SQL_DOUBLE: return DISPLAY_SIZE_FLOAT;
    case SQL_TYPE_DATE: return 10;
    case SQL_TYPE_TIME: return 8;
    case SQL_TYPE_TIMESTAMP: return c.digits > 0 ? 20 + c.digits : 19;
    case SQL_LONGVARBINARY: return DISPLAY_SIZE_TEXT_MAX;
    case SQL_GUID: return GUID_TEXT_SIZE;
    case SQL_NUMERIC: case SQL_DECIMAL: return (SQLLEN)c.size + 2; /* a sign and a point */
    default: return (SQLLEN)(c.size > (SQLULEN)DISPLAY_SIZE_TEXT_MAX ? (SQLULEN)DISPLAY_SIZE_TEXT_MAX : c.size);
  }
}

/* Bytes of a value in its default C type: UTF-8 text may take four a character. */
static SQLLEN OctetLength(const ColumnInfo &c) {
  switch (c.sqlType) {
    case SQL_SMALLINT: return 2;
    case SQL_INTEGER: return 4;
    case SQL_BIGINT: case SQL_DOUBLE: return 8;
    case SQL_TYPE_DATE: case SQL_TYPE_TIME: return 6;
    case SQL_TYPE_TIMESTAMP: return 16;
    case SQL_LONGVARBINARY: return (SQLLEN)c.size;
    case SQL_GUID: return sizeof(SQLGUID);
    case SQL_NUMERIC: case SQL_DECIMAL: return (SQLLEN)c.size + 2;
    default: return (SQLLEN)(c.size > 0x1fffffff ? 0x7fffffff : c.size * 4);
  }
}

SQLRETURN DescribeCol(Stmt *stmt, SQLUSMALLINT column, const AppBuffer &name, SQLSMALLINT *nameLength,
                      SQLSMALLINT *type, SQLULEN *columnSize, SQLSMALLINT *digits, SQLSMALLINT *nullable) {
  Cursor *c = Described(stmt);
  if (!c || column < 1 || column > c->ColumnCount())
    return PostError(stmt->diag, "07009", 0, "Invalid descriptor index");
  ColumnInfo info = c->Column(column - 1);
  SQLRETURN rc = CopyOutShort(&stmt->diag, info.name, name, nameLength);
  if (type) *type = ReportedType(stmt, info.sqlType);
  if (columnSize) *columnSize = info.size;
  if (digits) *digits = info.digits;
  if (nullable) *nullable = info.nullable;
  return rc;
}

/* A numeric field of SQLColAttribute; false for a text field. */
static bool NumberField(Stmt *stmt, const ColumnInfo &c, SQLUSMALLINT field, SQLLEN *value) {
  SQLSMALLINT t = c.sqlType;
  switch (field) {
    case SQL_DESC_CONCISE_TYPE: *value = ReportedType(stmt, t); return true;
    case SQL_DESC_TYPE: *value = IsDatetime(t) && OdbcVersion(stmt) != SQL_OV_ODBC2 ? SQL_DATETIME : ReportedType(stmt, t); return true;
    case SQL_DESC_DATETIME_INTERVAL_CODE: *value = IsDatetime(t) ? DatetimeSubcode(t) : 0; return true;
    case SQL_DESC_DISPLAY_SIZE: *value = DisplaySize(c); return true;
    case SQL_DESC_LENGTH: case SQL_COLUMN_LENGTH: case SQL_DESC_PRECISION: case SQL_COLUMN_PRECISION:
      *value = (SQLLEN)c.size;
      return true;
    case SQL_DESC_OCTET_LENGTH: *value = OctetLength(c); return true;
    case SQL_DESC_SCALE: case SQL_COLUMN_SCALE: *value = c.digits; return true;
    case SQL_DESC_NULLABLE: case SQL_COLUMN_NULLABLE: *value = c.nullable; return true;
    case SQL_DESC_SEARCHABLE: *value = t == SQL_LONGVARBINARY ? SQL_PRED_NONE : SQL_PRED_SEARCHABLE; return true;
    case SQL_DESC_UPDATABLE: *value = SQL_ATTR_READWRITE_UNKNOWN; return true;
    case SQL_DESC_CASE_SENSITIVE: *value = !IsNumeric(t) && !IsDatetime(t); return true;
    case SQL_DESC_UNSIGNED: *value = !IsNumeric(t); return true;
    case SQL_DESC_NUM_PREC_RADIX: *value = RadixOf(t); return true;
    case SQL_DESC_UNNAMED: *value = c.name.empty() ? SQL_UNNAMED : SQL_NAMED; return true;
    case SQL_DESC_FIXED_PREC_SCALE: case SQL_DESC_AUTO_UNIQUE_VALUE: *value = SQL_FALSE; return true;
    default: return false;
  }
}

static std::string TextField(const ColumnInfo &c, SQLUSMALLINT field) {
  switch (field) {
    case SQL_DESC_LABEL: case SQL_DESC_NAME: case SQL_COLUMN_NAME: case SQL_DESC_BASE_COLUMN_NAME: return c.name;
    case SQL_DESC_TYPE_NAME: case SQL_DESC_LOCAL_TYPE_NAME: return c.typeName;
    case SQL_DESC_TABLE_NAME: case SQL_DESC_BASE_TABLE_NAME: return c.table;
    case SQL_DESC_LITERAL_PREFIX: case SQL_DESC_LITERAL_SUFFIX:
      return IsCharType(c.sqlType) || IsDatetime(c.sqlType) ? "'" : "";
    default: return ""; /* schema and catalog: the engine has none */
  }
}

SQLRETURN ColAttribute(Stmt *stmt, SQLUSMALLINT column, SQLUSMALLINT field, const AppBuffer &text,
                       SQLSMALLINT *length, SQLLEN *number) {
  Cursor *c = Described(stmt);
  if (field == SQL_DESC_COUNT || field == SQL_COLUMN_COUNT) {
    if (number) *number = c ? c->ColumnCount() : 0;
    return SQL_SUCCESS;
  }
  if (!c || column < 1 || column > c->ColumnCount())
    return PostError(stmt->diag, "07009", 0, "Invalid descriptor index");
  ColumnInfo info = c->Column(column - 1);
  SQLLEN value = 0;
  if (NumberField(stmt, info, field, &value)) {
    if (number) *number = value;
    return SQL_SUCCESS;
  }
  return CopyOutShort(&stmt->diag, TextField(info, field), text, length);
}

/* Fills the bound columns from the current row. */
static SQLRETURN FillBindings(Stmt *stmt) {
  SQLRETURN result = SQL_SUCCESS;
  for (size_t i = 0; i < stmt->bindings.size() && (int)i < stmt->cursor->ColumnCount(); i++) {
    ColumnBinding &b = stmt->bindings[i];
    if (!b.value && !b.indicator) continue;
    SQLRETURN rc = GetValue(stmt, (int)i, b.cType, b.value, b.size, b.indicator);
    stmt->getDataOffset[i] = 0;
    if (rc == SQL_ERROR) return rc;
    if (rc == SQL_SUCCESS_WITH_INFO) result = rc;
  }
  return result;
}

SQLRETURN Fetch(Stmt *stmt) {
  if (!stmt->cursor) return PostError(stmt->diag, "24000", 0, "Invalid cursor state: no result set");
  if (stmt->state == CURSOR_AFTER) return SQL_NO_DATA;
  SQLRETURN rc = stmt->cursor->Next(stmt->diag);
  if (stmt->rowsFetched) *stmt->rowsFetched = rc == SQL_SUCCESS ? 1 : 0;
  if (rc != SQL_SUCCESS) {
    stmt->state = CURSOR_AFTER;
    if (stmt->rowStatus && rc == SQL_NO_DATA) *stmt->rowStatus = SQL_ROW_NOROW;
    return rc;
  }
  stmt->state = CURSOR_ON_ROW;
  stmt->getDataOffset.assign((size_t)stmt->cursor->ColumnCount(), 0);
  rc = FillBindings(stmt);
  if (stmt->rowStatus) *stmt->rowStatus = rc == SQL_ERROR ? SQL_ROW_ERROR : rc == SQL_SUCCESS ? SQL_ROW_SUCCESS : SQL_ROW_SUCCESS_WITH_INFO;
  return rc;
}

SQLRETURN GetData(Stmt *stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER value, SQLLEN size,
                  SQLLEN *indicator) {
  if (stmt->state != CURSOR_ON_ROW) return PostError(stmt->diag, "24000", 0, "Invalid cursor state: no current row");
  if (!ValidColumn(stmt, column)) return PostError(stmt->diag, "07009", 0, "Invalid descriptor index");
  return GetValue(stmt, column - 1, cType, value, size, indicator);
}

SQLRETURN BindCol(Stmt *stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER value, SQLLEN size,
                  SQLLEN *indicator) {
  if (column < 1) return PostError(stmt->diag, "07009", 0, "Invalid descriptor index: bookmarks are not supported");
  if (stmt->bindings.size() < column) stmt->bindings.resize(column);
  stmt->bindings[column - 1] = {cType, value, size, indicator};
  return SQL_SUCCESS;
}

SQLRETURN NumResultCols(Stmt *stmt, SQLSMALLINT *count) {
  Cursor *c = Described(stmt);
  if (count) *count = c ? (SQLSMALLINT)c->ColumnCount() : 0;
  return SQL_SUCCESS;
}

SQLRETURN FetchScroll(Stmt *stmt, SQLSMALLINT orientation) {
  if (orientation != SQL_FETCH_NEXT)
    return PostError(stmt->diag, "HY106", 0, "Fetch type out of range: the cursor is forward only");
  return Fetch(stmt);
}

SQLRETURN RowCount(Stmt *stmt, SQLLEN *count) {
  if (count) *count = RowCountOf(stmt);
  return SQL_SUCCESS;
}

/* One statement gives one result set at most. */
SQLRETURN MoreResults(Stmt *stmt) {
  CloseCursor(stmt);
  return SQL_NO_DATA;
}

SQLRETURN CloseResultSet(Stmt *stmt) {
  if (!stmt->cursor) return PostError(stmt->diag, "24000", 0, "Invalid cursor state: no cursor open");
  CloseCursor(stmt);
  return SQL_SUCCESS;
}

/* table_match.cpp: whether an existing table can take the file's records
 * as they are bound: the same column names, in the same order, each of a
 * type of the same kind as the one the insert binds. The catalog's rows
 * are compared one at a time as they are fetched, and every difference
 * is written down, so that the user sees at once what to mend. */
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "odbcout.h"
#include "sql_text.h"

enum {
  CATALOG_TABLE_COLUMN = 3, /* SQLColumns: TABLE_NAME */
  CATALOG_COLUMN_NAME = 4,
  CATALOG_DATA_TYPE = 5,
  CATALOG_TYPE_NAME = 6,
  TYPE_NAME_SIZE = 128,
  SHOWN_NAME_LIMIT = 60,
  DIFFERENCE_SIZE = 2048
};

/* The plain name of each bound SQL type. */
static const struct {
  SQLSMALLINT sqlType;
  const char *name;
} kTypeNames[] = {
  {SQL_VARCHAR, "TEXT"}, {SQL_INTEGER, "INTEGER"}, {SQL_SMALLINT, "SMALLINT"}, {SQL_TIMESTAMP, "TIMESTAMP"},
};

/* The types of a table's column that take what a bound type sends. */
static const struct {
  SQLSMALLINT bound;
  SQLSMALLINT stored;
} kSameKind[] = {
  {SQL_VARCHAR, SQL_CHAR},          {SQL_VARCHAR, SQL_VARCHAR},      {SQL_VARCHAR, SQL_LONGVARCHAR},
  {SQL_VARCHAR, SQL_WCHAR},         {SQL_VARCHAR, SQL_WVARCHAR},     {SQL_VARCHAR, SQL_WLONGVARCHAR},
  {SQL_INTEGER, SQL_INTEGER},       {SQL_INTEGER, SQL_BIGINT},       {SQL_SMALLINT, SQL_SMALLINT},
  {SQL_TIMESTAMP, SQL_TIMESTAMP},   {SQL_TIMESTAMP, SQL_TYPE_TIMESTAMP},
};

static char s_difference[DIFFERENCE_SIZE];
static int32_t s_differenceLength;
static char s_tableOfRow[MAX_TABLE_NAME + 1];
static char s_columnName[COLUMN_NAME_SIZE];
static char s_typeName[TYPE_NAME_SIZE];

const char *SqlTypeNameOfColumn(const ImportColumn *c) {
  SQLSMALLINT type = SqlTypeOfColumn(c);
  for (const auto &t : kTypeNames)
    if (t.sqlType == type) return t.name;
  return "?";
}

const char *TableDifference(void) {
  return s_difference;
}

static int32_t SameKind(SQLSMALLINT bound, SQLSMALLINT stored) {
  for (const auto &k : kSameKind)
    if (k.bound == bound && k.stored == stored) return 1;
  return 0;
}

/* Writes one clause of the difference; once the buffer is nearly full
 * the rest is "...". */
__attribute__((format(printf, 1, 2))) static void NoteDifference(const char *format, ...) {
  const int32_t reserve = 8;
  if (s_differenceLength >= DIFFERENCE_SIZE - reserve) return;
  if (s_differenceLength > 0) s_differenceLength += snprintf(s_difference + s_differenceLength, 3, "; ");
  va_list args;
  va_start(args, format);
  int n = vsnprintf(s_difference + s_differenceLength, (size_t)(DIFFERENCE_SIZE - reserve - s_differenceLength),
                    format, args);
  va_end(args);
  if (n < 0 || s_differenceLength + n >= DIFFERENCE_SIZE - reserve) {
    s_differenceLength = DIFFERENCE_SIZE - reserve;
    memcpy(s_difference + s_differenceLength, "; ...", 6);
    s_differenceLength = DIFFERENCE_SIZE - 1;
    return;
  }
  s_differenceLength += n;
}

/* The next table column after column i of the column table; -1 at the end. */
static int32_t NextTableColumn(int32_t i) {
  for (i++; i < g_columnCount; i++)
    if (IsTableColumn(i)) return i;
  return -1;
}

/* Compares the table's column at position (from 1) with file column k. */
static void CompareColumn(int32_t position, int32_t k, SQLSMALLINT stored) {
  const ImportColumn *c = &g_columns[k];
  if (strcmp(c->name, s_columnName) == 0 && SameKind(SqlTypeOfColumn(c), stored)) return;
  NoteDifference("column %d is %.*s %s in the file but %.*s %s in the table", position, SHOWN_NAME_LIMIT, c->name,
                 SqlTypeNameOfColumn(c), SHOWN_NAME_LIMIT, s_columnName, s_typeName);
}

static int32_t Fetched(HSTMT hstmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER out, SQLLEN size) {
  SQLLEN length = 0;
  RETCODE rc = SQLGetData(hstmt, column, cType, out, size, &length);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return 0;
  if (length == SQL_NULL_DATA && cType == SQL_C_CHAR) ((char *)out)[0] = 0;
  return 1;
}

/* Walks the catalog's rows of the table beside the file's columns. */
static int32_t CompareRows(void *owner, HENV henv, HDBC hdbc, HSTMT hstmt, const char *tableName) {
  int32_t position = 0, k = NextTableColumn(-1);
  for (;;) {
    RETCODE rc = SQLFetch(hstmt);
    if (rc == SQL_NO_DATA) break;
    if (!CheckOdbc(owner, rc, henv, hdbc, hstmt)) return TABLE_NOT_TOLD;
    SQLSMALLINT stored = 0;
    if (!Fetched(hstmt, CATALOG_TABLE_COLUMN, SQL_C_CHAR, s_tableOfRow, sizeof s_tableOfRow) ||
        !Fetched(hstmt, CATALOG_COLUMN_NAME, SQL_C_CHAR, s_columnName, sizeof s_columnName) ||
        !Fetched(hstmt, CATALOG_DATA_TYPE, SQL_C_SSHORT, &stored, sizeof stored) ||
        !Fetched(hstmt, CATALOG_TYPE_NAME, SQL_C_CHAR, s_typeName, sizeof s_typeName)) {
      CheckOdbc(owner, SQL_ERROR, henv, hdbc, hstmt);
      return TABLE_NOT_TOLD;
    }
    if (strcmp(s_tableOfRow, tableName) != 0) continue; /* '_' and '%' in a name match others too */
    position++;
    if (k >= 0)
      CompareColumn(position, k, stored);
    else
      NoteDifference("the table's column %d, %.*s %s, is not in the file", position, SHOWN_NAME_LIMIT, s_columnName,
                     s_typeName);
    if (k >= 0) k = NextTableColumn(k);
  }
  if (position == 0) return TABLE_ABSENT;
  for (; k >= 0; k = NextTableColumn(k))
    NoteDifference("the file's column %d, %.*s %s, is not in the table", ++position, SHOWN_NAME_LIMIT,
                   g_columns[k].name, SqlTypeNameOfColumn(&g_columns[k]));
  return s_differenceLength == 0 ? TABLE_MATCHES : TABLE_DIFFERS;
}

int32_t MatchImportTable(void *owner, const char *tableName, HENV henv, HDBC hdbc) {
  HSTMT hstmt = SQL_NULL_HSTMT;
  s_differenceLength = 0;
  s_difference[0] = 0;
  if (!CheckOdbc(owner, SQLAllocStmt(hdbc, &hstmt), henv, hdbc, SQL_NULL_HSTMT)) return TABLE_NOT_TOLD;
  RETCODE rc = SQLColumns(hstmt, 0, 0, 0, 0, (SQLCHAR *)tableName, SQL_NTS, 0, 0);
  int32_t match = TABLE_NOT_TOLD;
  if (CheckOdbc(owner, rc, henv, hdbc, hstmt)) match = CompareRows(owner, henv, hdbc, hstmt, tableName);
  SQLFreeStmt(hstmt, SQL_DROP);
  return match;
}

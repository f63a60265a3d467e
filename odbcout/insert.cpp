/* insert.cpp: PrepareImportInsert binds one parameter per table column to
 * the value fields of the column table, then prepares the INSERT. Every
 * execution afterwards sends what the record read last left there. */

#include "columns.h"
#include "odbcout.h"
#include "sql_text.h"

struct Binding {
  SQLSMALLINT cType;
  SQLSMALLINT sqlType;
  SQLULEN columnSize;
  SQLLEN bufferLength;
};

enum { TEXT_BOUND_LENGTH = COLUMN_TEXT_SIZE - 1 };

/* Bindings by ColumnType. */
static const Binding kBindings[] = {
  {SQL_C_CHAR, SQL_VARCHAR, TEXT_BOUND_LENGTH, TEXT_BOUND_LENGTH}, /* COL_TEXT */
  {SQL_C_CHAR, SQL_VARCHAR, TEXT_BOUND_LENGTH, TEXT_BOUND_LENGTH}, /* COL_LONGTEXT */
  {SQL_C_DOUBLE, SQL_INTEGER, 10, 10},                             /* COL_NUMBER */
  {SQL_C_DATE, SQL_TIMESTAMP, 16, 10},                             /* COL_DATE */
  {SQL_C_CHAR, SQL_VARCHAR, TEXT_BOUND_LENGTH, TEXT_BOUND_LENGTH}, /* COL_TIME */
  {SQL_C_DOUBLE, SQL_SMALLINT, 5, 5},                              /* COL_OPTION */
  {SQL_C_DOUBLE, SQL_SMALLINT, 5, 5},                              /* COL_CHECK */
  {SQL_C_CHAR, SQL_VARCHAR, TEXT_BOUND_LENGTH, TEXT_BOUND_LENGTH}, /* COL_LIST */
};

/* Bindings of an option group's column by its GroupWidth. */
static const Binding kGroupBindings[] = {
  {SQL_C_DOUBLE, SQL_SMALLINT, 5, 5},                              /* GROUP_SMALLINT */
  {SQL_C_DOUBLE, SQL_INTEGER, 10, 10},                             /* GROUP_INTEGER */
  {SQL_C_CHAR, SQL_VARCHAR, TEXT_BOUND_LENGTH, TEXT_BOUND_LENGTH}, /* GROUP_DIGITS */
};

static const Binding *BindingOf(const ImportColumn *c) {
  if (c->type == COL_OPTION) return &kGroupBindings[c->groupWidth];
  return &kBindings[c->type];
}

/* The field of column c that holds its value for the driver. */
static SQLPOINTER ValueOf(ImportColumn *c) {
  switch (BindingOf(c)->cType) {
    case SQL_C_DOUBLE: return &c->number;
    case SQL_C_DATE: return &c->date;
    default: return c->text;
  }
}

int32_t PrepareImportInsert(void *owner, const char *tableName, HENV henv, HDBC hdbc, HSTMT hstmt) {
  SQLUSMALLINT parameter = 1;
  StartSqlText();
  AppendSqlText("INSERT INTO ");
  AppendSqlName(tableName);
  AppendSqlText(" VALUES (");
  for (int32_t i = 0; i < g_columnCount; i++) {
    if (!IsTableColumn(i)) continue;
    if (i != 0) AppendSqlText(",");
    AppendSqlText("?");
    ImportColumn *c = &g_columns[i];
    const Binding *b = BindingOf(c);
    RETCODE rc = SQLBindParameter(hstmt, parameter, SQL_PARAM_INPUT, b->cType, b->sqlType, b->columnSize, 0,
                                  ValueOf(c), b->bufferLength, &c->length);
    if (!CheckOdbc(owner, rc, henv, hdbc, hstmt)) return 0;
    parameter++;
  }
  AppendSqlText(")");
  RETCODE rc = SQLPrepare(hstmt, (SQLCHAR *)g_sqlText, SQL_NTS);
  return CheckOdbc(owner, rc, henv, hdbc, hstmt);
}

SQLSMALLINT SqlTypeOfColumn(const ImportColumn *c) {
  return BindingOf(c)->sqlType;
}

int32_t ColumnOfParameter(int32_t parameter) {
  for (int32_t i = 0; i < g_columnCount; i++) {
    if (!IsTableColumn(i)) continue;
    if (--parameter == 0) return i;
  }
  return -1;
}

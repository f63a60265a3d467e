/* create_table.cpp: CreateImportTable builds one CREATE TABLE statement
 * with a column per table column, typed by its ColumnType (an option
 * group by its width), and sends it. */
#include "columns.h"
#include "odbcout.h"
#include "sql_text.h"

/* Type words by ColumnType. */
static const char *const kTypeWords[] = {
  "LPWSTR",      /* COL_TEXT */
  "LONG_LPWSTR", /* COL_LONGTEXT */
  "I4",          /* COL_NUMBER */
  "FILETIME",    /* COL_DATE */
  "LPWSTR",      /* COL_TIME */
  "I2",          /* COL_OPTION, group start */
  "I2",          /* COL_CHECK */
  "LPWSTR",      /* COL_LIST */
};

/* Type words of an option group's column by its GroupWidth. */
static const char *const kGroupTypeWords[] = {"I2", "I4", "LPWSTR"};

static const char *TypeWordOf(const ImportColumn *c) {
  if (c->type == COL_OPTION) return kGroupTypeWords[c->groupWidth];
  return kTypeWords[c->type];
}

int32_t CreateImportTable(UiWindow owner, const char *tableName, HENV henv, HDBC hdbc, HSTMT hstmt) {
  StartSqlText();
  AppendSqlText("CREATE TABLE ");
  AppendSqlName(tableName);
  AppendSqlText("(");
  for (int32_t i = 0; i < g_columnCount; i++) {
    if (!IsTableColumn(i)) continue;
    if (i != 0) AppendSqlText(",");
    AppendSqlName(g_columns[i].name);
    AppendSqlText(TypeWordOf(&g_columns[i]));
  }
  AppendSqlText(")");
  RETCODE rc = SQLExecDirect(hstmt, (SQLCHAR *)g_sqlText, SQL_NTS);
  return CheckOdbc(owner, rc, henv, hdbc, hstmt);
}

/* create_table.cpp: CreateImportTable builds one CREATE TABLE statement
 * with a column per table column, typed by its ColumnType, and sends it. */
#include "columns.h"
#include "odbcout.h"
#include "sql_text.h"
#include "text/type_words.h"

/* The type word of each ColumnType. The words themselves are the ones
 * the data source's driver maps to its types. */
static const TypeWordId kColumnWords[] = {
  WORD_TEXT,      /* COL_TEXT */
  WORD_LONG_TEXT, /* COL_LONGTEXT */
  WORD_INTEGER,   /* COL_NUMBER */
  WORD_TIMESTAMP, /* COL_DATE */
  WORD_TEXT,      /* COL_TIME */
  WORD_SMALLINT,  /* COL_OPTION, group start */
  WORD_SMALLINT,  /* COL_CHECK */
  WORD_TEXT,      /* COL_LIST */
};

int32_t CreateImportTable(void *owner, const char *tableName, HENV henv, HDBC hdbc, HSTMT hstmt) {
  StartSqlText();
  AppendSqlText("CREATE TABLE ");
  AppendSqlName(tableName);
  AppendSqlText("(");
  for (int32_t i = 0; i < g_columnCount; i++) {
    if (!IsTableColumn(i)) continue;
    if (i != 0) AppendSqlText(",");
    AppendSqlName(g_columns[i].name);
    AppendSqlText(kTypeWords[kColumnWords[g_columns[i].type]]);
  }
  AppendSqlText(")");
  RETCODE rc = SQLExecDirect(hstmt, (SQLCHAR *)g_sqlText, SQL_NTS);
  return CheckOdbc(owner, rc, henv, hdbc, hstmt);
}

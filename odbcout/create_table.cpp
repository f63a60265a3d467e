/* create_table.cpp: CreateImportTable builds one CREATE TABLE statement
 * with a column per table column, typed by its ColumnType (an option
 * group by its width), and sends it; DropImportTable removes a table
 * that an import replaces. */
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

/* The type word of an option group's column, by its GroupWidth. */
static const TypeWordId kGroupWords[] = {WORD_SMALLINT, WORD_INTEGER, WORD_TEXT};

static const char *TypeWordOf(const ImportColumn *c) {
  if (c->type == COL_OPTION) return kTypeWords[kGroupWords[c->groupWidth]];
  return kTypeWords[kColumnWords[c->type]];
}

int32_t DropImportTable(void *owner, const char *tableName, HENV henv, HDBC hdbc, HSTMT hstmt) {
  StartSqlText();
  AppendSqlText("DROP TABLE ");
  AppendSqlName(tableName);
  RETCODE rc = SQLExecDirect(hstmt, (SQLCHAR *)g_sqlText, SQL_NTS);
  return CheckOdbc(owner, rc, henv, hdbc, hstmt);
}

int32_t CreateImportTable(void *owner, const char *tableName, HENV henv, HDBC hdbc, HSTMT hstmt) {
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

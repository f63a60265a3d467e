/* facts.cpp: what the data source tells about an import for its summary:
 * where the table is, and how many rows it keeps after Cancel or a
 * failure. Asked through a statement of its own, so that the prepared
 * insert stays as it is. */
#include <stdlib.h>

#include "odbcout.h"
#include "sql_text.h"

enum { ROW_COUNT_TEXT_SIZE = 32 };

static int32_t Succeeded(RETCODE rc) {
  return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

void GetOdbcInfoText(HDBC hdbc, SQLUSMALLINT item, char *out, int32_t size) {
  SQLSMALLINT length = 0;
  out[0] = 0;
  if (!Succeeded(SQLGetInfo(hdbc, item, out, (SQLSMALLINT)size, &length))) out[0] = 0;
  out[size - 1] = 0;
}

int64_t CountTableRows(HDBC hdbc, const char *tableName) {
  HSTMT hstmt = SQL_NULL_HSTMT;
  char text[ROW_COUNT_TEXT_SIZE];
  SQLLEN length = 0;
  int64_t rows = -1;
  if (!Succeeded(SQLAllocStmt(hdbc, &hstmt))) return -1;
  StartSqlText();
  AppendSqlText("SELECT COUNT(*) FROM ");
  AppendSqlName(tableName);
  if (Succeeded(SQLExecDirect(hstmt, (SQLCHAR *)g_sqlText, SQL_NTS)) && Succeeded(SQLFetch(hstmt)) &&
      Succeeded(SQLGetData(hstmt, 1, SQL_C_CHAR, text, sizeof text, &length)) && length > 0)
    rows = strtoll(text, 0, 10);
  SQLFreeStmt(hstmt, SQL_DROP);
  return rows;
}

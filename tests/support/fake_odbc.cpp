/* fake_odbc.cpp: the stand-in ODBC functions. Handles are small fixed
 * tokens so the log names them: env, dbc, stmt. */
#include "fake_odbc.h"

#include <stdio.h>
#include <string.h>

#include <map>

#include "columns.h"

static OdbcFault s_fault;
static std::map<std::string, int> s_counts;
static int s_envToken, s_dbcToken, s_stmtToken;
static int s_rows; /* executions that succeeded: the rows a table would hold */
static int s_catalogRow = -1; /* after SQLColumns: the row fetched last, from 0; -1 otherwise */

void ResetFakeOdbc(const OdbcFault &fault) {
  g_callLog.clear();
  s_counts.clear();
  s_fault = fault;
  s_rows = 0;
  s_catalogRow = -1;
}

/* The result of the call named: the fault's code when it is the one to fail. */
static SQLRETURN Result(const char *call) {
  int n = ++s_counts[call];
  if (s_fault.call != call || s_fault.occurrence != n) return SQL_SUCCESS;
  s_rows -= s_fault.lostRows;
  return s_fault.rc;
}

static std::string Handle(const void *h) {
  if (!h) return "null";
  if (h == &s_envToken) return "env";
  if (h == &s_dbcToken) return "dbc";
  if (h == &s_stmtToken) return "stmt";
  return "?";
}

/* Names a pointer into the column table, e.g. "col2.number". */
static std::string Field(const void *p) {
  if (!p) return "null";
  for (int i = 0; i < MAX_COLUMNS; i++) {
    const ImportColumn &c = g_columns[i];
    std::string col = "col" + std::to_string(i) + ".";
    if (p == c.text) return col + "text";
    if (p == &c.number) return col + "number";
    if (p == &c.date) return col + "date";
    if (p == &c.length) return col + "length";
  }
  return "other";
}

static std::string Text(const SQLCHAR *s, SQLINTEGER n) {
  if (!s) return "null," + std::to_string(n);
  return std::string((const char *)s) + (n == SQL_NTS ? ",NTS" : "," + std::to_string(n));
}

static SQLRETURN Alloc(const char *call, const std::string &args, void *token, SQLHANDLE *out) {
  SQLRETURN rc = Result(call);
  LogCall(std::string(call) + "(" + args + ")");
  *out = rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO ? token : nullptr;
  return rc;
}

SQLRETURN SQL_API SQLAllocEnv(SQLHENV *env) { return Alloc("SQLAllocEnv", "", &s_envToken, env); }

SQLRETURN SQL_API SQLAllocConnect(SQLHENV env, SQLHDBC *dbc) {
  return Alloc("SQLAllocConnect", Handle(env), &s_dbcToken, dbc);
}

SQLRETURN SQL_API SQLAllocStmt(SQLHDBC dbc, SQLHSTMT *stmt) {
  return Alloc("SQLAllocStmt", Handle(dbc), &s_stmtToken, stmt);
}

SQLRETURN SQL_API SQLConnect(SQLHDBC dbc, SQLCHAR *dsn, SQLSMALLINT dsnLength, SQLCHAR *user, SQLSMALLINT userLength,
                             SQLCHAR *auth, SQLSMALLINT authLength) {
  LogCall("SQLConnect(" + Handle(dbc) + "," + Text(dsn, dsnLength) + "," + Text(user, userLength) + "," +
          Text(auth, authLength) + ")");
  return Result("SQLConnect");
}

static SQLRETURN CopyText(const std::string &text, SQLPOINTER out, SQLLEN size);

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC dbc, SQLHWND window, SQLCHAR *in, SQLSMALLINT inLength, SQLCHAR *out,
                                   SQLSMALLINT outSize, SQLSMALLINT *outLength, SQLUSMALLINT completion) {
  LogCall("SQLDriverConnect(" + Handle(dbc) + "," + (window ? "window" : "null") + "," + Text(in, inLength) + "," +
          std::to_string(outSize) + "," + std::to_string(completion) + ")");
  if (out && outSize > 0) CopyText(std::string((const char *)in), out, outSize);
  if (outLength) *outLength = (SQLSMALLINT)strlen((const char *)in);
  return Result("SQLDriverConnect");
}

SQLRETURN SQL_API SQLColumns(SQLHSTMT stmt, SQLCHAR *, SQLSMALLINT, SQLCHAR *, SQLSMALLINT, SQLCHAR *table,
                             SQLSMALLINT tableLength, SQLCHAR *, SQLSMALLINT) {
  LogCall("SQLColumns(" + Handle(stmt) + "," + Text(table, tableLength) + ")");
  s_catalogRow = 0;
  return Result("SQLColumns");
}

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT stmt, SQLCHAR *sql, SQLINTEGER length) {
  s_catalogRow = -1;
  LogCall("SQLExecDirect(" + Handle(stmt) + "," + Text(sql, length) + ")");
  return Result("SQLExecDirect");
}

SQLRETURN SQL_API SQLPrepare(SQLHSTMT stmt, SQLCHAR *sql, SQLINTEGER length) {
  LogCall("SQLPrepare(" + Handle(stmt) + "," + Text(sql, length) + ")");
  return Result("SQLPrepare");
}

SQLRETURN SQL_API SQLBindParameter(SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT io, SQLSMALLINT cType,
                                   SQLSMALLINT sqlType, SQLULEN size, SQLSMALLINT scale, SQLPOINTER value,
                                   SQLLEN bufferLength, SQLLEN *indicator) {
  char line[256];
  snprintf(line, sizeof line, "SQLBindParameter(%s,%u,%d,%d,%d,%lu,%d,%s,%ld,%s)", Handle(stmt).c_str(), number, io,
           cType, sqlType, (unsigned long)size, scale, Field(value).c_str(), (long)bufferLength,
           Field(indicator).c_str());
  LogCall(line);
  return Result("SQLBindParameter");
}

SQLRETURN SQL_API SQLExecute(SQLHSTMT stmt) {
  LogCall("SQLExecute(" + Handle(stmt) + ")");
  SQLRETURN rc = Result("SQLExecute");
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) s_rows++;
  return rc;
}

/* Copies text into a character buffer as a driver does. */
static SQLRETURN CopyText(const std::string &text, SQLPOINTER out, SQLLEN size) {
  size_t n = text.size() < (size_t)size ? text.size() : (size_t)size - 1;
  memcpy(out, text.data(), n);
  ((char *)out)[n] = 0;
  return n < text.size() ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT size,
                             SQLSMALLINT *length) {
  LogCall("SQLGetInfo(" + Handle(dbc) + "," + std::to_string(type) + ")");
  static const std::map<int, std::string> kInfo = {
    {SQL_DATA_SOURCE_NAME, "Lumetra Data Source"}, {SQL_DBMS_NAME, "SQLite"},
    {SQL_DATABASE_NAME, "/data/lumetra.db"}, {SQL_SERVER_NAME, "Lumetra Data Source"}};
  SQLRETURN rc = Result("SQLGetInfo");
  if (type == SQL_TXN_CAPABLE && rc == SQL_SUCCESS) {
    *(SQLUSMALLINT *)value = s_fault.txnCapable;
    return SQL_SUCCESS;
  }
  auto it = kInfo.find(type);
  if (rc != SQL_SUCCESS || it == kInfo.end()) return rc == SQL_SUCCESS ? SQL_ERROR : rc;
  if (length) *length = (SQLSMALLINT)it->second.size();
  return CopyText(it->second, value, size);
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT stmt) {
  LogCall("SQLFetch(" + Handle(stmt) + ")");
  SQLRETURN rc = Result("SQLFetch");
  if (s_catalogRow < 0 || rc != SQL_SUCCESS) return rc;
  return ++s_catalogRow > (int)s_fault.catalog.size() ? SQL_NO_DATA : SQL_SUCCESS;
}

/* The one value a statement of the run fetches: its table's row count. */
SQLRETURN SQL_API SQLGetData(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER value, SQLLEN size,
                             SQLLEN *length) {
  LogCall("SQLGetData(" + Handle(stmt) + "," + std::to_string(column) + "," + std::to_string(cType) + ")");
  SQLRETURN rc = Result("SQLGetData");
  if (rc != SQL_SUCCESS) return rc;
  if (s_catalogRow > 0) {
    const FakeColumn &c = s_fault.catalog[s_catalogRow - 1];
    if (column == 5) {
      *(SQLSMALLINT *)value = c.dataType;
      return SQL_SUCCESS;
    }
    const std::string &text = column == 3 ? c.table : column == 4 ? c.name : c.typeName;
    if (length) *length = (SQLLEN)text.size();
    return CopyText(text, value, size);
  }
  std::string rows = std::to_string(s_rows);
  if (length) *length = (SQLLEN)rows.size();
  return CopyText(rows, value, size);
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  LogCall("SQLSetConnectAttr(" + Handle(dbc) + "," + std::to_string(attribute) + "," +
          std::to_string((SQLULEN)value) + ")");
  return Result("SQLSetConnectAttr");
}

SQLRETURN SQL_API SQLCancel(SQLHSTMT stmt) {
  LogCall("SQLCancel(" + Handle(stmt) + ")");
  return Result("SQLCancel");
}

SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
  LogCall("SQLEndTran(" + std::to_string(type) + "," + Handle(handle) + "," + std::to_string(completion) + ")");
  return Result("SQLEndTran");
}

SQLRETURN SQL_API SQLError(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt, SQLCHAR *state, SQLINTEGER *native,
                           SQLCHAR *message, SQLSMALLINT size, SQLSMALLINT *length) {
  char line[160];
  snprintf(line, sizeof line, "SQLError(%s,%s,%s,%s,%s,%d,%s)", Handle(env).c_str(), Handle(dbc).c_str(),
           Handle(stmt).c_str(), state ? "state" : "null", native ? "native" : "null", size,
           length ? "length" : "null");
  LogCall(line);
  if (s_fault.message.empty()) return SQL_NO_DATA;
  size_t n = s_fault.message.size() < (size_t)size ? s_fault.message.size() : (size_t)size - 1;
  memcpy(message, s_fault.message.data(), n);
  message[n] = 0;
  return n < s_fault.message.size() ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT stmt, SQLUSMALLINT option) {
  LogCall("SQLFreeStmt(" + Handle(stmt) + "," + std::to_string(option) + ")");
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC dbc) {
  LogCall("SQLDisconnect(" + Handle(dbc) + ")");
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFreeConnect(SQLHDBC dbc) {
  LogCall("SQLFreeConnect(" + Handle(dbc) + ")");
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFreeEnv(SQLHENV env) {
  LogCall("SQLFreeEnv(" + Handle(env) + ")");
  return SQL_SUCCESS;
}

/* C type, SQL type, column size and buffer length of the binding, and the
 * field of the column it points at, by ColumnType. */
struct GoldenBinding {
  int cType, sqlType;
  long columnSize;
  const char *field;
  long bufferLength;
};

static const GoldenBinding kGoldenBindings[] = {
  {SQL_C_CHAR, SQL_VARCHAR, 32767, "text", 32767},        /* COL_TEXT */
  {SQL_C_CHAR, SQL_VARCHAR, 32767, "text", 32767},        /* COL_LONGTEXT */
  {SQL_C_DOUBLE, SQL_INTEGER, 10, "number", 10},          /* COL_NUMBER */
  {SQL_C_DATE, SQL_TIMESTAMP, 16, "date", 10},            /* COL_DATE */
  {SQL_C_CHAR, SQL_VARCHAR, 32767, "text", 32767},        /* COL_TIME */
  {SQL_C_DOUBLE, SQL_SMALLINT, 5, "number", 5},           /* COL_OPTION */
  {SQL_C_DOUBLE, SQL_SMALLINT, 5, "number", 5},           /* COL_CHECK */
  {SQL_C_CHAR, SQL_VARCHAR, 32767, "text", 32767},        /* COL_LIST */
};

std::string ExpectedBinding(int number, int column, int columnType) {
  const GoldenBinding &b = kGoldenBindings[columnType];
  char line[160];
  snprintf(line, sizeof line, "SQLBindParameter(stmt,%d,%d,%d,%d,%ld,0,col%d.%s,%ld,col%d.length)", number,
           SQL_PARAM_INPUT, b.cType, b.sqlType, b.columnSize, column, b.field, b.bufferLength, column);
  return line;
}

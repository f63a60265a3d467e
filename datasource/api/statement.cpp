/* statement.cpp: the entry points that prepare and execute statements,
 * bind their parameters and set their attributes. */
#include "api/entry.h"
#include "core/data_at_exec.h"
#include "core/parameters.h"
#include "core/statement.h"

DS_EXPORT SQLRETURN SQL_API SQLPrepare(SQLHSTMT h, SQLCHAR *sql, SQLINTEGER length) {
  ENTER_STMT(h);
  return Leave(stmt->diag, Prepare(stmt, Narrow(sql, length)));
}

DS_EXPORT SQLRETURN SQL_API SQLExecute(SQLHSTMT h) {
  ENTER_STMT(h);
  return Leave(stmt->diag, Execute(stmt));
}

DS_EXPORT SQLRETURN SQL_API SQLExecDirect(SQLHSTMT h, SQLCHAR *sql, SQLINTEGER length) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ExecDirect(stmt, Narrow(sql, length)));
}

DS_EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT h, SQLUSMALLINT option) {
  ENTER_STMT(h);
  if (option == SQL_DROP) return DropStatement(stmt); /* the handle is gone: no result to record on it */
  return Leave(stmt->diag, FreeStmt(stmt, option));
}

DS_EXPORT SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT h, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  ENTER_STMT(h);
  return Leave(stmt->diag, SetStmtAttr(stmt, attribute, value));
}

DS_EXPORT SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT h, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                           SQLINTEGER *) {
  ENTER_STMT(h);
  return Leave(stmt->diag, GetStmtAttr(stmt, attribute, value));
}

/* SQLCancel comes from another thread while a call holds the connection:
 * it takes no lock and leaves that call's diagnostics alone. */
DS_EXPORT SQLRETURN SQL_API SQLCancel(SQLHSTMT h) {
  Stmt *stmt = FindStmt(h);
  if (!stmt) return SQL_INVALID_HANDLE;
  return CancelCall(stmt->dbc);
}

DS_EXPORT SQLRETURN SQL_API SQLBindParameter(SQLHSTMT h, SQLUSMALLINT number, SQLSMALLINT ioType,
                                             SQLSMALLINT cType, SQLSMALLINT sqlType, SQLULEN, SQLSMALLINT,
                                             SQLPOINTER value, SQLLEN, SQLLEN *indicator) {
  ENTER_STMT(h);
  return Leave(stmt->diag, BindParameter(stmt, number, ioType, cType, sqlType, value, indicator));
}

DS_EXPORT SQLRETURN SQL_API SQLNumParams(SQLHSTMT h, SQLSMALLINT *count) {
  ENTER_STMT(h);
  return Leave(stmt->diag, NumParams(stmt, count));
}

DS_EXPORT SQLRETURN SQL_API SQLParamData(SQLHSTMT h, SQLPOINTER *token) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ParamData(stmt, token));
}

DS_EXPORT SQLRETURN SQL_API SQLPutData(SQLHSTMT h, SQLPOINTER data, SQLLEN length) {
  ENTER_STMT(h);
  return Leave(stmt->diag, PutData(stmt, data, length));
}

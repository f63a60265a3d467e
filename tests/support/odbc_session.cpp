/* odbc_session.cpp: the utility's connect and teardown sequence, and an
 * ODBC 3 client's. */
#include "odbc_session.h"

OdbcSession::OdbcSession() {
  SQLAllocEnv(&henv);
  SQLAllocConnect(henv, &hdbc);
  connected = SQLConnect(hdbc, (SQLCHAR *)"Lumetra Data Source", SQL_NTS, nullptr, 0, nullptr, 0);
  if (connected == SQL_SUCCESS || connected == SQL_SUCCESS_WITH_INFO) SQLAllocStmt(hdbc, &hstmt);
}

OdbcSession::~OdbcSession() {
  if (hstmt) SQLFreeStmt(hstmt, SQL_DROP);
  if (hdbc) {
    SQLDisconnect(hdbc);
    SQLFreeConnect(hdbc);
  }
  if (henv) SQLFreeEnv(henv);
}

std::string OdbcSession::Error(bool withStatement) const {
  SQLCHAR state[6] = "";
  SQLCHAR message[128] = "";
  SQLError(henv, hdbc, withStatement ? hstmt : SQL_NULL_HSTMT, state, nullptr, message, sizeof message, nullptr);
  return std::string((char *)state) + " " + (char *)message;
}

RETCODE OdbcSession::Exec(const std::string &sql) {
  return SQLExecDirect(hstmt, (SQLCHAR *)sql.c_str(), SQL_NTS);
}

Odbc3Session::Odbc3Session() {
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  connected = SQLConnect(dbc, (SQLCHAR *)"Lumetra Data Source", SQL_NTS, nullptr, 0, nullptr, 0);
  SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
}

Odbc3Session::~Odbc3Session() {
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  SQLDisconnect(dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
}

SQLRETURN Odbc3Session::Exec(const std::string &sql) {
  SQLFreeStmt(stmt, SQL_CLOSE);
  return SQLExecDirect(stmt, (SQLCHAR *)sql.c_str(), SQL_NTS);
}

std::string Odbc3Session::State() {
  SQLCHAR state[6] = "";
  SQLGetDiagRec(SQL_HANDLE_STMT, stmt, 1, state, nullptr, nullptr, 0, nullptr);
  return (char *)state;
}

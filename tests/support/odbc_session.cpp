/* odbc_session.cpp: the utility's connect and teardown sequence. */
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

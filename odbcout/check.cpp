/* check.cpp: CheckOdbc, the one place where ODBC results are judged. */
#include "odbcout.h"

enum { ODBC_MESSAGE_SIZE = 128 };

/* Shown when the driver gives no message of its own. */
static const char kNoMessage[] = "ODBC call failed";

static OdbcMessageSink g_odbcMessageSink;

void SetOdbcMessageSink(OdbcMessageSink sink) { g_odbcMessageSink = sink; }

int32_t CheckOdbc(void *owner, RETCODE rc, HENV henv, HDBC hdbc, HSTMT hstmt) {
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) return 1;
  SQLCHAR message[ODBC_MESSAGE_SIZE];
  message[0] = 0;
  SQLError(henv, hdbc, hstmt, 0, 0, message, ODBC_MESSAGE_SIZE, 0);
  message[ODBC_MESSAGE_SIZE - 1] = 0;
  if (g_odbcMessageSink) g_odbcMessageSink(owner, message[0] ? (const char *)message : kNoMessage);
  return 0;
}

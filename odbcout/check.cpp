/* check.cpp: CheckOdbc, the one place where ODBC results are judged, and
 * the driver's message of a failed call, fetched whole. */
#include <string.h>

#include "odbcout.h"

static char s_message[ODBC_MESSAGE_SIZE];

/* Shown when the driver gives no message of its own. */
static const char kNoMessage[] = "ODBC call failed";

static OdbcMessageSink g_odbcMessageSink;

void SetOdbcMessageSink(OdbcMessageSink sink) { g_odbcMessageSink = sink; }

const char *FetchOdbcMessage(HENV henv, HDBC hdbc, HSTMT hstmt) {
  s_message[0] = 0;
  SQLError(henv, hdbc, hstmt, 0, 0, (SQLCHAR *)s_message, ODBC_MESSAGE_SIZE, 0);
  s_message[ODBC_MESSAGE_SIZE - 1] = 0;
  if (!s_message[0]) memcpy(s_message, kNoMessage, sizeof kNoMessage);
  return s_message;
}

int32_t CheckOdbc(void *owner, RETCODE rc, HENV henv, HDBC hdbc, HSTMT hstmt) {
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) return 1;
  const char *text = FetchOdbcMessage(henv, hdbc, hstmt);
  if (g_odbcMessageSink) g_odbcMessageSink(owner, text);
  return 0;
}

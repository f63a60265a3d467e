/* insert_child.cpp: inserts numbered rows with autocommit until killed,
 * writing the number of every acknowledged row to standard output. */
#include <stdio.h>
#include <unistd.h>

#include "odbc_session.h"

int main() {
  OdbcSession s;
  if (s.connected != SQL_SUCCESS && s.connected != SQL_SUCCESS_WITH_INFO) return 1;
  if (s.Exec("CREATE TABLE \"acked\"(\"n\"I4,\"pad\"LPWSTR)") != SQL_SUCCESS) return 1;
  double n = 0;
  char pad[200];
  for (size_t i = 0; i + 1 < sizeof pad; i++) pad[i] = 'p';
  pad[sizeof pad - 1] = 0;
  SQLLEN nLength = 8, padLength = SQL_NTS;
  SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_INTEGER, 10, 0, &n, 10, &nLength);
  SQLBindParameter(s.hstmt, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 32767, 0, pad, 32767, &padLength);
  SQLPrepare(s.hstmt, (SQLCHAR *)"INSERT INTO \"acked\" VALUES (?,?)", SQL_NTS);
  for (;;) {
    n += 1;
    if (SQLExecute(s.hstmt) != SQL_SUCCESS) return 2;
    char line[32];
    int len = snprintf(line, sizeof line, "%.0f\n", n);
    if (write(1, line, (size_t)len) != len) return 3;
  }
}

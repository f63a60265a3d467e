/* odbc_session.h: an ODBC 2 connection to "Lumetra Data Source" through
 * the real driver manager, made with the import utility's own calls, and
 * the first SQLError message of a failed call. */
#ifndef LUMETRA_ODBC_SESSION_H
#define LUMETRA_ODBC_SESSION_H

#include <sql.h>
#include <sqlext.h>

#include <string>

struct OdbcSession {
  HENV henv = SQL_NULL_HENV;
  HDBC hdbc = SQL_NULL_HDBC;
  HSTMT hstmt = SQL_NULL_HSTMT;
  RETCODE connected = SQL_ERROR;

  OdbcSession();
  ~OdbcSession();

  /* SQLError(henv, hdbc, hstmt) as the utility calls it: "STATE message". */
  std::string Error(bool withStatement = true) const;
  RETCODE Exec(const std::string &sql);
};

#endif

/* odbc_session.h: connections to "Lumetra Data Source" through the real
 * driver manager: an ODBC 2 one made with the import utility's own calls,
 * with the first SQLError message of a failed call, and an ODBC 3 one as
 * other clients make it, with the first diagnostic's SQLSTATE. */
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

struct Odbc3Session {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLRETURN connected = SQL_ERROR;

  Odbc3Session();
  ~Odbc3Session();
  Odbc3Session(const Odbc3Session &) = delete;
  Odbc3Session &operator=(const Odbc3Session &) = delete;

  /* The statement closed, then SQL executed directly on it. */
  SQLRETURN Exec(const std::string &sql);
  /* The SQLSTATE of the statement's first diagnostic, or "". */
  std::string State();
};

#endif

/* driver.h: the handles of the Lumetra ODBC driver and what its files
 * share. The driver stores into SQLite; the unixODBC driver manager
 * loads it and maps the application's ODBC 2 calls onto these. */
#ifndef LUMETRA_DS_DRIVER_H
#define LUMETRA_DS_DRIVER_H

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#define DS_EXPORT extern "C" __attribute__((visibility("default")))

struct DiagRecord {
  std::string state; /* five characters */
  SQLINTEGER native;
  std::string message;
};

struct Diagnostics {
  std::vector<DiagRecord> records;
  SQLRETURN lastResult = SQL_SUCCESS;
  void Clear() { records.clear(); }
};

enum HandleKind { KIND_ENV = 0x4c454e56, KIND_DBC = 0x4c444243, KIND_STMT = 0x4c53544d };

struct Env {
  int kind = KIND_ENV;
  Diagnostics diag;
  SQLINTEGER odbcVersion = SQL_OV_ODBC3;
};

struct Dbc {
  int kind = KIND_DBC;
  Diagnostics diag;
  Env *env = nullptr;
  sqlite3 *db = nullptr;
  bool autocommit = true;
  std::string dsn;
};

struct Param {
  bool bound = false;
  SQLSMALLINT cType = 0;
  SQLSMALLINT sqlType = 0;
  SQLULEN columnSize = 0;
  SQLPOINTER value = nullptr;
  SQLLEN bufferLength = 0;
  SQLLEN *indicator = nullptr;
  char dateText[24] = "";    /* a date as SQLite is given it, kept until the step */
};

struct Stmt {
  int kind = KIND_STMT;
  Diagnostics diag;
  Dbc *dbc = nullptr;
  sqlite3_stmt *prepared = nullptr;
  std::vector<Param> params; /* index 0 is parameter 1 */
  bool executed = false;     /* a result set may be open */
  bool rowPending = false;   /* the first row is stepped but not fetched */
  bool onRow = false;        /* SQLFetch delivered a row */
  SQLLEN rowCount = -1;
  std::vector<SQLLEN> getDataOffset; /* per column, for SQLGetData in parts */
};

/* Diagnostics: every entry point clears its handle's records first. */
SQLRETURN PostError(Diagnostics &diag, const char *state, SQLINTEGER native, const std::string &message);
void PostInfo(Diagnostics &diag, const char *state, const std::string &message);
SQLRETURN PostSqliteError(Diagnostics &diag, sqlite3 *db, int rc);

/* Copies a string into an ODBC output buffer; SQL_SUCCESS_WITH_INFO and
 * 01004 when it had to be cut. */
SQLRETURN CopyOut(Diagnostics *diag, const std::string &s, SQLCHAR *out, SQLLEN size, SQLLEN *length);

/* The SQL that goes to SQLite: CREATE TABLE type words mapped. */
std::string RewriteSql(const char *sql, SQLINTEGER length);

/* Binds every parameter of the statement from the application's buffers;
 * SQL_ERROR (no row may be written) or SQL_SUCCESS[_WITH_INFO]. */
SQLRETURN BindParameters(Stmt *stmt);

/* Prepares sql on the statement, replacing what it held. */
SQLRETURN PrepareStatement(Stmt *stmt, const std::string &sql);

/* Runs the prepared statement to its first row or its end. */
SQLRETURN ExecuteStatement(Stmt *stmt);

void CloseCursor(Stmt *stmt);

#endif

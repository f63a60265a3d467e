/* handles.h: the driver's handles (environment, connection, statement)
 * and what they hold: the connection's backend, settings, charset, lock
 * and group commit; the statement's prepared statement, parameters,
 * bound columns and open result set. */
#ifndef LUMETRA_DS_HANDLES_H
#define LUMETRA_DS_HANDLES_H

#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "backend/backend.h"
#include "backend/diagnostics.h"
#include "backend/sql_types.h"
#include "core/call_watch.h"
#include "core/group_commit.h"
#include "core/settings.h"
#include "text/charset.h"

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
  std::unique_ptr<Backend> backend;
  Settings settings;
  Charset charset;
  bool autocommit = true;
  /* Connected through a W entry point: text columns are described with
   * the wide types, so the client fetches them as SQL_C_WCHAR; an ANSI
   * client is given the narrow ones, as psqlODBC does. */
  bool wideClient = false;
  std::vector<struct Stmt *> statements; /* freed by SQLDisconnect if the application did not */
  std::recursive_mutex lock; /* held by every call on the connection and its statements, and by the timer */
  GroupCommit group;
  CallWatch watch;
};

struct Param {
  bool bound = false;
  SQLSMALLINT cType = 0;
  SQLSMALLINT sqlType = 0;
  SQLPOINTER value = nullptr;
  SQLLEN *indicator = nullptr;
  std::string text; /* the value as the backend is given it, kept until the next execution */
  bool atExec = false;   /* this execution's value is sent with SQLPutData */
  bool sentNull = false; /* ... and was sent as NULL */
  std::string sent;      /* ... and is these bytes */
};

/* An execution that waits for parameter values sent with SQLPutData. */
struct AtExecution {
  bool awaiting = false;
  bool grouped = false; /* an SQLExecute, which may join a group commit */
  int next = 0;         /* the parameter (from 0) where the search for the next one starts */
  int current = -1;     /* the parameter that SQLPutData sends, -1 before the first */
};

/* A result column bound with SQLBindCol. */
struct ColumnBinding {
  SQLSMALLINT cType = 0;
  SQLPOINTER value = nullptr;
  SQLLEN size = 0;
  SQLLEN *indicator = nullptr;
};

enum CursorState { CURSOR_NONE, CURSOR_BEFORE, CURSOR_ON_ROW, CURSOR_AFTER };

struct Stmt {
  int kind = KIND_STMT;
  Diagnostics diag;
  Dbc *dbc = nullptr;
  std::unique_ptr<Prepared> prepared;
  std::unique_ptr<Cursor> catalog; /* a catalog function's result set */
  Cursor *cursor = nullptr;        /* the open result set, or null */
  CursorState state = CURSOR_NONE;
  std::vector<Param> params;       /* index 0 is parameter 1 */
  std::vector<Value> values;       /* the parameters of the execution under way */
  std::vector<ColumnBinding> bindings;
  std::vector<SQLLEN> getDataOffset; /* per column, for SQLGetData in parts */
  bool executed = false; /* the prepared statement ran last, so it knows the row count */
  AtExecution atExec;
  SQLULEN *rowsFetched = nullptr;
  SQLUSMALLINT *rowStatus = nullptr;
};

/* The ODBC version the statement's application asked for. */
inline SQLINTEGER OdbcVersion(const Stmt *stmt) { return stmt->dbc->env->odbcVersion; }

/* A column's SQL type for the statement's application: wide for a
 * Unicode client; and as it is told the code, in its ODBC version's. */
inline SQLSMALLINT ClientSqlType(const Stmt *stmt, SQLSMALLINT t) { return stmt->dbc->wideClient ? WideType(t) : t; }
inline SQLSMALLINT ReportedType(const Stmt *stmt, SQLSMALLINT t) { return AppType(OdbcVersion(stmt), ClientSqlType(stmt, t)); }

/* The handle if it is one of the kind, its diagnostics cleared; else null. */
Env *EnterEnv(SQLHANDLE h);
Dbc *EnterDbc(SQLHANDLE h);
Stmt *EnterStmt(SQLHANDLE h);
/* The statement handle checked, its diagnostics left alone: for SQLCancel,
 * which comes while another thread's call owns them. */
Stmt *FindStmt(SQLHANDLE h);

#endif
